// The machine the sim program shows when no description is named: the maker's
// three models (one of them locked), a generic stick and an internal disk.
#pragma once

#include <string_view>

#include "platform/sim/machine_description.h"

std::string_view DefaultMachineJson();
MachineDescription DefaultMachineDescription();
