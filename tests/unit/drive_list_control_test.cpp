// The drive list control: its rows and records, how the mouse and keys choose
// the row that Eject acts on, and what screen readers and the eye get: the
// list's and the rows' accessible names, what a rebuild and a new choice
// announce, the rows' pixels in the ordinary and the High Contrast look.
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "drive_list_host.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"

namespace {

using Strings = std::vector<std::string>;

// Stands in for oleacc as Microsoft documents it: it holds the server
// registered for a window until the registration is cleared, asks it for
// the names the registration covers, in identity strings of its own making
// (opaque bytes, as Windows' are). Its High Contrast is Windows' High
// Contrast Black.
class FakeAccessibility : public AccessibilityApi {
public:
    HRESULT SetHwndPropServer(HWND window, DWORD object, DWORD child, const MSAAPROPID* properties,
                              int count, IAccPropServer* server, AnnoScope scope) override {
        seen.Assign(server);
        if (refuse) return E_NOTIMPL;  // as Wine 8's stub does
        if (object == DWORD(OBJID_CLIENT) && child == CHILDID_SELF && count == 1 &&
            properties[0] == PROPID_ACC_NAME) {
            registered.Assign(server);  // for the client object's name
        }
        registeredWindow = window;
        rowsToo = scope == ANNO_CONTAINER;
        return S_OK;
    }
    HRESULT ClearHwndProps(HWND window, DWORD, DWORD child, const MSAAPROPID*, int) override {
        if (window == registeredWindow && child == CHILDID_SELF) registered.reset();
        return S_OK;
    }
    HRESULT DecomposeHwndIdentityString(const BYTE* identity, DWORD length, HWND* window,
                                        DWORD* object, DWORD* child) override {
        if (identity == nullptr || length != sizeof(Identity)) return E_INVALIDARG;
        const auto* parsed = reinterpret_cast<const Identity*>(identity);
        std::tie(*window, *object, *child) =
            std::tie(parsed->window, parsed->object, parsed->child);
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

    // A client asks for the name of the list's client object (child 0) or of
    // a row: the server answers where the registration covers it.
    std::optional<std::wstring> NameOf(DWORD child) {
        if (registered.get() == nullptr || (child != CHILDID_SELF && !rowsToo)) return std::nullopt;
        return Ask(*registered.get(), child);
    }
    // Asks as oleacc does, into outputs that hold garbage until answered.
    std::optional<std::wstring> Ask(IAccPropServer& server, DWORD child) {
        const Identity identity{registeredWindow, DWORD(OBJID_CLIENT), child};
        VARIANT value{};
        value.vt = VT_I4;
        BOOL has = 42;
        result = server.GetPropValue(reinterpret_cast<const BYTE*>(&identity), sizeof identity,
                                     PROPID_ACC_NAME, &value, &has);
        const bool named = has == TRUE && value.vt == VT_BSTR;
        EXPECT_TRUE(named || (has == FALSE && value.vt == VT_EMPTY)) << has << " " << value.vt;
        const std::optional<std::wstring> name =
            named ? std::optional<std::wstring>(value.bstrVal) : std::nullopt;
        ::VariantClear(&value);
        return name;
    }
    // The references held to the last server offered, besides this fake's look at it.
    ULONG OthersReferences() const {
        seen->AddRef();
        return seen->Release() - 1;
    }

    bool refuse = false;
    HRESULT result = S_OK;  // of the last question
    bool highContrast = false;
    ComPtr<IAccPropServer> seen;        // the test's own look at the server
    ComPtr<IAccPropServer> registered;  // oleacc's reference while registered

private:
    HWND registeredWindow = nullptr;
    bool rowsToo = false;  // the registration covers the children as well
    struct Identity {
        HWND window;
        DWORD object, child;
    };
};

HWND g_list = nullptr;
FakeAccessibility* g_reader = nullptr;
std::vector<std::wstring> g_heard;

// What a screen reader takes from each of the list's events the moment it
// arrives: the event, its child id, and the names it asks for at once: the
// chosen row's, or when the rows changed, the list's and every row's up to
// one past the last.
void CALLBACK HearEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                        DWORD) {
    if (window != g_list || object != OBJID_CLIENT) return;
    std::wstring heard = (event == EVENT_OBJECT_FOCUS       ? L"focus "
                          : event == EVENT_OBJECT_SELECTION ? L"selection "
                          : event == EVENT_OBJECT_REORDER   ? L"rows "
                                                            : std::to_wstring(event) + L" ") +
                         std::to_wstring(child) + L":";
    const LONG rows = LONG(::SendMessageA(g_list, LB_GETCOUNT, 0, 0));
    for (LONG named = child; named <= (child == CHILDID_SELF ? rows + 1 : child); ++named)
        heard += L" " + g_reader->NameOf(DWORD(named)).value_or(L"none") + L";";
    g_heard.push_back(heard);
}

class DriveListControl : public ::testing::Test {
protected:
    void SetUp() override {
        g_list = host.list.m_hWnd;
        g_reader = &fake;
        g_heard.clear();
    }
    void AddRows(std::initializer_list<const char*> texts) {
        for (const char* text : texts) host.list.AddItem(text, ProgramIcon(IDI_GENERIC_DISK));
    }
    void Mouse(UINT message, int x, int y) const {
        ::SendMessageA(g_list, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                       MAKELPARAM(x, y));
    }

    FakeAccessibility fake;  // outlives the list, which clears its registration when destroyed
    DriveListHost host{&fake};
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
                                           &HearEvent, ::GetCurrentProcessId(), 0, 0);
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
        g_heard.clear();
        ::SendMessageA(g_list, WM_KEYDOWN, key, 0);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
        EXPECT_EQ(host.list.GetCurSel(), row) << key;
        EXPECT_EQ(host.list.m_chosenIndex, row) << key;
        const std::wstring child = std::to_wstring(row + 1) + L": " + L"CBA"[row] + L";";
        const std::vector<std::wstring> announced{L"focus " + child, L"selection " + child};
        EXPECT_EQ(g_heard, row == before ? std::vector<std::wstring>{} : announced) << key;
    }
    ::UnhookWinEvent(hook);
}

// Sizes in megabytes; a volume without a label is locked and answers no
// free-space query either.
SimVolume VolumeOf(DWORD disk, const char* mountPath, std::optional<std::string> label,
                   ULONGLONG freeMB = 0, ULONGLONG totalMB = 0) {
    SimVolume volume = MakeVolume(disk, mountPath, label);
    volume.freeSpaceFails = !label;
    volume.freeBytes = freeMB << 20;
    volume.totalBytes = totalMB << 20;
    return volume;
}

// Readers hear a rebuild once its rows can be named, each row whole (both
// lines as a person reads them) and the list by what it holds, with no name
// past the last row: first that the rows changed, then the chosen row if it
// moved or was renamed. A rebuild that changes nothing, as the label-retry
// timer's while a locked drive is in, is not heard at all, the second time
// round as the first. Once the list is gone, a client that still holds the
// server hears that there is no name; a server oleacc refused is let go.
TEST_F(DriveListControl, ReadersHearEachRebuildOnceWithEveryRowWhole) {
    ASSERT_EQ(::GetACP(), 1252u) << "Wine's ANSI code page here; the euro sign is 0x80 in it";
    const SimVolume stick = VolumeOf(1, "E:\\", "STICK", 7 << 10, 15 << 10),
                    cafe = VolumeOf(4, "H:\\", "CAF\xC9", 1, 2);
    const std::vector<SimDisk> disks{
        MakeUsbDisk(1, "QNV Korvane KR7 USB Device"), MakeUsbDisk(2, "Generic Flash Disk"),
        MakeUsbDisk(3, "QN Warden USB Device"), MakeUsbDisk(4, "Stick \x80")};
    SimulatedMachine machine({disks, {stick, VolumeOf(3, "G:\\", std::nullopt), cafe}, {}});
    RecordingSystemApi system;
    ::SetFocus(g_list);
    // In context, the hook runs inside NotifyWinEvent (in Wine as in Windows),
    // so the names it asks for are those of the moment the event is raised.
    HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_NAMECHANGE, ::GetModuleHandleA(nullptr),
                          &HearEvent, ::GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    const std::wstring kr7 = L"(E:) STICK, Korvane KR7, 7GB/15GB Free",
                       euro = L"(H:) CAF\u00C9, Stick \u20AC, 1MB/2MB Free",
                       generic = L"(?:) Not Formatted, Generic Flash Disk",
                       formatted = L"(F:) NEW, Generic Flash Disk, 0MB/0MB Free",
                       citadel = L"(F:) CITADEL, Korvane Citadel, 500MB/980MB Free",
                       locked =
                           L"(G:) (QN Warden Drive is currently locked. Safe to eject.), "
                           L"Korvane Warden, -";
    // The rows changed (none: they did not), then the chosen row's child id and name.
    const auto heard = [](std::vector<std::wstring> rows, int chosen = 0, std::wstring name = {}) {
        std::vector<std::wstring> events;
        std::wstring all = L"rows 0: USB disks;";
        for (const std::wstring& row : rows) all += L" " + row + L";";
        if (!rows.empty()) events.push_back(all + L" none;");
        for (const wchar_t* event : {L"focus ", L"selection "})
            if (chosen != 0)
                events.push_back(event + std::to_wstring(chosen) + L": " + name + L";");
        return events;
    };
    const auto rebuild = [&] {
        g_heard.clear();
        host.table.Rebuild(machine, system, host.list, host.m_hWnd);
        return g_heard;
    };
    EXPECT_EQ(rebuild(), heard({euro, locked, generic, kr7}));
    EXPECT_EQ(rebuild(), heard({})) << "a retry tick";
    host.list.SetChoice(2);
    EXPECT_EQ(g_heard, heard({}, 3, generic));
    machine.Unplug(3);  // above the choice
    EXPECT_EQ(rebuild(), heard({euro, generic, kr7}, 2, generic));
    EXPECT_EQ(rebuild(), heard({}));
    machine.PlugIn(MakeUsbDisk(5, "QNV KORVANE USB Device"),
                   {VolumeOf(5, "F:\\", "CITADEL", 500, 980)});
    EXPECT_EQ(rebuild(), heard({citadel, euro, generic, kr7}, 3, generic));
    const std::vector<SimDisk> reordered{disks[3], disks[1], disks[0]};
    machine.Replace({reordered, {stick, cafe}, {}});
    EXPECT_EQ(rebuild(), heard({kr7, generic, euro}, 2, generic));
    machine.Replace({reordered, {stick, cafe, VolumeOf(2, "F:\\", "NEW")}, {}});
    EXPECT_EQ(rebuild(), heard({kr7, formatted, euro}, 2, formatted)) << "the choice renamed";
    machine.Replace({});
    EXPECT_EQ(rebuild(), heard({L"No removal disks found."}));
    host.list.RemoveAllItems();  // as a device change does before its rebuild
    EXPECT_EQ(rebuild(), heard({}));
    ::UnhookWinEvent(hook);
    host.DestroyWindow();
    EXPECT_EQ(fake.registered.get(), nullptr);
    EXPECT_EQ(fake.OthersReferences(), 0u);
    EXPECT_EQ(fake.Ask(*fake.seen.get(), 1), std::nullopt);
    EXPECT_EQ(fake.result, CO_E_OBJNOTCONNECTED);
    FakeAccessibility wine;
    wine.refuse = true;
    const DriveListHost refused(&wine);
    EXPECT_EQ(wine.OthersReferences(), 0u);
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
