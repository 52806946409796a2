// Every call that can fail, failing in turn during each thing the user does:
// nothing leaks, the user is told what the rule says (for the machine's calls:
// nothing, Windows speaks for itself), and no failure passes for success.
#include "main_window_fixture.h"
#include "platform/sim/fault_plan.h"

namespace {

class FailureSweep : public MainWindowTest {
protected:
    void SetUp() override {}
    // The USB disks the machine still has, and 0 for the placeholder.
    std::set<DEVINST> Attached(const MachineDescription& described) const {
        std::set<DEVINST> nodes{0};
        for (const SimDisk& disk : described.disks)
            if (machine->HasDisk(disk.diskNumber) &&
                (disk.enumerator == "USBSTOR" || disk.parentId.value_or("").rfind("USB\\", 0) == 0))
                nodes.insert(disk.devInst);
        return nodes;
    }
    // Requests that name anything but the parent a lookup for the target
    // gave just before.
    std::string StrayRequests(DEVINST target) const {
        std::string strays, parent = "none";
        for (const JournalEntry& e : machine->Journal()) {
            if (e.function == "CM_Get_Parent" && e.arguments.find(Hex(target)) != e.arguments.npos)
                parent = e.result.rfind("CR_SUCCESS", 0) ? "none" : e.result.substr(19) + ",";
            if (e.function.rfind("CM_Request", 0) == 0 || e.function.rfind("CM_Query", 0) == 0)
                strays += e.arguments.rfind(parent, 0) ? ToString(e) + "\n" : "";
        }
        return strays;
    }
    static std::string Hex(DEVINST node) {
        char text[16];
        return std::snprintf(text, sizeof text, " 0x%lX,", node), text;
    }
};

// A refused close or free stays open by definition; without the device set,
// a disk's node, interface, number or parent a disk cannot be told apart or
// told to be USB, so it may go unlisted. Nothing else may hide a disk.
bool Releases(std::string_view fn) {
    return fn.find("Close") != fn.npos || fn.find("Free") != fn.npos ||
           fn.find("Destroy") != fn.npos;
}
bool NotNeededToList(std::string_view fn) {
    return Releases(fn) || fn.find("Volume") != fn.npos || fn == "GetDiskFreeSpaceExA" ||
           fn == "CM_Get_DevNode_Status" || fn.rfind("CM_Request", 0) == 0 ||
           fn.rfind("CM_Query", 0) == 0;
}

TEST_F(FailureSweep, EachMachineCallDuringEachUserAction) {
    const std::pair<const char*, int> actions[] = {
        {"start-up", -1},          {"arrival", -2},  {"eject USBSTOR", 4},
        {"eject fixed parent", 1}, {"eject UAS", 0}, {"eject locked Warden", 2}};
    for (const std::string_view fn : InjectableFunctions()) {
        for (const bool always : {true, false}) {
            for (const auto& [action, row] : actions) {
                SCOPED_TRACE(std::string(fn) + (always ? " always, " : " once, ") + action);
                const auto fail = [&, fn = std::string(fn)](FaultPlan& plan) {
                    always ? plan.FailAlways(fn) : plan.FailOnCall(fn, 1);
                };
                MachineDescription described = DefaultMachineDescription();
                system = RecordingSystemApi();
                system.processes = {{40, "Warden.exe"}};
                if (row == -1) fail(described.faults);
                CreateWindowOn(described);
                if (row != -1) fail(machine->Faults());
                if (row == -2) {
                    described.disks.push_back(MakeUsbDisk(9, "New Stick"));
                    machine->PlugIn(described.disks.back(), {});
                    Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
                }
                const DEVINST target = row >= 0 && row < List().GetCount()
                                           ? dialog->m_driveDevInsts[List().GetCount() - 1 - row]
                                           : 0;
                if (row >= 0) List().m_chosenIndex = row, Command(IDC_DRIVE_LIST, LBN_DBLCLK);
                EXPECT_EQ(StrayRequests(target), "");
                if (!Releases(fn)) {
                    EXPECT_EQ(machine->Leaks(), "");
                }
                EXPECT_EQ(system.openHandles, 0);
                EXPECT_EQ(system.CountCalls("MessageBoxA"), 0u);
                const std::set<DEVINST> attached = Attached(described),
                                        listed(dialog->m_driveDevInsts.begin(),
                                               dialog->m_driveDevInsts.end());
                EXPECT_TRUE(
                    std::includes(attached.begin(), attached.end(), listed.begin(), listed.end()));
                if (NotNeededToList(fn)) {
                    std::set<DEVINST> all = listed;
                    all.insert(0);  // nothing is hidden, so no placeholder is shown
                    EXPECT_EQ(all, attached);
                }
                if (!Releases(fn)) machine->Faults().Clear();
            }
        }
    }
}

// The SystemApi calls of the tray, autostart and process paths, failing in
// turn: the box each failure earns, owned by the window (none where Windows
// or nobody needs telling) and captioned with the executable's name, in turn
// a plain, an accented and a UNC one, which names the shortcut too; and what
// each failure leaves: the check mark, the window, and the locked Warden,
// which goes only when both companions have ended.
TEST_F(FailureSweep, EachSystemCallDuringTrayAutostartAndWarden) {
    constexpr UINT kStart = 0xFFFF;  // the search for the shortcut at start-up; it cannot tell
    const std::string on = "Unable to set Korvane Safe Eject to auto start with Windows!",
                      off = "Unable to remove Korvane Safe Eject from auto starting with Windows!",
                      tray = "Unable to Set Tray Icon",
                      stays = "autostart off, shown, Warden stays", paused = stays + ", paused";
    const struct {
        const char* failing;
        UINT command;  // 0: the tray menu; IDC_DRIVE_LIST: eject the locked Warden; kStart
        bool autostartWasOn;
        std::string box, after;
    } cases[] = {
        {"SHGetSpecialFolderLocation", ID_OPTIONS_AUTOSTART, false, on, stays},
        {"SHGetSpecialFolderLocation", ID_OPTIONS_AUTOSTART, true, off,
         "autostart on, shown, Warden stays"},
        {"SHGetPathFromIDListA", ID_OPTIONS_AUTOSTART, true, off,
         "autostart on, shown, Warden stays"},
        {"CoCreateInstance", ID_OPTIONS_AUTOSTART, false, on, stays},
        {"DeleteFileA", ID_OPTIONS_AUTOSTART, true, off, "autostart on, shown, Warden stays"},
        {"(a delete that leaves the file)", ID_OPTIONS_AUTOSTART, true, off,
         "autostart on, shown, Warden stays"},
        {"Shell_NotifyIconA(0)", ID_OPTIONS_MINIMIZE_TO_TRAY, false, tray,
         "autostart off, hidden, Warden stays"},
        {"TrackPopupMenu", 0, false, "", "autostart off, hidden, Warden stays"},
        {"CreateToolhelp32Snapshot", IDC_DRIVE_LIST, false, "", stays},
        {"Process32First", IDC_DRIVE_LIST, false, "", stays},
        {"Process32Next", IDC_DRIVE_LIST, false, "", paused},
        {"OpenProcess(4097,0,42)", IDC_DRIVE_LIST, false, "", paused},
        {"QueryFullProcessImageNameA", IDC_DRIVE_LIST, false, "", paused},
        {"TerminateProcess", IDC_DRIVE_LIST, false, "", paused},
        {"FindFirstFileA", kStart, false, "", "autostart on, shown, Warden stays"},
        {"nothing fails", IDC_DRIVE_LIST, false, "", "autostart off, shown, Warden gone, paused"},
    };
    const std::pair<const char*, std::string> programs[] = {
        {"C:\\Korvane\\Korvane_Safe_Eject.exe", "Korvane_Safe_Eject"},
        {"D:\\Cl\xE9s v2.0\\\xC9jecter.cl\xE9.exe", "\xC9jecter.cl\xE9"},
        {"\\\\server\\tools/eject", "eject"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.failing) + (c.autostartWasOn ? " switching off" : ""));
        const auto& [path, name] = programs[(&c - cases) % std::size(programs)];
        system = RecordingSystemApi();
        system.modulePath = path;
        system.processes = {{40, "Warden.exe"}, {42, "Warden.exe"}};
        if (c.autostartWasOn)
            system.existingFiles.insert(system.startupFolder + "\\" + name + ".lnk");
        system.deleteKeepsFile = c.failing[0] == '(';
        if (c.command == kStart) system.failing[c.failing] = ERROR_ACCESS_DENIED;
        CreateWindowOn(DefaultMachineDescription());
        Command(ID_OPTIONS_MINIMIZE_TO_TRAY);  // a visit to the tray before, and back
        Send(WM_TRAYNOTIFY, kTrayIconId, WM_LBUTTONDBLCLK);
        system.failing[c.failing] = ERROR_ACCESS_DENIED;
        system.calls.clear();
        if (c.command == IDC_DRIVE_LIST) List().m_chosenIndex = 2;
        // Highlighted, as the menu shows it while open: a bit besides the check.
        MENUITEMINFOA item{};
        item.cbSize = sizeof item, item.fMask = MIIM_STATE;
        ::GetMenuItemInfoA(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, FALSE, &item);
        item.fState |= MFS_HILITE;
        ::SetMenuItemInfoA(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, FALSE, &item);
        const UINT command = c.command ? c.command : ID_OPTIONS_MINIMIZE_TO_TRAY;
        if (c.command != kStart) Command(command, command == IDC_DRIVE_LIST ? LBN_DBLCLK : 0);
        if (c.command == 0) Send(WM_TRAYNOTIFY, kTrayIconId, WM_RBUTTONDOWN);
        std::vector<std::string> boxes, due;
        for (const std::string& call : system.calls)
            if (call.rfind("MessageBoxA(", 0) == 0) boxes.push_back(call);
        if (!c.box.empty())
            due.push_back("MessageBoxA(" + RecordingSystemApi::Hex(Window()) + "," + name + "," +
                          c.box + ",0x0)");
        EXPECT_EQ(boxes, due);
        const UINT mark = ::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, 0);
        EXPECT_EQ(std::string(mark & MF_CHECKED ? "autostart on" : "autostart off") +
                      (::IsWindowVisible(Window()) ? ", shown" : ", hidden") +
                      (machine->HasDisk(3) ? ", Warden stays" : ", Warden gone") +
                      (system.CountCalls("Sleep") ? ", paused" : ""),
                  c.after);
        EXPECT_EQ(system.openHandles, 0);
    }
}

}  // namespace
