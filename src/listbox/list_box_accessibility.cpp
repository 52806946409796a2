// How the drive list reaches people who cannot read its drawing: screen
// readers get each row's two lines and hear the chosen row, and High Contrast
// themes get rows in their own colours.
#include <iterator>
#include <string>
#include <string_view>

#include "listbox/list_box_ch.h"

namespace {

const DWORD kClientObject = static_cast<DWORD>(OBJID_CLIENT);
const MSAAPROPID kRowProperties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};

// Row texts are in the ANSI code page, as the list draws them.
std::wstring Widened(std::string_view text) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(length), L'\0');
    const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), length);
    wide.resize(static_cast<size_t>(written > 0 ? written : 0));
    return wide;
}

}  // namespace

void CListBoxCH::UseAccessibilityApi(AccessibilityApi& accessibility) {
    m_accessibility = &accessibility;
    m_colours = ReadRowColours(accessibility);
}

// The rows' own list-box strings stay "" (their order hangs on that), so a
// screen reader would call every row blank. Direct annotation names each row
// (child id row + 1 of the list's client object) after its first line and
// describes it with its second. Wine's annotation calls fail; a row whose
// call fails keeps its blank name and nothing else changes.
void CListBoxCH::NameRows() {
    const int count = GetCount();
    for (int row = 0; row < count; ++row) {
        const void* data = GetItemDataPtr(row);
        if (data == nullptr || data == reinterpret_cast<const void*>(LB_ERR)) continue;
        const std::string_view text(static_cast<const CExtItem*>(data)->m_text);
        const size_t lineBreak = text.find('\n');
        const DWORD child = static_cast<DWORD>(row + 1);
        m_accessibility->SetHwndPropStr(m_hWnd, kClientObject, child, PROPID_ACC_NAME,
                                        Widened(text.substr(0, lineBreak)).c_str());
        if (lineBreak == std::string_view::npos) continue;
        m_accessibility->SetHwndPropStr(m_hWnd, kClientObject, child, PROPID_ACC_DESCRIPTION,
                                        Widened(text.substr(lineBreak + 1)).c_str());
    }
    m_namedRows = count;
}

void CListBoxCH::ForgetRowNames() {
    for (int row = 0; row < m_namedRows; ++row) {
        m_accessibility->ClearHwndProps(m_hWnd, kClientObject, static_cast<DWORD>(row + 1),
                                        kRowProperties, std::size(kRowProperties));
    }
    m_namedRows = 0;
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

// Annotations are kept by window handle, which Windows may hand out again.
void CListBoxCH::OnDestroy() {
    ForgetRowNames();
    Default();
}
