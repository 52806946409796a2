// Help > User Guide: every use opens another guide window.
#include <memory>

#include "app/main_dialog.h"
#include "help/help_dialog.h"
#include "res/resource.h"

void CKorvane_Safe_EjectDlg::OpenUserGuide() {
    auto guide = std::make_unique<HelpDialog>(this);
    // The desktop as parent makes the guide a top-level window of its own,
    // owned by none: it stays when the main window goes to the tray. Without
    // a browser there is no window and the object goes here.
    if (!guide->Create(IDD_USER_GUIDE, ::GetDesktopWindow())) return;
    // From here the window owns the object and deletes it when it closes.
    m_pHelpDialog = guide.release();
    m_pHelpDialog->ShowWindow(SW_SHOW);
}
