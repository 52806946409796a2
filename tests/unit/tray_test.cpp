// The main window's life in the tray: the icon record, coming back from the
// tray, a restarted taskbar, and the icon's mouse messages.
#include <functional>

#include "main_window_fixture.h"

namespace {

class TrayTest : public MainWindowTest {
protected:
    void Tray(LPARAM mouse, WPARAM icon = kTrayIconId) { Send(WM_TRAYNOTIFY, icon, mouse); }
    void ToTray(bool addFails = false) {
        system.notifyIconFails = addFails;
        Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
        system.notifyIconFails = false;
    }
    bool Visible() const { return ::IsWindowVisible(Window()) != FALSE; }
    size_t Adds() const { return system.CountCalls("Shell_NotifyIconA(0)"); }  // NIM_ADD
};

// Windows refuses a second icon with the same id: a failing add is reported
// on the first visit to the tray only, when no icon of ours can be there. A
// restarted taskbar has an empty tray: the icon is added again, silently,
// while it is meant to be there, also after the first add failed.
TEST_F(TrayTest, OnlyAFirstFailureIsReportedAndANewTaskbarGetsTheIconBack) {
    const struct {
        const char* state;
        std::function<void()> reach;
        bool added, shown, reported;
    } cases[] = {
        {"never in the tray", [] {}, false, true, false},
        {"in the tray", [this] { ToTray(); }, true, false, false},
        {"restored, icon left", [this] { ToTray(), Command(ID_TRAY_RESTORE); }, true, true, false},
        {"back, the add failing", [this] { ToTray(), Command(ID_TRAY_RESTORE), ToTray(true); },
         true, false, false},
        {"icon double-clicked away", [this] { ToTray(), Tray(WM_LBUTTONDBLCLK); }, false, true,
         false},
        {"first add failed", [this] { ToTray(true); }, true, false, true},
    };
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    const std::vector<std::string> none, failure{"Korvane_Safe_Eject|Unable to Set Tray Icon|0x0"};
    for (const auto& [state, reach, added, shown, reported] : cases) {
        CreateWindowOn(DefaultMachineDescription());
        system.messageBoxes.clear();
        reach();
        const size_t adds = Adds();
        Send(taskbarCreated);
        EXPECT_EQ(Adds() - adds, added ? 1u : 0u) << state;
        EXPECT_EQ(Visible(), shown) << state;
        system.notifyIconFails = true;  // a failing add on its arrival is not reported
        Send(taskbarCreated);
        system.notifyIconFails = false;
        EXPECT_EQ(system.messageBoxes, reported ? failure : none) << state;
    }
}

// A log-on start meets an Explorer that refuses icons for a while and sends
// no TaskbarCreated: the add is tried again every 2 seconds for a minute,
// silently until the last try fails. An add that works, by the timer or for
// a new taskbar, ends the tries; a tick queued before that finds nothing to
// do. Only the label-retry timer rebuilds the list. Run elevated, the window
// still hears TaskbarCreated. Afterwards the icon comes and goes as after any
// start, always with the same record.
TEST_F(TrayTest, HiddenStartRetriesTheIconForAMinute) {
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    system.commandLine += " /min";
    for (const auto& [addsAt, byTaskbar] :
         {std::pair{1, false}, {30, false}, {0, false}, {12, true}}) {
        system.notifyIconFails = true;
        system.messageBoxes.clear();
        CreateWindowOn(MachineOf({}, {}));
        const std::string hwnd = RecordingSystemApi::Hex(Window()),
                          allow = std::to_string(taskbarCreated);
        EXPECT_EQ(system.CountCalls("ChangeWindowMessageFilterEx(" + hwnd + "," + allow + ",1)"),
                  1u);
        EXPECT_EQ(system.calls.back(), "SetTimer(2,2000,null)");
        dialog->ShowWindow(SW_HIDE);  // as start-up does once the window is made
        const size_t refreshes = Refreshes();
        system.calls.clear();
        for (int tick = 1; tick <= 32; ++tick) {
            system.notifyIconFails = tick != addsAt;
            Send(byTaskbar && tick == addsAt ? taskbarCreated : WM_TIMER, kTrayRetryTimerId);
        }
        std::vector<std::string> expected(addsAt ? addsAt : 30, "Shell_NotifyIconA(0)");
        expected.push_back("KillTimer(2)");
        if (addsAt == 0) expected.push_back("MessageBoxA");
        EXPECT_EQ(system.calls, expected) << addsAt;
        EXPECT_EQ(system.messageBoxes,
                  addsAt
                      ? std::vector<std::string>{}
                      : std::vector<std::string>{"Korvane_Safe_Eject|Unable to Set Tray Icon|0x0"});
        EXPECT_EQ(Refreshes(), refreshes);  // the tries rebuild nothing
        // A double-click takes the icon away and rebuilds the list; Restore
        // leaves both. Either puts the window where a normal start does.
        system.calls.clear();
        system.notifyIconFails = false;
        Send(taskbarCreated);
        byTaskbar ? Command(ID_TRAY_RESTORE) : Tray(WM_LBUTTONDBLCLK);
        EXPECT_TRUE(Visible() && !::IsIconic(Window()));
        EXPECT_EQ(Refreshes() - refreshes, byTaskbar ? 0u : 1u);
        RECT frame{};
        ::GetWindowRect(Window(), &frame);
        const LONG right = ::GetSystemMetrics(SM_CXSCREEN),
                   bottom = ::GetSystemMetrics(SM_CYSCREEN);
        EXPECT_EQ(std::pair(frame.left, frame.top), std::pair(right - 400, bottom - 246));
        Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
        const std::string add = "Shell_NotifyIconA(0)", remove = "Shell_NotifyIconA(2)";
        const std::vector<std::string> back = {add, remove, add}, restored = {add, add};
        EXPECT_EQ(system.calls, byTaskbar ? restored : back);
        EXPECT_FALSE(Visible());
        const NOTIFYICONDATAA& r = system.notifyIconRecords.back();  // no tooltip
        EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage, r.hIcon),
                  std::tuple(DWORD{sizeof(r)}, Window(), 1u, UINT{NIF_MESSAGE | NIF_ICON}, 0x401u,
                             dialog->m_hIcon));
    }
}

// The menu opens on the press at the cursor. On Windows its owner is brought
// forward first, or a click elsewhere would not close it; Wine closes it by
// itself and would close it at once. The message posted afterwards lets the
// next right click open it again.
TEST_F(TrayTest, RightButtonPressOpensTheMenuInTheOrderItsSystemNeeds) {
    ToTray();
    system.cursor = POINT{700, 1000};
    system.calls.clear();
    for (const LPARAM m : {WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}) Tray(m);
    Tray(WM_RBUTTONDOWN, 2);  // another icon's message
    EXPECT_EQ(system.calls, std::vector<std::string>{});
    const std::string window = RecordingSystemApi::Hex(Window());
    const std::string track = "TrackPopupMenu(0x22,700,1000,0,null)",
                      post = "PostMessageA(" + window + ",0,0,0)";
    for (const auto& [onWindows, mouse] :
         {std::pair{true, WM_RBUTTONDOWN}, {false, WM_CONTEXTMENU}}) {
        system.menuOwnerMustBeForeground = onWindows;
        system.calls.clear();
        Tray(mouse);
        const std::vector<std::string> order =
            onWindows ? std::vector{"SetForegroundWindow(" + window + ")", track, post}
                      : std::vector{track, post};
        EXPECT_EQ(system.calls, order);
    }
    EXPECT_FALSE(Visible());
}

}  // namespace
