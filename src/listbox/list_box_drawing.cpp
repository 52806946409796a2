// How a drive row looks: 40 pixels high, the icon at the left, one or two
// lines of text beside it; the selected row dark blue with white text in a
// thin black frame (other colours under High Contrast, see row_colours.h).
// No focus rectangle is ever drawn.
#include "listbox/list_box_ch.h"
#include "platform/framework/gdi_objects.h"

namespace {

void FillWithColour(HDC dc, const RECT& rect, COLORREF colour) {
    ScopedGdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

}  // namespace

void CListBoxCH::MeasureItem(MEASUREITEMSTRUCT* measureItem) {
    measureItem->itemHeight = kRowHeight;
    measureItem->itemWidth = kRowWidth;
}

// Rows keep the order they were inserted in; nothing is sorted.
int CListBoxCH::CompareItem(COMPAREITEMSTRUCT*) {
    return 0;
}

void CListBoxCH::DrawItem(DRAWITEMSTRUCT* drawItem) {
    if (static_cast<int>(drawItem->itemID) < 0) return;  // an empty list asks with row -1
    const LRESULT data = SendMessage(LB_GETITEMDATA, drawItem->itemID);
    if (data == 0 || data == LB_ERR) return;
    const auto& item = *reinterpret_cast<const CExtItem*>(data);
    HDC dc = drawItem->hDC;
    ::SetBkMode(dc, TRANSPARENT);

    const bool entire = (drawItem->itemAction & ODA_DRAWENTIRE) != 0;
    const bool select = (drawItem->itemAction & ODA_SELECT) != 0;
    const bool selected = (drawItem->itemState & ODS_SELECTED) != 0;
    if (!entire && !select) return;  // focus changes only: no focus rectangle
    if (entire || !selected) DrawNormalLook(dc, drawItem->rcItem, item);
    if (selected) DrawSelectedLook(dc, drawItem->rcItem, item);
}

void CListBoxCH::DrawNormalLook(HDC dc, const RECT& row, const CExtItem& item) const {
    FillWithColour(dc, row, m_colours.back);
    RECT edge = row;
    if (m_drawSeparator) ::DrawEdge(dc, &edge, EDGE_SUNKEN, BF_BOTTOM);
    ::DrawIcon(dc, row.left + 2, row.top + 2, item.m_icon);
    ::SetTextColor(dc, m_colours.text);
    DrawRowText(dc, row, item);
}

void CListBoxCH::DrawSelectedLook(HDC dc, const RECT& row, const CExtItem& item) const {
    ScopedGdiObject pen(::CreatePen(PS_SOLID, 1, m_colours.frame));
    {
        ScopedSelection framePen(dc, pen.get());
        ::Rectangle(dc, row.left, row.top, row.right, row.bottom);
    }
    RECT inner = row;
    ::InflateRect(&inner, -1, -1);
    FillWithColour(dc, inner, m_colours.selectedBack);
    if (m_drawSeparator) ::DrawEdge(dc, &inner, EDGE_SUNKEN, BF_BOTTOM);
    ::DrawIcon(dc, row.left + 2, row.top + 2, item.m_icon);
    ::SetTextColor(dc, m_colours.selectedText);
    DrawRowText(dc, row, item);
}

// Without DT_SINGLELINE the text starts at the top-left of its box: a line
// feed starts the second line, and long lines are clipped, not wrapped.
void CListBoxCH::DrawRowText(HDC dc, const RECT& row, const CExtItem& item) const {
    RECT text{row.left + kTextIndent, row.top, row.right, row.bottom};
    ::InflateRect(&text, -2, -2);
    ::OffsetRect(&text, 2, 3);
    ::DrawTextA(dc, item.m_text, -1, &text, DT_VCENTER);
}
