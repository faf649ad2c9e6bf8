#pragma once
#include <string>

// --export-icon: writes path + ".png" and the icon file at path. Returns 0 or 2.
int exportIcon(const std::string& path);
