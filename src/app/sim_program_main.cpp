// The program on the simulated machine: the machine described by the file
// that KORVANE_SIM_MACHINE names, or the embedded default machine. Tests reach
// the machine through the control window (platform/sim/sim_control_window.h).
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "app/korvane_app.h"
#include "platform/sim/default_machine.h"
#include "platform/sim/sim_control_window.h"
#include "platform/win32/real_system_api.h"

namespace {

MachineDescription ChosenMachine() {
    const char* path = std::getenv("KORVANE_SIM_MACHINE");
    if (path == nullptr || *path == '\0') return DefaultMachineDescription();
    return ReadMachineDescriptionFile(path);
}

SimulatedMachine& Machine() {
    static SimulatedMachine* machine = [] {
        try {
            return new SimulatedMachine(ChosenMachine());
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

RealSystemApi g_system;

}  // namespace

SimProgramApp theApp(Machine(), g_system);
