// The WebBrowser control placed in a window: created and made UI-active,
// kept over a rectangle, pointed at a page, and closed again with every
// reference it was given handed back.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/com_ptr.h"
#include "platform/framework/event_sink.h"
// After the SDK's base headers, which it expects to be in place already.
#include <exdisp.h>

class BrowserSite;

class BrowserControl {
public:
    using DocumentCompleteHandler = std::function<void()>;

    // Null when the control cannot be created or activated on this thread
    // (no WebBrowser control installed, or a thread that is not
    // single-threaded for COM). `onDocumentComplete` runs each time the top
    // document, not a frame, has loaded.
    static std::unique_ptr<BrowserControl> Create(HWND window, const RECT& area, DWORD hostFlags,
                                                  DocumentCompleteHandler onDocumentComplete);
    BrowserControl(const BrowserControl&) = delete;
    BrowserControl& operator=(const BrowserControl&) = delete;
    ~BrowserControl();

    void SetRect(const RECT& area) const;
    // What the control handed over when it became UI-active; null when none.
    IOleInPlaceActiveObject* ActiveObject() const;
    // Offers a keyboard message to the active object; true when it used it.
    bool TranslateAccelerator(MSG& message) const;
    IWebBrowser2* Browser() const { return m_browser.get(); }
    HRESULT Navigate(const std::wstring& url) const;
    // Writes the loaded document's element of that id (an IHTMLElement) to
    // `element`, or null when there is none.
    HRESULT GetElementById(const wchar_t* id, void** element) const;

private:
    // OLE, not just COM, is what in-place activation needs; it stays
    // initialised on this thread for exactly as long as the control lives.
    class OleSession {
    public:
        OleSession() : m_result(::OleInitialize(nullptr)) {}
        OleSession(const OleSession&) = delete;
        OleSession& operator=(const OleSession&) = delete;
        ~OleSession() {
            if (SUCCEEDED(m_result)) ::OleUninitialize();
        }
        bool Succeeded() const { return SUCCEEDED(m_result); }

    private:
        HRESULT m_result;
    };

    explicit BrowserControl(DocumentCompleteHandler onDocumentComplete);
    bool Activate(HWND window, const RECT& area, DWORD hostFlags);
    HRESULT OnBrowserEvent(DISPID event, const DISPPARAMS* arguments) const;
    bool IsTopDocument(const DISPPARAMS* arguments) const;

    // Released in the reverse order: events, browser, control, site, OLE.
    OleSession m_ole;
    DocumentCompleteHandler m_onDocumentComplete;
    ComPtr<BrowserSite> m_site;
    ComPtr<IOleObject> m_object;
    ComPtr<IWebBrowser2> m_browser;
    std::unique_ptr<EventConnection> m_events;
};
