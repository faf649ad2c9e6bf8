#pragma once
// What every window path needs around its QApplication, and the path itself.
#include <QApplication>

#include "termination_signals.h"

// Qt aborts the process when it finds no display at all; the window paths say so with
// exit code 1 instead.
bool displayConfigured();

// While on, a fatal Qt message (a display that is named but unusable) is printed and ends
// the process with 1: the application is half built, there is nothing to clean up.
void exitOnFatalMessages(bool on);

// Names the application "VelmoraLumibox" (the window class the desktop sees), points the
// desktop at the installed entry "com.velmora.Lumibox.desktop" and fixes the widget
// style, so the look does not follow the desktop theme.
void prepareApplication();

// The window path: the application, the window open() makes (a record that owns its host),
// shown, and the event loop until the last window closes; SIGTERM and SIGINT close the
// windows. Exit code 1 without a usable display, else 0.
template <typename OpenWindow>
int runWindowApplication(int argc, char** argv, OpenWindow open) {
    if (!displayConfigured()) return 1;
    exitOnFatalMessages(true);
    QApplication application(argc, argv);
    exitOnFatalMessages(false);
    prepareApplication();
    auto window = open();
    closeWindowOnTerminationSignals(*window->host);
    window->host->show();
    QApplication::exec();
    restoreTerminationSignals();
    window.reset();
    return 0;
}
