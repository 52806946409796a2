// CWnd: a C++ object bound to a window handle, with the message table and the
// one window-procedure trampoline every subclassed control goes through.
#pragma once

#include <string>

#include "platform/framework/message_map.h"

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL ShowWindow(int command) const { return ::ShowWindow(m_hWnd, command); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    HMENU GetMenu() const { return ::GetMenu(m_hWnd); }
    BOOL InvalidateRect(const RECT* rect, BOOL erase) const {
        return ::InvalidateRect(m_hWnd, rect, erase);
    }
    std::string GetWindowText() const;
    BOOL DestroyWindow() { return m_hWnd != nullptr && ::DestroyWindow(m_hWnd); }

    // Takes over an existing window: messages reach this object's table first
    // and the window's own procedure afterwards (through Default()).
    BOOL SubclassWindow(HWND window);
    BOOL SubclassDlgItem(int id, const CWnd& parent);

    // The object bound to a window, or null for windows of no object here.
    static CWnd* FromHandlePermanent(HWND window);

    virtual MessageMap GetMessageMap() const { return {}; }

    // Owner-draw requests and notifications the parent hands back to the
    // control they concern; answers whether this control dealt with it.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    HWND m_hWnd = nullptr;

protected:
    virtual void PreSubclassWindow() {}

    // The window's processing of the message being handled now, as it would
    // be without this object.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Runs the table entry for a message; answers whether there was one.
    bool DispatchToMessageMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Hands owner-draw requests and control notifications to the control
    // object they concern.
    bool ReflectToChild(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    void Attach(HWND window);
    void Detach();

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};

private:
    static LRESULT CALLBACK StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_superProc = nullptr;
};

// Keeps a C++ exception from unwinding through Windows' own frames: a handler
// that throws is stopped here and the message gets the default answer.
template <class Body>
LRESULT GuardedCall(Body&& body, LRESULT fallback) noexcept {
    try {
        return body();
    } catch (...) {
        ::OutputDebugStringA("Korvane: a message handler threw; the message was dropped\n");
        return fallback;
    }
}

// Holds a window's painting off while it changes many times, then repaints it
// once: a list rebuilt row by row would otherwise repaint after every row.
class ScopedRedrawOff {
public:
    explicit ScopedRedrawOff(const CWnd& window) : m_window(window) {
        m_window.SendMessage(WM_SETREDRAW, FALSE);
    }
    ScopedRedrawOff(const ScopedRedrawOff&) = delete;
    ScopedRedrawOff& operator=(const ScopedRedrawOff&) = delete;
    ~ScopedRedrawOff() {
        m_window.SendMessage(WM_SETREDRAW, TRUE);
        m_window.InvalidateRect(nullptr, TRUE);
    }

private:
    const CWnd& m_window;
};
