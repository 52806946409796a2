// The "Autostart with Windows" command. Its check mark is the program's record
// of the autostart state during a run, and changes only when a switch worked.
#include "app/main_dialog.h"
#include "autostart/startup_shortcut.h"
#include "res/resource.h"

void CKorvane_Safe_EjectDlg::ToggleAutostart() {
    HMENU menuBar = GetMenu();
    if (menuBar == nullptr) return;
    const UINT state = ::GetMenuState(menuBar, ID_OPTIONS_AUTOSTART, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1)) return;  // no such item
    // Only the check bit counts: a highlighted item carries other bits.
    if ((state & MF_CHECKED) == 0) {
        if (ManageStartupShortcut(m_system, ShortcutMode::Create) != 0) {
            ShowMessage(startup_shortcut::kCreateFailed);
            return;
        }
        ::CheckMenuItem(menuBar, ID_OPTIONS_AUTOSTART, MF_BYCOMMAND | MF_CHECKED);
    } else {
        if (ManageStartupShortcut(m_system, ShortcutMode::Remove) != 0) {
            ShowMessage(startup_shortcut::kRemoveFailed);
            return;
        }
        ::CheckMenuItem(menuBar, ID_OPTIONS_AUTOSTART, MF_BYCOMMAND | MF_UNCHECKED);
    }
}
