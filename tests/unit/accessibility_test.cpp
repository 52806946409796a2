// Everyone can read the drive list: the rows' accessible names after every
// rebuild, the chosen row announced, and the rows drawn in the theme's colours
// while High Contrast is on and exactly as before while it is off.
#include <gtest/gtest.h>

#include <map>

#include "drive_list_host.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"

namespace {

using Annotations = std::map<std::string, std::wstring>;  // "<child id> name" -> text

// Keeps annotations as oleacc would, and answers High Contrast with the
// colours of Windows' High Contrast Black theme.
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
        if (action != SPI_GETHIGHCONTRAST) return FALSE;
        static_cast<HIGHCONTRASTA*>(value)->dwFlags = highContrast ? HCF_HIGHCONTRASTON : 0;
        return TRUE;
    }
    DWORD GetSysColor(int index) override {
        const std::map<int, COLORREF> black{{COLOR_WINDOW, RGB(0, 0, 0)},
                                            {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
                                            {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
                                            {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)}};
        return highContrast && black.count(index) ? black.at(index) : ::GetSysColor(index);
    }

    HWND list = nullptr;
    bool highContrast = false;
    Annotations annotations;

private:
    std::string Key(HWND window, DWORD object, DWORD child, const MSAAPROPID& property) const {
        const bool listClient = window == list && object == static_cast<DWORD>(OBJID_CLIENT);
        return (listClient ? "" : "elsewhere ") + std::to_string(child) +
               (property == PROPID_ACC_NAME ? " name" : " description");
    }
};

std::vector<std::pair<DWORD, LONG>> g_events;  // event and child id, for the list only
HWND g_watched = nullptr;

void CALLBACK RecordEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                          DWORD) {
    if (window == g_watched && object == OBJID_CLIENT) g_events.emplace_back(event, child);
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        fake.list = host.list.m_hWnd;
        host.list.UseAccessibilityApi(fake);
    }

    FakeAccessibility fake;  // outlives the list, which clears its names when destroyed
    RecordingSystemApi system;
    DriveListHost host;
};

TEST_F(Accessibility, EveryRebuildNamesItsRowsAndForgetsTheOldOnes) {
    SimVolume beta = MakeVolume(2, "F:\\", "BETA");
    beta.freeBytes = 1024 * 1024;
    beta.totalBytes = 2 * beta.freeBytes;
    MachineDescription description;
    description.disks = {MakeUsbDisk(1, "Stick A"), MakeUsbDisk(2, "Stick B")};
    description.volumes = {MakeVolume(1, "E:\\", "ALPHA"), beta};
    SimulatedMachine machine(description);
    const struct {
        DWORD unplug;  // 0: none
        Annotations expected;
    } steps[] = {
        {0,
         {{"1 name", L"(F:) BETA"},
          {"1 description", L"Stick B  [1MB/2MB Free]"},
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

// Under Wine the list box raises no event of its own for its selection, so
// what is seen here is the list's own announcement.
TEST_F(Accessibility, EachNewChoiceIsAnnouncedToScreenReaders) {
    for (const char* text : {"A", "B", "C"}) host.list.AddItem(text, nullptr);
    host.list.SetCurSel(0);
    ::SetFocus(host.list.m_hWnd);
    g_watched = host.list.m_hWnd;
    HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, &RecordEvent,
                          ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    const struct {
        UINT key;
        LONG announcedChild;  // 0: nothing announced
    } steps[] = {{VK_DOWN, 2}, {VK_DOWN, 3}, {VK_DOWN, 0}, {VK_UP, 2}, {'X', 0}};
    for (const auto& step : steps) {
        g_events.clear();
        ::SendMessageA(host.list.m_hWnd, WM_KEYDOWN, step.key, 0);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        const std::vector<std::pair<DWORD, LONG>> none,
            announced{{EVENT_OBJECT_FOCUS, step.announcedChild},
                      {EVENT_OBJECT_SELECTION, step.announcedChild}};
        EXPECT_EQ(g_events, step.announcedChild ? announced : none) << step.key;
    }
    ::UnhookWinEvent(hook);
}

// One row drawn into a bitmap of its own, selected or not, before and after
// High Contrast is switched on and off again.
TEST_F(Accessibility, HighContrastDrawsInTheThemesColoursAndOrdinaryModeAsBefore) {
    host.list.AddItem("(E:) DATA\nStick", nullptr);
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 200, 40);
    HGDIOBJ previous = ::SelectObject(dc, bitmap);
    const COLORREF window = ::GetSysColor(COLOR_WINDOW);
    const struct {
        UINT message;  // tells the dialog the system changed
        bool highContrast;
        UINT state;
        COLORREF fill, frame, text;
    } cases[] = {
        {WM_SETTINGCHANGE, false, 0, window, window, RGB(0, 0, 0)},
        {WM_SETTINGCHANGE, false, ODS_SELECTED, RGB(0, 0, 200), RGB(0, 0, 0), RGB(255, 255, 255)},
        {WM_SETTINGCHANGE, true, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255)},
        {WM_SETTINGCHANGE, true, ODS_SELECTED, RGB(26, 235, 255), RGB(255, 255, 255), RGB(0, 0, 0)},
        {WM_SYSCOLORCHANGE, false, ODS_SELECTED, RGB(0, 0, 200), RGB(0, 0, 0), RGB(255, 255, 255)},
        {WM_SYSCOLORCHANGE, true, 0, RGB(0, 0, 0), RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const auto& c : cases) {
        fake.highContrast = c.highContrast;
        ::SendMessageA(host.m_hWnd, c.message, 0, 0);
        RECT all{0, 0, 200, 40};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
        DRAWITEMSTRUCT draw{
            ODT_LISTBOX, IDC_DRIVE_LIST, 0, ODA_DRAWENTIRE, c.state, host.list.m_hWnd, dc, all, 0};
        ::SendMessageA(host.m_hWnd, WM_DRAWITEM, IDC_DRIVE_LIST, reinterpret_cast<LPARAM>(&draw));
        std::map<COLORREF, int> textPixels;
        for (int x = 40; x < 120; ++x) {
            for (int y = 5; y < 20; ++y) ++textPixels[::GetPixel(dc, x, y)];
        }
        const std::string what = std::to_string(c.message) + (c.highContrast ? " on " : " off ") +
                                 std::to_string(c.state);
        EXPECT_EQ(::GetPixel(dc, 190, 20), c.fill) << what;
        EXPECT_EQ(::GetPixel(dc, 0, 20), c.frame) << what;
        EXPECT_GT(textPixels[c.text], 10) << what;
    }
    ::SelectObject(dc, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
}

}  // namespace
