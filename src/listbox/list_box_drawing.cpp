// How a drive row looks: 40 pixels high at 100% display scale, the icon at
// the left, one or two lines of text beside it; the selected row dark blue
// with white text in a thin black frame (other colours under High Contrast,
// see row_colours.h). No focus rectangle is ever drawn. Every length but the
// frame's and the separator's hairlines scales with the list's DPI.
#include "listbox/list_box_ch.h"
#include "platform/framework/gdi_objects.h"

namespace {

void FillWithColour(HDC dc, const RECT& rect, COLORREF colour) {
    ScopedGdiObject brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, static_cast<HBRUSH>(brush.get()));
}

}  // namespace

void CListBoxCH::MeasureItem(MEASUREITEMSTRUCT* measureItem) {
    measureItem->itemHeight = Scaled(kRowHeight);
    measureItem->itemWidth = Scaled(kRowWidth);
}

void CListBoxCH::ScaleTo(UINT dpi) {
    m_dpi = dpi;
    for (int row = 0; row < GetCount(); ++row)
        SendMessage(LB_SETITEMHEIGHT, row, Scaled(kRowHeight));
    for (const auto& item : m_items) item->m_icon = SharedIconAtSize(item->m_icon, IconSize(dpi));
    InvalidateRect(nullptr, TRUE);
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
    DrawRowIcon(dc, row, item);
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
    DrawRowIcon(dc, row, item);
    ::SetTextColor(dc, m_colours.selectedText);
    DrawRowText(dc, row, item);
}

// At the icon's own size: the row's icon was loaded at the size of the
// list's DPI, and drawing it at the system's icon size would stretch it on a
// monitor of another scale.
void CListBoxCH::DrawRowIcon(HDC dc, const RECT& row, const CExtItem& item) const {
    ::DrawIconEx(dc, row.left + Scaled(2), row.top + Scaled(2), item.m_icon, 0, 0, 0, nullptr,
                 DI_NORMAL);
}

// The box right of the icon's column, inset by 2 and moved 2 right and 3
// down: the text starts 44 pixels from the row's left and 5 from its top.
// Without DT_SINGLELINE the text starts at the top-left of its box: a line
// feed starts the second line, and long lines are clipped, not wrapped.
void CListBoxCH::DrawRowText(HDC dc, const RECT& row, const CExtItem& item) const {
    RECT text{row.left + Scaled(kTextIndent + 4), row.top + Scaled(5), row.right,
              row.bottom + Scaled(1)};
    ::DrawTextA(dc, item.m_text, -1, &text, DT_VCENTER);
}
