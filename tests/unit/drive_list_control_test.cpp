// The drive list control: its rows and records, how rows are drawn for each
// draw request, and how the mouse and keys choose the row that Eject acts on.
#include <gtest/gtest.h>

#include "drive_list_host.h"

namespace {

class DriveListControl : public ::testing::Test {
protected:
    void AddRows(std::initializer_list<const char*> texts) {
        for (const char* text : texts) host.list.AddItem(text, ProgramIcon(IDI_GENERIC_DISK));
    }
    HWND List() const { return host.list.m_hWnd; }
    POINT RowCentre(int row) const {
        RECT rect;
        host.list.GetItemRect(row, &rect);
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }
    void ReleaseAt(POINT point) const {
        ::SendMessageA(List(), WM_LBUTTONUP, 0, MAKELPARAM(point.x, point.y));
    }
    void Key(UINT key) const { ::SendMessageA(List(), WM_KEYDOWN, key, 0); }

    DriveListHost host;
};

TEST_F(DriveListControl, NewRowsGoOnTopAndRecordsFollowTheRows) {
    AddRows({"A", "B", "C"});
    EXPECT_EQ(host.RowTexts(), (std::vector<std::string>{"C", "B", "A"}));
    AddRows({"D"});
    EXPECT_EQ(host.RowTexts()[0], "D");
    EXPECT_EQ(host.list.RecordCount(), 4u);
    RECT row;
    host.list.GetItemRect(0, &row);
    EXPECT_EQ(row.bottom - row.top, 40);
    host.list.RemoveAllItems();
    EXPECT_EQ(host.list.GetCount(), 0);
    EXPECT_EQ(host.list.RecordCount(), 0u);
}

TEST_F(DriveListControl, ClearChoiceLeavesNothingChosenOrSelected) {
    AddRows({"A", "B"});
    host.list.SetCurSel(1);
    host.list.m_chosenIndex = 1;
    host.list.ClearChoice();
    EXPECT_EQ(host.list.m_chosenIndex, -1);
    EXPECT_EQ(host.list.GetCurSel(), LB_ERR);
}

TEST_F(DriveListControl, ReleaseChoosesTheRowUnderThePointerOrTheLastRow) {
    AddRows({"A", "B", "C"});
    ReleaseAt(RowCentre(1));
    EXPECT_EQ(host.list.m_chosenIndex, 1);
    host.list.RemoveAllItems();
    AddRows({"A"});
    RECT client;
    ::GetClientRect(List(), &client);
    ASSERT_GT(client.bottom, 45) << "room below the one 40-pixel row";
    ReleaseAt(POINT{10, client.bottom - 2});
    EXPECT_EQ(host.list.m_chosenIndex, 0);
}

TEST_F(DriveListControl, UpAndDownChooseTheRowTheyHighlight) {
    AddRows({"A", "B", "C"});
    host.list.SetCurSel(0);
    Key(VK_DOWN);
    EXPECT_EQ(host.list.GetCurSel(), 1);
    EXPECT_EQ(host.list.m_chosenIndex, 1);
    Key(VK_DOWN);
    Key(VK_DOWN);  // already on the last row
    EXPECT_EQ(host.list.GetCurSel(), 2);
    EXPECT_EQ(host.list.m_chosenIndex, 2);
    Key(VK_UP);
    EXPECT_EQ(host.list.GetCurSel(), 1);
    EXPECT_EQ(host.list.m_chosenIndex, 1);
    Key(VK_HOME);
    EXPECT_EQ(host.list.GetCurSel(), 0);
    EXPECT_EQ(host.list.m_chosenIndex, 0);
    Key(VK_UP);  // on row 0: nothing changes
    EXPECT_EQ(host.list.GetCurSel(), 0);
    EXPECT_EQ(host.list.m_chosenIndex, 0);
    Key(VK_END);
    EXPECT_EQ(host.list.m_chosenIndex, 2);
    Key('X');  // other keys leave the choice alone
    EXPECT_EQ(host.list.m_chosenIndex, 2);
}

// Draws one row into a bitmap of its own and reads the pixels back.
class RowPainting : public DriveListControl {
protected:
    void SetUp() override {
        AddRows({"(E:) DATA\nStick  [1GB/2GB Free]"});
        screen = ::GetDC(nullptr);
        dc = ::CreateCompatibleDC(screen);
        bitmap = ::CreateCompatibleBitmap(screen, 200, 40);
        previous = ::SelectObject(dc, bitmap);
        RECT all{0, 0, 200, 40};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
    }
    void TearDown() override {
        ::SelectObject(dc, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
    }
    void Draw(UINT action, UINT state) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTBOX;
        draw.CtlID = IDC_DRIVE_LIST;
        draw.itemID = 0;
        draw.itemAction = action;
        draw.itemState = state;
        draw.hwndItem = List();
        draw.hDC = dc;
        draw.rcItem = RECT{0, 0, 200, 40};
        ::SendMessageA(host.m_hWnd, WM_DRAWITEM, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&draw));
    }
    COLORREF At(int x, int y) const { return ::GetPixel(dc, x, y); }

    HDC screen{}, dc{};
    HBITMAP bitmap{};
    HGDIOBJ previous{};
};

TEST_F(RowPainting, NormalLookFillsWithTheWindowColour) {
    Draw(ODA_DRAWENTIRE, 0);
    EXPECT_EQ(At(190, 20), ::GetSysColor(COLOR_WINDOW));
    // The sunken edge's inner line runs one pixel above the row's last.
    EXPECT_EQ(At(190, 38), ::GetSysColor(COLOR_3DLIGHT)) << "the sunken separator";
}

TEST_F(RowPainting, SelectedLookIsDarkBlueInABlackFrame) {
    for (UINT action : {UINT{ODA_DRAWENTIRE}, UINT{ODA_SELECT}}) {
        Draw(action, ODS_SELECTED);
        EXPECT_EQ(At(0, 20), RGB(0, 0, 0)) << action;
        EXPECT_EQ(At(199, 20), RGB(0, 0, 0)) << action;
        EXPECT_EQ(At(190, 20), RGB(0, 0, 200)) << action;
    }
    Draw(ODA_SELECT, 0);  // deselected again
    EXPECT_EQ(At(190, 20), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(RowPainting, TextStartsBesideTheIconAndFocusAloneDrawsNothing) {
    Draw(ODA_FOCUS, ODS_FOCUS | ODS_SELECTED);
    EXPECT_EQ(At(190, 20), RGB(128, 128, 128));
    Draw(ODA_DRAWENTIRE, 0);
    bool textBesideIcon = false;
    for (int x = 40; x < 120 && !textBesideIcon; ++x) {
        for (int y = 5; y < 20; ++y) textBesideIcon = textBesideIcon || At(x, y) == RGB(0, 0, 0);
    }
    EXPECT_TRUE(textBesideIcon);
}

}  // namespace
