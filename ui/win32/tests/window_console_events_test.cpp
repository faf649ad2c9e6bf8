// Ctrl+C and Ctrl+Break typed in lumibox.com's console reach the windowed program as
// console events, handled on a thread the system starts: the Network window and the main
// window it opened both close the way their close buttons do.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "ui/win32/win32_network_window.h"
#include "ui/win32/win32_open_windows.h"
#include "window_test_support.h"

namespace {

TEST(WindowConsoleEvents, CloseBothWindowsInTheirOrderOnce) {
    registerNetworkWindowClass(GetModuleHandleW(nullptr));
    for (const DWORD event : {CTRL_C_EVENT, CTRL_BREAK_EVENT}) {
        DmxUniverseState state;
        Win32NetworkWindowOptions options;
        options.startTimer = false;
        const auto network = createNetworkWindow(GetModuleHandleW(nullptr), state, options);
        ASSERT_NE(network, nullptr);
        SetWindowTextW(networkControlById(*network, kNetworkLocalIpv4Field), L"127.0.0.1");
        SendMessageW(network->window, WM_COMMAND, MAKEWPARAM(kNetworkScanButton, BN_CLICKED), 0);
        openMonitorWindow(*network, MonitorRequest{7, "127.0.0.1"});
        ASSERT_TRUE(network->engines.scanning);
        ASSERT_TRUE(network->mainWindow && network->mainWindow->window);

        closeWindowsOnConsoleEvents();
        BOOL first = FALSE;
        BOOL second = TRUE;
        std::thread([&] {
            first = closeWindowsOnConsoleEvent(event);
            second = closeWindowsOnConsoleEvent(event);
        }).join();
        pumpMessages();
        restoreConsoleEvents();
        EXPECT_TRUE(first) << event;
        EXPECT_FALSE(second) << "a second one ends the process as usual";
        EXPECT_EQ(network->window, nullptr) << event;
        EXPECT_FALSE(network->engines.scanning) << event;
        EXPECT_EQ(network->mainWindow->window, nullptr) << event;
        EXPECT_TRUE(network->mainWindow->engines.stopped) << event;
    }
}

}  // namespace
