#include "platform/sim/sim_control_window.h"

#include <fstream>
#include <stdexcept>
#include <string>

namespace {

// Sent to the control window itself once the machine has changed.
constexpr UINT WM_SIM_BROADCAST = WM_APP + 0x51;

SimulatedMachine* g_machine = nullptr;
HWND g_controlWindow = nullptr;

std::string RequestText(const COPYDATASTRUCT& request) {
    return std::string(static_cast<const char*>(request.lpData), request.cbData);
}

// A description's disks, each with the volumes whose first extent lies on it.
bool PlugIn(const std::string& json) {
    const MachineDescription description = ParseMachineDescription(json);
    for (const SimDisk& disk : description.disks) {
        std::vector<SimVolume> volumes;
        for (const SimVolume& volume : description.volumes) {
            if (volume.diskNumber == disk.diskNumber) volumes.push_back(volume);
        }
        g_machine->PlugIn(disk, volumes);
    }
    return true;
}

bool WriteJournal(const std::string& path) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << g_machine->JournalText();
    return static_cast<bool>(file);
}

LRESULT HandleRequest(const COPYDATASTRUCT& request) {
    try {
        switch (request.dwData) {
            case sim_control::kPlugIn:
                return PlugIn(RequestText(request));
            case sim_control::kUnplug:
                return g_machine->Unplug(static_cast<DWORD>(std::stoul(RequestText(request))));
            case sim_control::kWriteJournal:
                return WriteJournal(RequestText(request));
            default:
                return FALSE;
        }
    } catch (const std::exception&) {
        return FALSE;  // a request the machine could not take changes nothing
    }
}

BOOL CALLBACK SendDeviceChange(HWND window, LPARAM event) {
    // Windows passes a volume record with these events; the program does not
    // read it, but a faithful message carries one.
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof(volume);
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    ::SendMessageA(window, WM_DEVICECHANGE, static_cast<WPARAM>(event),
                   reinterpret_cast<LPARAM>(&volume));
    return TRUE;
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COPYDATA:
            return HandleRequest(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
        case WM_SIM_BROADCAST:
            // Every top-level window of the program, as the system's broadcast
            // reaches every top-level window.
            ::EnumThreadWindows(::GetCurrentThreadId(), &SendDeviceChange,
                                static_cast<LPARAM>(wParam));
            return 0;
        default:
            return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool CreateSimControlWindow(SimulatedMachine& machine) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ControlWindowProc;
    windowClass.hInstance = ::GetModuleHandleA(nullptr);
    windowClass.lpszClassName = sim_control::kWindowClass;
    if (::RegisterClassA(&windowClass) == 0) return false;
    g_controlWindow = ::CreateWindowExA(0, sim_control::kWindowClass, "", 0, 0, 0, 0, 0,
                                        HWND_MESSAGE, nullptr, windowClass.hInstance, nullptr);
    if (g_controlWindow == nullptr) return false;
    g_machine = &machine;
    // Windows announces a change after the request that caused it has
    // returned, from the message loop; posting keeps that order here.
    machine.SetDeviceChangeCallback(
        [](UINT event) { ::PostMessageA(g_controlWindow, WM_SIM_BROADCAST, event, 0); });
    return true;
}
