#include "platform/framework/keyboard_route.h"

#include <utility>
#include <vector>

#include "platform/framework/wnd.h"

namespace {

// The program has one thread; its routes share one hook.
struct ThreadRoutes {
    std::vector<KeyboardRoute*> routes;
    HHOOK hook = nullptr;
};

ThreadRoutes& Routes() {
    static ThreadRoutes routes;
    return routes;
}

bool IsKeyboardMessage(UINT message) {
    return message >= WM_KEYFIRST && message <= WM_KEYLAST;
}

LRESULT CALLBACK MessageFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && lParam != 0) {
        auto* message = reinterpret_cast<MSG*>(lParam);
        const LRESULT taken =
            GuardedCall([message]() -> LRESULT { return KeyboardRoute::Offer(*message); }, FALSE);
        if (taken) return TRUE;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

KeyboardRoute::KeyboardRoute(HWND window, Translator translate)
    : m_window(window), m_translate(std::move(translate)) {
    ThreadRoutes& shared = Routes();
    // Without the hook, keys take the usual way, as before.
    if (shared.hook == nullptr) {
        shared.hook =
            ::SetWindowsHookExA(WH_MSGFILTER, &MessageFilter, nullptr, ::GetCurrentThreadId());
    }
    shared.routes.push_back(this);
}

KeyboardRoute::~KeyboardRoute() {
    ThreadRoutes& shared = Routes();
    std::erase(shared.routes, this);
    if (shared.routes.empty() && shared.hook != nullptr) {
        ::UnhookWindowsHookEx(shared.hook);
        shared.hook = nullptr;
    }
}

bool KeyboardRoute::Offer(MSG& message) {
    if (!IsKeyboardMessage(message.message) || message.hwnd == nullptr) return false;
    const HWND root = ::GetAncestor(message.hwnd, GA_ROOT);
    for (KeyboardRoute* route : Routes().routes) {
        // A copy: the translator may end the window, and its route with it.
        if (route->m_window == root) return Translator(route->m_translate)(message);
    }
    return false;
}
