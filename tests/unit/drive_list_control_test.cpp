// The drive list control as screen readers and the eye get it: the list's and
// the rows' accessible names, what a rebuild and a new choice announce, the
// rows' pixels in the ordinary and the High Contrast look. (How the mouse and
// keys choose a row is the journeys'.)
#include <gtest/gtest.h>

#include <optional>
#include <tuple>

#include "drive_list_host.h"
#include "journal_file.h"
#include "picture.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"

namespace {

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
std::string g_heard;  // a line for each event

// Names in UTF-8, which loses nothing a reader was given.
std::string Utf8(const std::wstring& wide) {
    std::string narrow(wide.size() * 3, '\0');
    narrow.resize(::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), int(wide.size()), narrow.data(),
                                        int(narrow.size()), nullptr, nullptr));
    return narrow;
}

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
    g_heard += "  " + Utf8(heard) + "\n";
}

class DriveListControl : public ::testing::Test {
protected:
    void SetUp() override { g_list = host.list.m_hWnd, g_reader = &fake, g_heard.clear(); }
    FakeAccessibility fake;  // outlives the list, which clears its registration when destroyed
    DriveListHost host{&fake};
};

// Readers hear a rebuild once its rows can be named, each row whole (both
// lines as a person reads them) and the list by what it holds, with no name
// past the last row: first that the rows changed, then the chosen row if it
// moved or was renamed. A rebuild that changes nothing, as the label-retry
// timer's while a locked drive is in, is not heard at all, the second time
// round as the first. Once the list is gone, a client that still holds the
// server hears that there is no name; a server oleacc refused is let go.
TEST_F(DriveListControl, ReadersHearEachRebuildOnceWithEveryRowWhole) {
    ASSERT_EQ(::GetACP(), 1252u) << "Wine's ANSI code page here; the euro sign is 0x80 in it";
    const SimVolume stick = Volume(1, "E:\\", "STICK", 7 << 10, 15 << 10),
                    cafe = Volume(4, "H:\\", "CAF\xC9");
    SimVolume locked = Volume(3, "G:\\", std::nullopt);
    locked.freeSpaceFails = true;  // as a locked Warden's volume does
    const std::vector<SimDisk> disks{
        MakeUsbDisk(1, "QNV Korvane KR7 USB Device"), MakeUsbDisk(2, "Generic Flash Disk"),
        MakeUsbDisk(3, "QN Warden USB Device"), MakeUsbDisk(4, "Stick \x80")};
    SimulatedMachine machine({disks, {stick, locked, cafe}, {}});
    RecordingSystemApi system;
    ::SetFocus(g_list);
    // In context, the hook runs inside NotifyWinEvent (in Wine as in Windows),
    // so the names it asks for are those of the moment the event is raised.
    HWINEVENTHOOK hook =
        ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_NAMECHANGE, ::GetModuleHandleA(nullptr),
                          &HearEvent, ::GetCurrentProcessId(), 0, WINEVENT_INCONTEXT);
    const auto rebuild = [&](const char* what) {
        g_heard += std::string("> rebuild ") + what + "\n";
        host.table.Rebuild(machine, system, host.list, host.m_hWnd);
    };
    rebuild("of four drives, one of them locked");
    rebuild("again, as a retry tick does");
    g_heard += "> choose row 2\n";
    host.list.SetChoice(2);
    machine.Unplug(3);
    rebuild("without the drive above the choice");
    rebuild("again");
    machine.Replace({{disks[0], disks[1], disks[3]}, {stick, cafe, Volume(2, "F:\\", "NEW")}, {}});
    rebuild("with the chosen drive renamed");
    machine.Replace({});
    rebuild("without drives");
    host.list.RemoveAllItems();  // as a device change does before its rebuild
    rebuild("after the rows were removed");
    ExpectJournal("list_announcements", g_heard);
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

// Every kind of row, chosen and not, in the ordinary and the High Contrast
// look, at 100% and 150% display scale, each drawn whole and compared with a
// picture made from Windows' own parts: the look's fills and frame, the
// separator as a sunken bottom edge paints it (3D light above, highlight
// below), the icon resource loaded at the scale's size, the text where it
// belongs. Rows are 2600 pixels wide so that the 255th character of a long
// row shows, and the 256th would.
TEST_F(DriveListControl, EveryRowKindIsDrawnWholeChosenAndNot) {
    const MachineDescription described =
        ReadMachineDescriptionFile(std::string(KORVANE_JOURNEYS_DIR) + "/row_kinds.json");
    SimulatedMachine machine(described);
    // In the machine's disk order (the list shows them newest first), then
    // the placeholder.
    const int icons[] = {IDI_KR7,          IDI_CITADEL,      IDI_WARDEN,       IDI_WARDEN,
                         IDI_KR7,          IDI_GENERIC_DISK, IDI_GENERIC_DISK, IDI_GENERIC_DISK,
                         IDI_GENERIC_DISK, IDI_GENERIC_DISK, IDI_GENERIC_DISK, IDI_NO_DRIVES};
    RecordingSystemApi system;
    host.table.Rebuild(machine, system, host.list, host.m_hWnd);
    std::string texts;  // each drawn in the pictures below as it is written here
    for (const std::string& text : host.RowTexts()) texts += text + "\n";
    ExpectJournal("row_kinds", texts);
    const struct {
        UINT dpi;
        int height, iconAt, iconSize, textX, textY;
    } scales[] = {{96, 40, 2, 32, 44, 5}, {144, 60, 3, 48, 66, 8}};
    const struct {
        bool highContrast;
        COLORREF back, ink, frame, chosenBack, chosenInk;
    } looks[] = {{false, ::GetSysColor(COLOR_WINDOW), 0, 0, RGB(0, 0, 200), 0xFFFFFF},
                 {true, 0, 0xFFFFFF, 0xFFFFFF, RGB(26, 235, 255), 0}};
    constexpr int kWidth = 2600;
    constexpr UINT kActions[] = {ODA_DRAWENTIRE, ODA_DRAWENTIRE, ODA_SELECT, ODA_SELECT, ODA_FOCUS},
                   kStates[] = {0, ODS_SELECTED, ODS_SELECTED, 0, ODS_FOCUS};
    for (const auto& look : looks) {
        fake.highContrast = look.highContrast;
        ::SendMessageA(host.m_hWnd, WM_SETTINGCHANGE, 0, 0);
        for (const auto& scale : scales) {
            host.list.ScaleTo(96);
            host.table.Rebuild(machine, system, host.list, host.m_hWnd);
            host.list.ScaleTo(scale.dpi);  // the rows shown take the new scale's icons
            for (size_t kind = 0; kind < std::size(icons); ++kind) {
                if (kind + 1 == std::size(icons)) {
                    SimulatedMachine empty({});  // rebuilt at the scale: measured and loaded at it
                    host.table.Rebuild(empty, system, host.list, host.m_hWnd);
                }
                const int row =
                    kind + 1 == std::size(icons) ? 0 : int(described.disks.size() - 1 - kind);
                const std::string text = host.Row(row).m_text;
                const int h = scale.height;
                RECT shown{};  // the row's place in the list, at the list's scale
                host.list.GetItemRect(row, &shown);
                EXPECT_EQ(shown.bottom - shown.top, h) << text;
                for (size_t step = 0; step < std::size(kActions); ++step) {
                    const UINT action = kActions[step], state = kStates[step];
                    Picture drawn(kWidth, h + 4), expected(kWidth, h + 4);
                    DRAWITEMSTRUCT item{
                        ODT_LISTBOX, IDC_DRIVE_LIST, UINT(row),         action, state,
                        g_list,      drawn.dc,       {0, 0, kWidth, h}, 0};
                    ::SendMessageA(host.m_hWnd, WM_DRAWITEM, IDC_DRIVE_LIST, LPARAM(&item));
                    const bool chosen = state == ODS_SELECTED, inset = chosen;
                    if (action != ODA_FOCUS) {
                        if (chosen) expected.Fill({0, 0, kWidth, h}, look.frame);
                        expected.Fill({inset, inset, kWidth - inset, h - inset},
                                      chosen ? look.chosenBack : look.back);
                        expected.Fill({inset, h - 2 - inset, kWidth - inset, h - 1 - inset},
                                      ::GetSysColor(COLOR_3DLIGHT));
                        expected.Fill({inset, h - 1 - inset, kWidth - inset, h - inset},
                                      ::GetSysColor(COLOR_BTNHIGHLIGHT));
                        HICON image = HICON(::LoadImageA(::GetModuleHandleA(nullptr),
                                                         MAKEINTRESOURCEA(icons[kind]), IMAGE_ICON,
                                                         scale.iconSize, scale.iconSize, 0));
                        ::DrawIconEx(expected.dc, scale.iconAt, scale.iconAt, image, 0, 0, 0,
                                     nullptr, DI_NORMAL);
                        ::DestroyIcon(image);
                        RECT box{scale.textX, scale.textY, kWidth, h + 4};
                        ::SetBkMode(expected.dc, TRANSPARENT);
                        ::SetTextColor(expected.dc, chosen ? look.chosenInk : look.ink);
                        ::DrawTextA(expected.dc, text.c_str(), -1, &box, 0);
                    }
                    EXPECT_EQ(drawn.FirstDifference(expected), "")
                        << text << "\nlook " << look.highContrast << ", dpi " << scale.dpi
                        << ", action " << action << ", state " << state;
                }
            }
        }
    }
}

}  // namespace
