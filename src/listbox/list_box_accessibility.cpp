// How the drive list reaches people who cannot read its drawing: screen
// readers hear the list's name and each row whole, what a rebuild changed and
// the chosen row; High Contrast themes get rows in their own colours.
#include <iterator>

#include "listbox/list_box_ch.h"
#include "listbox/list_name_server.h"

namespace {

const DWORD kClientObject = static_cast<DWORD>(OBJID_CLIENT);
const MSAAPROPID kServedProperties[] = {PROPID_ACC_NAME};

}  // namespace

void CListBoxCH::UseAccessibilityApi(AccessibilityApi& accessibility) {
    m_accessibility = &accessibility;
    m_colours = ReadRowColours(accessibility);
}

// The rows' own list-box strings stay "" (their order hangs on that), so a
// screen reader would call every row blank and the list nameless. One server,
// registered for the list's client object and its rows (ANNO_CONTAINER),
// names them all from the rows as they are when it is asked. When the
// registration fails (Wine's is a stub) nobody else holds the server and it
// goes at once; the list then reads as the list box makes it, and nothing
// else changes.
void CListBoxCH::ServeNames() {
    *m_nameServer.out() = new ListNameServer(*this, *m_accessibility);
    const HRESULT registered = m_accessibility->SetHwndPropServer(
        m_hWnd, kClientObject, CHILDID_SELF, kServedProperties,
        static_cast<int>(std::size(kServedProperties)), m_nameServer.get(), ANNO_CONTAINER);
    if (FAILED(registered)) StopServingNames();
}

// oleacc keeps annotations by window handle, which Windows may hand out
// again; a client that still holds the server is told there is no name.
void CListBoxCH::StopServingNames() {
    if (m_nameServer.get() == nullptr) return;
    m_accessibility->ClearHwndProps(m_hWnd, kClientObject, CHILDID_SELF, kServedProperties,
                                    static_cast<int>(std::size(kServedProperties)));
    m_nameServer->Disconnect();
    m_nameServer.reset();
}

CListBoxCH::Rebuilding::Rebuilding(CListBoxCH& list) : m_list(list) {
    ++m_list.m_rebuilds;
}

CListBoxCH::Rebuilding::~Rebuilding() {
    if (--m_list.m_rebuilds == 0) m_list.AnnounceRebuild();
}

// Readers hear of a rebuild only once its rows can be named, and only of
// what changed: first the rows, then the choice. One EVENT_OBJECT_REORDER on
// the list stands for rows added, removed, moved and renamed alike: MSAA's
// child ids are positions, so any of these changes what later ids name, and
// readers (and the UI Automation bridge) read the list's rows again on it.
// The label-retry timer rebuilds every 3 seconds while a locked drive is in;
// such a rebuild changes nothing and says nothing.
void CListBoxCH::AnnounceRebuild() {
    std::vector<std::string> rows;
    for (int row = 0; row < GetCount(); ++row) {
        const CExtItem* record = RowRecord(row);
        rows.emplace_back(record != nullptr ? record->m_text : "");
    }
    if (rows != m_announcedRows) {
        // The chosen row was heard under the name it had: Enter ejects it, so
        // its new name is told as well.
        const size_t chosen = static_cast<size_t>(m_chosenIndex);
        const bool choiceRenamed = m_chosenIndex >= 0 && m_chosenIndex == m_announcedIndex &&
                                   chosen < rows.size() && chosen < m_announcedRows.size() &&
                                   rows[chosen] != m_announcedRows[chosen];
        m_announcedRows = std::move(rows);
        ::NotifyWinEvent(EVENT_OBJECT_REORDER, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
        if (choiceRenamed) m_announcedIndex = -1;
    }
    AnnounceChoice();
}

// Wine's list box raises no focus or selection event when its selection
// moves, and the choice is the list's own (a release below the last row
// chooses that row). The chosen row is the one Enter ejects, so a screen
// reader is told of every change of it, whichever way it came.
void CListBoxCH::AnnounceChoice() {
    if (m_chosenIndex == m_announcedIndex) return;
    m_announcedIndex = m_chosenIndex;
    if (m_chosenIndex < 0 || m_chosenIndex >= GetCount()) return;
    const LONG child = m_chosenIndex + 1;
    if (::GetFocus() == m_hWnd) ::NotifyWinEvent(EVENT_OBJECT_FOCUS, m_hWnd, OBJID_CLIENT, child);
    ::NotifyWinEvent(EVENT_OBJECT_SELECTION, m_hWnd, OBJID_CLIENT, child);
}

// Windows tells the top-level window of a theme or colour change; the dialog
// passes it on to its controls.
void CListBoxCH::OnSystemColoursChanged() {
    const RowColours colours = ReadRowColours(*m_accessibility);
    if (colours != m_colours) {
        m_colours = colours;
        InvalidateRect(nullptr, TRUE);
    }
    Default();
}

void CListBoxCH::OnDestroy() {
    StopServingNames();
    Default();
}
