#include "platform/framework/dialog.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_templateId(templateId) {}

CDialog::~CDialog() {
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
        HWND window = m_hWnd;
        Detach();
        ::DestroyWindow(window);
    }
}

INT_PTR CDialog::DoModal() {
    HWND parent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    return ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId), parent,
                             &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT templateId, HWND parent) {
    m_templateId = templateId;
    HWND window =
        ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId), parent,
                             &CDialog::StaticDialogProc, reinterpret_cast<LPARAM>(this));
    // A dialog that destroys itself while initialising still hands back its
    // (dead) handle.
    return window != nullptr && ::IsWindow(window);
}

int CDialog::RunModalLoop(DWORD) {
    m_continueModal = true;
    MSG message;
    while (m_continueModal) {
        const BOOL got = ::GetMessageA(&message, nullptr, 0, 0);
        if (got == 0) {
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got == -1) break;
        if (m_hWnd != nullptr && ::IsDialogMessageA(m_hWnd, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    return m_modalResult;
}

void CDialog::EndDialog(int result) {
    m_modalResult = result;
    m_continueModal = false;
    ::EndDialog(m_hWnd, result);
}

BOOL CDialog::OnInitDialog() {
    DoDataExchange();
    return TRUE;
}

void CDialog::DDX_Control(int id, CWnd& control) {
    if (control.m_hWnd == nullptr) control.SubclassDlgItem(id, *this);
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
    // A dialog procedure cannot call the dialog manager's own processing; it
    // can only answer "not handled" so that the dialog manager runs it next.
    m_defaultRequested = true;
    return 0;
}

bool DialogReturnsResultDirectly(UINT message) {
    switch (message) {
        case WM_CHARTOITEM:
        case WM_COMPAREITEM:
        case WM_VKEYTOITEM:
        case WM_QUERYDRAGICON:
        case WM_INITDIALOG:
        case WM_CTLCOLORMSGBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            return true;
        default:
            return false;
    }
}

INT_PTR CALLBACK CDialog::StaticDialogProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        dialog->Attach(window);
    }
    auto* dialog = static_cast<CDialog*>(FromHandlePermanent(window));
    if (dialog == nullptr) return FALSE;
    return GuardedCall([&] { return dialog->DialogProc(message, wParam, lParam); }, FALSE);
}

INT_PTR CDialog::DialogProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage outer = m_current;
    const bool outerDefault = m_defaultRequested;
    m_current = {message, wParam, lParam};
    m_defaultRequested = false;
    LRESULT result = 0;
    const bool handled = HandleMessage(message, wParam, lParam, &result) && !m_defaultRequested;
    m_current = outer;
    m_defaultRequested = outerDefault;
    if (message == WM_NCDESTROY) Detach();
    if (DialogReturnsResultDirectly(message)) return handled ? result : FALSE;
    if (!handled) return FALSE;
    ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, result);
    return TRUE;
}

namespace {

struct ForwardedMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

BOOL CALLBACK SendToControl(HWND control, LPARAM data) {
    const auto& forwarded = *reinterpret_cast<const ForwardedMessage*>(data);
    ::SendMessageA(control, forwarded.message, forwarded.wParam, forwarded.lParam);
    return TRUE;
}

}  // namespace

// Windows sends colour and setting changes to top-level windows only; as in
// MFC, a top-level dialog passes them on to every control inside it.
void CDialog::ForwardToControls(UINT message, WPARAM wParam, LPARAM lParam) const {
    if ((::GetWindowLongPtrA(m_hWnd, GWL_STYLE) & WS_CHILD) != 0) return;
    ForwardedMessage forwarded{message, wParam, lParam};
    ::EnumChildWindows(m_hWnd, &SendToControl, reinterpret_cast<LPARAM>(&forwarded));
}

bool CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_INITDIALOG) {
        *result = OnInitDialog();
        return true;
    }
    if (message == WM_SYSCOLORCHANGE || message == WM_SETTINGCHANGE) {
        ForwardToControls(message, wParam, lParam);
    }
    if (ReflectToChild(message, wParam, lParam, result)) return true;
    if (DispatchToMessageMap(message, wParam, lParam, result)) return true;
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        if (LOWORD(wParam) == IDOK) return OnOK(), true;
        if (LOWORD(wParam) == IDCANCEL) return OnCancel(), true;
    }
    return false;
}
