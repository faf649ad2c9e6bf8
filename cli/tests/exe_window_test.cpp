// lumibox.exe without arguments under wine on an X display of the test's own: the window
// opens with its title, and the close a window manager sends (a WM_DELETE_WINDOW client
// message) ends the program with exit code 0. Runs through tools/with-xvfb.sh and
// `tools/wine-run.sh <prefix> --host` (see cli/tests/win32_exe_tests.cmake).
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "wine_program.h"

namespace {

const std::string kWindowsBinary = environmentText("LUMIBOX_WINDOWS_BINARY");
constexpr auto kWindowTimeout = std::chrono::seconds(60);  // a first start of wine is slow on a loaded machine

struct Connection {
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    ~Connection() { xcb_disconnect(x); }
    bool ok() const { return xcb_connection_has_error(x) == 0; }
    xcb_window_t root() const { return xcb_setup_roots_iterator(xcb_get_setup(x)).data->root; }
    xcb_atom_t atom(const char* name) const {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(x, xcb_intern_atom(x, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
            &std::free);
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }
    std::string textProperty(xcb_window_t window, xcb_atom_t property) const {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(x, xcb_get_property(x, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 256), nullptr),
            &std::free);
        if (!reply || reply->format != 8) return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }
    // The mapped top-level window with this name, or XCB_WINDOW_NONE.
    xcb_window_t windowNamed(const std::string& name) const {
        std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
            xcb_query_tree_reply(x, xcb_query_tree(x, root()), nullptr), &std::free);
        if (!tree) return XCB_WINDOW_NONE;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
            std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> attributes(
                xcb_get_window_attributes_reply(x, xcb_get_window_attributes(x, children[i]), nullptr), &std::free);
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE &&
                textProperty(children[i], XCB_ATOM_WM_NAME) == name) {
                return children[i];
            }
        }
        return XCB_WINDOW_NONE;
    }
};

TEST(ExeWindow, OpensWithItsTitleAndAWindowManagerCloseEndsItWithZero) {
    ASSERT_FALSE(kWindowsBinary.empty()) << "LUMIBOX_WINDOWS_BINARY is not set: run through ctest";
    Connection display;
    ASSERT_TRUE(display.ok()) << "no X display: run through tools/with-xvfb.sh";
    RunningBinary program = startWindowsProgram(kWindowsBinary, {});

    xcb_window_t window = XCB_WINDOW_NONE;
    const auto deadline = std::chrono::steady_clock::now() + kWindowTimeout;
    while (window == XCB_WINDOW_NONE && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        window = display.windowNamed("Velmora Lumibox 0.2.1");
    }
    ASSERT_NE(window, XCB_WINDOW_NONE) << "the window did not appear";
    // Without a window manager wine maps the client area alone: narrower than the outer
    // 1000 x 870 by the frame it would have.
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(display.x, xcb_get_geometry(display.x, window), nullptr), &std::free);
    ASSERT_TRUE(geometry);
    EXPECT_GT(geometry->width, 960);
    EXPECT_LE(geometry->width, 1000);
    EXPECT_GT(geometry->height, 800);
    EXPECT_LE(geometry->height, 870);

    // What a window manager sends when its close button is pressed.
    const xcb_atom_t protocols = display.atom("WM_PROTOCOLS");
    const xcb_atom_t deleteWindow = display.atom("WM_DELETE_WINDOW");
    xcb_client_message_event_t close{};
    close.response_type = XCB_CLIENT_MESSAGE;
    close.format = 32;
    close.window = window;
    close.type = protocols;
    close.data.data32[0] = deleteWindow;
    close.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(display.x, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&close));
    xcb_flush(display.x);
    EXPECT_EQ(waitForExit(program, 30000), 0);
}

}  // namespace
