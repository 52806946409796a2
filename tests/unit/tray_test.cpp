// The main window's life in the tray: the icon record, coming back from the
// tray, a restarted taskbar, and the icon's mouse messages.
#include <functional>

#include "main_window_fixture.h"

namespace {

class TrayTest : public MainWindowTest {
protected:
    void Tray(LPARAM mouse, WPARAM icon = kTrayIconId) { Send(WM_TRAYNOTIFY, icon, mouse); }
    void ToTray() { Command(ID_OPTIONS_MINIMIZE_TO_TRAY); }
    bool Visible() const { return ::IsWindowVisible(Window()) != FALSE; }
};

// Windows refuses a second icon with the same id: a failing add is reported
// on the first visit only, when no icon of ours can be there.
TEST_F(TrayTest, IconRecordHasNoTooltipAndOnlyAFirstFailureIsReported) {
    ToTray();
    ASSERT_EQ(system.CountCalls("Shell_NotifyIconA(0)"), 1u);  // NIM_ADD
    const NOTIFYICONDATAA& r = system.notifyIconRecords.back();
    EXPECT_EQ(std::tuple(r.cbSize, r.hWnd, r.uID, r.uFlags, r.uCallbackMessage, r.hIcon),
              std::tuple(DWORD{sizeof(r)}, Window(), 1u, UINT{NIF_MESSAGE | NIF_ICON}, 0x401u,
                         dialog->m_hIcon));
    Command(ID_TRAY_RESTORE);
    system.notifyIconFails = true;
    ToTray();
    EXPECT_TRUE(system.messageBoxes.empty());
    CreateWindowOn(DefaultMachineDescription());
    ToTray();
    EXPECT_FALSE(Visible());
    EXPECT_EQ(system.messageBoxes,
              std::vector<std::string>{"Korvane_Safe_Eject|Unable to Set Tray Icon|0x0"});
}

// A double-click takes the icon away and rebuilds the list; Restore leaves
// both. After a hidden start either puts the window where a normal start does.
TEST_F(TrayTest, HiddenStartComesBackInPlaceByDoubleClickOrRestore) {
    system.commandLine += " /min";
    for (const bool doubleClick : {true, false}) {
        CreateWindowOn(DefaultMachineDescription());
        dialog->ShowWindow(SW_HIDE);  // as start-up does once the window is made
        system.calls.clear();
        const size_t before = Refreshes();
        doubleClick ? Tray(WM_LBUTTONDBLCLK) : Command(ID_TRAY_RESTORE);
        EXPECT_TRUE(Visible() && !::IsIconic(Window()));
        EXPECT_EQ(Refreshes() - before, doubleClick ? 1u : 0u);
        EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(2)"), doubleClick ? 1u : 0u);
        RECT frame{};
        ::GetWindowRect(Window(), &frame);
        EXPECT_EQ(frame.left, ::GetSystemMetrics(SM_CXSCREEN) - 400) << doubleClick;
        EXPECT_EQ(frame.top, ::GetSystemMetrics(SM_CYSCREEN) - 246) << doubleClick;
    }
}

// A restarted taskbar has an empty tray: the icon is added again, silently,
// while it is meant to be there, also after the first add failed.
TEST_F(TrayTest, ANewTaskbarGetsTheIconBackWhileItIsMeantToBeThere) {
    const struct {
        const char* state;
        std::function<void()> reach;
        bool added;
    } cases[] = {
        {"never in the tray", [] {}, false},
        {"in the tray", [this] { ToTray(); }, true},
        {"restored, icon left", [this] { ToTray(), Command(ID_TRAY_RESTORE); }, true},
        {"icon double-clicked away", [this] { ToTray(), Tray(WM_LBUTTONDBLCLK); }, false},
        {"first add failed",
         [this] { system.notifyIconFails = true, ToTray(), system.notifyIconFails = false; }, true},
    };
    const UINT taskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
    for (const auto& [state, reach, added] : cases) {
        CreateWindowOn(DefaultMachineDescription());
        reach();
        const bool visible = Visible();
        const size_t adds = system.CountCalls("Shell_NotifyIconA(0)");
        const size_t boxes = system.messageBoxes.size();
        Send(taskbarCreated);
        EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(0)") - adds, added ? 1u : 0u) << state;
        EXPECT_EQ(Visible(), visible) << state;
        system.notifyIconFails = true;  // a failing add on its arrival is not reported
        Send(taskbarCreated);
        system.notifyIconFails = false;
        EXPECT_EQ(system.messageBoxes.size(), boxes) << state;
    }
}

// The menu opens on the press at the cursor, and a message is posted to its
// owner afterwards, without which Windows may not open it on the next click.
TEST_F(TrayTest, RightButtonPressOpensTheMenuAtTheCursorThenPostsANullMessage) {
    ToTray();
    system.cursor = POINT{700, 1000};
    for (const LPARAM m : {WM_RBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEMOVE}) Tray(m);
    Tray(WM_RBUTTONDOWN, 2);  // another icon's message
    EXPECT_EQ(system.CountCalls("TrackPopupMenu"), 0u);
    auto nullPosted = [this, message = MSG{}, posted = false]() mutable {
        while (::PeekMessageA(&message, Window(), 0, 0, PM_REMOVE))
            posted |= message.message == WM_NULL;
        return posted;
    };
    EXPECT_FALSE(nullPosted());
    Tray(WM_RBUTTONDOWN);
    EXPECT_EQ(system.calls.back(), "TrackPopupMenu(0x22,700,1000,0,null)");
    EXPECT_TRUE(nullPosted());
    Tray(WM_CONTEXTMENU);
    EXPECT_EQ(system.CountCalls("TrackPopupMenu"), 2u);
    EXPECT_FALSE(Visible());
}

}  // namespace
