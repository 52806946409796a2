// The simulated machine's own strictness, which every other test leans on:
// the descriptions it refuses, what it counts as leaked, the notices it says
// the user sees and the device IDs it answers. (The code page of its strings
// is in the odd machines of the discovery tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <tuple>

#include "journal_file.h"
#include "platform/sim/default_machine.h"
#include "platform/sim/simulated_machine.h"
#include "platform/string_replace.h"

namespace {

// A description the reader must refuse, with the error it must give.
TEST(SimMachineRules, RefusesEveryDescriptionOfAMachineThatCannotExist) {
    ExpectEachDescription("refused_machines", [](const std::string& description) -> std::string {
        try {
            ParseMachineDescription(description);
            return "accepted";
        } catch (const std::runtime_error& error) {
            return error.what();
        }
    });
}

// Puts a name in place of a buffer's address, which differs from run to run.
void NameBuffer(std::string& text, const void* buffer, const std::string& name) {
    char hex[24];
    std::snprintf(hex, sizeof(hex), "0x%llX", static_cast<unsigned long long>(uintptr_t(buffer)));
    ReplaceAll(text, hex, name);
}

// Each kind of resource left open, given back, given back twice and made up,
// and the opens Windows refuses a standard user: the account, and each answer
// as Windows gives it.
TEST(SimMachineRules, AccountsForEveryResourceHandedOut) {
    SimulatedMachine machine(DefaultMachineDescription());
    for (const auto& [access, share, disposition] :
         {std::tuple<DWORD, DWORD, DWORD>{GENERIC_READ, 3, OPEN_EXISTING},
          {0, FILE_SHARE_READ, OPEN_EXISTING},
          {0, 3, OPEN_ALWAYS}}) {
        machine.CreateFileA("\\\\.\\E:", access, share, nullptr, disposition, 0, nullptr);
    }
    char volumeName[64];
    const GUID disks = GUID_DEVINTERFACE_DISK;
    HDEVINFO set = machine.SetupDiGetClassDevsA(&disks, nullptr, nullptr,
                                                DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    HANDLE file = machine.CreateFileA("\\\\.\\E:", 0, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE search = machine.FindFirstVolumeA(volumeName, sizeof(volumeName));
    HANDLE heap = machine.GetProcessHeap();
    void* heapBuffer = machine.HeapAlloc(heap, 0, 24);
    void* localBuffer = machine.LocalAlloc(LPTR, 40);
    std::string seen = machine.Leaks();
    const auto giveBack = [&] {
        machine.SetupDiDestroyDeviceInfoList(set), machine.CloseHandle(file);
        machine.FindVolumeClose(search), machine.HeapFree(heap, 0, heapBuffer);
        machine.LocalFree(localBuffer);
        seen += "--\n" + machine.Leaks();
    };
    giveBack();
    giveBack();
    const void* const buffers[] = {heapBuffer, localBuffer};
    set = reinterpret_cast<HDEVINFO>(0x7770), file = search = reinterpret_cast<HANDLE>(0x7774);
    heapBuffer = reinterpret_cast<void*>(0x7778), localBuffer = reinterpret_cast<void*>(0x777C);
    giveBack();
    seen += "--\n" + machine.JournalText();
    NameBuffer(seen, buffers[0], "<heap buffer>"), NameBuffer(seen, buffers[1], "<local buffer>");
    ExpectJournal("sim_resource_account", seen);
}

// Whether the user sees the system's own notice of a removal: an eject shows
// one only without veto buffers; a query-and-remove only when vetoed, asked
// with CM_REMOVE_UI_OK and without buffers; a session refused before anything
// is asked never. A granted removal is broadcast, and a volume a running
// process holds vetoes it.
TEST(SimMachineRules, JournalsTheNoticesWindowsShows) {
    SimDisk vetoed = MakeUsbDisk(2, "Vetoed"), refused = MakeUsbDisk(3, "Refused");
    vetoed.eject = EjectBehaviour::Vetoed, refused.eject = EjectBehaviour::AccessDenied;
    SimDisk uas = MakeUsbDisk(5, "SSD");
    uas.enumerator = "SCSI", uas.parentId = "USB\\VID_FFFF&PID_0A55\\OX5000000042";
    uas.interfacePath.clear();
    SimVolume held = MakeVolume(6, "H:\\", "HELD");
    held.heldBy = "Warden.exe";
    SimulatedMachine machine(MachineDescription{
        {MakeUsbDisk(1, "A"), vetoed, refused, MakeUsbDisk(4, "B"), uas, MakeUsbDisk(6, "Held")},
        {held},
        {}});
    bool companionRuns = true;
    machine.SetProcessCheck(
        [&](const std::string& name) { return companionRuns && name == "Warden.exe"; });
    std::string seen;
    machine.SetDeviceChangeCallback(
        [&](UINT event) { seen += "broadcast " + std::to_string(event) + "\n"; });
    PNP_VETO_TYPE type = PNP_VetoTypeUnknown;
    char name[MAX_PATH] = "";
    const auto eject = [&](DEVINST node, bool buffers, ULONG flags = 0) {
        machine.CM_Request_Device_EjectA(node, buffers ? &type : nullptr, buffers ? name : nullptr,
                                         buffers ? MAX_PATH : 0, flags);
    };
    const auto remove = [&](DEVINST node, bool buffers, ULONG flags = CM_REMOVE_UI_OK) {
        machine.CM_Query_And_Remove_SubTreeA(node, buffers ? &type : nullptr,
                                             buffers ? name : nullptr, buffers ? MAX_PATH : 0,
                                             flags);
    };
    // Device instance IDs as Microsoft's CM_Get_Device_ID page has them: the
    // length in characters, an ID of the buffer's whole length without its
    // NUL, a longer one cut to fit (CR_BUFFER_SMALL), nothing written on a
    // refusal. A disk's own ID is the one its interface path spells.
    const std::tuple<DEVINST, ULONG, ULONG> asks[] = {{0x600, 64, 0}, {0x600, 34, 0},
                                                      {0x600, 9, 0},  {0x601, 64, 0},
                                                      {0x900, 64, 0}, {0x600, 64, 1}};
    for (const auto& [node, length, flags] : asks) {
        char id[67] = {};
        std::fill(id, id + 66, '#');
        machine.CM_Get_Device_IDA(node, id, length, flags);
        seen += "id " + std::string(id, std::min<size_t>(std::strlen(id), length + 1)) + "\n";
    }
    machine.CM_Get_Device_IDA(0x600, nullptr, 64, 0);
    eject(0x300, false), eject(0x300, true), remove(0x300, false),
        remove(0x300, false, CM_REMOVE_UI_NOT_OK);
    remove(0x300, true), eject(0x300, false, 1), remove(0x300, false, 0x100);
    seen += "veto " + std::to_string(type) + " " + name + "\n";
    eject(0x400, false), remove(0x400, false);
    remove(0x700, false), companionRuns = false, remove(0x700, false);
    remove(0x200, false), eject(0x500, true), eject(0x600, false), eject(0x200, false);
    ExpectJournal("sim_removal_notices", seen + "--\n" + machine.JournalText());
}

}  // namespace
