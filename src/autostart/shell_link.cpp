// The Startup shortcut written through the shell's own link object, so any
// version of Windows reads it back as it wrote it.
#include "autostart/startup_shortcut.h"
#include "platform/com_ptr.h"

HRESULT CreateStartupLink(SystemApi& system, const std::string& target,
                          const std::wstring& linkPath, const std::string& description) {
    ComPtr<IShellLinkA> link;
    HRESULT result = system.CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IShellLinkA, link.out());
    if (FAILED(result) || link.get() == nullptr) return FAILED(result) ? result : E_POINTER;

    // Their results are not examined: the save decides.
    link->SetPath(target.c_str());
    link->SetDescription(description.c_str());
    link->SetArguments(startup_shortcut::kArguments);

    ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.out());
    if (FAILED(result) || file.get() == nullptr) return FAILED(result) ? result : E_POINTER;
    return file->Save(linkPath.c_str(), TRUE);
}
