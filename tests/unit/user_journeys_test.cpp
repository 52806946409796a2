// Each thing a user does, as one journal: the machine's calls and the
// SystemApi's calls in the order they happened, and after each step what the
// user sees. Compared whole with tests/unit/journeys/<name>.txt.
#include <algorithm>
#include <functional>

#include "help/help_dialog.h"
#include "journal_file.h"
#include "main_window_fixture.h"
#include "platform/com_ptr.h"
#include "platform/string_replace.h"

namespace {

// Target, arguments and description, as Explorer and the log-on read them.
std::string ReadLink(const std::string& path) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out());
    link->QueryInterface(IID_IPersistFile, file.out());
    char target[MAX_PATH] = "", arguments[MAX_PATH] = "", description[MAX_PATH] = "";
    std::wstring wide(MAX_PATH, L'\0');
    wide.resize(::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), MAX_PATH));
    if (file->Load(wide.c_str(), STGM_READ) != S_OK) return "none";
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    link->GetDescription(description, MAX_PATH);
    return std::string(target) + " | " + arguments + " | " + description;
}

// The newest guide as Windows and its browser see it: caption, owner, the
// style bits of a resizable top-level window, and the host flags the browser
// was given before it was made.
std::string DescribeGuide(HelpDialog& guide) {
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    ComPtr<IDocHostUIHandler> host;
    DOCHOSTUIINFO info{sizeof(info), 0, 0, nullptr, nullptr};
    if (guide.BrowserApp()->QueryInterface(IID_IOleObject, object.out()) == S_OK &&
        object->GetClientSite(reinterpret_cast<IOleClientSite**>(site.out())) == S_OK &&
        site->QueryInterface(IID_IDocHostUIHandler, host.out()) == S_OK)
        host->GetHostInfo(&info);
    char caption[64] = "";
    ::GetWindowTextA(guide.m_hWnd, caption, sizeof(caption));
    const LONG style = ::GetWindowLongA(guide.m_hWnd, GWL_STYLE) &
                       (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE | WS_CHILD);
    return std::string("  guide \"") + caption + "\", owner " +
           RecordingSystemApi::Hex(::GetWindow(guide.m_hWnd, GW_OWNER)) + ", style " +
           RecordingSystemApi::Hex(style) + ", host flags " +
           RecordingSystemApi::Hex(info.dwFlags) + "\n";
}

// What the About box showed while it was open, read from inside its modal
// loop, where the web address is clicked twice before the box is closed.
struct {
    HWND box, owner;
    std::string seen;
} g_about;

void CALLBACK LookAtAboutBox(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND box = ::FindWindowA(nullptr, "About Korvane Safe Eject");
    if (box == nullptr || !::IsWindowVisible(box)) return;
    ::KillTimer(nullptr, timer);
    const HWND edit = ::GetDlgItem(box, IDC_LICENSE_EDIT), web = ::GetDlgItem(box, IDC_WEB_ADDRESS);
    std::string licence(::GetWindowTextLengthA(edit) + 1, '\0');
    licence.resize(::GetWindowTextA(edit, licence.data(), static_cast<int>(licence.size())));
    for (int click = 0; click < 2; ++click)
        ::SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_WEB_ADDRESS, STN_CLICKED), LPARAM(web));
    g_about = {box, ::GetWindow(box, GW_OWNER), ""};
    g_about.seen =
        std::string(::IsWindowEnabled(g_about.owner) ? ", owner enabled" : ", owner disabled") +
        (licence == ResourceBytes(IDR_LICENSE_TEXT, "TEXT") ? ", licence as stored"
                                                            : ", licence differs") +
        (::GetWindowLongA(edit, GWL_STYLE) & (ES_AUTOHSCROLL | WS_HSCROLL) ? ", scrolls sideways"
                                                                           : ", wrapped") +
        (::GetFocus() == ::GetDlgItem(box, IDOK) ? ", focus on OK" : ", focus elsewhere") +
        (::IsWindowVisible(box) ? ", stays after the clicks" : ", gone after the clicks");
    ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
}

class Journey;
Journey* g_journey = nullptr;

// What a screen reader is told of the focused and selected row, the moment
// it is told: in context, the hook runs inside NotifyWinEvent.
void CALLBACK HearList(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                       DWORD);

class Journey : public MainWindowTest {
protected:
    void SetUp() override {
        g_journey = this;
        m_hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION,
                                   ::GetModuleHandleA(nullptr), &HearList, ::GetCurrentProcessId(),
                                   0, WINEVENT_INCONTEXT);
        // A rebuild's own calls are the refresh tests' business (and hold
        // heap addresses); here it is one line, and the rows it gave.
        journalListener = [this](const JournalEntry& e) {
            if (e.function == "SetupDiGetClassDevsA") m_text += "(the list is rebuilt)\n";
            const bool inside = m_rebuilding || e.function == "SetupDiGetClassDevsA";
            m_rebuilding = inside && e.function != "SetupDiDestroyDeviceInfoList";
            if (!inside) m_text += ToString(e) + "\n";
        };
        system.listener = [this](const std::string& call) {
            // A window being made is dialog's; one being destroyed, the last one.
            const HWND window = dialog && dialog->m_hWnd ? dialog->m_hWnd : m_window;
            std::string line = call;
            ReplaceAll(line, RecordingSystemApi::Hex(window), "<main window>");
            m_text += line + "\n";
        };
    }
    void TearDown() override {
        ::UnhookWinEvent(m_hook);
        MainWindowTest::TearDown();
    }
    void Start(MachineDescription description, const char* again = nullptr) {
        dialog.reset();  // the last window's end is not this journey's, unless again
        m_text = again ? m_text + "> " + again + "\n" : "";
        CreateWindowOn(std::move(description));
        m_window = Window();
        See();
    }
    void Step(const std::string& what, const std::function<void()>& act) {
        m_text += "> " + what + "\n";
        act();
        See();
    }
    // Rows top to bottom, the chosen row, the window and where it is from the
    // screen's lower right, the check mark, and how much of the list the step
    // left to be painted anew (rows that changed and are not repainted stay
    // on the screen as they were).
    void See() {
        for (int row = 0; row < List().GetCount(); ++row) {
            std::string text = static_cast<const CExtItem*>(List().GetItemDataPtr(row))->m_text;
            ReplaceAll(text, "\n", " / ");
            m_text += "  row " + std::to_string(row) + ": " + text + "\n";
        }
        const UINT mark = ::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, MF_BYCOMMAND);
        RECT frame{};
        ::GetWindowRect(Window(), &frame);
        const std::string at = std::to_string(frame.left - ::GetSystemMetrics(SM_CXSCREEN)) + "," +
                               std::to_string(frame.top - ::GetSystemMetrics(SM_CYSCREEN));
        m_text += "  chosen " + std::to_string(List().m_chosenIndex) + ", window " +
                  (!::IsWindowVisible(Window()) ? "hidden"
                   : ::IsIconic(Window())       ? "minimised"
                                                : "shown at " + at) +
                  ", autostart " + ((mark & MF_CHECKED) ? "on" : "off") + ", repaints " +
                  ListRepaints() + Oddities() + "\n";
    }
    // What should never be: a highlight other than the chosen row, the mouse
    // still held after a step.
    std::string Oddities() const {
        const int highlighted = List().GetCurSel();
        return (highlighted == List().m_chosenIndex
                    ? ""
                    : ", highlighted " + std::to_string(highlighted)) +
               (::GetCapture() ? ", the mouse held" : "");
    }
    std::string ListRepaints() {
        RECT update{}, client{};
        ::GetClientRect(List().m_hWnd, &client);
        const bool any = ::GetUpdateRect(List().m_hWnd, &update, FALSE);
        ::ValidateRect(List().m_hWnd, nullptr);  // the next step shows only its own
        return !any ? "nothing" : ::EqualRect(&update, &client) ? "the list" : "part of the list";
    }
    // Handles differ from run to run; what they are does not.
    void Compare(const std::string& name) {
        ReplaceAll(m_text, RecordingSystemApi::Hex(reinterpret_cast<uintptr_t>(dialog->m_hIcon)),
                   "<window icon>");
        if (!m_folder.empty()) ReplaceAll(m_text, m_folder, "<Startup>");
        ExpectJournal(name, m_text);
        EXPECT_EQ(system.openHandles, 0) << name;
    }
    void Eject(int row) { List().SetChoice(row), Command(IDC_DRIVE_LIST, LBN_DBLCLK); }
    void Tray(LPARAM mouse) { Send(WM_TRAYNOTIFY, kTrayIconId, mouse); }

    friend void CALLBACK HearList(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    std::string m_text, m_folder;
    HWND m_window = nullptr;
    HWINEVENTHOOK m_hook = nullptr;
    bool m_rebuilding = false;
};

void CALLBACK HearList(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                       DWORD) {
    if (!g_journey->dialog || window != g_journey->List().m_hWnd || object != OBJID_CLIENT ||
        child == CHILDID_SELF)  // the list's own focus, which the list box tells
        return;
    g_journey->m_text += std::string("  heard ") +
                         (event == EVENT_OBJECT_FOCUS ? "focus" : "selection") + " on row " +
                         std::to_string(child - 1) + "\n";
}

// The default machine's rows, top first: the UAS SSD, the fixed-parent
// flash disk, the locked Warden, the KORVANE, the KR7. Start-up ends the
// other copies of the program, and its Warden eject the companions.
TEST_F(Journey, StartUpAndEjectOfEachKind) {
    for (const auto& [name, row] : {std::pair{"eject_usbstor", 4},
                                    {"eject_not_removable", 1},
                                    {"eject_uas", 0},
                                    {"eject_warden_locked", 2}}) {
        const std::string kse = "Korvane_Safe_Eject.exe";
        system.processes = {{7, kse},           {8, "korvane_safe_eject.exe"},
                            {100, kse},         {11, kse},
                            {12, kse},          {13, kse, "D:\\"},
                            {40, "Warden.exe"}, {41, "MyWarden.exe"},
                            {42, "Warden.exe"}};
        system.afterSnapshot = [&] { system.processes[3] = {11, "svchost.exe", "C:\\" + kse}; };
        system.failing["QueryFullProcessImageNameA(12,"] = ERROR_ACCESS_DENIED;
        Start(DefaultMachineDescription());
        if (row == 4) Compare("startup");
        m_text.clear();
        Step("eject row " + std::to_string(row), [&, row = row] { Eject(row); });
        Step("eject a row outside the table", [&] { Eject(1000); });
        Compare(name);
    }
}

// The tray switch is looked for in the whole command line, case-sensitive
// and untokenised; the check mark follows the shortcut; each start ends the
// older copy and keeps itself (process 100).
TEST_F(Journey, StartUpWithEachCommandLine) {
    const std::string shortcut = system.startupFolder + "\\Korvane_Safe_Eject.lnk";
    for (const auto& [commandLine, linked] : {std::pair{"", true},
                                              {"/min", false},
                                              {"\"C:\\K.exe\" /MIN", true},
                                              {"\"C:\\K.exe\" /minimize", false},
                                              {"C:\\tools/min\\K.exe", true}}) {
        system.commandLine = commandLine;
        system.processes = {{7, "Korvane_Safe_Eject.exe"}, {100, "Korvane_Safe_Eject.exe"}};
        system.existingFiles = linked ? std::set{shortcut} : std::set<std::string>{};
        Start(MachineOf({}, {}), (std::string("start with command line ") + commandLine).c_str());
    }
    Compare("startup_command_lines");
}

// An active Warden drive is only warned about, each time, and stays chosen;
// a session that may not eject is told so, and the drive stays.
TEST_F(Journey, WardenActiveAndSessionRefused) {
    SimVolume vault = MakeVolume(3, "G:\\", "VAULT");
    vault.totalBytes = vault.freeBytes = 1u << 30, vault.heldBy = "Warden.exe";
    SimDisk refused = MakeUsbDisk(7, "Caf\xe9 Stick");
    refused.eject = EjectBehaviour::AccessDenied;
    system.processes = {{40, "Warden.exe"}};
    Start(MachineOf({MakeUsbDisk(3, "QN Warden USB Device"), refused},
                    {vault, MakeVolume(7, "H:\\", "\xc9T\xc9")}));
    for (int time = 0; time < 2; ++time) Step("eject the Warden", [&] { Eject(1); });
    Step("eject the refusing stick", [&] { Eject(0); });
    Compare("warden_active_and_session_refused");
}

// Autostart on where the link cannot be written, then on, off, on, through
// the shell's real link object and real files, also in a Startup folder
// whose name has characters above 127.
TEST_F(Journey, AutostartOnOffOn) {
    ::CoInitialize(nullptr);
    for (const char* name : {"autostart_on_off_on", "autostart_accented_folder"}) {
        system.UseRealFiles();
        system.commandLine = "kse";  // the module runs, whatever started this copy
        if (name[10] == 'a') {
            system.startupFolder += "\\D\xe9marrage \xc0 la cr\xe8me";
            ::CreateDirectoryA(system.startupFolder.c_str(), nullptr);
        }
        m_folder = system.startupFolder;
        const std::string link = m_folder + "\\Korvane_Safe_Eject.lnk";
        Start(MachineOf({}, {}));
        Step("eject the placeholder", [&] { Eject(0); });
        ::RemoveDirectoryA(m_folder.c_str());
        Step("autostart on, the Startup folder gone", [&] { Command(ID_OPTIONS_AUTOSTART); });
        ::CreateDirectoryA(m_folder.c_str(), nullptr);
        for (const char* what : {"on", "off", "on"}) {
            Step(std::string("autostart ") + what, [&] { Command(ID_OPTIONS_AUTOSTART); });
            m_text += "  link: " + ReadLink(link) + "\n";
        }
        Compare(name);
        ::DeleteFileA(link.c_str());
    }
    ::CoUninitialize();
}

// Into the tray and out again, twice each way, and minimised and restored
// twice: each state the second time round.
TEST_F(Journey, TrayAndMinimiseTwice) {
    Start(MachineOf({MakeUsbDisk(1, "Stick")}, {}));
    const auto tray = [&] { Command(ID_OPTIONS_MINIMIZE_TO_TRAY); };
    Step("minimize to tray", tray);
    Step("double-click the icon", [&] { Tray(WM_LBUTTONDBLCLK); });
    Step("minimize to tray", tray);
    system.cursor = POINT{700, 1000};
    for (const LPARAM mouse : {WM_RBUTTONUP, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_RBUTTONDOWN})
        Step("tray mouse message " + std::to_string(mouse), [&] { Tray(mouse); });
    system.menuOwnerMustBeForeground = false;  // as under Wine
    Step("tray context menu", [&] { Tray(WM_CONTEXTMENU); });
    Step("restore", [&] { Command(ID_TRAY_RESTORE); });
    Step("minimize to tray", tray);
    Step("taskbar restarts", [&] { system.trayIcons.clear(), Send(WM_TASKBARCREATED); });
    Step("double-click the icon", [&] { Tray(WM_LBUTTONDBLCLK); });
    for (const UINT command : {SC_MINIMIZE, SC_RESTORE, SC_MINIMIZE, SC_RESTORE})
        Step(command == SC_MINIMIZE ? "minimise" : "restore",
             [&] { Send(WM_SYSCOMMAND, command); });
    Compare("tray_and_minimise_twice");
}

// A log-on start ("/min") meets an Explorer that refuses icons for a while:
// the add is tried every 2 seconds for a minute, quietly until the last try.
TEST_F(Journey, TrayAtLogOn) {
    system.commandLine += " /min";
    system.failing["Shell_NotifyIconA(0)"] = ERROR_TIMEOUT;
    Start(MachineOf({}, {}));
    const auto hide = [&] { dialog->ShowWindow(SW_HIDE); };
    Step("the start hides the window", hide);
    Step("31 ticks", [&] {
        for (int tick = 1; tick <= 31; ++tick) Send(WM_TIMER, kTrayRetryTimerId);
    });
    system.failing.clear();
    Step("taskbar restarts", [&] { system.trayIcons.clear(), Send(WM_TASKBARCREATED); });
    Step("restore", [&] { Command(ID_TRAY_RESTORE); });
    Step("minimize to tray", [&] { Command(ID_OPTIONS_MINIMIZE_TO_TRAY); });
    Step("double-click the icon", [&] { Tray(WM_LBUTTONDBLCLK); });
    system.failing["Shell_NotifyIconA(0)"] = ERROR_TIMEOUT;
    Start(MachineOf({}, {}), "log-on start again, the third tick's add works");
    Step("the start hides the window", hide);
    for (int tick = 1; tick <= 4; ++tick) {
        if (tick == 3) system.failing.clear();
        Step("tick " + std::to_string(tick), [&] { Send(WM_TIMER, kTrayRetryTimerId); });
    }
    Step("restore", [&] { Command(ID_TRAY_RESTORE); });
    Compare("tray_at_logon");
}

// The choice follows its drive through rebuilds and goes with it; the keys
// choose the row they highlight, at both ends too.
TEST_F(Journey, ChooseRebuildRebuild) {
    Start(DefaultMachineDescription());
    Step("click the bottom row", [&] {
        RECT row{};
        List().SendMessage(LB_GETITEMRECT, 4, reinterpret_cast<LPARAM>(&row));
        const LPARAM at = MAKELPARAM(10, row.top + 2);
        ::SendMessageA(List().m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
        ::SendMessageA(List().m_hWnd, WM_LBUTTONUP, 0, at);
    });
    Step("label timer", [&] { Send(WM_TIMER, DriveTable::kRetryTimerId); });
    Step("a stick arrives", [&] {
        machine->PlugIn(MakeUsbDisk(7, "New"), {});
        Send(WM_DEVICECHANGE, DBT_DEVICEARRIVAL);
    });
    Step("Enter, the list without the focus", [&] { ::SetFocus(nullptr), Command(IDOK); });
    Step("the chosen drive is pulled out", [&] {
        machine->Unplug(1);
        Send(WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE);
    });
    Step("label timer", [&] { Send(WM_TIMER, DriveTable::kRetryTimerId); });
    ::SetFocus(List().m_hWnd);
    for (const auto& [name, key] : {std::pair{"Home", VK_HOME},
                                    {"Up on the top row", VK_UP},
                                    {"End", VK_END},
                                    {"Down on the bottom row", VK_DOWN},
                                    {"Page Up", VK_PRIOR},
                                    {"Page Down", VK_NEXT},
                                    {"Up", VK_UP}}) {
        Step(std::string("key ") + name, [&, key = key] {
            ::SendMessageA(List().m_hWnd, WM_KEYDOWN, key, 0);
            for (MSG m; ::PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) ::DispatchMessageA(&m);
        });
    }
    Step("the drives found in reverse order", [&] {
        MachineDescription reversed = DefaultMachineDescription();
        std::reverse(reversed.disks.begin(), reversed.disks.end());
        machine->Replace(reversed);
        Send(WM_DEVICECHANGE, DBT_DEVNODES_CHANGED);
    });
    Compare("choose_rebuild_rebuild");
}

// Each message of the window's table once, on one window, the three ways
// out last and then the window's end: what each answers and does.
TEST_F(Journey, EveryMessageOfTheWindowOnce) {
    Start(MachineOf({MakeUsbDisk(1, "Stick")}, {}));
    const auto answer = [&](const std::string& what, UINT message, WPARAM wParam) {
        Step(what, [&] {
            m_text += "  answer " + RecordingSystemApi::Hex(Send(message, wParam)) + "\n";
        });
    };
    ::InvalidateRect(Window(), nullptr, TRUE);
    answer("paint", WM_PAINT, 0);
    m_text += ::GetUpdateRect(Window(), nullptr, FALSE) ? "  left unpainted\n" : "";
    answer("the icon to drag", WM_QUERYDRAGICON, 0);
    for (const WPARAM change : {DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE, DBT_DEVNODES_CHANGED})
        answer("device change " + RecordingSystemApi::Hex(change), WM_DEVICECHANGE, change);
    answer("label timer", WM_TIMER, DriveTable::kRetryTimerId);
    Step("Esc", [&] { Command(IDCANCEL, BN_CLICKED); });
    Step("click the refresh icon", [&] { Command(IDC_REFRESH_ICON, STN_CLICKED); });
    Step("Help, Visit", [&] { Command(ID_HELP_VISIT); });
    std::vector<HWND> guides;
    for (const char* time : {"Help, User Guide", "Help, User Guide again"}) {
        Step(time, [&] {
            Command(ID_HELP_USER_GUIDE);
            guides.push_back(dialog->m_pHelpDialog->m_hWnd);
            m_text +=
                DescribeGuide(*dialog->m_pHelpDialog) + "  guides shown: " +
                std::to_string(std::count_if(guides.begin(), guides.end(), ::IsWindowVisible)) +
                "\n";
        });
    }
    for (const HWND guide : guides) ::DestroyWindow(guide);
    for (const bool fromHelpMenu : {true, false, true, false}) {
        Step(fromHelpMenu ? "Help, About" : "the system menu's About", [&] {
            ::SetTimer(nullptr, 0, 20, &LookAtAboutBox);
            fromHelpMenu ? Command(ID_HELP_ABOUT) : (void)Send(WM_SYSCOMMAND, IDM_ABOUTBOX);
            const bool back = ::IsWindowEnabled(Window()) && ::GetActiveWindow() == Window();
            m_text += std::string("  About box owned by ") +
                      (g_about.owner == Window() ? "the main window" : "another") + g_about.seen +
                      (::IsWindow(g_about.box) ? ", still open" : ", closed") +
                      (back ? "; the main window enabled and active again\n"
                            : "; the main window not back\n");
        });
    }
    Step("Options, Exit", [&] { Command(ID_OPTIONS_EXIT); });
    answer("Alt+F4", WM_SYSCOMMAND, SC_CLOSE | 0x2);
    Step("minimize to tray", [&] { Command(ID_OPTIONS_MINIMIZE_TO_TRAY); });
    Step("the tray menu's Exit", [&] { Command(ID_TRAY_EXIT); });
    m_text += "> the window ends\n";
    dialog->DestroyWindow();
    Compare("every_message_once");
}

}  // namespace
