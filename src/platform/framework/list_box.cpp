#include "platform/framework/list_box.h"

// An owner-drawn list box must be answered by a derived class; these defaults
// only keep a plain one working.
void CListBox::DrawItem(DRAWITEMSTRUCT*) {}

void CListBox::MeasureItem(MEASUREITEMSTRUCT*) {}

int CListBox::CompareItem(COMPAREITEMSTRUCT*) {
    return 0;
}

int CListBox::VKeyToItem(UINT, UINT) {
    return -1;
}

bool CListBox::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    switch (message) {
        case WM_DRAWITEM:
            DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            *result = TRUE;
            return true;
        case WM_MEASUREITEM:
            MeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            *result = TRUE;
            return true;
        case WM_COMPAREITEM:
            *result = CompareItem(reinterpret_cast<COMPAREITEMSTRUCT*>(lParam));
            return true;
        case WM_VKEYTOITEM:
            *result = VKeyToItem(LOWORD(wParam), HIWORD(wParam));
            return true;
        default:
            return CWnd::OnChildNotify(message, wParam, lParam, result);
    }
}
