// The simulated machine's own rules where the program's tests lean on them.
// (Its buffer protocols and removals are proven through the program's tests.)
#include <gtest/gtest.h>

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

}  // namespace
