// A new, empty folder under the temporary folder, for tests that need real files.
#pragma once

#include <string>

#include "platform/windows_headers.h"

inline std::string TemporaryFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    char folder[MAX_PATH];
    ::GetTempFileNameA(base, "kse", 0, folder);
    ::DeleteFileA(folder);
    ::CreateDirectoryA(folder, nullptr);
    return folder;
}
