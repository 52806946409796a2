#include "platform/framework/dhtml_dialog.h"

#include <algorithm>
#include <cwchar>

#include "platform/common_controls.h"
#include "platform/framework/browser_control.h"
#include "platform/framework/element_events.h"
#include "platform/framework/keyboard_route.h"

namespace {

constexpr UINT_PTR kLifetimeSubclassId = 1;

// Asks a modeless window to destroy itself once the current message is done.
UINT EndModelessMessage() {
    static const UINT message = ::RegisterWindowMessageA("Korvane.CDHtmlDialog.EndModeless");
    return message;
}

constexpr MessageMapEntry kMessageMap[] = {
    OnMessage(WM_SIZE, &CallWithoutArguments<CDHtmlDialog, &CDHtmlDialog::OnSize>),
    OnMessage(WM_DESTROY, &CallWithoutArguments<CDHtmlDialog, &CDHtmlDialog::OnDestroy>),
};

}  // namespace

CDHtmlDialog::CDHtmlDialog(UINT templateId, UINT htmlResourceId, CWnd* parent)
    : CDialog(templateId, parent), m_htmlResourceId(htmlResourceId) {}

// A window still open when its object goes is destroyed by CDialog with none
// of this object's handling, so the hook that would reach it goes first.
CDHtmlDialog::~CDHtmlDialog() {
    if (m_hWnd != nullptr)
        common_controls::RemoveWindowSubclass(m_hWnd, &LifetimeProc, kLifetimeSubclassId);
    ReleaseBrowser();
}

MessageMap CDHtmlDialog::GetMessageMap() const {
    return kMessageMap;
}

INT_PTR CDHtmlDialog::DoModal() {
    m_modal = true;
    return CDialog::DoModal();
}

BOOL CDHtmlDialog::Create(UINT templateId, HWND parent) {
    m_modal = false;
    // CreateDialogParam may hand back the handle of a window that destroyed
    // itself during WM_INITDIALOG (Wine does); by then it is detached.
    return CDialog::Create(templateId, parent) && m_hWnd != nullptr;
}

void CDHtmlDialog::EndDialog(int result) {
    CDialog::EndDialog(result);
    if (m_modal || m_hWnd == nullptr) return;
    // Not at once: this runs inside the browser's event dispatch or this
    // dialog's own message handling, and the end may delete this object.
    ::PostMessageA(m_hWnd, EndModelessMessage(), 0, 0);
}

HRESULT CDHtmlDialog::OnButtonOK(IHTMLElement*) {
    EndDialog(IDOK);
    return S_OK;
}

HRESULT CDHtmlDialog::OnButtonCancel(IHTMLElement*) {
    EndDialog(IDCANCEL);
    return S_OK;
}

BOOL CDHtmlDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    m_browser =
        BrowserControl::Create(m_hWnd, client, m_dwHostFlags, [this] { ConnectPageEvents(); });
    // Without the hook a modeless end could not destroy the window.
    if (m_browser == nullptr ||
        !common_controls::SetWindowSubclass(m_hWnd, &LifetimeProc, kLifetimeSubclassId,
                                            reinterpret_cast<DWORD_PTR>(this))) {
        ::DestroyWindow(m_hWnd);
        return FALSE;
    }
    const std::wstring url = PageUrl();
    if (!url.empty()) m_browser->Navigate(url);
    m_keyboard = std::make_unique<KeyboardRoute>(
        m_hWnd, [this](MSG& message) { return m_browser->TranslateAccelerator(message); });
    return FALSE;  // the browser took the focus when it became UI-active
}

IWebBrowser2* CDHtmlDialog::BrowserApp() const {
    return m_browser == nullptr ? nullptr : m_browser->Browser();
}

IOleInPlaceActiveObject* CDHtmlDialog::ActiveObject() const {
    return m_browser == nullptr ? nullptr : m_browser->ActiveObject();
}

void CDHtmlDialog::OnSize() {
    if (m_browser == nullptr) return;
    RECT client{};
    ::GetClientRect(m_hWnd, &client);
    m_browser->SetRect(client);
}

void CDHtmlDialog::OnDestroy() {
    ReleaseBrowser();
    Default();
}

void CDHtmlDialog::ReleaseBrowser() {
    m_keyboard.reset();
    m_pageEvents.clear();
    m_browser.reset();
    m_modal = false;
}

// CDialog's dialog procedure still uses the object while it handles
// WM_NCDESTROY; this hook sits in front of it and calls PostNcDestroy only
// after it has returned. It also carries out the posted modeless end, which
// so runs outside any handler of the object.
LRESULT CALLBACK CDHtmlDialog::LifetimeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR dialog) {
    if (message == EndModelessMessage()) {
        ::DestroyWindow(window);
        return 0;
    }
    if (message != WM_NCDESTROY)
        return common_controls::DefSubclassProc(window, message, wParam, lParam);
    common_controls::RemoveWindowSubclass(window, &LifetimeProc, kLifetimeSubclassId);
    const LRESULT result = common_controls::DefSubclassProc(window, message, wParam, lParam);
    auto* self = reinterpret_cast<CDHtmlDialog*>(dialog);
    GuardedCall(
        [self]() -> LRESULT {
            self->PostNcDestroy();
            return 0;
        },
        0);
    return result;
}

// res://<module path>/<id>: the res: protocol's default type is RT_HTML.
std::wstring CDHtmlDialog::PageUrl() const {
    // Paths longer than MAX_PATH exist; the buffer grows until the path fits.
    std::wstring path(MAX_PATH, L'\0');
    while (path.size() <= 0x10000) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            // Digits are the same in both widths; std::to_wstring would link
            // the C runtime's whole wide printf (10 KiB) into the program.
            const std::string id = std::to_string(m_htmlResourceId);
            return (L"res://" + path + L"/").append(id.begin(), id.end());
        }
        path.resize(path.size() * 2);
    }
    return {};
}

// Each loaded document has new elements: the old connections go first.
void CDHtmlDialog::ConnectPageEvents() {
    m_pageEvents.clear();
    for (const PageEventEntry& entry : GetPageEventMap()) {
        if (IsElementConnected(entry.elementId)) continue;
        const wchar_t* id = entry.elementId;
        auto events =
            ElementEvents::Connect(*m_browser, id, [this, id](DISPID event, IHTMLElement* element) {
                return FirePageEvent(id, event, element);
            });
        if (events != nullptr) m_pageEvents.push_back(std::move(events));  // else not on this page
    }
}

bool CDHtmlDialog::IsElementConnected(const wchar_t* elementId) const {
    return std::any_of(m_pageEvents.begin(), m_pageEvents.end(), [elementId](const auto& events) {
        return events->ElementId() == elementId;
    });
}

// The first matching entry answers: its handler may end the window.
HRESULT CDHtmlDialog::FirePageEvent(const wchar_t* elementId, DISPID event, IHTMLElement* element) {
    for (const PageEventEntry& entry : GetPageEventMap()) {
        if (entry.event == event && std::wcscmp(entry.elementId, elementId) == 0) {
            return entry.handler(*this, element);
        }
    }
    return S_OK;
}
