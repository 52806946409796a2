// The user guide: its page and picture as the program stores them, and its
// window from opening to closing. The browser here draws nothing (Wine has no
// HTML engine in this set-up), so the window and the resources are what is
// checked, never the rendering.
#include <functional>
#include <thread>

#include "help/help_dialog.h"
#include "main_window_fixture.h"
#include "platform/com_ptr.h"

namespace {

// Runs this thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000) {
    const DWORD start = ::GetTickCount();
    for (MSG message; !done(); ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT)) {
        if (::GetTickCount() - start > timeoutMs) return false;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&message);
    }
    return true;
}

// A guide that counts its deletions, which only the window's end makes, and
// fails when one comes while its own close handling is still running.
class CountedGuide : public HelpDialog {
public:
    explicit CountedGuide(int& deletions) : m_deletions(deletions) {}
    ~CountedGuide() override {
        ++m_deletions;
        EXPECT_FALSE(m_closing) << "deleted inside its own close handling";
    }

protected:
    void OnCancel() override { m_closing = true, HelpDialog::OnCancel(), m_closing = false; }

private:
    int& m_deletions;
    bool m_closing = false;
};

CountedGuide* OpenCountedGuide(int& deletions) {
    auto guide = std::make_unique<CountedGuide>(deletions);
    if (!guide->Create(IDD_USER_GUIDE, ::GetDesktopWindow())) return nullptr;
    guide->ShowWindow(SW_SHOW);
    return guide.release();
}

// An interface of the site the guide gave its browser when it made it.
template <class Interface>
void GetFromSite(HelpDialog& guide, REFIID iid, ComPtr<Interface>& found) {
    ComPtr<IOleObject> object;
    ComPtr<IOleClientSite> site;
    if (guide.BrowserApp()->QueryInterface(IID_IOleObject, object.out()) == S_OK &&
        object->GetClientSite(reinterpret_cast<IOleClientSite**>(site.out())) == S_OK)
        site->QueryInterface(iid, found.out());
}

// Each "User Guide" opens one more guide: a visible, resizable top-level
// window that no window owns, whose browser was told before it was made to
// keep its scroll bars and draw no 3-D border; the guide before stays open.
TEST_F(MainWindowTest, EachUserGuideCommandOpensAnotherUnownedGuide) {
    std::vector<HWND> guides;
    for (int time = 0; time < 2; ++time) {
        Command(ID_HELP_USER_GUIDE);
        ASSERT_NE(dialog->m_pHelpDialog, nullptr);
        const HWND window = dialog->m_pHelpDialog->m_hWnd;
        ComPtr<IDocHostUIHandler> host;
        GetFromSite(*dialog->m_pHelpDialog, IID_IDocHostUIHandler, host);
        DOCHOSTUIINFO info{sizeof(info), 0, 0, nullptr, nullptr};
        ASSERT_NE(host.get(), nullptr);
        host->GetHostInfo(&info);
        char caption[64] = "";
        ::GetWindowTextA(window, caption, sizeof(caption));
        const LONG style = ::GetWindowLongA(window, GWL_STYLE);
        const LONG resizable = WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_VISIBLE;
        EXPECT_EQ(std::tuple(info.dwFlags, style & (resizable | WS_CHILD),
                             ::GetWindow(window, GW_OWNER), std::string(caption)),
                  std::tuple(DWORD{DOCHOSTUIFLAG_NO3DBORDER}, resizable, HWND{},
                             "User Guide - Korvane Zavo DER Edizu"));
        guides.push_back(window);
    }
    EXPECT_TRUE(guides[0] != guides[1] && ::IsWindowVisible(guides[0]));
    for (const HWND guide : guides) ::DestroyWindow(guide);
}

// Until it closes the browser fills the guide, however it is sized. The close
// box and Alt+F4, a plain WM_CLOSE and the page's OK and Cancel buttons all
// end it: the window and its object go, once, and the browser and its OLE
// session with them, so that on a thread of its own COM is afterwards no
// longer initialised at all. Without a browser nothing is shown.
TEST(UserGuideWindow, FilledByTheBrowserUntilEveryWayOfClosingEndsItOnce) {
    std::thread([] {
        const std::pair<const char*, std::function<void(CountedGuide&)>> routes[] = {
            {"SC_CLOSE", [](CountedGuide& g) { g.SendMessage(WM_SYSCOMMAND, SC_CLOSE); }},
            {"WM_CLOSE", [](CountedGuide& g) { g.SendMessage(WM_CLOSE); }},
            {"ButtonOK", [](CountedGuide& g) { EXPECT_EQ(g.OnButtonOK(nullptr), S_OK); }},
            {"ButtonCancel", [](CountedGuide& g) { EXPECT_EQ(g.OnButtonCancel(nullptr), S_OK); }},
        };
        for (const auto& [route, close] : routes) {
            int deletions = 0;
            CountedGuide* guide = OpenCountedGuide(deletions);
            ASSERT_NE(guide, nullptr);
            const HWND window = guide->m_hWnd;
            RECT frame{}, browser{}, client{};
            ::GetWindowRect(window, &frame);
            ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + 120,
                           frame.bottom - frame.top - 60, SWP_NOMOVE | SWP_NOZORDER);
            const HWND child = ::GetWindow(window, GW_CHILD);
            EXPECT_EQ(::GetWindow(child, GW_HWNDNEXT), nullptr) << "the browser is the only child";
            ::GetWindowRect(child, &browser);
            ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&browser), 2);
            ::GetClientRect(window, &client);
            EXPECT_TRUE(::EqualRect(&browser, &client)) << route;
            close(*guide);
            EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(window); })) << route;
            PumpUntil([] { return false; }, 100);  // nothing left over may touch it again
            EXPECT_EQ(deletions, 1) << route;
        }
        const HRESULT initialised = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        EXPECT_EQ(initialised, S_OK) << "COM was still initialised on this thread";
        if (SUCCEEDED(initialised)) ::CoUninitialize();
        // A thread multithreaded for COM cannot place the browser: the window
        // destroys itself while it is made, and the object stays the caller's.
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        int deletions = 0;
        EXPECT_EQ(OpenCountedGuide(deletions), nullptr) << "a guide without a browser was shown";
        PumpUntil([] { return false; }, 100);
        EXPECT_EQ(deletions, 1) << "once, by its owner";
        ::CoUninitialize();
    }).join();
}

// Stands in for the browser's in-place active object, which Wine's browser
// does not make use of: it takes Tab and lets every other key go on.
class StandInActiveObject : public IOleInPlaceActiveObject {
public:
    std::vector<WPARAM> offered;
    LONG references = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool known =
            iid == IID_IUnknown || iid == IID_IOleWindow || iid == IID_IOleInPlaceActiveObject;
        *object = known ? (AddRef(), this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
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

// A dialog that ends itself once the messages posted before it are handled.
class SelfEndingDialog : public CDialog {
public:
    SelfEndingDialog() : CDialog(IDD_ABOUTBOX) {}

protected:
    BOOL OnInitDialog() override {
        ::PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
        return CDialog::OnInitDialog();
    }
};

// The guide's keys reach the browser's active object before any dialog
// handling, under the modal loop of a normal start and the modeless loop of a
// hidden one alike; keys for other windows never do.
TEST(UserGuideKeyboard, GoesToTheActiveObjectFirstUnderEitherLoop) {
    int deletions = 0;
    CountedGuide* guide = OpenCountedGuide(deletions);
    ASSERT_NE(guide, nullptr);
    EXPECT_NE(guide->ActiveObject(), nullptr) << "the browser is UI-active";
    // The frame the browser was given when it was placed in the guide.
    ComPtr<IOleInPlaceFrame> frame;
    GetFromSite(*guide, IID_IOleInPlaceFrame, frame);
    ASSERT_NE(frame.get(), nullptr);
    StandInActiveObject standIn;
    frame->SetActiveObject(&standIn, nullptr);
    ASSERT_EQ(guide->ActiveObject(), &standIn);

    const HWND inside = ::GetWindow(guide->m_hWnd, GW_CHILD);
    const HWND elsewhere = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                             nullptr, nullptr, nullptr);
    for (const bool modal : {true, false}) {
        standIn.offered.clear();
        for (const auto& [window, key] : {std::pair{inside, WPARAM{VK_TAB}},
                                          {guide->m_hWnd, WPARAM{'C'}},
                                          {elsewhere, WPARAM{'E'}}}) {
            ::PostMessageA(window, WM_KEYDOWN, key, 0);
        }
        SelfEndingDialog dialog;
        if (modal) dialog.DoModal();
        if (!modal && dialog.Create(IDD_ABOUTBOX, nullptr)) dialog.RunModalLoop();
        EXPECT_EQ(standIn.offered, (std::vector<WPARAM>{VK_TAB, 'C'})) << modal;
    }
    frame->SetActiveObject(nullptr, nullptr);
    EXPECT_EQ(standIn.references, 0) << "the host let the object go";
    ::DestroyWindow(elsewhere);
    ::DestroyWindow(guide->m_hWnd);
    EXPECT_EQ(deletions, 1);
}

}  // namespace
