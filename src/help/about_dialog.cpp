#include "help/about_dialog.h"

#include "app/main_dialog.h"
#include "help/web_site.h"
#include "res/resource.h"

namespace {

using About = CAboutDlg;

// The web address is a static control: SS_NOTIFY makes it send STN_CLICKED,
// which shares its code (0) with BN_CLICKED.
constexpr MessageMapEntry kMessageMap[] = {
    OnCommand<About, &About::OnWebAddressClicked>(IDC_WEB_ADDRESS, STN_CLICKED),
};

}  // namespace

CAboutDlg::CAboutDlg(SystemApi& system, CWnd* parent)
    : CDialog(IDD_ABOUTBOX, parent), m_system(system) {}

MessageMap CAboutDlg::GetMessageMap() const {
    return kMessageMap;
}

void CAboutDlg::DoDataExchange() {
    DDX_Control(IDC_LICENSE_EDIT, m_licenseEdit);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_licenseEdit.SetWindowText(LoadLicenseText().c_str());
    return TRUE;  // the focus goes to the first tab stop, OK
}

void CAboutDlg::OnWebAddressClicked() {
    VisitWebSite(m_system);
}

std::string LoadLicenseText() {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), "TEXT");
    if (found == nullptr) return {};
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded == nullptr ? nullptr : ::LockResource(loaded);
    if (bytes == nullptr) return {};
    // The resource has no terminating NUL: its stored size is its length.
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found));
}

void VisitWebSite(SystemApi& system) {
    // Nothing is reported when no browser can open it.
    system.ShellExecuteA(nullptr, "open", kWebSiteAddress, nullptr, nullptr, SW_SHOWNORMAL);
}

void CKorvane_Safe_EjectDlg::ShowAboutBox() {
    // Without a parent the box is owned by the active window, the main window.
    CAboutDlg about(m_system, this);
    about.DoModal();
}

void CKorvane_Safe_EjectDlg::VisitWebSite() {
    ::VisitWebSite(m_system);
}
