// CDialog: a dialog built from a resource template, run modally, modeless, or
// modeless under its own modal loop, with controls bound by subclassing.
#pragma once

#include "platform/framework/wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    INT_PTR DoModal();
    BOOL Create(UINT templateId, HWND parent);
    // Pumps messages for this (modeless) dialog until EndDialog; keyboard
    // navigation works as in a modal dialog. Shows nothing by itself.
    int RunModalLoop(DWORD flags = 0);
    void EndDialog(int result);

    UINT TemplateId() const { return m_templateId; }

protected:
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange() {}
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    // Binds the template's control `id` to a control object.
    void DDX_Control(int id, CWnd& control);

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CWnd* m_pParentWnd;

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    INT_PTR DialogProc(UINT message, WPARAM wParam, LPARAM lParam);
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    void ForwardToControls(UINT message, WPARAM wParam, LPARAM lParam) const;

    UINT m_templateId;
    bool m_continueModal = false;
    bool m_defaultRequested = false;
    int m_modalResult = -1;
};

// Messages whose dialog-procedure answer is the result itself rather than a
// handled flag (everything else answers through DWLP_MSGRESULT).
bool DialogReturnsResultDirectly(UINT message);
