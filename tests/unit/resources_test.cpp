// The resources as the program carries them: read back from the executable's
// own resource section and checked field by field, so a slip in the .rc file
// (a style bit, a control id, a menu text) cannot pass unseen.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstring>
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

// Reads an extended dialog template (DLGTEMPLATEEX and DLGITEMTEMPLATEEX).
class TemplateReader {
public:
    explicit TemplateReader(std::string bytes) : m_bytes(std::move(bytes)) {}

    WORD Word() { return Read<WORD>(); }
    DWORD Dword() { return Read<DWORD>(); }
    short Short() { return Read<short>(); }
    // A string, an ordinal ("#n") or nothing ("").
    std::string SzOrOrdinal() {
        if (Peek() == 0xFFFF) {
            Word();
            std::string ordinal = "#";
            return ordinal.append(std::to_string(Word()));
        }
        std::string text;
        for (WORD c = Word(); c != 0; c = Word()) text += static_cast<char>(c);
        return text;
    }
    void AlignDword() { m_at = (m_at + 3) & ~size_t{3}; }
    void Skip(size_t bytes) { m_at += bytes; }

private:
    template <class T>
    T Read() {
        T value{};
        if (m_at + sizeof(T) <= m_bytes.size())
            std::memcpy(&value, m_bytes.data() + m_at, sizeof(T));
        m_at += sizeof(T);
        return value;
    }
    WORD Peek() {
        WORD value = Read<WORD>();
        m_at -= sizeof(WORD);
        return value;
    }
    std::string m_bytes;
    size_t m_at = 0;
};

struct Control {
    DWORD exStyle, style;
    short x, y, cx, cy;
    int id;
    std::string windowClass, text;
};

struct Dialog {
    DWORD exStyle, style;
    short x, y, cx, cy;
    std::string menu, caption, font;
    WORD pointSize, weight;
    std::vector<Control> controls;
};

Dialog ReadDialog(int id) {
    TemplateReader reader(Resource(RT_DIALOG, id));
    Dialog dialog{};
    EXPECT_EQ(reader.Word(), 1) << "an extended template";
    EXPECT_EQ(reader.Word(), 0xFFFF);
    reader.Dword();  // help id
    dialog.exStyle = reader.Dword();
    dialog.style = reader.Dword();
    const WORD count = reader.Word();
    dialog.x = reader.Short();
    dialog.y = reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    dialog.menu = reader.SzOrOrdinal();
    reader.SzOrOrdinal();  // window class
    dialog.caption = reader.SzOrOrdinal();
    dialog.pointSize = reader.Word();
    dialog.weight = reader.Word();
    reader.Skip(2);  // italic, character set
    dialog.font = reader.SzOrOrdinal();
    for (WORD i = 0; i < count; ++i) {
        reader.AlignDword();
        Control control{};
        reader.Dword();  // help id
        control.exStyle = reader.Dword();
        control.style = reader.Dword();
        control.x = reader.Short();
        control.y = reader.Short();
        control.cx = reader.Short();
        control.cy = reader.Short();
        control.id = static_cast<int>(reader.Dword());
        control.windowClass = reader.SzOrOrdinal();
        control.text = reader.SzOrOrdinal();
        reader.Skip(reader.Word());  // creation data
        dialog.controls.push_back(control);
    }
    return dialog;
}

// A predefined class may stand as its name or its ordinal; both make the same control.
std::string ClassName(std::string windowClass) {
    for (const auto& [ordinal, name] : {std::pair<const char*, const char*>{"#128", "BUTTON"},
                                        {"#129", "EDIT"},
                                        {"#130", "STATIC"},
                                        {"#131", "LISTBOX"}}) {
        if (windowClass == ordinal) return name;
    }
    for (char& c : windowClass) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return windowClass;
}

void ExpectControl(const Control& actual, int id, const char* windowClass, const char* text,
                   std::array<short, 4> box, DWORD style, DWORD exStyle) {
    SCOPED_TRACE(::testing::Message() << id << " " << text);
    EXPECT_EQ(actual.id, id);
    EXPECT_EQ(ClassName(actual.windowClass), windowClass);
    EXPECT_EQ(actual.text, text);
    EXPECT_EQ((std::array<short, 4>{actual.x, actual.y, actual.cx, actual.cy}), box);
    EXPECT_EQ(actual.style, style);
    EXPECT_EQ(actual.exStyle, exStyle);
}

TEST(Resources, MainWindowTemplate) {
    const Dialog dialog = ReadDialog(IDD_KORVANE_SAFE_EJECT_DIALOG);
    EXPECT_EQ(dialog.style, 0x90CA08C8u);
    EXPECT_EQ(dialog.exStyle, 0x00040000u);
    EXPECT_EQ((std::array<short, 4>{dialog.x, dialog.y, dialog.cx, dialog.cy}),
              (std::array<short, 4>{0, 0, 249, 72}));
    EXPECT_EQ(dialog.menu, "#135");
    EXPECT_EQ(dialog.caption, "Korvane Vuru DIZ Azova v1.43");
    EXPECT_EQ(dialog.font, "MS Shell Dlg");
    EXPECT_EQ(dialog.pointSize, 8);
    ASSERT_EQ(dialog.controls.size(), 4u);
    ExpectControl(dialog.controls[0], -1, "STATIC", "", {7, 0, 235, 14}, 0x50020001, 0x00020000);
    ExpectControl(dialog.controls[1], 1004, "LISTBOX", "", {7, 15, 235, 52}, 0x50B10563, 0x200);
    ExpectControl(dialog.controls[2], -1, "STATIC",
                  "Press enter or double-click to safely remove a disk", {36, 3, 176, 8},
                  0x50020001, 0);
    ExpectControl(dialog.controls[3], 1012, "STATIC", "#137", {220, 0, 16, 15}, 0x50000B03, 0x20);
}

TEST(Resources, AboutAndUserGuideTemplates) {
    const Dialog about = ReadDialog(IDD_ABOUTBOX);
    EXPECT_EQ(about.style, 0x80C800C8u);
    EXPECT_EQ(about.exStyle, 0u);
    EXPECT_EQ((std::array<short, 2>{about.cx, about.cy}), (std::array<short, 2>{310, 182}));
    EXPECT_EQ(about.caption, "About Korvane Safe Eject");
    ASSERT_EQ(about.controls.size(), 7u);
    ExpectControl(about.controls[0], -1, "STATIC", "#128", {11, 17, 20, 20}, 0x50000003, 0);
    ExpectControl(about.controls[1], 1011, "STATIC", "Korvane Vuru DIZ Azova v1.43",
                  {41, 14, 190, 8}, 0x50020080, 0);
    EXPECT_EQ(about.controls[2].style, 0x50020000u);
    ExpectControl(about.controls[3], IDOK, "BUTTON", "OK", {247, 11, 50, 16}, 0x50030001, 0);
    ExpectControl(about.controls[4], 1138, "EDIT", "", {17, 75, 276, 99}, 0x50A10804, 0);
    ExpectControl(about.controls[5], -1, "STATIC", "License Agreement", {19, 50, 62, 8}, 0x50020000,
                  0);
    ExpectControl(about.controls[6], 1137, "STATIC", "www.korvane.example", {235, 38, 68, 8},
                  0x50020100, 0);

    const Dialog guide = ReadDialog(IDD_USER_GUIDE);
    EXPECT_EQ(guide.style, 0x80CF0048u);
    EXPECT_EQ((std::array<short, 2>{guide.cx, guide.cy}), (std::array<short, 2>{570, 300}));
    EXPECT_EQ(guide.caption, "User Guide - Korvane Zavo DER Edizu");
    EXPECT_EQ(guide.weight, 400);
    EXPECT_TRUE(guide.controls.empty());
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

TEST(Resources, ManifestAsksForNoElevation) {
    const std::string manifest = Resource(RT_MANIFEST, 1);
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
}

}  // namespace
