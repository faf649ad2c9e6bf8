#pragma once
// Exit codes shared by every command-line mode; each mode uses its own subset.
enum ExitCode : int {
    kSuccess = 0,
    kInvalidArguments = 2,
    kSocketNotCreated = 3,
    kBindFailed = 4,
    kPortNotOpened = 4,
    kSendFailed = 5,
    kOutputNotWritten = 6,
    kNothingReceived = 7,
    kSelfTestFailed = 10,
    kIconNotExported = 2,  // --export-icon: the PNG or the icon file was not written
};
