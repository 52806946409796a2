// The About box: the licence terms shown exactly as stored, and the web
// address that opens the maker's site without closing the box.
#include "help/about_dialog.h"
#include "main_window_fixture.h"

namespace {

std::string LicenceResourceBytes() {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(IDR_LICENSE_TEXT), "TEXT");
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    return std::string(bytes, ::SizeofResource(module, found));
}

using AboutBox = MainWindowTest;

TEST_F(AboutBox, ShowsTheLicenceTextByteForByteAndOpensTheWebAddress) {
    CAboutDlg about(system, dialog.get());
    ASSERT_TRUE(about.Create(IDD_ABOUTBOX, Window()));
    about.ShowWindow(SW_SHOW);  // the template is not visible by itself
    const std::string stored = LicenceResourceBytes();
    ASSERT_GT(stored.size(), 1000u);
    EXPECT_EQ(about.m_licenseEdit.GetWindowText(), stored);
    EXPECT_NE(stored.find("\r\n"), std::string::npos);
    EXPECT_EQ(stored.find('\n'), stored.find("\r\n") + 1) << "CR LF line ends";
    EXPECT_NE(stored.substr(stored.size() - 2), "\r\n") << "nothing after the last line";
    EXPECT_EQ(stored.find('\0'), std::string::npos);
    // Long lines wrap at the field's edge: no horizontal scrolling.
    const LONG style = ::GetWindowLongA(about.m_licenseEdit.m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & (ES_AUTOHSCROLL | WS_HSCROLL), 0);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(about.m_hWnd, IDOK));
    // Each click opens the site; the box stays.
    for (int click = 0; click < 2; ++click) {
        ::SendMessageA(about.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_WEB_ADDRESS, STN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(about.m_hWnd, IDC_WEB_ADDRESS)));
    }
    EXPECT_EQ(system.CountCalls("ShellExecuteA(0x0,open,http://www.korvane.example/,null,null,1)"),
              2u);
    EXPECT_TRUE(::IsWindowVisible(about.m_hWnd));
}

}  // namespace
