#include "listbox/list_box_ch.h"

#include "listbox/list_name_server.h"
#include "platform/win32/real_accessibility_api.h"

CListBoxCH::CListBoxCH()
    : m_colours(ReadRowColours(RealAccessibility())),
      m_drawSeparator(TRUE),
      m_accessibility(&RealAccessibility()) {}

CListBoxCH::~CListBoxCH() {
    // The name server reads the records: it lets go of them first. The
    // records go before the window is let go, as the rows that point at them
    // may still be asked to draw until then.
    StopServingNames();
    m_items.clear();
    Detach();
}

void CListBoxCH::PreSubclassWindow() {
    m_chosenIndex = -1;
    ServeNames();
}

// A record without a row would shift the row-to-record order for good, and
// with it the drive that a row names.
bool CListBoxCH::AddItem(const char* text, HICON icon) {
    m_items.push_back(std::make_unique<CExtItem>(text, icon));
    // The list box asks for the row's size (MeasureItem) while inserting it.
    const int row = InsertString(0, "");
    if (row == LB_ERR || row == LB_ERRSPACE) {
        m_items.pop_back();
        return false;
    }
    SetItemDataPtr(row, m_items.back().get());
    return true;
}

void CListBoxCH::RemoveAllItems() {
    ResetContent();
    m_items.clear();
}

void CListBoxCH::ClearChoice() {
    SetChoice(-1);
}

void CListBoxCH::SetChoice(int row) {
    m_chosenIndex = row;
    SetCurSel(row);
    RepaintChoice();
}

void CListBoxCH::RepaintChoice() {
    if (m_rebuilds == 0) AnnounceChoice();  // whether or not this is the first run
    if (!m_lastRepaintedIndex) m_lastRepaintedIndex = m_chosenIndex;
    if (*m_lastRepaintedIndex == m_chosenIndex) return;
    InvalidateRow(*m_lastRepaintedIndex);
    InvalidateRow(m_chosenIndex);
    m_lastRepaintedIndex = m_chosenIndex;
}

void CListBoxCH::InvalidateRow(int index) const {
    RECT rect;
    if (index < 0 || index >= GetCount() || GetItemRect(index, &rect) == LB_ERR) return;
    InvalidateRect(&rect, TRUE);
}

const CExtItem* CListBoxCH::RowRecord(int row) const {
    if (row < 0 || row >= GetCount()) return nullptr;
    const void* data = GetItemDataPtr(row);
    if (data == reinterpret_cast<const void*>(LB_ERR)) return nullptr;
    return static_cast<const CExtItem*>(data);
}
