// The user guide: its page and picture as the program stores them, and its
// window from opening to closing. The browser here draws nothing (Wine has no
// HTML engine in this set-up), so the window and the resources are what is
// checked, never the rendering.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/main_dialog.h"
#include "help/help_dialog.h"
#include "platform/com_ptr.h"
#include "platform/framework/win_app.h"
#include "platform/sim/default_machine.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"
#include "res/resource.h"
// After the SDK's base headers, which it expects to be in place already.
#include <exdisp.h>

namespace {

constexpr const char* kCaption = "User Guide - Korvane Zavo DER Edizu";

std::string_view ResourceBytes(UINT id, const char* type) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded == nullptr ? nullptr : ::LockResource(loaded);
    if (bytes == nullptr) return {};
    return {static_cast<const char*>(bytes), ::SizeofResource(module, found)};
}

std::string Lowercase(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

uint32_t BigEndian32(std::string_view bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
    }
    return value;
}

// Runs this thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        if (!done()) ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// Whether this machine can make a WebBrowser control at all; the window
// tests that need one say so when it cannot.
bool WebBrowserInstalled() {
    const HRESULT ole = ::OleInitialize(nullptr);
    IOleObject* browser = nullptr;
    const HRESULT created = ::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER,
                                               IID_IOleObject, reinterpret_cast<void**>(&browser));
    if (browser != nullptr) browser->Release();
    if (SUCCEEDED(ole)) ::OleUninitialize();
    return SUCCEEDED(created);
}

#define REQUIRE_WEB_BROWSER()                                    \
    if (!WebBrowserInstalled()) {                                \
        GTEST_SKIP() << "no WebBrowser control on this machine"; \
    }

// A guide that reports its own deletion, which only the window's end does,
// and whether that happened while its own close handling was still running.
class CountedGuide : public HelpDialog {
public:
    explicit CountedGuide(int& deletions) : m_deletions(deletions) {}
    ~CountedGuide() override {
        ++m_deletions;
        EXPECT_FALSE(m_closing) << "deleted inside its own close handling";
    }

protected:
    void OnCancel() override {
        m_closing = true;
        HelpDialog::OnCancel();
        m_closing = false;
    }

private:
    int& m_deletions;
    bool m_closing = false;
};

// Opens a guide as the program does; null when no window came of it.
CountedGuide* OpenCountedGuide(int& deletions) {
    auto* guide = new CountedGuide(deletions);
    if (!guide->Create(IDD_USER_GUIDE, ::GetDesktopWindow())) {
        delete guide;
        return nullptr;
    }
    guide->ShowWindow(SW_SHOW);
    return guide;
}

size_t FirstNonAscii(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return i;
    }
    return std::string_view::npos;
}

// Where a CR without its LF, or an LF without its CR, stands.
size_t FirstBareLineEnd(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const bool bareLf = text[i] == '\n' && (i == 0 || text[i - 1] != '\r');
        const bool bareCr = text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n');
        if (bareLf || bareCr) return i;
    }
    return std::string_view::npos;
}

RECT ClientRectOf(HWND window) {
    RECT rect{};
    ::GetClientRect(window, &rect);
    return rect;
}

// A child's rectangle in its parent's client coordinates.
RECT RectInParent(HWND child) {
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

::testing::AssertionResult SameRect(const RECT& a, const RECT& b) {
    if (::EqualRect(&a, &b)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "(" << a.left << "," << a.top << ")-(" << a.right << "," << a.bottom << ") vs ("
           << b.left << "," << b.top << ")-(" << b.right << "," << b.bottom << ")";
}

TEST(UserGuidePage, IsAsciiWithCrLfLineEndsThroughout) {
    const std::string_view page = ResourceBytes(IDR_USER_GUIDE_HTML, MAKEINTRESOURCEA(23));
    ASSERT_FALSE(page.empty()) << "no RT_HTML resource " << IDR_USER_GUIDE_HTML;
    EXPECT_EQ(FirstNonAscii(page), std::string_view::npos);
    EXPECT_EQ(FirstBareLineEnd(page), std::string_view::npos);
    EXPECT_TRUE(page.ends_with("\r\n"));
}

// The page's picture is found through the program's own resources, and the
// page offers nothing the dialog would take for its OK or Cancel button (the
// browser matches ids without regard to case, and names as well).
TEST(UserGuidePage, LoadsThePictureAndHasNoDialogButtons) {
    const std::string page = Lowercase(ResourceBytes(IDR_USER_GUIDE_HTML, MAKEINTRESOURCEA(23)));
    EXPECT_NE(page.find("<img src=\"res:/png/#157\""), std::string::npos);
    EXPECT_EQ(page.find("buttonok"), std::string::npos);
    EXPECT_EQ(page.find("buttoncancel"), std::string::npos);
    EXPECT_NE(page.find("id=\"helpdialog\""), std::string::npos);
}

TEST(UserGuidePicture, IsAPngOf422By198) {
    const std::string_view png = ResourceBytes(IDR_USER_GUIDE_PICTURE, "PNG");
    ASSERT_GE(png.size(), 33u) << "no PNG resource " << IDR_USER_GUIDE_PICTURE;
    EXPECT_EQ(png.substr(0, 8), std::string_view("\x89PNG\r\n\x1a\n", 8));
    // The first chunk is IHDR: length 13, then width and height, big-endian.
    EXPECT_EQ(BigEndian32(png, 8), 13u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(BigEndian32(png, 16), 422u);
    EXPECT_EQ(BigEndian32(png, 20), 198u);
}

TEST(UserGuideWindow, IsAVisibleUnownedResizableTopLevelWindowFilledByTheBrowser) {
    REQUIRE_WEB_BROWSER();
    int deletions = 0;
    CountedGuide* guide = OpenCountedGuide(deletions);
    ASSERT_NE(guide, nullptr);
    const HWND window = guide->m_hWnd;

    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(guide->GetWindowText(), kCaption);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrA(window, GWL_STYLE));
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), DWORD{WS_THICKFRAME | WS_MAXIMIZEBOX});
    EXPECT_EQ(style & WS_CHILD, 0u);
    EXPECT_EQ(::GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());

    // The browser's window is the only child and covers the client area,
    // also after the user resizes the window.
    const HWND browser = ::GetWindow(window, GW_CHILD);
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(::GetWindow(browser, GW_HWNDNEXT), nullptr);
    EXPECT_TRUE(SameRect(RectInParent(browser), ClientRectOf(window)));
    RECT frame{};
    ::GetWindowRect(window, &frame);
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 120,
                   frame.bottom - frame.top - 60, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(SameRect(RectInParent(browser), ClientRectOf(window)));

    ::DestroyWindow(window);
    EXPECT_EQ(deletions, 1);
}

// The close box and Alt+F4 (SC_CLOSE), a plain WM_CLOSE and the page's OK
// and Cancel buttons all end the guide: the window goes and so does its
// object, once, and not while its own handling is still under way.
TEST(UserGuideWindow, ClosingDestroysTheWindowAndDeletesItsObject) {
    REQUIRE_WEB_BROWSER();
    const std::pair<const char*, std::function<void(CountedGuide&)>> closeRoutes[] = {
        {"SC_CLOSE", [](CountedGuide& g) { g.SendMessage(WM_SYSCOMMAND, SC_CLOSE); }},
        {"WM_CLOSE", [](CountedGuide& g) { g.SendMessage(WM_CLOSE); }},
        {"ButtonOK", [](CountedGuide& g) { EXPECT_EQ(g.OnButtonOK(nullptr), S_OK); }},
        {"ButtonCancel", [](CountedGuide& g) { EXPECT_EQ(g.OnButtonCancel(nullptr), S_OK); }},
    };
    for (const auto& [route, close] : closeRoutes) {
        int deletions = 0;
        CountedGuide* guide = OpenCountedGuide(deletions);
        ASSERT_NE(guide, nullptr);
        const HWND window = guide->m_hWnd;
        close(*guide);
        EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); })) << route;
        EXPECT_EQ(deletions, 1) << route;
        PumpUntil([] { return false; }, 100);  // nothing left over may touch it again
        EXPECT_EQ(deletions, 1) << route;
    }
}

// The browser and the OLE session it needs are given back when the window
// closes: on a thread of its own, COM is then no longer initialised at all.
TEST(UserGuideWindow, ClosingReleasesTheBrowser) {
    REQUIRE_WEB_BROWSER();
    std::thread([] {
        {
            int deletions = 0;
            CountedGuide* guide = OpenCountedGuide(deletions);
            ASSERT_NE(guide, nullptr);
            const HWND window = guide->m_hWnd;
            ::PostMessageA(window, WM_CLOSE, 0, 0);
            ASSERT_TRUE(PumpUntil([&] { return deletions == 1; }));
            EXPECT_FALSE(::IsWindow(window));
        }
        const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(initialised, S_OK) << "COM was still initialised on this thread";
        if (SUCCEEDED(initialised)) ::CoUninitialize();
    }).join();
}

// Without a browser (here: a thread that is multithreaded for COM, where the
// control cannot be placed) the window destroys itself during creation:
// nothing is shown, and the object stays the caller's to delete.
TEST(UserGuideWindow, WithoutABrowserNothingIsShown) {
    std::thread([] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        int deletions = 0;
        auto* guide = new CountedGuide(deletions);
        EXPECT_FALSE(guide->Create(IDD_USER_GUIDE, ::GetDesktopWindow()));
        EXPECT_EQ(guide->m_hWnd, nullptr);
        PumpUntil([] { return false; }, 100);
        EXPECT_EQ(deletions, 0);
        delete guide;
        EXPECT_EQ(deletions, 1);

        // The menu command: no window, and no guide remembered.
        RecordingSystemApi system;
        SimulatedMachine machine(DefaultMachineDescription());
        CKorvane_Safe_EjectDlg mainWindow(machine, system);
        mainWindow.OpenUserGuide();
        EXPECT_EQ(mainWindow.m_pHelpDialog, nullptr);
        EXPECT_EQ(::FindWindowA(nullptr, kCaption), nullptr);
        ::CoUninitialize();
    }).join();
}

// Help > User Guide opens another window each time; the main window keeps
// the newest guide and forgets it when that guide closes.
// Stands in for the browser's in-place active object, which Wine's browser
// does not make use of: it takes Tab and lets every other key go on.
class StandInActiveObject : public IOleInPlaceActiveObject {
public:
    std::vector<WPARAM> offered;
    LONG references = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid != IID_IUnknown && iid != IID_IOleWindow && iid != IID_IOleInPlaceActiveObject) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetWindow(HWND*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(WINBOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override {
        if (message->message == WM_KEYDOWN) offered.push_back(message->wParam);
        return message->wParam == VK_TAB ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE OnFrameWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnDocWindowActivate(WINBOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, WINBOOL) override {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnableModeless(WINBOOL) override { return S_OK; }
};

// The frame the browser was given when it was placed in the guide.
void GetFrameOf(const CDHtmlDialog& guide, ComPtr<IOleInPlaceFrame>& frame) {
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    if (SUCCEEDED(guide.BrowserApp()->QueryInterface(IID_IOleObject, object.out())) &&
        SUCCEEDED(object->GetClientSite(reinterpret_cast<IOleClientSite**>(site.out())))) {
        site->QueryInterface(IID_IOleInPlaceFrame, frame.out());
    }
}

// A dialog that ends itself once the messages posted before it have been
// handled by its loop.
class SelfEndingDialog : public CDialog {
public:
    SelfEndingDialog() : CDialog(IDD_ABOUTBOX) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        ::PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return TRUE;
    }
};

// The guide's keys reach the browser's active object before any dialog
// handling, under the modal loop of a normal start and the modeless loop of a
// hidden one alike; keys for other windows never do.
TEST(UserGuideKeyboard, GoesToTheActiveObjectFirstUnderEitherLoop) {
    REQUIRE_WEB_BROWSER();
    int deletions = 0;
    CountedGuide* guide = OpenCountedGuide(deletions);
    ASSERT_NE(guide, nullptr);
    EXPECT_NE(guide->ActiveObject(), nullptr) << "the browser is UI-active";
    ComPtr<IOleInPlaceFrame> frame;
    GetFrameOf(*guide, frame);
    ASSERT_NE(frame.get(), nullptr);
    StandInActiveObject standIn;
    frame->SetActiveObject(&standIn, nullptr);
    ASSERT_EQ(guide->ActiveObject(), &standIn);

    const HWND inside = ::GetWindow(guide->m_hWnd, GW_CHILD);
    const HWND elsewhere = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                             nullptr, nullptr, nullptr);
    const std::pair<const char*, std::function<void()>> loops[] = {
        {"modal", [] { SelfEndingDialog().DoModal(); }},
        {"modeless",
         [] {
             SelfEndingDialog dialog;
             ASSERT_TRUE(dialog.Create(IDD_ABOUTBOX, nullptr));
             dialog.RunModalLoop();
         }},
    };
    for (const auto& [loop, run] : loops) {
        standIn.offered.clear();
        for (const auto& [window, key] : {std::pair{inside, WPARAM{VK_TAB}},
                                          {guide->m_hWnd, WPARAM{'C'}},
                                          {elsewhere, WPARAM{'E'}}}) {
            ::PostMessageA(window, WM_KEYDOWN, key, 0);
        }
        run();
        EXPECT_EQ(standIn.offered, (std::vector<WPARAM>{VK_TAB, 'C'})) << loop;
    }
    frame->SetActiveObject(nullptr, nullptr);
    EXPECT_EQ(standIn.references, 0) << "the host let the object go";
    ::DestroyWindow(elsewhere);
    ::DestroyWindow(guide->m_hWnd);
    EXPECT_EQ(deletions, 1);
}

TEST(OpenUserGuide, EachUseOpensAnotherWindow) {
    REQUIRE_WEB_BROWSER();
    RecordingSystemApi system;
    SimulatedMachine machine(DefaultMachineDescription());
    CKorvane_Safe_EjectDlg mainWindow(machine, system);
    CWinApp application;
    application.m_pMainWnd = &mainWindow;

    mainWindow.OpenUserGuide();
    ASSERT_NE(mainWindow.m_pHelpDialog, nullptr);
    const HWND first = mainWindow.m_pHelpDialog->m_hWnd;
    mainWindow.OpenUserGuide();
    ASSERT_NE(mainWindow.m_pHelpDialog, nullptr);
    const HWND second = mainWindow.m_pHelpDialog->m_hWnd;

    EXPECT_NE(first, second);
    for (HWND window : {first, second}) {
        EXPECT_TRUE(::IsWindowVisible(window));
        EXPECT_EQ(::GetWindow(window, GW_OWNER), nullptr);
    }

    // Closing the older guide leaves the newest remembered; closing that one
    // leaves none.
    const HelpDialog* newest = mainWindow.m_pHelpDialog;
    ::SendMessageA(first, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(first); }));
    EXPECT_EQ(mainWindow.m_pHelpDialog, newest);
    EXPECT_TRUE(::IsWindow(second));
    ::SendMessageA(second, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(PumpUntil([&] { return !::IsWindow(second); }));
    EXPECT_EQ(mainWindow.m_pHelpDialog, nullptr);
    application.m_pMainWnd = nullptr;
}

}  // namespace
