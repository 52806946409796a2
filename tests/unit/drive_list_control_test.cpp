// The drive list control: its rows and records, and how the mouse and keys
// choose the row that Eject acts on.
#include <gtest/gtest.h>

#include "drive_list_host.h"

namespace {

class DriveListControl : public ::testing::Test {
protected:
    void AddRows(std::initializer_list<const char*> texts) {
        for (const char* text : texts) host.list.AddItem(text, ProgramIcon(IDI_GENERIC_DISK));
    }
    void ReleaseAt(int x, int y) const {
        ::SendMessageA(host.list.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    DriveListHost host;
};

TEST_F(DriveListControl, NewRowsGoOnTopAndRecordsFollowTheRows) {
    AddRows({"A", "B", "C"});
    AddRows({"D"});
    EXPECT_EQ(host.RowTexts(), (std::vector<std::string>{"D", "C", "B", "A"}));
    EXPECT_EQ(host.list.RecordCount(), 4u);
    RECT row;
    host.list.GetItemRect(0, &row);
    EXPECT_EQ(row.bottom - row.top, 40);
    host.list.SetCurSel(1);
    host.list.m_chosenIndex = 1;
    host.list.ClearChoice();
    EXPECT_EQ(host.list.m_chosenIndex, -1);
    EXPECT_EQ(host.list.GetCurSel(), LB_ERR);
    host.list.RemoveAllItems();
    EXPECT_EQ(host.list.GetCount(), 0);
    EXPECT_EQ(host.list.RecordCount(), 0u);
}

// A release chooses the row under the pointer, or the last row below them all.
TEST_F(DriveListControl, ReleaseChoosesTheRowUnderThePointerOrTheLastRow) {
    AddRows({"A", "B", "C"});
    ReleaseAt(50, 60);
    EXPECT_EQ(host.list.m_chosenIndex, 1);
    host.list.RemoveAllItems();
    AddRows({"A"});
    RECT client;
    ::GetClientRect(host.list.m_hWnd, &client);
    ASSERT_GT(client.bottom, 45) << "room below the one 40-pixel row";
    ReleaseAt(10, client.bottom - 2);
    EXPECT_EQ(host.list.m_chosenIndex, 0);
}

// The keys that move the highlight choose the row they highlight; others
// leave the choice alone.
TEST_F(DriveListControl, KeysChooseTheRowTheyHighlight) {
    AddRows({"A", "B", "C"});
    host.list.SetCurSel(0);
    for (const auto& [key, row] : {std::pair<UINT, int>{VK_DOWN, 1},
                                   {VK_DOWN, 2},
                                   {VK_DOWN, 2},  // already on the last row
                                   {VK_UP, 1},
                                   {VK_HOME, 0},
                                   {VK_UP, 0},
                                   {VK_END, 2},
                                   {VK_PRIOR, 1},  // a page is one row here
                                   {VK_NEXT, 2},
                                   {'X', 2}}) {
        ::SendMessageA(host.list.m_hWnd, WM_KEYDOWN, key, 0);
        EXPECT_EQ(host.list.GetCurSel(), row) << key;
        EXPECT_EQ(host.list.m_chosenIndex, row) << key;
    }
}

}  // namespace
