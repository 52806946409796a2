// CListBox: a list-box control object. Owner-draw requests the parent
// receives for it come back here as DrawItem, MeasureItem, CompareItem and
// VKeyToItem.
#pragma once

#include "platform/framework/wnd.h"

class CListBox : public CWnd {
public:
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetCurSel(int index) const { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    int InsertString(int index, const char* text) const {
        return static_cast<int>(
            SendMessage(LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text)));
    }
    void ResetContent() const { SendMessage(LB_RESETCONTENT); }
    int SetItemDataPtr(int index, void* data) const {
        return static_cast<int>(SendMessage(LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data)));
    }
    void* GetItemDataPtr(int index) const {
        return reinterpret_cast<void*>(SendMessage(LB_GETITEMDATA, index));
    }
    int GetItemRect(int index, RECT* rect) const {
        return static_cast<int>(SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)));
    }
    void SetHorizontalExtent(int pixels) const { SendMessage(LB_SETHORIZONTALEXTENT, pixels); }
    int GetHorizontalExtent() const {
        return static_cast<int>(SendMessage(LB_GETHORIZONTALEXTENT));
    }

    virtual void DrawItem(DRAWITEMSTRUCT* drawItem);
    virtual void MeasureItem(MEASUREITEMSTRUCT* measureItem);
    virtual int CompareItem(COMPAREITEMSTRUCT* compareItem);
    // Answers the list box's key report: a row index, -1 for the list box's
    // own handling of the key, or -2 for "handled, do nothing".
    virtual int VKeyToItem(UINT key, UINT caretIndex);

    bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
};
