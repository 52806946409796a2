// The sim program's hidden control window: how a test reaches into the running
// program's simulated machine (plug a drive in, pull one out, read the
// journal), and how the machine's device changes reach the program's windows
// the way Windows broadcasts them.
#pragma once

#include "platform/sim/simulated_machine.h"

namespace sim_control {
// A message-only window of this class; find it with FindWindowEx(HWND_MESSAGE, ...).
inline constexpr const char* kWindowClass = "KorvaneSimControl";

// WM_COPYDATA requests, by COPYDATASTRUCT::dwData.
enum Request : ULONG_PTR {
    kPlugIn = 1,        // data: a machine description (JSON) of the disks and volumes to attach
    kUnplug = 2,        // data: the disk number, as decimal text
    kWriteJournal = 3,  // data: the Windows path of the file to write the journal to
};
}  // namespace sim_control

// Creates the control window and routes the machine's device changes through
// it. Answers false when the window cannot be created.
bool CreateSimControlWindow(SimulatedMachine& machine);
