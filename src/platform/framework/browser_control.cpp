#include "platform/framework/browser_control.h"

#include <utility>

#include "platform/framework/browser_site.h"
// After the SDK's base headers, which they expect to be in place already.
#include <exdispid.h>
#include <mshtml.h>

namespace {

// Owns one BSTR for the length of a call that takes it.
class ScopedBstr {
public:
    explicit ScopedBstr(const wchar_t* text) : m_text(::SysAllocString(text)) {}
    ScopedBstr(const ScopedBstr&) = delete;
    ScopedBstr& operator=(const ScopedBstr&) = delete;
    ~ScopedBstr() { ::SysFreeString(m_text); }
    BSTR get() const { return m_text; }

private:
    BSTR m_text;
};

}  // namespace

std::unique_ptr<BrowserControl> BrowserControl::Create(HWND window, const RECT& area,
                                                       DWORD hostFlags,
                                                       DocumentCompleteHandler onDocumentComplete) {
    std::unique_ptr<BrowserControl> control(new BrowserControl(std::move(onDocumentComplete)));
    if (!control->Activate(window, area, hostFlags)) return nullptr;
    return control;
}

BrowserControl::BrowserControl(DocumentCompleteHandler onDocumentComplete)
    : m_onDocumentComplete(std::move(onDocumentComplete)) {}

// Also the way out of a half-finished Activate: whatever was reached is
// closed and released.
BrowserControl::~BrowserControl() {
    m_events.reset();
    if (m_object.get() != nullptr) {
        m_object->Close(OLECLOSE_NOSAVE);
        m_object->SetClientSite(nullptr);
    }
    if (m_site.get() != nullptr) m_site->Detach();
}

bool BrowserControl::Activate(HWND window, const RECT& area, DWORD hostFlags) {
    // An apartment-threaded control reached from another apartment would be
    // a proxy, which cannot be placed in this thread's window.
    if (!m_ole.Succeeded()) return false;
    *m_site.out() = new BrowserSite(window, hostFlags);
    IOleClientSite* site = m_site.get();
    if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject,
                                  m_object.out())) ||
        FAILED(m_object->SetClientSite(site))) {
        return false;
    }
    // UI-active, not only active in place: only then does the control hand
    // over its active object (SetActiveObject), take the focus, and so get
    // the keyboard at all. (Wine's control ignores a later UI activation of a
    // control already active in place.)
    RECT position = area;
    if (FAILED(m_object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site, 0, window, &position)) ||
        FAILED(m_object->QueryInterface(IID_IWebBrowser2, m_browser.out()))) {
        return false;
    }
    // Without the events the page still shows; only its buttons stay dead.
    m_events = std::make_unique<EventConnection>(
        m_browser.get(), DIID_DWebBrowserEvents2,
        [this](DISPID event, DISPPARAMS* arguments) { return OnBrowserEvent(event, arguments); });
    SetRect(area);
    return true;
}

void BrowserControl::SetRect(const RECT& area) const {
    ComPtr<IOleInPlaceObject> inPlace;
    if (FAILED(m_object->QueryInterface(IID_IOleInPlaceObject, inPlace.out()))) return;
    inPlace->SetObjectRects(&area, &area);
}

IOleInPlaceActiveObject* BrowserControl::ActiveObject() const {
    return m_site->ActiveObject();
}

bool BrowserControl::TranslateAccelerator(MSG& message) const {
    // Held for the call: the object may give up its activation meanwhile.
    ComPtr<IOleInPlaceActiveObject> active;
    active.Assign(ActiveObject());
    return active.get() != nullptr && active->TranslateAccelerator(&message) == S_OK;
}

HRESULT BrowserControl::Navigate(const std::wstring& url) const {
    ScopedBstr address(url.c_str());
    if (address.get() == nullptr) return E_OUTOFMEMORY;
    VARIANT none;
    ::VariantInit(&none);
    return m_browser->Navigate(address.get(), &none, &none, &none, &none);
}

HRESULT BrowserControl::GetElementById(const wchar_t* id, void** element) const {
    if (element == nullptr) return E_POINTER;
    *element = nullptr;
    ComPtr<IDispatch> document;
    ComPtr<IHTMLDocument3> html;
    HRESULT result = m_browser->get_Document(reinterpret_cast<IDispatch**>(document.out()));
    if (FAILED(result)) return result;
    if (document.get() == nullptr) return E_FAIL;
    result = document->QueryInterface(IID_IHTMLDocument3, html.out());
    if (FAILED(result)) return result;
    ScopedBstr name(id);
    if (name.get() == nullptr) return E_OUTOFMEMORY;
    return html->getElementById(name.get(), reinterpret_cast<IHTMLElement**>(element));
}

HRESULT BrowserControl::OnBrowserEvent(DISPID event, const DISPPARAMS* arguments) const {
    if (event != DISPID_DOCUMENTCOMPLETE || !IsTopDocument(arguments)) return S_OK;
    // The handler may end the window and this control with it.
    const DocumentCompleteHandler handler = m_onDocumentComplete;
    if (handler) handler();
    return S_OK;
}

// DocumentComplete(pDisp, URL) comes once per frame and last for the top
// document, whose pDisp is the browser itself; arguments arrive in reverse.
bool BrowserControl::IsTopDocument(const DISPPARAMS* arguments) const {
    if (arguments == nullptr || arguments->cArgs < 2) return false;
    const VARIANT& frame = arguments->rgvarg[1];
    if (frame.vt != VT_DISPATCH || frame.pdispVal == nullptr) return false;
    ComPtr<IUnknown> frameIdentity;
    ComPtr<IUnknown> browserIdentity;
    frame.pdispVal->QueryInterface(IID_IUnknown, frameIdentity.out());
    m_browser->QueryInterface(IID_IUnknown, browserIdentity.out());
    return frameIdentity.get() != nullptr && frameIdentity.get() == browserIdentity.get();
}
