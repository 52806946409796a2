// Ending processes by executable name: exact names only, never the program's
// own process, the pause only after a scan that ran, every handle closed.
#include <gtest/gtest.h>

#include "eject/process_scan.h"
#include "recording_system_api.h"

namespace {

TEST(ProcessScan, EndsExactlyTheNamedProcessesThatItCanOpen) {
    struct Case {
        std::vector<RecordingSystemApi::Process> processes;
        bool snapshotFails, firstFails;
        std::set<DWORD> unopenable;
        std::vector<DWORD> ended, sleeps;
    };
    const std::vector<RecordingSystemApi::Process> wardens{
        {10, "Warden.exe"}, {11, "WARDEN.EXE"}, {12, "Warden.exe"}, {13, "MyWarden.exe"}};
    for (const Case& c : std::initializer_list<Case>{
             {wardens, false, false, {}, {10, 12}, {1000}},
             {{{10, "explorer.exe"}}, false, false, {}, {}, {1000}},  // a scan that ran pauses
             {wardens, false, false, {10}, {12}, {1000}},             // the unopenable one is left
             {wardens, true, false, {}, {}, {}},                      // no process list, no pause
             {wardens, false, true, {}, {}, {}},
         }) {
        RecordingSystemApi system;
        system.processes = c.processes;
        system.snapshotFails = c.snapshotFails;
        system.firstProcessFails = c.firstFails;
        system.unopenableProcesses = c.unopenable;
        TerminateProcessesByName(system, "Warden.exe");
        EXPECT_EQ(system.terminated, c.ended);
        EXPECT_EQ(system.sleeps, c.sleeps);
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
    EXPECT_TRUE(system.sleeps.empty());
    EXPECT_EQ(system.openHandles, 0);
}

}  // namespace
