// The main window's life in the tray: the icon record, the state table, the
// icon's mouse messages and the tray menu's commands.
#include <functional>

#include "main_window_fixture.h"

namespace {

class TrayTest : public MainWindowTest {
protected:
    void Tray(LPARAM mouseMessage, WPARAM iconId = kTrayIconId) {
        Send(WM_TRAYNOTIFY, iconId, mouseMessage);
    }
    bool Visible() const { return ::IsWindowVisible(Window()) != FALSE; }
};

TEST_F(TrayTest, MinimizeToTrayHidesTheWindowBehindAnIconWithoutTooltip) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    EXPECT_FALSE(Visible());
    ASSERT_EQ(system.CountCalls("Shell_NotifyIconA(0)"), 1u);  // NIM_ADD
    const NOTIFYICONDATAA& record = system.notifyIconRecords.back();
    EXPECT_EQ(record.cbSize, sizeof(NOTIFYICONDATAA));
    EXPECT_EQ(record.hWnd, Window());
    EXPECT_EQ(record.uID, 1u);
    EXPECT_EQ(record.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(record.uCallbackMessage, 0x0401u);
    EXPECT_EQ(record.hIcon, dialog->m_hIcon);
    EXPECT_EQ(record.szTip[0], '\0');
    EXPECT_TRUE(system.messageBoxes.empty());
}

TEST_F(TrayTest, IconThatCannotBeAddedIsReportedAndTheWindowStaysHidden) {
    system.notifyIconFails = true;
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    EXPECT_FALSE(Visible());
    EXPECT_EQ(system.messageBoxes,
              std::vector<std::string>{"Korvane_Safe_Eject|Unable to Set Tray Icon|0x0"});
}

TEST_F(TrayTest, DoubleClickBringsTheWindowBackWithAFreshList) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    const size_t before = Refreshes();
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_TRUE(Visible());
    EXPECT_FALSE(::IsIconic(Window()));
    EXPECT_EQ(Refreshes() - before, 1u);
    EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(2)"), 1u);  // NIM_DELETE
}

TEST_F(TrayTest, RestoreShowsTheWindowAndLeavesTheIcon) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    const size_t before = Refreshes();
    Command(ID_TRAY_RESTORE);
    EXPECT_TRUE(Visible());
    EXPECT_EQ(Refreshes(), before);
    EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(2)"), 0u);
    // The icon left behind still answers a double-click, which removes it.
    Tray(WM_LBUTTONDBLCLK);
    EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(2)"), 1u);
}

// Windows refuses a second icon with the same id; the icon from the first
// visit is there, so going to the tray again is no failure.
TEST_F(TrayTest, GoingBackToTheTrayWhileTheIconStaysIsNoFailure) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    Command(ID_TRAY_RESTORE);
    system.notifyIconFails = true;  // as a duplicate add fails
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    EXPECT_FALSE(Visible());
    EXPECT_TRUE(system.messageBoxes.empty());
}

// A hidden start minimises the window before it is ever shown; coming back
// from the tray must still put it where a normal start does.
TEST_F(TrayTest, HiddenStartComesBackNearTheLowerRightCorner) {
    system.commandLine += " /min";
    for (const LPARAM trayMessage : {LPARAM{WM_LBUTTONDBLCLK}, LPARAM{0}}) {
        CreateWindowOn(DefaultMachineDescription());
        dialog->ShowWindow(SW_HIDE);  // as start-up does once the window is made
        trayMessage != 0 ? Tray(trayMessage) : Command(ID_TRAY_RESTORE);
        RECT frame{};
        ::GetWindowRect(Window(), &frame);
        EXPECT_EQ(frame.left, ::GetSystemMetrics(SM_CXSCREEN) - 400) << trayMessage;
        EXPECT_EQ(frame.top, ::GetSystemMetrics(SM_CYSCREEN) - 246) << trayMessage;
    }
}

// A restarted taskbar has an empty tray: the icon is added again while it is
// meant to be there, silently, also after the first add failed because the
// taskbar was not yet ready.
TEST_F(TrayTest, ANewTaskbarGetsTheIconBackWhileItIsMeantToBeThere) {
    const struct {
        const char* state;
        std::function<void()> reach;
        bool added;
    } cases[] = {
        {"never in the tray", [] {}, false},
        {"in the tray", [this] { Command(ID_OPTIONS_MINIMIZE_TO_TRAY); }, true},
        {"restored, icon left",
         [this] {
             Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
             Command(ID_TRAY_RESTORE);
         },
         true},
        {"icon double-clicked away",
         [this] {
             Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
             Tray(WM_LBUTTONDBLCLK);
         },
         false},
        {"first add failed",
         [this] {
             system.notifyIconFails = true;
             Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
             system.notifyIconFails = false;
         },
         true},
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
        // A failing add on its arrival is not reported.
        system.notifyIconFails = true;
        Send(taskbarCreated);
        system.notifyIconFails = false;
        EXPECT_EQ(system.messageBoxes.size(), boxes) << state;
    }
}

TEST_F(TrayTest, RightButtonPressOpensTheMenuAtTheCursor) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    system.cursor = POINT{700, 1000};
    Tray(WM_RBUTTONUP);
    Tray(WM_LBUTTONDOWN);
    Tray(WM_LBUTTONUP);
    Tray(WM_MOUSEMOVE);
    Tray(WM_RBUTTONDOWN, 2);  // another icon's message
    EXPECT_EQ(system.CountCalls("TrackPopupMenu"), 0u);
    Tray(WM_RBUTTONDOWN);
    EXPECT_EQ(system.calls.back(), "TrackPopupMenu(0x22,700,1000,0,null)");
    Tray(WM_CONTEXTMENU);
    EXPECT_EQ(system.CountCalls("TrackPopupMenu"), 2u);
    EXPECT_FALSE(Visible());
}

// Windows wants a message posted to the menu's owner once the menu is closed,
// or the next right click may not open it. (The owner's foreground change
// before the menu is not made under Wine, so it is a real-Windows check.)
TEST_F(TrayTest, TrayMenuOwnerGetsANullMessageAfterwards) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    MSG message;
    while (::PeekMessageA(&message, Window(), 0, 0, PM_REMOVE)) {
    }
    Tray(WM_RBUTTONDOWN);
    bool nullPosted = false;
    while (::PeekMessageA(&message, Window(), 0, 0, PM_REMOVE)) {
        nullPosted = nullPosted || message.message == WM_NULL;
    }
    EXPECT_TRUE(nullPosted);
}

TEST_F(TrayTest, TrayMenuHasRestoreSeparatorExit) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    HMENU popup = dialog->m_trayMenu.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(::GetMenuItemCount(popup), 3);
    EXPECT_EQ(::GetMenuItemID(popup, 0), static_cast<UINT>(ID_TRAY_RESTORE));
    EXPECT_EQ(::GetMenuState(popup, 1, MF_BYPOSITION) & MF_SEPARATOR,
              static_cast<UINT>(MF_SEPARATOR));
    EXPECT_EQ(::GetMenuItemID(popup, 2), static_cast<UINT>(ID_TRAY_EXIT));
}

TEST_F(TrayTest, TrayExitDeletesTheIconThenEndsTheProcess) {
    Command(ID_OPTIONS_MINIMIZE_TO_TRAY);
    system.calls.clear();
    Command(ID_TRAY_EXIT);
    EXPECT_EQ(system.calls, (std::vector<std::string>{"Shell_NotifyIconA(2)", "ExitProcess(0)"}));
}

TEST_F(TrayTest, DestroyingTheWindowDeletesTheIcon) {
    system.calls.clear();
    dialog.reset();
    EXPECT_EQ(system.calls, std::vector<std::string>{"Shell_NotifyIconA(2)"});
}

}  // namespace
