// The drive list control: its rows and records, how the mouse and keys choose
// the row that Eject acts on, and what screen readers and the eye get: the
// rows' accessible names, the chosen row announced, the rows' pixels in the
// ordinary and the High Contrast look.
#include <gtest/gtest.h>

#include <map>

#include "drive_list_host.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"

namespace {

using Strings = std::vector<std::string>;

// Keeps the list's annotations as oleacc would ("<child id> name" -> text), and
// answers High Contrast with the colours of Windows' High Contrast Black.
class FakeAccessibility : public AccessibilityApi {
public:
    HRESULT SetHwndPropStr(HWND window, DWORD object, DWORD child, MSAAPROPID property,
                           LPCWSTR text) override {
        annotations[Key(window, object, child, property)] = text;
        return S_OK;
    }
    HRESULT ClearHwndProps(HWND window, DWORD object, DWORD child, const MSAAPROPID* properties,
                           int count) override {
        for (int i = 0; i < count; ++i)
            annotations.erase(Key(window, object, child, properties[i]));
        return S_OK;
    }
    BOOL SystemParametersInfoA(UINT action, UINT, void* value, UINT) override {
        static_cast<HIGHCONTRASTA*>(value)->dwFlags = highContrast ? HCF_HIGHCONTRASTON : 0;
        return action == SPI_GETHIGHCONTRAST;
    }
    // Asked for the window, highlight and their texts' colours only.
    DWORD GetSysColor(int index) override {
        if (!highContrast) return ::GetSysColor(index);
        return index == COLOR_WINDOWTEXT  ? 0xFFFFFF
               : index == COLOR_HIGHLIGHT ? RGB(26, 235, 255)
                                          : 0;
    }
    std::string Key(HWND window, DWORD object, DWORD child, const MSAAPROPID& property) const {
        return (window == list && object == DWORD(OBJID_CLIENT) ? "" : "elsewhere ") +
               std::to_string(child) + (property == PROPID_ACC_NAME ? " name" : " description");
    }

    HWND list = nullptr;
    bool highContrast = false;
    std::map<std::string, std::wstring> annotations;
};

HWND g_list = nullptr;
Strings g_events;  // the list's focus and selection events, as "<event> <child id>"

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                          DWORD) {
    if (window == g_list && object == OBJID_CLIENT)
        g_events.push_back(std::to_string(event) + " " + std::to_string(child));
}

class DriveListControl : public ::testing::Test {
protected:
    void SetUp() override {
        g_list = fake.list = host.list.m_hWnd;
        host.list.UseAccessibilityApi(fake);
    }
    void AddRows(std::initializer_list<const char*> texts) {
        for (const char* text : texts) host.list.AddItem(text, ProgramIcon(IDI_GENERIC_DISK));
    }
    void Mouse(UINT message, int x, int y) const {
        ::SendMessageA(g_list, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                       MAKELPARAM(x, y));
    }

    FakeAccessibility fake;  // outlives the list, which clears its names when destroyed
    DriveListHost host;
};

// New rows go on top, 40 pixels high, their records following them. A
// release chooses the row under the pointer, or the last row below them all,
// and lets go of the mouse the press captured; a new choice repaints the rows
// whose look changes.
TEST_F(DriveListControl, RowsAndTheReleaseThatChoosesOne) {
    AddRows({"A", "B"});
    AddRows({"C"});
    EXPECT_EQ(host.RowTexts(), (Strings{"C", "B", "A"}));
    EXPECT_EQ(host.list.RecordCount(), 3u);
    RECT row, dirty{}, client;
    host.list.GetItemRect(0, &row);
    EXPECT_EQ(row.bottom - row.top, 40);
    Mouse(WM_LBUTTONDOWN, 50, 60);
    EXPECT_EQ(::GetCapture(), g_list);
    Mouse(WM_LBUTTONUP, 50, 60);
    EXPECT_EQ(::GetCapture(), nullptr);
    EXPECT_EQ(host.list.m_chosenIndex, 1);
    ::ValidateRect(g_list, nullptr);
    host.list.m_chosenIndex = 2;
    host.list.RepaintChoice();
    ASSERT_TRUE(::GetUpdateRect(g_list, &dirty, FALSE));
    EXPECT_TRUE(dirty.top <= 40 && dirty.bottom > 80) << dirty.top << ".." << dirty.bottom;
    host.list.RemoveAllItems();
    EXPECT_EQ(host.list.RecordCount(), 0u);
    AddRows({"A"});
    ::GetClientRect(g_list, &client);
    ASSERT_GT(client.bottom, 45) << "room below the one 40-pixel row";
    Mouse(WM_LBUTTONUP, 10, client.bottom - 2);
    EXPECT_EQ(host.list.m_chosenIndex, 0);
}

// The keys that move the highlight choose the row they highlight, and each
// new choice is announced to screen readers (Wine's list box raises no event
// for its selection: what is seen here is the list's own announcement).
TEST_F(DriveListControl, KeysChooseTheRowTheyHighlightAndAnnounceIt) {
    AddRows({"A", "B", "C"});
    host.list.SetCurSel(0);
    ::SetFocus(g_list);
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr,
                                           &RecordEvent, ::GetCurrentProcessId(), 0, 0);
    // Down on the last row stays; a page is one row here.
    for (const auto& [key, row] : {std::pair<UINT, int>{VK_DOWN, 1},
                                   {VK_DOWN, 2},
                                   {VK_DOWN, 2},
                                   {VK_UP, 1},
                                   {VK_HOME, 0},
                                   {VK_UP, 0},
                                   {VK_END, 2},
                                   {VK_PRIOR, 1},
                                   {VK_NEXT, 2},
                                   {'X', 2}}) {
        const int before = host.list.m_chosenIndex;
        g_events.clear();
        ::SendMessageA(g_list, WM_KEYDOWN, key, 0);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        EXPECT_EQ(host.list.GetCurSel(), row) << key;
        EXPECT_EQ(host.list.m_chosenIndex, row) << key;
        const std::string child = std::to_string(row + 1);  // EVENT_OBJECT_FOCUS, _SELECTION
        const Strings announced{"32773 " + child, "32774 " + child};
        EXPECT_EQ(g_events, row == before ? Strings{} : announced) << key;
    }
    ::UnhookWinEvent(hook);
}

TEST_F(DriveListControl, EveryRebuildNamesItsRowsAndForgetsTheOldOnes) {
    SimulatedMachine machine(
        MachineDescription{{MakeUsbDisk(1, "Stick A"), MakeUsbDisk(2, "Stick B")},
                           {MakeVolume(1, "E:\\", "ALPHA"), MakeVolume(2, "F:\\", "BETA")},
                           {}});
    RecordingSystemApi system;
    const struct {
        DWORD unplug;  // 0: none
        std::map<std::string, std::wstring> expected;
    } steps[] = {
        {0,
         {{"1 name", L"(F:) BETA"},
          {"1 description", L"Stick B  [0MB/0MB Free]"},
          {"2 name", L"(E:) ALPHA"},
          {"2 description", L"Stick A  [0MB/0MB Free]"}}},
        {1, {{"1 name", L"(F:) BETA"}, {"1 description", L"Stick B  [0MB/0MB Free]"}}},
        {2, {{"1 name", L"No removal disks found."}}},
    };
    for (const auto& step : steps) {
        if (step.unplug != 0) machine.Unplug(step.unplug);
        host.table.Rebuild(machine, system, host.list, host.m_hWnd);
        EXPECT_EQ(fake.annotations, step.expected) << "after unplugging " << step.unplug;
    }
    host.DestroyWindow();
    EXPECT_TRUE(fake.annotations.empty());
}

// One row drawn into the top of a bitmap, under it the picture it should
// give: the frame and background, then both lines of text 44 pixels from the
// left and 5 from the top, as DrawText puts them. High Contrast is switched on
// and off again the ways Windows tells the dialog of it.
TEST_F(DriveListControl, RowsAreDrawnInTheirLooksColours) {
    const char* text = "(E:) DATA\nStick";
    host.list.AddItem(text, nullptr);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateBitmap(200, 80, 1, 32, nullptr);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW), black = 0, white = 0xFFFFFF;
    const struct {
        UINT message;
        bool highContrast;
        UINT state;
        COLORREF frame, paper, ink;
    } cases[] = {
        {WM_SETTINGCHANGE, true, 0, black, black, white},
        {WM_SETTINGCHANGE, true, ODS_SELECTED, white, RGB(26, 235, 255), black},
        {WM_SYSCOLORCHANGE, false, ODS_SELECTED, black, RGB(0, 0, 200), white},
        {WM_SYSCOLORCHANGE, false, 0, window, window, black},
    };
    for (const auto& c : cases) {
        fake.highContrast = c.highContrast;
        ::SendMessageA(host.m_hWnd, c.message, 0, 0);
        DRAWITEMSTRUCT draw{ODT_LISTBOX, IDC_DRIVE_LIST,  0, ODA_DRAWENTIRE, c.state, g_list,
                            dc,          {0, 0, 200, 40}, 0};
        ::SendMessageA(host.m_hWnd, WM_DRAWITEM, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&draw));
        RECT all{0, 40, 200, 80}, inner{1, 41, 199, 79}, box{44, 45, 200, 81};
        for (const auto& [rect, colour] : {std::pair{&all, c.frame}, {&inner, c.paper}}) {
            ::SetDCBrushColor(dc, colour);
            ::FillRect(dc, rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
        }
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, c.ink);
        ::DrawTextA(dc, text, -1, &box, 0);
        int differing = 0;
        for (int y = 0; y < 37; ++y) {
            for (int x = y < 2 ? 0 : 40; x < 200; ++x)
                differing += ::GetPixel(dc, x, y) != ::GetPixel(dc, x, y + 40);
        }
        EXPECT_EQ(differing, 0) << c.highContrast << " " << c.state;
    }
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

}  // namespace
