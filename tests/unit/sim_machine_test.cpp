// The simulated machine's own rules where the program's tests lean on them.
// (Its buffer protocols and removals are proven through the program's tests.)
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <tuple>

#include "platform/sim/default_machine.h"
#include "platform/sim/simulated_machine.h"

namespace {

#define EXPECT_MENTIONS(text, part) \
    EXPECT_NE(std::string(text).find(part), std::string::npos) << text

// What Windows refuses a standard user and what the leak account lists.
TEST(SimMachineRules, RefusalsAndLeaks) {
    SimulatedMachine machine(DefaultMachineDescription());
    HANDLE volume = INVALID_HANDLE_VALUE;
    for (const auto& [access, share, disposition, result] :
         std::initializer_list<std::tuple<DWORD, DWORD, DWORD, const char*>>{
             {GENERIC_READ, 3, OPEN_EXISTING, "ERROR_ACCESS_DENIED"},
             {0, FILE_SHARE_READ, OPEN_EXISTING, "ERROR_SHARING_VIOLATION"},
             {0, 3, OPEN_ALWAYS, "ERROR_ACCESS_DENIED"},
             {FILE_READ_ATTRIBUTES, 7, OPEN_EXISTING, "0x"}}) {
        volume = machine.CreateFileA("\\\\.\\E:", access, share, nullptr, disposition, 0, nullptr);
        EXPECT_MENTIONS(machine.Journal().back().result, result);
    }
    EXPECT_MENTIONS(machine.Leaks(), "\"\\\\.\\E:\" not closed");
    EXPECT_TRUE(machine.CloseHandle(volume));
    EXPECT_EQ(machine.Leaks(), "");
    EXPECT_FALSE(machine.CloseHandle(volume));
    EXPECT_MENTIONS(machine.Leaks(), "already closed");
    // The Warden drive's volume is held while its companion runs.
    bool companionRuns = true;
    machine.SetProcessCheck(
        [&](const std::string& name) { return companionRuns && name == "Warden.exe"; });
    EXPECT_EQ(machine.CM_Query_And_Remove_SubTreeA(0x1300, nullptr, nullptr, 0, 0),
              CR_REMOVE_VETOED);
    EXPECT_EQ(machine.Journal().back().result, "CR_REMOVE_VETOED, system notice");
    companionRuns = false;
    EXPECT_EQ(machine.CM_Query_And_Remove_SubTreeA(0x1300, nullptr, nullptr, 0, 0), CR_SUCCESS);
}

// Device instance IDs as Microsoft's CM_Get_Device_ID page has them: the
// length in characters, an ID of the buffer's whole length without its NUL, a
// longer one cut to fit and answered CR_BUFFER_SMALL, nothing written on a
// refusal. A disk's own ID is the one its interface path spells.
TEST(SimMachineRules, DeviceInstanceIds) {
    const std::string uas = "USB\\VID_FFFF&PID_0A55\\OX5000000042", nul(1, '\0');
    SimDisk ssd = MakeUsbDisk(5, "SSD");
    ssd.enumerator = "SCSI", ssd.parentId = uas, ssd.interfacePath.clear();
    SimulatedMachine machine(MachineDescription{{ssd}, {}, {}});
    for (const auto& [node, length, flags, result, written] :
         std::initializer_list<std::tuple<DEVINST, ULONG, ULONG, CONFIGRET, std::string>>{
             {0x600, 64, 0, CR_SUCCESS, uas + nul},
             {0x600, ULONG(uas.size()), 0, CR_SUCCESS, uas + "#"},
             {0x600, 9, 0, CR_BUFFER_SMALL, uas.substr(0, 9) + "#"},
             {0x601, 64, 0, CR_SUCCESS, "SCSI\\DISK&VEN_SIM&PROD_DISK5\\0601" + nul},
             {0x700, 64, 0, CR_NO_SUCH_DEVNODE, "#"},
             {0x600, 64, 1, CR_INVALID_FLAG, "#"}}) {
        char id[64];
        std::fill(std::begin(id), std::end(id), '#');
        EXPECT_EQ(machine.CM_Get_Device_IDA(node, id, length, flags), result) << node;
        EXPECT_EQ(std::string(id, written.size()), written) << node;
    }
    EXPECT_EQ(machine.CM_Get_Device_IDA(0x600, nullptr, 64, 0), CR_INVALID_POINTER);
}

}  // namespace
