// The machine the sim program shows when no description is named: the maker's
// three models (one of them locked), a generic stick, a USB SSD that speaks
// UAS, and two internal disks (SATA and NVMe) that are never listed.
#pragma once

#include <string_view>

#include "platform/sim/machine_description.h"

std::string_view DefaultMachineJson();
MachineDescription DefaultMachineDescription();
