#pragma once
// Who the program says it is: the window title, --version, the desktop entry, the package
// and the Windows version resource. The version and the desktop id are set once, in the
// top-level CMakeLists.txt, which also writes them into the packaging files.
inline constexpr const char* kProductTitle = "Velmora Lumibox " LUMIBOX_VERSION;

// The window class: X11's WM_CLASS class and the desktop entry's StartupWMClass.
inline constexpr const char* kWindowClassName = LUMIBOX_WINDOW_CLASS;

// The freedesktop application id: the desktop entry's and AppStream's name, the Wayland app id.
inline constexpr const char* kDesktopApplicationId = LUMIBOX_APP_ID;
