// The user guide's window until it closes. The browser here draws nothing
// (Wine has no HTML engine in this set-up), so the window is what is checked,
// never the rendering; how the command opens it is a journey's, its keyboard
// the real-Windows checklist's.
#include <functional>
#include <thread>

#include "help/help_dialog.h"
#include "main_window_fixture.h"

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
