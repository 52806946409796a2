#include "help/help_dialog.h"

#include "app/main_dialog.h"
#include "platform/framework/win_app.h"
#include "res/resource.h"

namespace {

constexpr PageEventEntry kPageEventMap[] = {
    OnPageClick<CDHtmlDialog, &CDHtmlDialog::OnButtonOK>(L"ButtonOK"),
    OnPageClick<CDHtmlDialog, &CDHtmlDialog::OnButtonCancel>(L"ButtonCancel"),
};

}  // namespace

HelpDialog::HelpDialog(CWnd* parent) : CDHtmlDialog(IDD_USER_GUIDE, IDR_USER_GUIDE_HTML, parent) {}

BOOL HelpDialog::OnInitDialog() {
    // The guide is longer than the window: it keeps its scroll bars.
    m_dwHostFlags = DOCHOSTUIFLAG_NO3DBORDER;
    return CDHtmlDialog::OnInitDialog();
}

PageEventMap HelpDialog::GetPageEventMap() const {
    return kPageEventMap;
}

void HelpDialog::PostNcDestroy() {
    // The main window remembers the newest guide; it forgets it here, but only
    // while it is still the running main window (a parent whose object is
    // gone is never touched).
    CWinApp* application = CWinApp::Current();
    if (application != nullptr && application->m_pMainWnd != nullptr &&
        application->m_pMainWnd == m_pParentWnd) {
        auto* mainWindow = static_cast<CKorvane_Safe_EjectDlg*>(m_pParentWnd);
        if (mainWindow->m_pHelpDialog == this) mainWindow->m_pHelpDialog = nullptr;
    }
    delete this;
}
