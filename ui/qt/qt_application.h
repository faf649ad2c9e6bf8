#pragma once
// What every window path needs before its QApplication exists.

// Qt aborts the process when it finds no display at all; the window paths say so with
// exit code 1 instead.
bool displayConfigured();

// While on, a fatal Qt message (a display that is named but unusable) is printed and ends
// the process with 1: the application is half built, there is nothing to clean up.
void exitOnFatalMessages(bool on);
