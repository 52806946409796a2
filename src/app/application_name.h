// The application name: the executable's file name without folder and
// extension. It captions every message box and names the Startup shortcut.
#pragma once

#include <string>

#include "platform/system_api.h"

std::string ApplicationName(SystemApi& system);

// The name part of a module path: "C:\A\Korvane_Safe_Eject.exe" gives
// "Korvane_Safe_Eject".
std::string ApplicationNameFromPath(const std::string& modulePath);
