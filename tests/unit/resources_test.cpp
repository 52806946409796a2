// The resources a user meets outside the main window's behaviour: the menus'
// texts and the commands they send, and the icons. (The manifest is checked on
// the built program by tests/build/check_pe.py.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/windows_headers.h"
#include "res/resource.h"

namespace {

std::string Resource(LPCSTR type, int id) {
    HMODULE module = ::GetModuleHandleA(nullptr);
    HRSRC found = ::FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (found == nullptr) return {};
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module, found)));
    return std::string(bytes, ::SizeofResource(module, found));
}

std::vector<std::pair<std::string, UINT>> MenuItems(HMENU menu) {
    std::vector<std::pair<std::string, UINT>> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        ::GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        items.emplace_back(text, ::GetMenuItemID(menu, i));
    }
    return items;
}

TEST(Resources, MenuBarTrayMenuAndString) {
    HMENU bar = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_EQ(::GetMenuItemCount(bar), 2);
    using Items = std::vector<std::pair<std::string, UINT>>;
    EXPECT_EQ(
        MenuItems(::GetSubMenu(bar, 0)),
        (Items{{"Minimize to tray", 32778}, {"Autostart with Windows", 32779}, {"Exit", 32780}}));
    EXPECT_EQ(
        MenuItems(::GetSubMenu(bar, 1)),
        (Items{{"User Guide", 32783}, {"Visit www.korvane.example", 32782}, {"A&bout", 32781}}));
    char title[32] = {};
    ::GetMenuStringA(bar, 1, title, sizeof(title), MF_BYPOSITION);
    EXPECT_STREQ(title, "&Help");
    EXPECT_EQ(::GetMenuState(bar, 32779, MF_BYCOMMAND) & MF_CHECKED, 0u);
    ::DestroyMenu(bar);

    HMENU tray = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ::GetMenuStringA(tray, 0, title, sizeof(title), MF_BYPOSITION);
    EXPECT_STREQ(title, "Korvane Safe Eject");
    EXPECT_EQ(MenuItems(::GetSubMenu(tray, 0)),
              (Items{{"Restore", 32772}, {"", 0}, {"Exit", 32771}}));
    ::DestroyMenu(tray);

    char about[64] = {};
    ::LoadStringA(::GetModuleHandleA(nullptr), IDS_ABOUTBOX, about, sizeof(about));
    EXPECT_STREQ(about, "&About Korvane Vuru DIZ Azova...");
}

// Each icon in several sizes down to 16x16, and no two alike.
TEST(Resources, IconsComeInSeveralSizesAndDiffer) {
    std::vector<std::string> images;
    for (int id : {IDI_PROGRAM, IDI_CITADEL, IDI_KR7, IDI_GENERIC_DISK, IDI_NO_DRIVES, IDI_REFRESH,
                   IDI_WARDEN}) {
        const std::string group = Resource(RT_GROUP_ICON, id);
        ASSERT_GE(group.size(), 6u) << id;
        const WORD count = *reinterpret_cast<const WORD*>(group.data() + 4);
        EXPECT_GE(count, 3) << id;
        bool has16 = false;
        for (WORD i = 0; i < count; ++i) {
            const auto* entry = reinterpret_cast<const BYTE*>(group.data() + 6 + 14 * i);
            has16 = has16 || (entry[0] == 16 && entry[1] == 16);
        }
        EXPECT_TRUE(has16) << id;
        const int imageId =
            ::LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(group.data())),
                                          TRUE, 32, 32, LR_DEFAULTCOLOR);
        images.push_back(Resource(RT_ICON, imageId));
    }
    for (size_t i = 0; i < images.size(); ++i) {
        for (size_t j = i + 1; j < images.size(); ++j) EXPECT_NE(images[i], images[j]) << i << j;
    }
}

}  // namespace
