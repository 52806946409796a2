// How far the program narrows the search for the DLLs it loads once it runs:
// to the system folder where Windows can, else at least the current folder
// left out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dll_search.h"

namespace {

std::vector<std::string> g_made;

BOOL WINAPI SetDefaultGrants(DWORD flags) {
    return g_made.push_back("SetDefaultDllDirectories(" + std::to_string(flags) + ")"), TRUE;
}
BOOL WINAPI SetDefaultRefuses(DWORD flags) {
    return SetDefaultGrants(flags), FALSE;
}
BOOL WINAPI SetDirectoryGrants(LPCSTR path) {
    return g_made.push_back("SetDllDirectoryA(" + std::string(path ? path : "null") + ")"), TRUE;
}

// Windows 8 and later, and Windows 7 with update KB2533623, have the newer
// call; Windows 7 without it has only the older one. Wine has both.
TEST(DllSearch, SystemFolderOnlyWhereWindowsCanElseNoCurrentFolder) {
    const std::string only = "SetDefaultDllDirectories(2048)", noCurrent = "SetDllDirectoryA()";
    const struct {
        DllSearchCalls calls;
        DllSearch result;
        std::vector<std::string> made;
    } cases[] = {
        {{SetDefaultGrants, SetDirectoryGrants}, DllSearch::SystemFolderOnly, {only}},
        {{nullptr, SetDirectoryGrants}, DllSearch::NoCurrentFolder, {noCurrent}},
        {{SetDefaultRefuses, SetDirectoryGrants}, DllSearch::NoCurrentFolder, {only, noCurrent}},
        {{nullptr, nullptr}, DllSearch::Unrestricted, {}},
    };
    for (const auto& [calls, result, made] : cases) {
        g_made.clear();
        EXPECT_EQ(RestrictDllSearch(calls), result);
        EXPECT_EQ(g_made, made);
    }
    const DllSearchCalls kernel = KernelDllSearchCalls();
    EXPECT_TRUE(kernel.setDefaultDllDirectories != nullptr && kernel.setDllDirectoryA != nullptr);
}

}  // namespace
