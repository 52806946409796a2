// The program on the simulated machine: the machine described by the file
// that KORVANE_SIM_MACHINE names, or the embedded default machine. Tests reach
// the machine through the control window (platform/sim/sim_control_window.h).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>

#include "app/korvane_app.h"
#include "eject/process_scan.h"
#include "platform/sim/default_machine.h"
#include "platform/sim/sim_control_window.h"
#include "platform/win32/real_system_api.h"

namespace {

RealSystemApi g_system;

// The real process list: a volume the machine says a running process holds
// (the Warden drive's companion) then vetoes its removal as Windows would.
bool IsProcessRunning(const std::string& exeName) {
    bool running = false;
    ForEachProcess(g_system, [&](const PROCESSENTRY32& entry) {
        running = running || _stricmp(entry.szExeFile, exeName.c_str()) == 0;
    });
    return running;
}

MachineDescription ChosenMachine() {
    const char* path = std::getenv("KORVANE_SIM_MACHINE");
    if (path == nullptr || *path == '\0') return DefaultMachineDescription();
    return ReadMachineDescriptionFile(path);
}

SimulatedMachine& Machine() {
    static SimulatedMachine* machine = [] {
        try {
            auto* machine = new SimulatedMachine(ChosenMachine());
            machine->SetProcessCheck(IsProcessRunning);
            return machine;
        } catch (const std::exception& error) {
            std::fprintf(stderr, "Korvane_Safe_Eject_sim: %s\n", error.what());
            std::exit(2);
        }
    }();
    return *machine;
}

class SimProgramApp : public CKorvane_Safe_EjectApp {
public:
    using CKorvane_Safe_EjectApp::CKorvane_Safe_EjectApp;

    BOOL InitInstance() override {
        CreateSimControlWindow(Machine());
        return CKorvane_Safe_EjectApp::InitInstance();
    }
};

}  // namespace

SimProgramApp theApp(Machine(), g_system);
