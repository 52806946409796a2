// CEdit: an edit control bound to a dialog's template control.
#pragma once

#include "platform/framework/wnd.h"

class CEdit : public CWnd {
public:
    BOOL SetWindowText(const char* text) const { return ::SetWindowTextA(m_hWnd, text); }
};
