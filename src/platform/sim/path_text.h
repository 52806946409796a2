// Path comparisons as Windows makes them for device and volume names: ASCII
// letters compare without regard to case.
#pragma once

#include <string>
#include <string_view>

std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// \\?\Volume{...}\ exactly, with the trailing backslash.
bool IsVolumeGuidPath(std::string_view path);
