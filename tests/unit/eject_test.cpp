// Ejecting the chosen drive: which device is asked for, with which call and
// arguments, what the Warden rule does and how its companion is ended, and
// what never happens (a request for an unknown node, a read outside the table).
#include <functional>

#include "eject/process_scan.h"
#include "main_window_fixture.h"

namespace {

class EjectTest : public MainWindowTest {
protected:
    void EjectRow(int row) {
        List().m_chosenIndex = row;
        Command(IDC_DRIVE_LIST, LBN_DBLCLK);
    }
    // "function(arguments) -> result" of each configuration-manager call.
    std::vector<std::string> ConfigManagerCalls() const {
        std::vector<std::string> calls;
        for (const JournalEntry& entry : machine->Journal())
            if (entry.function.rfind("CM_", 0) == 0) calls.push_back(ToString(entry));
        return calls;
    }
};

// The parent's state picks the request; no veto type, no veto name, length 0
// and flags 0 leave any notice to the system, which gives one for an eject and
// for a vetoed removal, not for a granted one. A UAS disk is asked for through
// its USB parent as a USBSTOR disk is. The list is rebuilt after any request;
// a refusal leaves the drive listed, and the one Windows keeps quiet about (a
// session that may not eject) gets the program's own box, owned by the window.
TEST_F(EjectTest, RequestFollowsTheParentAndLetsTheSystemSpeak) {
    const std::string parent = "CM_Get_Parent(out, 0x201, 0x0) -> CR_SUCCESS, parent 0x200",
                      status = "CM_Get_DevNode_Status(out, out, 0x200, 0x0) -> CR_SUCCESS",
                      eject = "CM_Request_Device_EjectA(0x200, NULL, NULL, 0, 0x0) -> ",
                      remove = "CM_Query_And_Remove_SubTreeA(0x200, NULL, NULL, 0, 0x0) -> ",
                      denied =
                          "Korvane_Safe_Eject|Windows did not allow this session to eject the "
                          "disk. Use Safely Remove Hardware, or sign in at the computer.|0x0";
    const auto fixed = [](SimDisk& d) { d.parentStatus = DN_STARTED | DN_DRIVER_LOADED; };
    const std::pair<std::function<void(SimDisk&)>, std::vector<std::string>> cases[] = {
        {[](SimDisk&) {}, {parent, status, eject + "CR_SUCCESS, system notice"}},
        {[](SimDisk& d) { d.enumerator = "SCSI", d.parentId = "USB\\VID_FFFF&PID_0A55\\1"; },
         {parent, status, eject + "CR_SUCCESS, system notice"}},
        {fixed, {parent, status, remove + "CR_SUCCESS"}},
        {[&](SimDisk& d) { fixed(d), d.eject = EjectBehaviour::Vetoed; },
         {parent, status, remove + "CR_REMOVE_VETOED, system notice"}},
        {[](SimDisk& d) { d.parentStatusFails = true; },
         {parent, "CM_Get_DevNode_Status(out, out, 0x200, 0x0) -> CR_FAILURE",
          remove + "CR_SUCCESS"}},
        {[](SimDisk& d) { d.eject = EjectBehaviour::Vetoed; },
         {parent, status, eject + "CR_REMOVE_VETOED, system notice"}},
        {[](SimDisk& d) { d.eject = EjectBehaviour::AccessDenied; },
         {parent, status, eject + "CR_ACCESS_DENIED"}},
        {[](SimDisk& d) { d.parentLookupFails = true; },
         {"CM_Get_Parent(out, 0x201, 0x0) -> CR_NO_SUCH_DEVNODE"}},
    };
    for (const auto& [make, calls] : cases) {
        SimDisk disk = MakeUsbDisk(1, "Stick");
        make(disk);
        CreateWindowOn(MachineOf({disk}, {}));
        machine->ClearJournal();
        system.messageBoxes.clear(), system.messageBoxOwners.clear();
        EjectRow(0);
        EXPECT_EQ(ConfigManagerCalls(), calls);
        const bool stays = calls.back().find("CR_SUCCESS") == std::string::npos;
        EXPECT_EQ(dialog->m_driveTexts[0],
                  stays ? "(?:) Not Formatted\nStick" : "No removal disks found.");
        EXPECT_EQ(List().m_chosenIndex, -1);  // the choice was used up
        const bool refused = calls.back().find("ACCESS_DENIED") != std::string::npos;
        EXPECT_EQ(system.messageBoxes, refused ? std::vector{denied} : std::vector<std::string>{});
        EXPECT_EQ(system.messageBoxOwners, refused ? std::vector{Window()} : std::vector<HWND>{});
    }
}

// The locked Warden drive goes once its companion, which holds the volume,
// has ended (every process of exactly its name, every handle closed) and a
// pause has let it go; an active one, or any drive whose text carries the
// Warden mark, is only warned about; a Warden without a volume is an
// ordinary drive.
TEST_F(EjectTest, WardenRule) {
    const std::string warning =
        "QN Warden Drive currently active!|You must choose \"Lock\" or \"Lock and exit\" in the "
        "Warden Application before you can eject this drive.|0x30";
    const struct {
        const char* name;
        std::optional<std::string> label;  // no volume when "-"
        bool locked, warned;
        std::vector<DWORD> ended;
    } cases[] = {
        {"QN Warden USB Device", std::nullopt, true, false, {40, 42}},
        {"QN Warden USB Device", "VAULT", false, true, {}},
        {"Other make", "Korvane Warden X", false, true, {}},
        {"QN Warden USB Device", "-", false, false, {}},
    };
    for (const auto& [name, label, locked, warned, ended] : cases) {
        std::vector<SimVolume> volumes;
        if (label != "-") {
            volumes = {MakeVolume(3, "G:\\", label)};
            volumes[0].totalBytes = volumes[0].freeBytes = 1u << 30;
            volumes[0].freeSpaceFails = locked;
            volumes[0].heldBy = "Warden.exe";
        }
        system = RecordingSystemApi();
        system.processes = {{40, "Warden.exe"}, {42, "Warden.exe"}, {43, "MyWarden.exe"}};
        CreateWindowOn(MachineOf({MakeUsbDisk(3, name)}, volumes));
        EjectRow(0);
        EXPECT_EQ(system.messageBoxes, warned ? std::vector{warning} : std::vector<std::string>{});
        EXPECT_EQ(system.terminated, ended) << name;
        EXPECT_EQ(system.CountCalls("Sleep(1000)"), locked ? 1u : 0u);
        EXPECT_EQ(system.openHandles, 0);
        EXPECT_EQ(machine->HasDisk(3), warned) << name << " " << label.value_or("");
        EXPECT_EQ(List().m_chosenIndex, warned ? 0 : -1);
    }
}

// No choice, the placeholder, and rows outside the table ask nothing of the
// machine and leave no choice behind.
TEST_F(EjectTest, RowWithoutADriveAsksNothing) {
    CreateWindowOn(MachineOf({}, {}));
    List().SetCurSel(0);
    for (int row : {0, -1, 3, 1000, -2}) {  // the placeholder, then an empty table
        const size_t before = machine->Journal().size();
        EjectRow(row);
        EXPECT_EQ(machine->Journal().size(), before) << row;
        EXPECT_EQ(List().m_chosenIndex, -1) << row;
        EXPECT_EQ(List().GetCurSel(), LB_ERR) << row;
        machine->Faults().FailAlways("SetupDiGetClassDevsA");
        Send(WM_TIMER, 1);
    }
}

// The label-retry timer rebuilds every 3 seconds while the locked Warden is
// plugged in: the user's choice has to outlive rebuilds, follow its drive
// when rows move, and go with the drive. Enter ejects from the list only.
TEST_F(EjectTest, ChoiceFollowsItsDriveThroughRebuilds) {
    ASSERT_EQ(dialog->m_retryTimer, DriveTable::kRetryTimerId) << "the timer runs";
    const auto click = [this] {  // on the newest drive, in row 0
        ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
        ::SendMessageA(List().m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    };
    click();
    for (int tick = 0; tick < 3; ++tick) Send(WM_TIMER, DriveTable::kRetryTimerId);
    EXPECT_EQ(List().m_chosenIndex, 0);
    machine->PlugIn(MakeUsbDisk(7, "New"), {});
    Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    EXPECT_EQ(List().m_chosenIndex, 1);
    ::SetFocus(nullptr);
    Command(IDOK, BN_CLICKED);
    EXPECT_TRUE(machine->HasDisk(5));  // the UAS SSD, the newest drive before "New"
    ::SetFocus(List().m_hWnd);
    Command(IDOK, BN_CLICKED);
    EXPECT_FALSE(machine->HasDisk(5));
    click();
    machine->Unplug(7);
    Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(List().m_chosenIndex, -1);
}

// Start-up ends the other copies of the program, never its own process, by
// exact name, and only while the id still runs a file of that name: between
// the snapshot and the open an id can go to another program. One whose name
// cannot be read is left running. No pause, no handle left open; a scan that
// cannot walk the process list ends nothing and does not pause either.
TEST(ProcessScan, OtherInstancesEndButNotThisOne) {
    RecordingSystemApi system;
    const std::string name = "Korvane_Safe_Eject.exe";
    system.processes = {{7, name},
                        {8, "korvane_safe_eject.exe"},
                        {9, name},
                        {10, "Korvane_Safe_Eject_sim.exe"},
                        {11, name},
                        {12, name},
                        {13, name, "D:\\Korvane_Safe_Eject.exe"}};
    system.afterSnapshot = [&] { system.processes[4] = {11, "svchost.exe", "C:\\" + name}; };
    system.failing["QueryFullProcessImageNameA(12,"] = ERROR_ACCESS_DENIED;
    TerminateOtherInstances(system, 9);
    system.failing["Process32First"] = ERROR_BAD_LENGTH;
    TerminateProcessesByName(system, name.c_str());
    EXPECT_EQ(system.terminated, (std::vector<DWORD>{7, 13}));
    EXPECT_EQ(system.CountCalls("OpenProcess(4097,0,"), 4u);  // terminate, query limited
    EXPECT_EQ(system.CountCalls("Sleep"), 0u);
    EXPECT_EQ(system.openHandles, 0);
}

}  // namespace
