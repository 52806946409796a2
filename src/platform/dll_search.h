// Where Windows looks for the DLLs the program loads once it runs. A program
// downloaded and started from a Downloads folder must never take a DLL that
// somebody left beside it there.
#pragma once

#include "platform/windows_headers.h"

// The two kernel32 calls that narrow the search, each null where this Windows
// lacks it: SetDefaultDllDirectories came with Windows 8, and to Windows 7
// only with update KB2533623.
struct DllSearchCalls {
    BOOL(WINAPI* setDefaultDllDirectories)(DWORD directoryFlags);
    BOOL(WINAPI* setDllDirectoryA)(LPCSTR pathName);
};
DllSearchCalls KernelDllSearchCalls();

enum class DllSearch {
    SystemFolderOnly,  // no folder but the system folder is searched
    NoCurrentFolder,   // the older restriction: the current folder is left out
    Unrestricted,      // neither call could be made
};

// Narrows the search as far as this Windows allows, and says how far.
DllSearch RestrictDllSearch(const DllSearchCalls& calls = KernelDllSearchCalls());

// An export under the type its declaration gives it; null where it is missing.
template <typename Pointer>
Pointer FindExport(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    // GetProcAddress hands every export out under one type; the caller names the real one.
    return reinterpret_cast<Pointer>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// A DLL of the system folder loaded by its full path, so that no search takes
// place; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* fileName);
