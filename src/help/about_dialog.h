// CAboutDlg: the modal About box with the product, its version, the licence
// terms and the maker's web address, which opens when clicked.
#pragma once

#include <string>

#include "platform/framework/dialog.h"
#include "platform/framework/edit.h"
#include "platform/system_api.h"

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(SystemApi& system, CWnd* parent = nullptr);

    MessageMap GetMessageMap() const override;
    void OnWebAddressClicked();

    CEdit m_licenseEdit;

protected:
    void DoDataExchange() override;
    BOOL OnInitDialog() override;

private:
    SystemApi& m_system;
};

// The licence terms exactly as stored in the program: the whole resource,
// line ends included, nothing after its last line; empty when it is missing.
std::string LoadLicenseText();

void VisitWebSite(SystemApi& system);
