// CDHtmlDialog: a dialog whose whole client area is the WebBrowser control
// showing a page from the program's own resources; the page's element events
// reach the dialog through its page-event table.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/framework/dialog.h"
#include "platform/framework/page_event_map.h"
// After the SDK's base headers, which it expects to be in place already.
#include <mshtmhst.h>

class BrowserControl;
class ElementEvents;
class KeyboardRoute;
struct IWebBrowser2;

class CDHtmlDialog : public CDialog {
public:
    // The page is the program's HTML resource `htmlResourceId`.
    CDHtmlDialog(UINT templateId, UINT htmlResourceId, CWnd* parent = nullptr);
    ~CDHtmlDialog() override;

    // Hide CDialog's own (not virtual there) to learn whether the window
    // runs modally; a window that destroyed itself while starting counts as
    // not created.
    INT_PTR DoModal();
    BOOL Create(UINT templateId, HWND parent);
    // Ends a modal run as CDialog does; a modeless window is hidden at once
    // and destroyed as soon as the message that asked for the end is done.
    void EndDialog(int result);

    virtual HRESULT OnButtonOK(IHTMLElement* element);
    virtual HRESULT OnButtonCancel(IHTMLElement* element);

    // The browser, as the page's code reaches it; null before the window is
    // created and after it is gone.
    IWebBrowser2* BrowserApp() const;
    // What the browser handed over when it was made UI-active, which gets the
    // window's keyboard messages first; null when it is not active.
    IOleInPlaceActiveObject* ActiveObject() const;

    MessageMap GetMessageMap() const override;
    void OnSize();
    void OnDestroy();

    // The document host flags, taken when OnInitDialog creates the browser.
    DWORD m_dwHostFlags = DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO;

protected:
    // Without a browser the window destroys itself and answers FALSE: the
    // creating call then fails and nothing is shown. With one, the browser
    // has the focus and the answer is FALSE as well, so that the dialog
    // manager leaves it there.
    BOOL OnInitDialog() override;
    void OnOK() override { EndDialog(IDOK); }
    void OnCancel() override { EndDialog(IDCANCEL); }

    virtual PageEventMap GetPageEventMap() const { return {}; }

    // Runs once the window has had its last message and no code of this
    // object is still running for it: where a heap object may delete itself.
    virtual void PostNcDestroy() {}

private:
    static LRESULT CALLBACK LifetimeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR subclassId, DWORD_PTR dialog);
    std::wstring PageUrl() const;
    void ConnectPageEvents();
    bool IsElementConnected(const wchar_t* elementId) const;
    HRESULT FirePageEvent(const wchar_t* elementId, DISPID event, IHTMLElement* element);
    void ReleaseBrowser();

    UINT m_htmlResourceId;
    bool m_modal = false;
    std::unique_ptr<BrowserControl> m_browser;
    std::unique_ptr<KeyboardRoute> m_keyboard;
    std::vector<std::unique_ptr<ElementEvents>> m_pageEvents;
};
