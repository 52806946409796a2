// Ejecting the chosen drive: which device is asked for, with which call, what
// the Warden rule does, and what never happens (a request for an unknown node,
// a read outside the table).
#include <functional>

#include "eject/eject_request.h"
#include "main_window_fixture.h"
// After the SDK's base headers, which it expects to be in place already.
#include <commctrl.h>

namespace {

constexpr ULONGLONG kMB = 1024 * 1024;

SimVolume VolumeOn(DWORD disk, const char* mount, std::optional<std::string> label,
                   bool freeSpaceFails = false) {
    SimVolume volume = MakeVolume(disk, mount, std::move(label));
    volume.totalBytes = 2000 * kMB;
    volume.freeBytes = 1000 * kMB;
    volume.freeSpaceFails = freeSpaceFails;
    return volume;
}

std::string JournalHex(DWORD value) {
    char text[16];
    std::snprintf(text, sizeof(text), "0x%lX", static_cast<unsigned long>(value));
    return text;
}

class EjectTest : public MainWindowTest {
protected:
    void Choose(int row) { List().m_chosenIndex = row; }
    void Eject() { Command(IDC_DRIVE_LIST, LBN_DBLCLK); }
    std::vector<std::string> ConfigManagerCalls() const {
        std::vector<std::string> calls;
        for (const JournalEntry& entry : machine->Journal()) {
            if (entry.function.rfind("CM_", 0) == 0) {
                calls.push_back(entry.function + "(" + entry.arguments + ")");
            }
        }
        return calls;
    }
    void UseWarden(std::optional<std::string> label, bool freeSpaceFails) {
        SimDisk warden = MakeUsbDisk(3, "QN Warden USB Device");
        CreateWindowOn(
            MachineOf({warden}, {VolumeOn(3, "G:\\", std::move(label), freeSpaceFails)}));
        system.processes = {
            {40, "Warden.exe"}, {41, "warden.exe"}, {42, "Warden.exe"}, {43, "explorer.exe"}};
        Choose(0);
    }
};

TEST_F(EjectTest, RowsMapToDrivesNewestFirst) {
    for (const auto& [row, ejected] : {std::pair<int, DWORD>{0, 3}, {1, 2}, {2, 1}}) {
        CreateWindowOn(MachineOf(
            {MakeUsbDisk(1, "First"), MakeUsbDisk(2, "Second"), MakeUsbDisk(3, "Third")}, {}));
        Choose(row);
        Eject();
        const std::vector<std::string> calls = ConfigManagerCalls();
        ASSERT_EQ(calls.size(), 3u) << machine->JournalText();
        EXPECT_EQ(calls[0],
                  "CM_Get_Parent(out, " + JournalHex(MakeUsbDisk(ejected, "").devInst) + ", 0x0)");
        EXPECT_EQ(calls[2].rfind(
                      "CM_Request_Device_EjectA(" + JournalHex(MakeUsbDisk(ejected, "").parent), 0),
                  0u)
            << calls[2];
        for (DWORD disk : {1, 2, 3}) EXPECT_EQ(machine->HasDisk(disk), disk != ejected) << row;
        EXPECT_EQ(dialog->m_driveTexts.size(), 2u);
        EXPECT_EQ(List().m_chosenIndex, -1);
    }
}

TEST_F(EjectTest, EjectRequestHasTheArgumentsOfASilentRequest) {
    CreateWindowOn(MachineOf({MakeUsbDisk(1, "Stick")}, {}));
    Choose(0);
    Eject();
    const std::vector<std::string> calls = ConfigManagerCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].find("CM_Get_DevNode_Status(out, out, "), 0u) << calls[1];
    // No veto type, no veto name, length 0, flags 0: any notice is the system's own.
    EXPECT_NE(calls[2].find(", NULL, NULL, 0, 0x0)"), std::string::npos) << calls[2];
}

TEST_F(EjectTest, ParentWithoutRemovableBitIsQueriedAndRemoved) {
    SimDisk disk = MakeUsbDisk(1, "Card reader");
    disk.parentStatus = DN_STARTED | DN_DRIVER_LOADED;
    CreateWindowOn(MachineOf({disk}, {}));
    Choose(0);
    Eject();
    const std::vector<std::string> calls = ConfigManagerCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[2].rfind("CM_Query_And_Remove_SubTreeA(", 0), 0u) << calls[2];
    EXPECT_FALSE(machine->HasDisk(1));
}

TEST_F(EjectTest, FailedStatusQuerySelectsQueryAndRemove) {
    SimDisk disk = MakeUsbDisk(1, "Stick");
    disk.parentStatusFails = true;
    CreateWindowOn(MachineOf({disk}, {}));
    Choose(0);
    Eject();
    EXPECT_EQ(machine->CountCalls("CM_Query_And_Remove_SubTreeA"), 1u);
    EXPECT_EQ(machine->CountCalls("CM_Request_Device_EjectA"), 0u);
}

TEST_F(EjectTest, RefusedRequestRebuildsTheListWithTheDriveStillThere) {
    SimDisk disk = MakeUsbDisk(1, "Busy");
    disk.eject = EjectBehaviour::Vetoed;
    CreateWindowOn(MachineOf({disk}, {}));
    Choose(0);
    const size_t before = Refreshes();
    Eject();
    EXPECT_EQ(Refreshes() - before, 1u);
    EXPECT_EQ(dialog->m_driveTexts, std::vector<std::string>{"(?:) Not Formatted\nBusy"});
    EXPECT_EQ(List().m_chosenIndex, -1);  // the choice was used up
    EXPECT_TRUE(system.messageBoxes.empty());
}

TEST_F(EjectTest, ActiveWardenDriveIsOnlyWarnedAbout) {
    UseWarden("VAULT", false);
    const size_t before = Refreshes();
    Eject();
    EXPECT_EQ(system.messageBoxes,
              std::vector<std::string>{
                  "QN Warden Drive currently active!|You must choose \"Lock\" or \"Lock and "
                  "exit\" in the Warden Application before you can eject this drive.|0x30"});
    EXPECT_TRUE(ConfigManagerCalls().empty());
    EXPECT_TRUE(system.terminated.empty());
    EXPECT_EQ(Refreshes(), before);
    EXPECT_EQ(List().m_chosenIndex, 0);
}

TEST_F(EjectTest, LockedWardenDriveEndsTheCompanionPausesAndEjects) {
    UseWarden(std::nullopt, true);  // locked: no label, no free space ("[-]")
    Eject();
    EXPECT_EQ(system.terminated, (std::vector<DWORD>{40, 42}));
    EXPECT_EQ(system.sleeps, std::vector<DWORD>{1000});
    EXPECT_EQ(system.openHandles, 0);
    EXPECT_EQ(machine->CountCalls("CM_Request_Device_EjectA"), 1u);
    EXPECT_TRUE(system.messageBoxes.empty());
}

TEST_F(EjectTest, WardenWithoutVolumeIsAnOrdinaryDrive) {
    CreateWindowOn(MachineOf({MakeUsbDisk(3, "QN Warden USB Device")}, {}));
    system.processes = {{40, "Warden.exe"}};
    system.calls.clear();
    Choose(0);
    Eject();
    EXPECT_EQ(system.CountCalls("CreateToolhelp32Snapshot"), 0u);
    EXPECT_EQ(machine->CountCalls("CM_Request_Device_EjectA"), 1u);
}

TEST_F(EjectTest, AnyDriveWhoseTextCarriesTheWardenMarkIsHeldToTheRule) {
    CreateWindowOn(MachineOf({MakeUsbDisk(1, "Other make")},
                             {VolumeOn(1, "E:\\", std::string("Korvane Warden X"))}));
    Choose(0);
    Eject();
    EXPECT_EQ(system.messageBoxes.size(), 1u);
    EXPECT_TRUE(ConfigManagerCalls().empty());
}

TEST_F(EjectTest, PlaceholderRowOnlyClearsTheChoice) {
    CreateWindowOn(MachineOf({}, {}));
    List().SetCurSel(0);
    Choose(0);
    const size_t before = Refreshes();
    Eject();
    EXPECT_EQ(List().m_chosenIndex, -1);
    EXPECT_EQ(List().GetCurSel(), LB_ERR);
    EXPECT_TRUE(ConfigManagerCalls().empty());
    EXPECT_EQ(Refreshes(), before);
}

TEST_F(EjectTest, NoChosenRowDoesNothing) {
    const size_t before = machine->Journal().size();
    Eject();
    EXPECT_EQ(machine->Journal().size(), before);
}

TEST_F(EjectTest, RowOutsideTheTableReadsNothingAndEjectsNothing) {
    machine->Faults().FailAlways("SetupDiGetClassDevsA");
    Send(WM_TIMER, 1);  // the table is now empty
    ASSERT_TRUE(dialog->m_driveDevInsts.empty());
    for (int row : {0, 3, 1000, -2}) {
        Choose(row);
        Eject();
        EXPECT_TRUE(ConfigManagerCalls().empty()) << row;
        EXPECT_EQ(List().m_chosenIndex, -1) << row;
    }
}

TEST_F(EjectTest, FailedParentLookupSendsNoRequest) {
    SimDisk disk = MakeUsbDisk(1, "Orphan");
    disk.parentLookupFails = true;
    CreateWindowOn(MachineOf({disk}, {}));
    Choose(0);
    const size_t before = Refreshes();
    Eject();
    EXPECT_EQ(ConfigManagerCalls().size(), 1u);  // CM_Get_Parent alone
    EXPECT_EQ(Refreshes() - before, 1u);
    EXPECT_TRUE(machine->HasDisk(1));
}

TEST_F(EjectTest, DeviceChangeWhileTheWarningIsOpenChangesNothingAfterIt) {
    UseWarden("VAULT", false);
    system.duringMessageBox = [this] {
        machine->Unplug(3);
        Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE);
    };
    Eject();
    EXPECT_TRUE(ConfigManagerCalls().empty());
    EXPECT_EQ(dialog->m_driveTexts, std::vector<std::string>{"No removal disks found."});
}

TEST_F(EjectTest, EnterEjectsOnlyWhenTheListHasTheFocus) {
    CreateWindowOn(MachineOf({MakeUsbDisk(1, "Stick")}, {}));
    Choose(0);
    // Another control of the window takes the focus.
    HWND other = ::CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 20, 10,
                                   Window(), nullptr, nullptr, nullptr);
    ::SetFocus(other);
    Command(IDOK, BN_CLICKED);
    EXPECT_TRUE(ConfigManagerCalls().empty());
    EXPECT_TRUE(::IsWindowVisible(Window()));
    ::SetFocus(List().m_hWnd);
    Command(IDOK, BN_CLICKED);
    EXPECT_EQ(machine->CountCalls("CM_Request_Device_EjectA"), 1u);
    EXPECT_TRUE(::IsWindowVisible(Window()));
}

// The label-retry timer rebuilds every 3 seconds while the locked Warden is
// plugged in: the user's choice has to outlive rebuilds and follow its drive
// when rows move, and go only with the drive.
TEST_F(EjectTest, ChoiceFollowsItsDriveThroughRebuilds) {
    const struct {
        const char* between;
        std::function<void()> happen;
        int row;  // where the chosen generic stick (disk 4) stands then
    } cases[] = {
        {"timer ticks",
         [this] {
             for (int tick = 0; tick < 3; ++tick) Send(WM_TIMER, DriveTable::kRetryTimerId);
         },
         0},
        {"a drive plugged in",
         [this] {
             machine->PlugIn(MakeUsbDisk(7, "New"), {});
             Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
         },
         1},
        {"the chosen drive pulled out",
         [this] {
             machine->Unplug(4);
             Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE);
         },
         -1},
    };
    for (const auto& [between, happen, row] : cases) {
        CreateWindowOn(DefaultMachineDescription());
        ASSERT_EQ(dialog->m_retryTimer, DriveTable::kRetryTimerId) << "the timer runs";
        ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
        ::SendMessageA(List().m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
        happen();
        EXPECT_EQ(List().m_chosenIndex, row) << between;
        EXPECT_EQ(List().GetCurSel(), row < 0 ? LB_ERR : row) << between;
        ::SetFocus(List().m_hWnd);
        Command(IDOK, BN_CLICKED);
        const std::vector<std::string> calls = ConfigManagerCalls();
        EXPECT_EQ(calls.empty() ? "" : calls[0], row < 0 ? "" : "CM_Get_Parent(out, 0x1401, 0x0)")
            << between;
    }
}

// Row r shows entry count - 1 - r only while every row has its entry and
// every entry its row: a row the list box refuses takes its entry with it.
LRESULT CALLBACK RefuseSecondInsert(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR count) {
    if (message == LB_INSERTSTRING && ++*reinterpret_cast<int*>(count) == 2) return LB_ERRSPACE;
    return ::DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(EjectTest, RowTheListBoxRefusesLeavesNoEntryBehind) {
    int inserts = 0;
    const SUBCLASSPROC refuseSecond = RefuseSecondInsert;
    ASSERT_TRUE(
        ::SetWindowSubclass(List().m_hWnd, refuseSecond, 1, reinterpret_cast<DWORD_PTR>(&inserts)));
    Command(IDC_REFRESH_ICON, STN_CLICKED);
    ::RemoveWindowSubclass(List().m_hWnd, refuseSecond, 1);
    ASSERT_EQ(List().GetCount(), 3);
    EXPECT_EQ(List().RecordCount(), 3u);
    ASSERT_EQ(dialog->m_driveTexts.size(), 3u);
    EXPECT_EQ(dialog->m_driveDevInsts, (std::vector<DEVINST>{0x1101, 0x1301, 0x1401}));
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(static_cast<const CExtItem*>(List().GetItemDataPtr(row))->m_text,
                  dialog->m_driveTexts[2 - row])
            << row;
    }
}

}  // namespace
