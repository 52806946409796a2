// How far the program narrows the search for the DLLs it loads once it runs:
// to the system folder where Windows can (8 and later, 7 with update
// KB2533623, Wine), else at least the current folder left out.
#include <gtest/gtest.h>

#include <string>

#include "platform/dll_search.h"

namespace {

std::string g_made;
BOOL g_systemFolderGranted;

BOOL WINAPI SetDefault(DWORD flags) {
    return g_made += "default " + std::to_string(flags) + ";", g_systemFolderGranted;
}
BOOL WINAPI SetDirectory(LPCSTR path) {
    return g_made += "directory '" + std::string(path ? path : "null") + "';", TRUE;
}

TEST(DllSearch, SystemFolderOnlyWhereWindowsCanElseNoCurrentFolder) {
    for (const auto& [calls, granted, result, made] :
         {std::tuple{DllSearchCalls{SetDefault, SetDirectory}, TRUE, DllSearch::SystemFolderOnly,
                     "default 2048;"},
          {DllSearchCalls{SetDefault, SetDirectory}, FALSE, DllSearch::NoCurrentFolder,
           "default 2048;directory '';"},
          {DllSearchCalls{nullptr, SetDirectory}, TRUE, DllSearch::NoCurrentFolder,
           "directory '';"},
          {DllSearchCalls{nullptr, nullptr}, TRUE, DllSearch::Unrestricted, ""}}) {
        g_made.clear(), g_systemFolderGranted = granted;
        EXPECT_EQ(RestrictDllSearch(calls), result);
        EXPECT_EQ(g_made, made);
    }
    const DllSearchCalls kernel = KernelDllSearchCalls();
    EXPECT_TRUE(kernel.setDefaultDllDirectories != nullptr && kernel.setDllDirectoryA != nullptr);
}

}  // namespace
