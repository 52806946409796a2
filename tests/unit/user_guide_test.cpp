// The user guide's window from opening to closing. The browser here draws
// nothing (Wine has no HTML engine in this set-up), so the window and what it
// tells the browser are what is checked, never the rendering; its keyboard is
// the real-Windows checklist's.
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

}  // namespace
