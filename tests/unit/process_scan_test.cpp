// Ending processes by executable name: exact names only, never the program's
// own process, the pause only after a scan that ran, every handle closed.
#include <gtest/gtest.h>

#include "eject/process_scan.h"
#include "recording_system_api.h"

namespace {

class ProcessScan : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(system.openHandles, 0); }
    RecordingSystemApi system;
};

TEST_F(ProcessScan, EndsEveryProcessOfExactlyThatNameThenPauses) {
    system.processes = {{10, "Warden.exe"},
                        {11, "WARDEN.EXE"},
                        {12, "Warden.exe"},
                        {13, "Warden.exe.bak"},
                        {14, "MyWarden.exe"}};
    TerminateProcessesByName(system, "Warden.exe");
    EXPECT_EQ(system.terminated, (std::vector<DWORD>{10, 12}));
    EXPECT_EQ(system.sleeps, std::vector<DWORD>{1000});
    EXPECT_EQ(system.calls.front(), "CreateToolhelp32Snapshot(2,0)");
    EXPECT_EQ(system.CountCalls("OpenProcess(1,0,"), 2u);
    EXPECT_EQ(system.CountCalls("TerminateProcess(0)"), 2u);
    EXPECT_EQ(system.CountCalls(std::string("Process32First(") +
                                std::to_string(sizeof(PROCESSENTRY32)) + ")"),
              1u);
}

TEST_F(ProcessScan, PausesAfterACompletedScanEvenWithoutMatch) {
    system.processes = {{10, "explorer.exe"}};
    TerminateProcessesByName(system, "Warden.exe");
    EXPECT_TRUE(system.terminated.empty());
    EXPECT_EQ(system.sleeps, std::vector<DWORD>{1000});
}

TEST_F(ProcessScan, NoPauseWhenTheProcessListCannotBeRead) {
    system.snapshotFails = true;
    TerminateProcessesByName(system, "Warden.exe");
    system.snapshotFails = false;
    system.firstProcessFails = true;
    TerminateProcessesByName(system, "Warden.exe");
    EXPECT_TRUE(system.sleeps.empty());
    EXPECT_EQ(system.CountCalls("CloseHandle"), 1u);  // the second scan's snapshot
}

TEST_F(ProcessScan, ProcessThatCannotBeOpenedIsLeftAndTheScanGoesOn) {
    system.processes = {{10, "Warden.exe"}, {11, "Warden.exe"}};
    system.unopenableProcesses = {10};
    TerminateProcessesByName(system, "Warden.exe");
    EXPECT_EQ(system.terminated, std::vector<DWORD>{11});
}

TEST_F(ProcessScan, OtherInstancesEndButNotThisOneAndWithoutPause) {
    system.processes = {{7, "Korvane_Safe_Eject.exe"},
                        {100, "Korvane_Safe_Eject.exe"},
                        {8, "Korvane_Safe_Eject.exe"},
                        {9, "korvane_safe_eject.exe"},
                        {12, "Korvane_Safe_Eject_sim.exe"}};
    TerminateOtherInstances(system, 100);
    EXPECT_EQ(system.terminated, (std::vector<DWORD>{7, 8}));
    EXPECT_TRUE(system.sleeps.empty());
}

}  // namespace
