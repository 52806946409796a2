// Autostart: a shortcut in the user's Startup folder that runs the program
// with "/min", so it starts hidden in the tray at log-on. Its presence is the
// program's only persistent state.
#pragma once

#include <string>

#include "platform/system_api.h"

enum class ShortcutMode { Create = 0, Remove = 1, Check = 3 };

// Create and Remove answer 0 when done and 1 when not; Check answers
// kShortcutPresent or 0.
inline constexpr int kShortcutPresent = 3;
int ManageStartupShortcut(SystemApi& system, ShortcutMode mode);

// Writes a shell link to `linkPath` (over any file of that name); answers the
// result of the last step it reached.
HRESULT CreateStartupLink(SystemApi& system, const std::string& target,
                          const std::wstring& linkPath, const std::string& description);

namespace startup_shortcut {
inline constexpr const char* kArguments = "/min";
inline constexpr const char* kCreateFailed =
    "Unable to set Korvane Safe Eject to auto start with Windows!";
inline constexpr const char* kRemoveFailed =
    "Unable to remove Korvane Safe Eject from auto starting with Windows!";
}  // namespace startup_shortcut
