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

SimVolume Volume(DWORD disk, const char* mount, const char* label, ULONGLONG freeMB = 1,
                 ULONGLONG totalMB = 2) {
    SimVolume volume = MakeVolume(disk, mount, std::string(label));
    volume.freeBytes = freeMB * kMB;
    volume.totalBytes = totalMB * kMB;
    return volume;
}

constexpr auto Usb = MakeUsbDisk;

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
    Build({InternalDisk(0), Usb(1, "Stick A"), Usb(2, "Stick B"), Usb(3, "Stick C")},
          {Volume(0, "C:\\", "SYSTEM", 1000, 2000), Volume(1, "E:\\", "A"), Volume(2, "F:\\", "B"),
           Volume(3, "G:\\", "C")});
    host.list.m_chosenIndex = 1;  // a choice from before goes
    EXPECT_EQ(Refresh(), 0);

    EXPECT_EQ(host.table.m_driveTexts,
              (std::vector<std::string>{"(E:) A\nStick A  [1MB/2MB Free]",
                                        "(F:) B\nStick B  [1MB/2MB Free]",
                                        "(G:) C\nStick C  [1MB/2MB Free]"}));
    EXPECT_EQ(host.table.m_driveDevInsts, (std::vector<DEVINST>{0x201, 0x301, 0x401}));
    EXPECT_EQ(host.RowTexts()[0], host.table.m_driveTexts[2]);
    for (const auto& [row, entry] : {std::pair{0, 2}, {2, 0}, {3, -1}, {-1, -1}}) {
        EXPECT_EQ(host.table.EntryForRow(row), entry) << row;
    }
    EXPECT_EQ(host.RowIcon(0), ProgramIcon(IDI_GENERIC_DISK));
    EXPECT_EQ(host.list.m_chosenIndex, -1);
    EXPECT_EQ(host.list.GetCurSel(), LB_ERR);
}

TEST_F(DriveDiscovery, UnavailableDeviceSetLeavesListEmptyAndTimerAlone) {
    Build({Usb(1, "Stick")}, {});
    machine->Faults().FailAlways("SetupDiGetClassDevsA");
    host.list.AddItem("stale", nullptr);
    host.list.m_chosenIndex = 0;
    EXPECT_EQ(Refresh(), 1);
    EXPECT_EQ(host.list.GetCount(), 0);  // not even the placeholder
    EXPECT_TRUE(host.table.m_driveDevInsts.empty() && host.table.m_driveTexts.empty());
    EXPECT_EQ(host.list.m_chosenIndex, 0);  // ClearChoice did not run
    EXPECT_TRUE(system.calls.empty());      // no timer call either way
}

// A label that cannot be read starts the retry timer, on every refresh while
// any drive's label stays unreadable; once all read, the timer stops, and a
// timer never started is never stopped.
TEST_F(DriveDiscovery, UnreadableLabelRunsTheRetryTimerUntilItReads) {
    SimVolume locked = Volume(1, "E:\\", "");
    locked.label.reset();
    Build({Usb(2, "Other")}, {Volume(2, "F:\\", "DATA")});
    Refresh();
    EXPECT_TRUE(system.calls.empty());
    Build({Usb(1, "Stick"), Usb(2, "Other")}, {locked, Volume(2, "F:\\", "DATA")});
    Refresh();
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts[0],
              "(E:) (Volume label invalid, try clicking the refresh icon)\nStick  [1MB/2MB Free]");
    EXPECT_EQ(system.calls,
              (std::vector<std::string>{"SetTimer(1,3000,null)", "SetTimer(1,3000,null)"}));
    machine->Unplug(1);
    machine->PlugIn(Usb(1, "Stick"), {Volume(1, "E:\\", "DATA")});
    system.calls.clear();
    Refresh();
    EXPECT_EQ(system.calls, std::vector<std::string>{"KillTimer(1)"});
}

std::string Bare(const std::string& name) {
    return "(?:) Not Formatted\n" + name;
}

// What is listed for machines that are odd or fail at some step: each disk
// concerned is skipped, listed without its volume, or listed with a
// substitute text; the others stay.
TEST_F(DriveDiscovery, OddAndFailingMachines) {
    SimDisk lowercase = Usb(1, "Odd"), noInterface = Usb(2, "Broken"),
            unopenable = Usb(2, "Unopenable"), brokenNode = Usb(3, "Broken node"),
            unnamed = Usb(1, ""), unnumbered = Usb(0, "Unnumbered"), gone = Usb(5, "Gone");
    lowercase.enumerator = "usbstor";  // differs from USBSTOR in case only: not USB
    noInterface.hasInterface = false;
    unopenable.openable = false;
    brokenNode.devInst = 0;
    unnamed.friendlyName.reset();
    unnumbered.deviceNumberReadable = false;   // disk 0 holds a volume below
    gone.present = gone.hasInterface = false;  // remembered by Windows, never looked at
    SimVolume noOpen = Volume(1, "E:\\", "NOOPEN"), spanned = Volume(1, "F:\\", "SPAN"),
              noFree = Volume(1, "E:\\", "DATA"), longest = Volume(1, "E:\\", ""),
              noExtents = Volume(0, "E:\\", "LOST");
    noOpen.openable = false;
    spanned.extentCount = 2;
    noFree.freeSpaceFails = true;
    longest.label = std::string(32, 'L');             // NTFS's longest, 33 bytes with its NUL
    noExtents.diskNumber.reset();                     // on no disk known, not on disk 0
    SimVolume manyPaths = Volume(1, "E:\\", "DATA");  // more than one buffer holds
    for (int i = 0; i < 20; ++i)
        manyPaths.mountPaths.push_back("C:\\mnt\\long-folder-name-" + std::to_string(i) + "\\");
    const std::string longName(10000, 'N');
    struct Case {
        std::vector<SimDisk> disks;
        std::vector<SimVolume> volumes;
        std::vector<std::string> texts;
        const char* failing = "";  // fails on its Nth call
        int call = 0;
    };
    for (const Case& c : std::initializer_list<Case>{
             {{InternalDisk(0), lowercase},
              {Volume(0, "C:\\", "SYS")},
              {"No removal disks found."}},
             {{Usb(1, "Bare"), Usb(2, "Split")},
              {Volume(2, "F:\\", "FIRST"), Volume(2, "G:\\", "SECOND", 3, 4)},
              {Bare("Bare"), "(F:) FIRST\nSplit  [1MB/2MB Free]"}},
             // A member without a disk interface ends the enumeration.
             {{Usb(1, "Before"), noInterface, Usb(3, "After")}, {}, {Bare("Before")}},
             {{Usb(1, "Kept"), unopenable, brokenNode}, {}, {Bare("Kept")}},
             // The second disk's detail size query answers no size.
             {{Usb(1, "Kept"), Usb(4, "No detail")},
              {},
              {Bare("Kept")},
              "SetupDiGetDeviceInterfaceDetailA",
              3},
             {{Usb(1, "Kept"), Usb(5, "No heap")}, {}, {Bare("Kept")}, "HeapAlloc", 2},
             {{Usb(1, "Stick")},
              {noOpen, spanned, Volume(1, "G:\\", "GOOD", 5, 6)},
              {"(G:) GOOD\nStick  [5MB/6MB Free]"}},
             {{Usb(1, "Stick")},
              {Volume(1, "E:\\", "DATA")},
              {Bare("Stick")},
              "FindFirstVolumeA",
              1},
             // Values the platform may leave undefined are never shown or matched.
             {{unnamed, unnumbered},
              {noFree, Volume(0, "F:\\", "NOT MINE")},
              {"(E:) DATA\nUSB Mass Storage Device  [-]", Bare("Unnumbered")}},
             {{gone, Usb(0, "Stick")}, {noExtents}, {Bare("Stick")}},
             {{Usb(1, "Long")},
              {longest},
              {"(E:) " + std::string(32, 'L') + "\nLong  [1MB/2MB Free]"}},
             // "C:\mnt\stick\" makes the device path "\\.\C:mnt\stick\", which
             // names no device: the volume is passed over.
             {{Usb(1, "Stick")}, {Volume(1, "C:\\mnt\\stick\\", "DATA")}, {Bare("Stick")}},
             {{Usb(1, longName)}, {manyPaths}, {"(E:) DATA\n" + longName + "  [1MB/2MB Free]"}},
         }) {
        Build(c.disks, c.volumes);
        if (c.call > 0) machine->Faults().FailOnCall(c.failing, c.call);
        Refresh();
        EXPECT_EQ(host.table.m_driveTexts, c.texts) << machine->JournalText();
        EXPECT_EQ(machine->Leaks(), "");
        // The row holds what fits its record; the table keeps the whole text.
        std::vector<std::string> rows;
        for (auto text = c.texts.rbegin(); text != c.texts.rend(); ++text)
            rows.push_back(text->substr(0, 255));
        EXPECT_EQ(host.RowTexts(), rows);
    }
}

TEST_F(DriveDiscovery, HorizontalExtentFollowsTheLastEntry) {
    // (name + "1MB/2MB Free" + 14) * 5 pixels once that is over 280, else 260.
    for (const auto& [nameLength, extent] : {std::pair<size_t, int>{30, 260}, {31, 285}}) {
        Build({Usb(1, std::string(nameLength, 'x'))}, {Volume(1, "E:\\", "A")});
        Refresh();
        EXPECT_EQ(host.list.GetHorizontalExtent(), extent) << nameLength;
    }
    Build({Usb(1, std::string(100, 'x')), Usb(2, "Short")},
          {Volume(1, "E:\\", "A"), Volume(2, "F:\\", "B")});
    Refresh();
    EXPECT_EQ(host.list.GetHorizontalExtent(), 260);  // (5 + 12 + 14) * 5 = 155
    Build({Usb(2, "Short"), Usb(1, std::string(100, 'x'))},
          {Volume(1, "E:\\", "A"), Volume(2, "F:\\", "B")});
    Refresh();
    EXPECT_EQ(host.list.GetHorizontalExtent(), (100 + 12 + 14) * 5);
    Build({InternalDisk(0)}, {});  // the placeholder scrolls nowhere
    Refresh();
    EXPECT_EQ(host.list.GetHorizontalExtent(), 0);
    EXPECT_EQ(host.RowIcon(0), ProgramIcon(IDI_NO_DRIVES));
}

}  // namespace
