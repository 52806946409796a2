// What the user and Windows see of the main window, checked where they see
// it: the icon of the minimised window, the removal requests as the
// configuration manager takes them, and what start-up does.
#include "main_window_fixture.h"

namespace {

using SeenByUser = MainWindowTest;

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
