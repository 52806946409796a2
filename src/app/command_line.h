// The program's one switch: "/min", anywhere in the full command line.
#pragma once

#include <string_view>

// Case-sensitive and untokenised: "/minimize" counts, "/MIN" does not. The
// program's own path is part of the searched text.
bool HasMinimizedSwitch(std::string_view commandLine);
