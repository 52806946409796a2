// Ending processes by executable name: exact names only, never the program's
// own process, the pause only after a scan that ran, every handle closed.
#include <gtest/gtest.h>

#include "eject/process_scan.h"
#include "recording_system_api.h"

namespace {

TEST(ProcessScan, EndsExactlyTheNamedProcessesThatItCanOpen) {
    struct Case {
        const char* failing;
        std::vector<RecordingSystemApi::Process> processes;
        std::vector<DWORD> ended;
        size_t pauses;
    };
    const std::vector<RecordingSystemApi::Process> wardens{
        {10, "Warden.exe"}, {11, "WARDEN.EXE"}, {12, "Warden.exe"}, {13, "MyWarden.exe"}};
    for (const Case& c : std::initializer_list<Case>{
             {"", wardens, {10, 12}, 1},
             {"", {{10, "explorer.exe"}}, {}, 1},           // a scan that ran pauses
             {"OpenProcess(1,0,10)", wardens, {12}, 1},     // the unopenable one is left
             {"CreateToolhelp32Snapshot", wardens, {}, 0},  // no process list, no pause
             {"Process32First", wardens, {}, 0},
         }) {
        RecordingSystemApi system;
        system.processes = c.processes;
        if (*c.failing) system.failing[c.failing] = ERROR_ACCESS_DENIED;
        TerminateProcessesByName(system, "Warden.exe");
        EXPECT_EQ(system.terminated, c.ended) << c.failing;
        EXPECT_EQ(system.CountCalls("Sleep(1000)"), c.pauses) << c.failing;
        EXPECT_EQ(system.openHandles, 0);
    }
}

TEST(ProcessScan, OtherInstancesEndButNotThisOneAndWithoutPause) {
    RecordingSystemApi system;
    system.processes = {{7, "Korvane_Safe_Eject.exe"},
                        {100, "Korvane_Safe_Eject.exe"},
                        {8, "Korvane_Safe_Eject.exe"},
                        {9, "korvane_safe_eject.exe"},
                        {12, "Korvane_Safe_Eject_sim.exe"}};
    TerminateOtherInstances(system, 100);
    EXPECT_EQ(system.terminated, (std::vector<DWORD>{7, 8}));
    EXPECT_EQ(system.CountCalls("Sleep"), 0u);
    EXPECT_EQ(system.openHandles, 0);
}

}  // namespace
