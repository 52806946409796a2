#include "app/command_line.h"

// A plain byte search is also right for double-byte code pages: "/" is never
// the second byte of a double-byte character, so no match can start inside one.
bool HasMinimizedSwitch(std::string_view commandLine) {
    return commandLine.find("/min") != std::string_view::npos;
}
