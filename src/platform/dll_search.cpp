#include "platform/dll_search.h"

#include <string>

DllSearchCalls KernelDllSearchCalls() {
    HMODULE kernel32 = ::GetModuleHandleA("kernel32.dll");
    return {FindExport<decltype(DllSearchCalls::setDefaultDllDirectories)>(
                kernel32, "SetDefaultDllDirectories"),
            FindExport<decltype(DllSearchCalls::setDllDirectoryA)>(kernel32, "SetDllDirectoryA")};
}

DllSearch RestrictDllSearch(const DllSearchCalls& calls) {
    if (calls.setDefaultDllDirectories != nullptr &&
        calls.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return DllSearch::SystemFolderOnly;
    }
    // An empty string, not null: null would put the current folder back.
    if (calls.setDllDirectoryA != nullptr && calls.setDllDirectoryA("")) {
        return DllSearch::NoCurrentFolder;
    }
    return DllSearch::Unrestricted;
}

HMODULE LoadSystemLibrary(const char* fileName) {
    char folder[MAX_PATH];
    const UINT length = ::GetSystemDirectoryA(folder, sizeof(folder));
    if (length == 0 || length >= sizeof(folder)) return nullptr;
    const std::string path = std::string(folder, length) + "\\" + fileName;
    return ::LoadLibraryA(path.c_str());
}
