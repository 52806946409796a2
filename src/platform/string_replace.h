// Text substitution shared by the entry texts and the shortcut paths.
#pragma once

#include <string>
#include <string_view>

// Replaces every occurrence of `from` in `text`, scanning left to right and
// never rescanning inserted text; an empty `from` changes nothing.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to);

bool Contains(std::string_view text, std::string_view part);
