// Drive discovery on the simulated machine: which disks are listed, in which
// rows, with which texts, what happens when the machine fails at each step,
// and that every handle, search and buffer is given back on every path.
#include <gtest/gtest.h>

#include <memory>

#include "drive_list_host.h"
#include "drives/drive_enumeration.h"
#include "drives/entry_text.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"

namespace {

constexpr ULONGLONG kMB = 1024 * 1024;

SimVolume Volume(DWORD disk, const char* mount, const char* label, ULONGLONG freeMB,
                 ULONGLONG totalMB) {
    SimVolume volume = MakeVolume(disk, mount, std::string(label));
    volume.freeBytes = freeMB * kMB;
    volume.totalBytes = totalMB * kMB;
    return volume;
}

SimDisk InternalDisk(DWORD number) {
    SimDisk disk = MakeUsbDisk(number, "WDC WD10EZEX-00BN5A0");
    disk.enumerator = "SCSI";
    return disk;
}

class DriveDiscovery : public ::testing::Test {
protected:
    void Build(std::vector<SimDisk> disks, std::vector<SimVolume> volumes) {
        MachineDescription description;
        description.disks = std::move(disks);
        description.volumes = std::move(volumes);
        machine = std::make_unique<SimulatedMachine>(std::move(description));
    }
    int Refresh() { return host.table.Rebuild(*machine, system, host.list, host.m_hWnd); }
    void TearDown() override {
        if (machine) {
            EXPECT_EQ(machine->Leaks(), "") << machine->JournalText();
        }
    }

    std::unique_ptr<SimulatedMachine> machine;
    RecordingSystemApi system;
    DriveListHost host;
};

TEST_F(DriveDiscovery, ListsUsbDisksNewestFirstAndMapsRowsToEntries) {
    Build({InternalDisk(0), MakeUsbDisk(1, "Stick A"), MakeUsbDisk(2, "Stick B"),
           MakeUsbDisk(3, "Stick C")},
          {Volume(0, "C:\\", "SYSTEM", 1000, 2000), Volume(1, "E:\\", "A", 1, 2),
           Volume(2, "F:\\", "B", 1, 2), Volume(3, "G:\\", "C", 1, 2)});
    EXPECT_EQ(Refresh(), 0);

    ASSERT_EQ(host.table.m_driveTexts.size(), 3u);
    EXPECT_EQ(host.table.m_driveTexts[0], "(E:) A\nStick A  [1MB/2MB Free]");
    EXPECT_EQ(host.table.m_driveTexts[2], "(G:) C\nStick C  [1MB/2MB Free]");
    EXPECT_EQ(host.table.m_driveDevInsts,
              (std::vector<DEVINST>{MakeUsbDisk(1, "").devInst, MakeUsbDisk(2, "").devInst,
                                    MakeUsbDisk(3, "").devInst}));
    const std::vector<std::string> rows = host.RowTexts();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], host.table.m_driveTexts[2]);
    EXPECT_EQ(rows[2], host.table.m_driveTexts[0]);
    EXPECT_EQ(host.table.EntryForRow(0), 2);
    EXPECT_EQ(host.table.EntryForRow(2), 0);
    EXPECT_EQ(host.table.EntryForRow(3), -1);
    EXPECT_EQ(host.table.EntryForRow(-1), -1);
    EXPECT_EQ(host.RowIcon(0), ProgramIcon(IDI_GENERIC_DISK));
    EXPECT_EQ(host.list.m_chosenIndex, -1);
    EXPECT_EQ(host.list.GetCurSel(), LB_ERR);
}

TEST_F(DriveDiscovery, PlaceholderWhenNoUsbDiskIsPresent) {
    // An enumerator that differs from USBSTOR only in case is not USB.
    SimDisk lowercase = MakeUsbDisk(1, "Odd");
    lowercase.enumerator = "usbstor";
    Build({InternalDisk(0), lowercase}, {Volume(0, "C:\\", "SYSTEM", 1000, 2000)});
    EXPECT_EQ(Refresh(), 0);
    EXPECT_EQ(host.RowTexts(), std::vector<std::string>{"No removal disks found."});
    EXPECT_EQ(host.table.m_driveDevInsts, std::vector<DEVINST>{0});
    EXPECT_EQ(host.table.m_driveTexts, std::vector<std::string>{"No removal disks found."});
    EXPECT_EQ(host.RowIcon(0), ProgramIcon(IDI_NO_DRIVES));
    EXPECT_EQ(host.list.GetHorizontalExtent(), 0);
}

TEST_F(DriveDiscovery, UnavailableDeviceSetLeavesListEmptyAndTimerAlone) {
    Build({MakeUsbDisk(1, "Stick")}, {});
    machine->Faults().FailAlways("SetupDiGetClassDevsA");
    host.list.AddItem("stale", nullptr);
    host.list.m_chosenIndex = 0;
    EXPECT_EQ(Refresh(), 1);
    EXPECT_EQ(host.list.GetCount(), 0);  // not even the placeholder
    EXPECT_TRUE(host.table.m_driveDevInsts.empty());
    EXPECT_TRUE(host.table.m_driveTexts.empty());
    EXPECT_EQ(host.list.m_chosenIndex, 0);  // ClearChoice did not run
    EXPECT_TRUE(system.calls.empty());      // no timer call either way
}

TEST_F(DriveDiscovery, UnreadableLabelRunsTheRetryTimerUntilItReads) {
    SimVolume locked = Volume(1, "E:\\", "", 1, 2);
    locked.label.reset();
    Build({MakeUsbDisk(1, "Stick")}, {locked});
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts[0],
              "(E:) (Volume label invalid, try clicking the refresh icon)\nStick  [1MB/2MB Free]");
    EXPECT_EQ(system.calls, std::vector<std::string>{"SetTimer(1,3000,null)"});
    EXPECT_EQ(host.table.m_retryTimer, 1u);

    Refresh();  // still unreadable: started again
    EXPECT_EQ(system.CountCalls("SetTimer"), 2u);

    // Once the label reads, the timer stops.
    machine->Unplug(1);
    machine->PlugIn(MakeUsbDisk(1, "Stick"), {Volume(1, "E:\\", "DATA", 1, 2)});
    system.calls.clear();
    Refresh();
    EXPECT_EQ(system.calls, std::vector<std::string>{"KillTimer(1)"});
}

TEST_F(DriveDiscovery, TimerIsNotStoppedWhenItWasNeverStarted) {
    Build({MakeUsbDisk(1, "Stick")}, {Volume(1, "E:\\", "DATA", 1, 2)});
    Refresh();
    EXPECT_TRUE(system.calls.empty());
}

TEST_F(DriveDiscovery, DiskWithoutVolumeAndDiskWithTwoVolumes) {
    Build({MakeUsbDisk(1, "Bare"), MakeUsbDisk(2, "Split")},
          {Volume(2, "F:\\", "FIRST", 1, 2), Volume(2, "G:\\", "SECOND", 3, 4)});
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts,
              (std::vector<std::string>{"(?:) Not Formatted\nBare",
                                        "(F:) FIRST\nSplit  [1MB/2MB Free]"}));
}

TEST_F(DriveDiscovery, MemberWithoutDiskInterfaceEndsTheEnumeration) {
    SimDisk noInterface = MakeUsbDisk(2, "Broken");
    noInterface.hasInterface = false;
    Build({MakeUsbDisk(1, "Before"), noInterface, MakeUsbDisk(3, "After")}, {});
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts, std::vector<std::string>{"(?:) Not Formatted\nBefore"});
    EXPECT_EQ(machine->CountCalls("SetupDiEnumDeviceInfo"), 2u);
}

// Each row of the failure table: the disk concerned is skipped, listed
// without its volume, or listed with a substitute text; the others stay.
TEST_F(DriveDiscovery, SkipsDisksThatCannotBeExamined) {
    SimDisk unopenable = MakeUsbDisk(2, "Unopenable");
    unopenable.openable = false;
    SimDisk brokenNode = MakeUsbDisk(3, "Broken node");
    brokenNode.devInst = 0;
    Build({MakeUsbDisk(1, "Kept"), unopenable, brokenNode, MakeUsbDisk(4, "No detail"),
           MakeUsbDisk(5, "No heap")},
          {});
    // Two detail calls per disk: the fourth disk's size query answers no size.
    machine->Faults().FailOnCall("SetupDiGetDeviceInterfaceDetailA", 7);
    machine->Faults().FailOnCall("HeapAlloc", 4);  // the fifth disk's detail buffer
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts, std::vector<std::string>{"(?:) Not Formatted\nKept"});
}

TEST_F(DriveDiscovery, VolumesThatCannotBeTiedToTheDiskArePassedOver) {
    SimVolume unopenable = Volume(1, "E:\\", "NOOPEN", 1, 2);
    unopenable.openable = false;
    SimVolume spanned = Volume(1, "F:\\", "SPANNED", 1, 2);
    spanned.extentCount = 2;
    Build({MakeUsbDisk(1, "Stick")}, {unopenable, spanned, Volume(1, "G:\\", "GOOD", 5, 6)});
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts,
              std::vector<std::string>{"(G:) GOOD\nStick  [5MB/6MB Free]"});
}

TEST_F(DriveDiscovery, VolumeSearchThatCannotStartListsTheDiskWithoutVolume) {
    Build({MakeUsbDisk(1, "Stick")}, {Volume(1, "E:\\", "DATA", 1, 2)});
    machine->Faults().FailAlways("FindFirstVolumeA");
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts, std::vector<std::string>{"(?:) Not Formatted\nStick"});
}

// Values the platform may leave undefined are never shown or matched.
TEST_F(DriveDiscovery, UnreadableFactsGetSoundSubstitutes) {
    SimDisk unnamed = MakeUsbDisk(1, "");
    unnamed.friendlyName.reset();
    SimDisk unnumbered = MakeUsbDisk(0, "Unnumbered");  // disk 0 holds a volume below
    unnumbered.deviceNumberReadable = false;
    SimVolume noFreeSpace = Volume(1, "E:\\", "DATA", 1, 2);
    noFreeSpace.freeSpaceFails = true;
    Build({unnamed, unnumbered}, {noFreeSpace, Volume(0, "F:\\", "NOT MINE", 1, 2)});
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts,
              (std::vector<std::string>{"(E:) DATA\nUSB Mass Storage Device  [-]",
                                        "(?:) Not Formatted\nUnnumbered"}));
}

TEST_F(DriveDiscovery, LongNamesAndPathListsAreReadWhole) {
    const std::string longName(10000, 'N');
    SimVolume manyPaths = Volume(1, "E:\\", "DATA", 1, 2);
    for (int i = 0; i < 20; ++i) {
        manyPaths.mountPaths.push_back("C:\\mnt\\a-rather-long-folder-name-" + std::to_string(i) +
                                       "\\");
    }
    Build({MakeUsbDisk(1, longName)}, {manyPaths});
    Refresh();
    const std::string expected = "(E:) DATA\n" + longName + "  [1MB/2MB Free]";
    EXPECT_EQ(host.table.m_driveTexts, std::vector<std::string>{expected});
    // The row holds what fits its record; the table keeps the whole text.
    EXPECT_EQ(host.RowTexts(), std::vector<std::string>{expected.substr(0, 255)});
    EXPECT_EQ(host.list.GetHorizontalExtent(), (10000 + 12 + 14) * 5);
}

TEST_F(DriveDiscovery, HorizontalExtentFollowsTheLastEntry) {
    Build({MakeUsbDisk(1, std::string(100, 'x')), MakeUsbDisk(2, "Short")},
          {Volume(1, "E:\\", "A", 1, 2), Volume(2, "F:\\", "B", 1, 2)});
    Refresh();
    EXPECT_EQ(host.list.GetHorizontalExtent(), 260);  // (5 + 12 + 14) * 5 = 155
    Build({MakeUsbDisk(2, "Short"), MakeUsbDisk(1, std::string(100, 'x'))},
          {Volume(1, "E:\\", "A", 1, 2), Volume(2, "F:\\", "B", 1, 2)});
    Refresh();
    EXPECT_EQ(host.list.GetHorizontalExtent(), (100 + 12 + 14) * 5);
}

// The calls for one USB disk, in their order, as Windows would see them.
TEST_F(DriveDiscovery, MakesItsCallsInOrder) {
    Build({MakeUsbDisk(1, "Stick")}, {Volume(1, "E:\\", "DATA", 1, 2)});
    Refresh();
    const std::vector<std::string> expected{
        "SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo",
        // enumerator name: size query, a buffer twice the size, read
        "SetupDiGetDeviceRegistryPropertyA", "GetLastError", "LocalAlloc",
        "SetupDiGetDeviceRegistryPropertyA",
        // the friendly name fits the same buffer
        "SetupDiGetDeviceRegistryPropertyA", "SetupDiEnumDeviceInterfaces",
        "SetupDiGetDeviceInterfaceDetailA", "GetProcessHeap", "HeapAlloc",
        "SetupDiGetDeviceInterfaceDetailA", "CreateFileA", "DeviceIoControl", "CloseHandle",
        "FindFirstVolumeA", "GetVolumeInformationA", "GetVolumePathNamesForVolumeNameA",
        "CreateFileA", "DeviceIoControl", "CloseHandle", "GetDiskFreeSpaceExA", "FindVolumeClose",
        // the disk is done: its detail buffer, then its property buffer
        "GetProcessHeap", "HeapFree", "LocalFree", "SetupDiEnumDeviceInfo",
        "SetupDiDestroyDeviceInfoList"};
    EXPECT_EQ(machine->CallNames(), expected) << machine->JournalText();
    const auto& journal = machine->Journal();
    EXPECT_EQ(journal[0].arguments, "GUID_DEVINTERFACE_DISK, NULL, NULL, 0x12")
        << machine->JournalText();
}

// Random failures in every call: whatever fails, nothing is left open.
TEST_F(DriveDiscovery, ReleasesEverythingWhateverFails) {
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        Build({MakeUsbDisk(1, "A"), InternalDisk(0), MakeUsbDisk(2, "B")},
              {Volume(0, "C:\\", "SYS", 1, 2), Volume(1, "E:\\", "A", 1, 2),
               Volume(2, "F:\\", "B", 1, 2)});
        // Every call that hands something out or answers a question; the
        // calls that give things back are the ones under test.
        for (const char* function :
             {"SetupDiEnumDeviceInfo", "SetupDiGetDeviceRegistryPropertyA",
              "SetupDiEnumDeviceInterfaces", "SetupDiGetDeviceInterfaceDetailA", "CreateFileA",
              "DeviceIoControl", "FindFirstVolumeA", "FindNextVolumeA", "GetVolumeInformationA",
              "GetVolumePathNamesForVolumeNameA", "GetDiskFreeSpaceExA", "HeapAlloc",
              "LocalAlloc"}) {
            machine->Faults().FailRandomly(function, 0.15, seed);
        }
        Refresh();
        EXPECT_EQ(machine->Leaks(), "") << "seed " << seed << "\n" << machine->JournalText();
        EXPECT_EQ(host.table.m_driveTexts.size(), host.table.m_driveDevInsts.size());
        EXPECT_EQ(static_cast<size_t>(host.list.GetCount()), host.table.m_driveTexts.size());
    }
}

}  // namespace
