// Everyone can read the drive list: the rows' accessible names after every
// rebuild, the chosen row announced, and the rows drawn in the theme's colours
// while High Contrast is on.
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
    DWORD GetSysColor(int index) override {
        const std::map<int, COLORREF> black{{COLOR_WINDOW, 0x000000},
                                            {COLOR_WINDOWTEXT, 0xFFFFFF},
                                            {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
                                            {COLOR_HIGHLIGHTTEXT, 0x000000}};
        return highContrast && black.count(index) ? black.at(index) : ::GetSysColor(index);
    }
    std::string Key(HWND window, DWORD object, DWORD child, const MSAAPROPID& property) const {
        const bool listClient = window == list && object == static_cast<DWORD>(OBJID_CLIENT);
        return (listClient ? "" : "elsewhere ") + std::to_string(child) +
               (property == PROPID_ACC_NAME ? " name" : " description");
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

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        g_list = fake.list = host.list.m_hWnd;
        host.list.UseAccessibilityApi(fake);
    }

    FakeAccessibility fake;  // outlives the list, which clears its names when destroyed
    RecordingSystemApi system;
    DriveListHost host;
};

TEST_F(Accessibility, EveryRebuildNamesItsRowsAndForgetsTheOldOnes) {
    MachineDescription description;
    description.disks = {MakeUsbDisk(1, "Stick A"), MakeUsbDisk(2, "Stick B")};
    description.volumes = {MakeVolume(1, "E:\\", "ALPHA"), MakeVolume(2, "F:\\", "BETA")};
    SimulatedMachine machine(description);
    const struct {
        DWORD unplug;  // 0: none
        std::map<std::string, std::wstring> expected;
    } steps[] = {
        {0,
         {{"1 name", L"(F:) BETA"},
          {"1 description", L"Stick B  [0MB/0MB Free]"},
          {"2 name", L"(E:) ALPHA"},
          {"2 description", L"Stick A  [0MB/0MB Free]"}}},
        {2, {{"1 name", L"(E:) ALPHA"}, {"1 description", L"Stick A  [0MB/0MB Free]"}}},
        {1, {{"1 name", L"No removal disks found."}}},
    };
    for (const auto& step : steps) {
        if (step.unplug != 0) machine.Unplug(step.unplug);
        host.table.Rebuild(machine, system, host.list, host.m_hWnd);
        EXPECT_EQ(fake.annotations, step.expected) << "after unplugging " << step.unplug;
    }
    host.DestroyWindow();
    EXPECT_TRUE(fake.annotations.empty());
}

// Wine's list box raises no event for its selection: what is seen here is the
// list's own announcement of the chosen row.
TEST_F(Accessibility, EachNewChoiceIsAnnouncedToScreenReaders) {
    for (const char* text : {"A", "B", "C"}) host.list.AddItem(text, nullptr);
    host.list.SetCurSel(0);
    ::SetFocus(g_list);
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr,
                                           &RecordEvent, ::GetCurrentProcessId(), 0, 0);
    // EVENT_OBJECT_FOCUS is 32773, EVENT_OBJECT_SELECTION 32774.
    for (const auto& [key, expected] : {std::pair<UINT, Strings>{VK_DOWN, {"32773 2", "32774 2"}},
                                        {VK_DOWN, {"32773 3", "32774 3"}},
                                        {VK_DOWN, {}},  // already on the last row
                                        {VK_UP, {"32773 2", "32774 2"}},
                                        {'X', {}}}) {
        g_events.clear();
        ::SendMessageA(g_list, WM_KEYDOWN, key, 0);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        EXPECT_EQ(g_events, expected) << key;
    }
    ::UnhookWinEvent(hook);
}

// One row drawn into a bitmap while High Contrast is switched on and off
// again; the ordinary look's pixels are checked with the main window's.
TEST_F(Accessibility, HighContrastDrawsInTheThemesColours) {
    host.list.AddItem("(E:) DATA\nStick", nullptr);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HBITMAP bitmap = ::CreateBitmap(200, 40, 1, 32, nullptr);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    const struct {
        UINT message;  // how the dialog hears of the change
        bool highContrast;
        UINT state;
        COLORREF fill, frame, text;
    } cases[] = {
        {WM_SETTINGCHANGE, true, 0, 0x000000, 0x000000, 0xFFFFFF},
        {WM_SETTINGCHANGE, true, ODS_SELECTED, RGB(26, 235, 255), 0xFFFFFF, 0x000000},
        {WM_SYSCOLORCHANGE, false, ODS_SELECTED, RGB(0, 0, 200), 0x000000, 0xFFFFFF},
    };
    for (const auto& c : cases) {
        fake.highContrast = c.highContrast;
        ::SendMessageA(host.m_hWnd, c.message, 0, 0);
        DRAWITEMSTRUCT draw{ODT_LISTBOX, IDC_DRIVE_LIST,  0, ODA_DRAWENTIRE, c.state, g_list,
                            dc,          {0, 0, 200, 40}, 0};
        ::SendMessageA(host.m_hWnd, WM_DRAWITEM, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&draw));
        int textPixels = 0;
        for (int x = 40; x < 120; ++x) {
            for (int y = 5; y < 20; ++y) textPixels += ::GetPixel(dc, x, y) == c.text;
        }
        EXPECT_EQ(::GetPixel(dc, 190, 20), c.fill) << c.highContrast << c.state;
        EXPECT_EQ(::GetPixel(dc, 0, 20), c.frame) << c.highContrast << c.state;
        EXPECT_GT(textPixels, 10) << c.highContrast << c.state;
    }
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
}

}  // namespace
