#include "platform/framework/wnd.h"

#include <unordered_map>

namespace {

// Every window bound to an object of ours; the program has one thread.
std::unordered_map<HWND, CWnd*>& PermanentMap() {
    static std::unordered_map<HWND, CWnd*> map;
    return map;
}

bool IsOwnerDrawRequest(UINT message) {
    return message == WM_DRAWITEM || message == WM_MEASUREITEM || message == WM_COMPAREITEM ||
           message == WM_VKEYTOITEM;
}

// The control a parent-bound message concerns. WM_MEASUREITEM carries no
// window handle, only the control id, so the control is found by its id.
HWND ControlOf(HWND parent, UINT message, LPARAM lParam) {
    switch (message) {
        case WM_DRAWITEM:
            return reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem;
        case WM_MEASUREITEM:
            return ::GetDlgItem(parent, reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam)->CtlID);
        case WM_COMPAREITEM:
            return reinterpret_cast<const COMPAREITEMSTRUCT*>(lParam)->hwndItem;
        case WM_VKEYTOITEM:
        case WM_COMMAND:
            return reinterpret_cast<HWND>(lParam);
        default:
            return nullptr;
    }
}

}  // namespace

CWnd::~CWnd() {
    Detach();
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

std::string CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void CWnd::Attach(HWND window) {
    m_hWnd = window;
    PermanentMap()[window] = this;
}

void CWnd::Detach() {
    if (m_hWnd == nullptr) return;
    auto& map = PermanentMap();
    auto found = map.find(m_hWnd);
    if (found != map.end() && found->second == this) map.erase(found);
    if (m_superProc != nullptr && ::IsWindow(m_hWnd)) {
        ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
    }
    m_superProc = nullptr;
    m_hWnd = nullptr;
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    auto& map = PermanentMap();
    auto found = map.find(window);
    return found == map.end() ? nullptr : found->second;
}

BOOL CWnd::SubclassWindow(HWND window) {
    if (window == nullptr || FromHandlePermanent(window) != nullptr) return FALSE;
    Attach(window);
    PreSubclassWindow();
    m_superProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(int id, const CWnd& parent) {
    return SubclassWindow(::GetDlgItem(parent.m_hWnd, id));
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* object = FromHandlePermanent(window);
    if (object == nullptr) return ::DefWindowProcA(window, message, wParam, lParam);
    return GuardedCall([&] { return object->WindowProc(message, wParam, lParam); }, 0);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage outer = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    if (!DispatchToMessageMap(message, wParam, lParam, &result)) {
        result = DefWindowProc(message, wParam, lParam);
    }
    m_current = outer;
    if (message == WM_NCDESTROY) Detach();
    return result;
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_superProc != nullptr) {
        return ::CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

bool CWnd::DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMapEntry* entry = FindMessageEntry(GetMessageMap(), message, wParam);
    if (entry == nullptr) return false;
    *result = entry->handler(*this, wParam, lParam);
    return true;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message != WM_COMMAND) return false;
    return DispatchToMessageMap(WM_REFLECT_COMMAND, wParam, lParam, result);
}

bool CWnd::ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (!IsOwnerDrawRequest(message) && !(message == WM_COMMAND && lParam != 0)) return false;
    CWnd* child = FromHandlePermanent(ControlOf(m_hWnd, message, lParam));
    return child != nullptr && child->OnChildNotify(message, wParam, lParam, result);
}
