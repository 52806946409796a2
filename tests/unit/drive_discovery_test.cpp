// Drive discovery on the simulated machine: which disks are listed, in which
// rows, with which texts, what happens when the machine fails at each step,
// and that every handle, search and buffer is given back on every path.
#include <regex>

#include "drive_list_host.h"
#include "journal_file.h"
#include "main_window_fixture.h"
#include "platform/string_replace.h"

namespace {

class DriveDiscovery : public ::testing::Test {
protected:
    void Build(std::vector<SimDisk> disks, std::vector<SimVolume> volumes) {
        machine = std::make_unique<SimulatedMachine>(MachineOf(disks, volumes));
    }
    int Refresh() { return host.table.Rebuild(*machine, system, host.list, host.m_hWnd); }
    void TearDown() override { EXPECT_EQ(machine->Leaks(), "") << machine->JournalText(); }

    std::unique_ptr<SimulatedMachine> machine;
    RecordingSystemApi system;
    DriveListHost host;
};

// Refuses the list box's second insert, as one out of memory would.
LRESULT CALLBACK RefuseSecondInsert(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR count) {
    if (message == LB_INSERTSTRING && ++*reinterpret_cast<int*>(count) == 2) return LB_ERRSPACE;
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// A row the list box refuses takes its entry with it, or every row after it
// would name its neighbour's drive. Without a device set nothing is listed,
// not even the placeholder, and the choice and the timer are left alone.
TEST_F(DriveDiscovery, ARefusedRowTakesItsEntryAndAFailedSetListsNothing) {
    Build({MakeUsbDisk(1, "A"), MakeUsbDisk(2, "B"), MakeUsbDisk(3, "C")}, {});
    host.list.m_chosenIndex = 1;  // a choice from before goes
    EXPECT_EQ(Refresh(), 0);
    EXPECT_EQ(host.list.m_chosenIndex, -1);
    int inserts = 0;
    ::SetWindowSubclass(host.list.m_hWnd, RefuseSecondInsert, 1, DWORD_PTR(&inserts));
    Refresh();
    ::RemoveWindowSubclass(host.list.m_hWnd, RefuseSecondInsert, 1);
    EXPECT_EQ(host.table.m_driveTexts,
              (std::vector<std::string>{"(?:) Not Formatted\nA", "(?:) Not Formatted\nC"}));
    host.list.m_chosenIndex = 0;
    machine->Faults().FailAlways("SetupDiGetClassDevsA");
    EXPECT_EQ(Refresh(), 1);
    EXPECT_EQ(host.list.GetCount(), 0);
    EXPECT_EQ(host.list.m_chosenIndex, 0);
    EXPECT_TRUE(system.calls.empty());
}

// Machines odd or failing at some step: each disk concerned is skipped,
// listed without its volume, or listed with a substitute text; the others
// stay, and nothing leaks; the list scrolls as far as the last drive needs.
TEST_F(DriveDiscovery, OddAndFailingMachines) {
    ExpectEachDescription("odd_machines", [&](const std::string& description) {
        machine = std::make_unique<SimulatedMachine>(ParseMachineDescription(description));
        Refresh();
        std::string rows;
        for (std::string row : host.RowTexts())
            ReplaceAll(row, "\n", " / "), rows += (rows.empty() ? "" : " | ") + row;
        const std::string leaks = machine->Leaks();
        return (leaks.empty() ? rows : rows + " LEAKED " + leaks) + ", extent " +
               std::to_string(host.list.GetHorizontalExtent());
    });
}

// One stick whose inputs are long or odd: its name and label in ANSI bytes
// above 127, the longest label, a mount-path list longer than the first
// buffer, and a quota that leaves the caller less than the volume's free
// bytes. Every call of the refresh is journalled, in order.
TEST_F(DriveDiscovery, RefreshOfOneStickWithLongInputsIsJournalledWhole) {
    SimVolume volume = Volume(1, "E:\\", "\xC9t\xE9 " + std::string(28, 'L'), 3, 4);
    volume.mountPaths.push_back("C:\\mnt\\" + std::string(300, 'm') + "\\");
    volume.availableBytes = 1 << 20;
    Build({MakeUsbDisk(1, "Cl\xE9 \x80 Stick")}, {volume});
    Refresh();
    EXPECT_EQ(host.table.m_driveTexts,
              std::vector<std::string>{"(E:) \xC9t\xE9 " + std::string(28, 'L') +
                                       "\nCl\xE9 \x80 Stick  [3MB/4MB Free]"});
    // Addresses of real memory, which differ from run to run, are masked.
    ExpectJournal("refresh_one_stick",
                  std::regex_replace(machine->JournalText(), std::regex("0x[0-9A-F]{6,}"), "0x?"));
}

}  // namespace
