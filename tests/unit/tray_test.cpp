// The main window's life in the tray: the icon record, the state table, the
// icon's mouse messages and the tray menu's commands.
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
