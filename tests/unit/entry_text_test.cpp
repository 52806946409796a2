// The row texts and icons users read; Eject relies on "Korvane Warden " and
// "Free]" standing in them exactly as built here.
#include <gtest/gtest.h>

#include "drives/entry_text.h"
#include "res/resource.h"

namespace {

constexpr uint64_t kMB = 1024 * 1024;

TEST(EntryText, FreeSpaceFigures) {
    // The threshold is 1000 while the divisor is 1024; figures arrive
    // unsigned and are read as signed, and only a negative total reads "-".
    for (const auto& [free, total, text] :
         std::initializer_list<std::tuple<uint64_t, uint64_t, const char*>>{
             {500 * kMB, 980 * kMB, "500MB/980MB Free"},
             {1000 * kMB, 1000 * kMB, "1000MB/1000MB Free"},
             {1001 * kMB, 1023 * kMB, "0GB/0GB Free"},
             {2048 * kMB, 7 * 1024 * kMB, "2GB/7GB Free"},
             {500 * kMB, uint64_t{1} << 63, "-"},
             {500 * kMB, uint64_t{0} - kMB, "-"},
             {~uint64_t{0}, ~uint64_t{0}, "0MB/0MB Free"},
             {uint64_t{1} << 63, 980 * kMB, "-8796093022208MB/980MB Free"}}) {
        EXPECT_EQ(FormatFreeSpace(free, total), text);
    }
}

TEST(EntryText, RowsAndIcons) {
    const std::string unreadable(entry_text::kUnreadableLabel);
    struct Case {
        const char* path;
        std::string label;
        const char* name;
        const char* free;
        std::string text;
        int icon;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"\\\\.\\F:", "BACKUP", "Generic Flash Disk USB Device", "500MB/980MB Free",
              "(F:) BACKUP\nGeneric Flash Disk USB Device  [500MB/980MB Free]", IDI_GENERIC_DISK},
             {"\\\\.\\E:", "", "Stick", "1MB/2MB Free", "(E:) \nStick  [1MB/2MB Free]",
              IDI_GENERIC_DISK},
             {"", "", "Stick", "", "(?:) Not Formatted\nStick", IDI_GENERIC_DISK},
             {"\\\\.\\E:", "KR7", "QNV Korvane KR7 USB Device", "1GB/14GB Free",
              "(E:) KR7\nKorvane KR7  [1GB/14GB Free]", IDI_KR7},
             {"\\\\.\\E:", "C", "QNV KORVANE USB Device", "-", "(E:) C\nKorvane Citadel  [-]",
              IDI_CITADEL},
             // Only the locked Warden drive notes its lock; other models and a
             // Warden drive without a volume keep their usual text.
             {"\\\\.\\G:", unreadable, "QN Warden USB Device", "-",
              "(G:) (QN Warden Drive is currently locked. Safe to eject.)\nKorvane Warden  [-]",
              IDI_WARDEN},
             {"\\\\.\\E:", unreadable, "QNV Korvane KR7 USB Device", "-",
              "(E:) " + unreadable + "\nKorvane KR7  [-]", IDI_KR7},
             {"", unreadable, "QN Warden USB Device", "", "(?:) Not Formatted\nKorvane Warden",
              IDI_WARDEN},
             // Product names match whole and exactly.
             {"\\\\.\\E:", "L", "qnv korvane kr7 usb device", "",
              "(E:) L\nqnv korvane kr7 usb device", IDI_GENERIC_DISK},
             {"\\\\.\\E:", "L", "QN Warden USB", "", "(E:) L\nQN Warden USB", IDI_GENERIC_DISK},
         }) {
        const DriveEntryText entry = FormatDriveEntry(c.path, c.label, c.name, c.free);
        EXPECT_EQ(entry.text, c.text);
        EXPECT_EQ(entry.iconId, c.icon) << c.text;
    }
}

}  // namespace
