// How the user chooses a drive row: a left-button release, or the keys that
// move the selection. The chosen row is the one Enter and a double-click eject,
// so it always names the row the user sees highlighted.
#include "listbox/list_box_ch.h"

namespace {

LRESULT OnLButtonUpMessage(CWnd& window, WPARAM wParam, LPARAM lParam) {
    // Client coordinates are signed 16-bit values packed into lParam.
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    static_cast<CListBoxCH&>(window).OnLButtonUp(static_cast<UINT>(wParam), point);
    return 0;
}

constexpr MessageMapEntry kMessageMap[] = {
    OnReflectedNotification<CListBoxCH, &CListBoxCH::OnSelChange>(LBN_SELCHANGE),
    OnMessage(WM_LBUTTONUP, &OnLButtonUpMessage),
    OnMessage(WM_SYSCOLORCHANGE,
              &CallWithoutArguments<CListBoxCH, &CListBoxCH::OnSystemColoursChanged>),
    OnMessage(WM_SETTINGCHANGE,
              &CallWithoutArguments<CListBoxCH, &CListBoxCH::OnSystemColoursChanged>),
    OnMessage(WM_DESTROY, &CallWithoutArguments<CListBoxCH, &CListBoxCH::OnDestroy>),
};

}  // namespace

MessageMap CListBoxCH::GetMessageMap() const {
    return kMessageMap;
}

void CListBoxCH::OnLButtonUp(UINT, POINT point) {
    // The high word says the point lies below every row; it is not looked at,
    // so a release under the last row chooses the last row.
    const LRESULT hit = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    ChooseRow(LOWORD(hit));
    Default();
}

// The list box sends the key report before it acts on the key, with the caret
// row from before the move. The chosen row is the one the list box is about
// to select, so that Enter ejects the highlighted drive and never its
// neighbour. Answering -1 lets the list box move the selection itself.
int CListBoxCH::VKeyToItem(UINT key, UINT caretIndex) {
    const int caret = static_cast<int>(caretIndex);
    const int count = GetCount();
    if (key == VK_UP && caret > 0) {
        SetCurSel(caret);
        ChooseRow(caret - 1);
    } else if (key == VK_DOWN && caret < count) {
        SetCurSel(caret);
        ChooseRow(caret + 1 < count ? caret + 1 : caret);
    }
    return -1;
}

// Home, End, Page Up and Page Down move the selection as well; following the
// selection here keeps the chosen row equal to the highlighted one for them.
void CListBoxCH::OnSelChange() {
    const int selected = GetCurSel();
    if (selected != LB_ERR) m_chosenIndex = selected;
    RepaintChoice();
}

void CListBoxCH::ChooseRow(int index) {
    m_chosenIndex = index;
    RepaintChoice();
}
