// Shows the real Network window on the display while it scans, for a screenshot taken
// from outside, until the grab is done (tools/network-window-veth.sh):
//   win32_network_snapshot <ready-file> <done-file>          a small network over loopback,
//                                                             with Desk C and the focus remote
//   win32_network_snapshot <ready-file> <done-file> <local>  whatever reaches local, after a poll
#include <windows.h>
#include <commctrl.h>

#include "tools/screenshots/picture_sources.h"
#include "tools/screenshots/screen_grab_win32.h"
#include "ui/tests/network_traffic.h"
#include "ui/win32/win32_network_window.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) return 2;
    const bool live = argc == 4;
    const Win32Libraries libraries;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    registerNetworkWindowClass(instance);
    DmxUniverseState state;
    auto window = createNetworkWindow(instance, state);
    if (!window) return 1;
    showAtTopLeft(window->window);
    SetWindowTextW(networkControlById(*window, kNetworkLocalIpv4Field), live ? argv[3] : L"127.0.0.1");
    SetWindowTextW(networkControlById(*window, kNetworkUniversesField), L"1-8");
    SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kNetworkScanButton, BN_CLICKED), 0);
    if (live) SendMessageW(window->window, WM_COMMAND, MAKEWPARAM(kNetworkPollButton, BN_CLICKED), 0);

    const SocketHandle sender = openUdpSocket();
    Ipv4Address loopback;
    parseIpv4("127.0.0.1", loopback);
    // The network keeps sending at 44 rounds a second until the picture is taken.
    int round = 0;
    auto sendDue = [&, next = GetTickCount()]() mutable {
        while (GetTickCount() >= next) {
            if (live && round >= 100) return;
            ++round;
            if (!live) {
                const auto sequence = static_cast<uint8_t>(round);
                network_traffic::sendRound(sender, loopback, sequence);
                std::vector<std::vector<uint8_t>> more{picture_sources::deskC(sequence)};
                if (round <= picture_sources::kFocusRemoteRounds) more.push_back(picture_sources::focusRemote(sequence));
                for (const auto& bytes : more) sendDatagram(sender, bytes.data(), bytes.size(), loopback, kSacnPort);
            }
            next += 1000 / 44;
        }
    };
    bool selected = false;
    // Desk A selected as a click on its row would, once its rows are in; the picture once
    // the focus remote, silent since its first second at most, is lost.
    waitForScreenGrab(window->window, argv[1], argv[2], 4500, [&] {
        sendDue();
        if (selected || round < 30 || networkWindowOf(window->window)->tableRows[kNetworkSourcesTable].rows.size() <= 1) return;
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        const int row = live ? 0 : 1;
        SendMessageW(networkControlById(*window, kNetworkSourcesTable), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        selected = true;
    });
    closeSocket(sender);
    return 0;
}
