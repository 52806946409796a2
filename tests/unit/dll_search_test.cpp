// How far the program narrows the search for the DLLs it loads once it runs:
// to the system folder where Windows can (8 and later, 7 with update
// KB2533623, Wine), else at least the current folder left out.
#include <gtest/gtest.h>

#include <string>

#include "platform/dll_search.h"

namespace {

std::string g_made;

BOOL WINAPI SetDefault(DWORD flags) {
    return g_made += "default " + std::to_string(flags) + ";", TRUE;
}
BOOL WINAPI SetDirectory(LPCSTR path) {
    return g_made += "directory '" + std::string(path ? path : "null") + "';", TRUE;
}

TEST(DllSearch, SystemFolderOnlyWhereWindowsCanElseNoCurrentFolder) {
    EXPECT_EQ(RestrictDllSearch({SetDefault, SetDirectory}), DllSearch::SystemFolderOnly);
    EXPECT_EQ(RestrictDllSearch({nullptr, SetDirectory}), DllSearch::NoCurrentFolder);
    EXPECT_EQ(RestrictDllSearch({nullptr, nullptr}), DllSearch::Unrestricted);
    EXPECT_EQ(g_made, "default 2048;directory '';");
    const DllSearchCalls kernel = KernelDllSearchCalls();
    EXPECT_TRUE(kernel.setDefaultDllDirectories != nullptr && kernel.setDllDirectoryA != nullptr);
}

}  // namespace
