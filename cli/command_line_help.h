#pragma once
// --help and --version: the only modes that print, both to standard output.
#include <string>
#include <string_view>

#include "../core/option_lookup.h"

inline constexpr std::string_view kHelpMode = "--help";
inline constexpr std::string_view kVersionMode = "--version";
inline constexpr std::string_view kExportIconMode = "--export-icon";
inline constexpr std::string_view kNetworkMode = "--network";

// The usage summary: every mode with its options, defaults, ranges and exit codes, read
// from the same tables the parsers use. Lines are at most kHelpWidth characters.
inline constexpr std::size_t kHelpWidth = 79;
std::string commandLineHelpText();

// "Velmora Lumibox 0.2.1" and a line end.
std::string versionText();

bool isInformationMode(const ArgumentVector& args);

// Prints the summary or the version. Returns 0, or 6 when standard output cannot be written.
int runInformationMode(const ArgumentVector& args);
