// What the user and Windows see of the main window, checked where they see
// it: the pixels of a drawn row, what the list box repaints and whom it lets
// go of, the icon of the minimised window, the removal requests as the
// configuration manager takes them, and what start-up does.
#include "main_window_fixture.h"

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 40;

// A memory picture of one row; what the list box's own drawing gets.
class Canvas {
public:
    Canvas() { m_previous = ::SelectObject(m_dc, m_bitmap); }
    ~Canvas() {
        ::SelectObject(m_dc, m_previous);
        ::DeleteObject(m_bitmap);
        ::DeleteDC(m_dc);
    }
    HDC dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc, x, y); }

private:
    HDC m_dc = ::CreateCompatibleDC(nullptr);
    HBITMAP m_bitmap = ::CreateBitmap(kWidth, kHeight, 1, 32, nullptr);
    HGDIOBJ m_previous;
};

using SeenByUser = MainWindowTest;

// Both lines of the row's text in the row's colour on the row's background,
// 44 pixels from the left and 5 from the top, exactly as DrawText puts them.
TEST_F(SeenByUser, RowTextIsTwoLinesBesideTheIconInTheRowsColours) {
    const char* text = static_cast<const CExtItem*>(List().GetItemDataPtr(0))->m_text;
    for (const auto& [state, ink, paper] :
         {std::tuple<UINT, COLORREF, COLORREF>{0, RGB(0, 0, 0), ::GetSysColor(COLOR_WINDOW)},
          {ODS_SELECTED, RGB(255, 255, 255), RGB(0, 0, 200)}}) {
        Canvas row, expected;
        DRAWITEMSTRUCT draw{ODT_LISTBOX,
                            IDC_DRIVE_LIST,
                            0,
                            ODA_DRAWENTIRE,
                            state,
                            List().m_hWnd,
                            row.dc(),
                            RECT{0, 0, kWidth, kHeight},
                            0};
        Send(WM_DRAWITEM, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&draw));
        RECT all{0, 0, kWidth, kHeight}, box{44, 5, kWidth, kHeight + 1};
        HBRUSH brush = ::CreateSolidBrush(paper);
        ::FillRect(expected.dc(), &all, brush);
        ::DeleteObject(brush);
        ::SetBkMode(expected.dc(), TRANSPARENT);
        ::SetTextColor(expected.dc(), ink);
        ::DrawTextA(expected.dc(), text, -1, &box, 0);
        int differing = 0, inkedBelow = 0;
        for (int y = 2; y < 36; ++y) {
            for (int x = 40; x < kWidth - 3; ++x) {
                differing += row.At(x, y) != expected.At(x, y);
                inkedBelow += y > 21 && expected.At(x, y) == ink;
            }
        }
        EXPECT_GT(inkedBelow, 20) << "the second line has ink of its own";
        EXPECT_EQ(differing, 0) << "state " << state;
    }
}

// The list box's own release handling lets go of the mouse it captured on
// the press; choosing a row repaints the rows whose look changes.
TEST_F(SeenByUser, ReleaseFreesTheMouseAndAChoiceRepaintsItsRows) {
    HWND list = List().m_hWnd;
    RECT row0, row1, row2, dirty{};
    List().GetItemRect(0, &row0);
    List().GetItemRect(1, &row1);
    List().GetItemRect(2, &row2);
    const LPARAM at = MAKELPARAM(row1.left + 50, row1.top + 20);
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    EXPECT_EQ(::GetCapture(), list);
    ::SendMessageA(list, WM_LBUTTONUP, 0, at);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(List().m_chosenIndex, 1);
    ::SendMessageA(list, WM_KEYDOWN, VK_HOME, 0);
    ::ValidateRect(list, nullptr);
    List().m_chosenIndex = 2;
    List().RepaintChoice();
    ASSERT_TRUE(::GetUpdateRect(list, &dirty, FALSE));
    EXPECT_TRUE(dirty.top <= row0.top && dirty.bottom > row2.top)
        << dirty.top << ".." << dirty.bottom;
}

// The icon a minimised window paints lies centred in its area. Today's
// Windows gives an iconic window no client area to paint, so the window is
// made iconic as older Windows did: its area kept, its controls gone, its
// painting (under Wine as there) measured from the window's own corner.
TEST_F(SeenByUser, MinimisedWindowPaintsItsIconCentred) {
    // Read from the screen: no window of an earlier test may lie over it.
    ::SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    for (HWND child = ::GetWindow(Window(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::ShowWindow(child, SW_HIDE);
    }
    ::SetWindowLongA(Window(), GWL_STYLE, ::GetWindowLongA(Window(), GWL_STYLE) | WS_MINIMIZE);
    RECT client, window;
    ::GetClientRect(Window(), &client);
    ::GetWindowRect(Window(), &window);
    const int cx = ::GetSystemMetrics(SM_CXICON), cy = ::GetSystemMetrics(SM_CYICON);
    HDC screen = ::GetDC(nullptr);
    int inked = 0;
    // The X server shows the window when it gets to it: a busy one, later.
    for (int tries = 0; tries < 40 && inked <= cx * cy / 4; ++tries, ::Sleep(50)) {
        ::RedrawWindow(Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        const COLORREF background = ::GetPixel(screen, window.right - 10, window.bottom - 10);
        inked = 0;
        for (int y = 0; y < cy; ++y) {
            for (int x = 0; x < cx; ++x) {
                inked += ::GetPixel(screen, window.left + (client.right - cx + 1) / 2 + x,
                                    window.top + (client.bottom - cy + 1) / 2 + y) != background;
            }
        }
    }
    ::ReleaseDC(nullptr, screen);
    EXPECT_GT(inked, cx * cy / 4);
}

// The default machine: row 0 the system-less generic stick (removed through
// query-and-remove), row 1 the locked Warden drive its companion holds open,
// row 3 the KR7 (ejected). Every request leaves the notice to the system, and
// the companion is gone before the request that it would veto.
TEST_F(SeenByUser, RemovalRequestsLeaveTheNoticeToTheSystem) {
    for (const auto& [row, disk] : {std::pair<int, DWORD>{0, 4}, {1, 3}, {3, 1}}) {
        CreateWindowOn(DefaultMachineDescription());
        system.processes = {{40, "Warden.exe"}, {41, "explorer.exe"}};
        List().m_chosenIndex = row;
        Command(IDC_DRIVE_LIST, LBN_DBLCLK);
        std::string result = "(no request)";
        for (const JournalEntry& entry : machine->Journal()) {
            const std::string& call = entry.function;
            if (call.find("Remove") != call.npos || call.find("Eject") != call.npos) {
                result = entry.result;
            }
        }
        EXPECT_EQ(result, "CR_SUCCESS, system notice") << "row " << row;
        EXPECT_FALSE(machine->HasDisk(disk)) << machine->JournalText();
    }
}

// Older copies end and this one (process 100) stays. The switch is looked
// for in the whole command line, case-sensitive and untokenised.
TEST_F(SeenByUser, StartUpEndsOlderCopiesAndGoesToTheTrayOnlyWithTheSwitch) {
    for (const auto& [commandLine, toTray] : {std::pair<const char*, size_t>{"", 0},
                                              {"/min", 1},
                                              {"\"C:\\K.exe\" /MIN", 0},
                                              {"\"C:\\K.exe\" /minimize", 1},
                                              {"C:\\tools/min\\K.exe", 1}}) {
        system.commandLine = commandLine;
        system.calls.clear();
        system.terminated.clear();
        system.processes = {{7, "Korvane_Safe_Eject.exe"}, {100, "Korvane_Safe_Eject.exe"}};
        CreateWindowOn(DefaultMachineDescription());
        EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(0)"), toTray) << commandLine;  // NIM_ADD
        EXPECT_EQ(system.terminated, std::vector<DWORD>{7});
    }
}

}  // namespace
