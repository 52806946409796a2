// The row texts and icons users read; Eject relies on "Korvane Warden " and
// "Free]" standing in them exactly as built here.
#include <gtest/gtest.h>

#include "drives/entry_text.h"
#include "res/resource.h"

namespace {

TEST(EntryText, FreeSpaceFigures) {
    // The threshold is 1000 while the divisor is 1024; figures arrive
    // unsigned and are read as signed, and only a negative total reads "-".
    constexpr uint64_t kMB = 1 << 20;
    for (const auto& [free, total, text] :
         std::initializer_list<std::tuple<uint64_t, uint64_t, const char*>>{
             {1000 * kMB, 1000 * kMB, "1000MB/1000MB Free"},
             {1001 * kMB, 2048 * kMB, "0GB/2GB Free"},
             {500 * kMB, uint64_t{0} - kMB, "-"},
             {uint64_t{1} << 63, 980 * kMB, "-8796093022208MB/980MB Free"}}) {
        EXPECT_EQ(FormatFreeSpace(free, total), text);
    }
}

// Product names match whole and exactly; only the locked Warden drive notes
// its lock, other models and a Warden drive without a volume keep their text.
TEST(EntryText, RowsAndIcons) {
    const std::string unreadable(entry_text::kUnreadableLabel);
    for (const auto& [volume, label, name, text, icon] :
         std::initializer_list<std::tuple<bool, std::string, const char*, std::string, int>>{
             {false, "L", "Stick", "(?:) Not Formatted\nStick", IDI_GENERIC_DISK},
             {true, "KR7", "QNV Korvane KR7 USB Device", "(E:) KR7\nKorvane KR7  [-]", IDI_KR7},
             {true, "C", "QNV KORVANE USB Device", "(E:) C\nKorvane Citadel  [-]", IDI_CITADEL},
             {true, unreadable, "QN Warden USB Device",
              "(E:) (QN Warden Drive is currently locked. Safe to eject.)\nKorvane Warden  [-]",
              IDI_WARDEN},
             {true, unreadable, "QNV Korvane KR7 USB Device",
              "(E:) " + unreadable + "\nKorvane KR7  [-]", IDI_KR7},
             {false, unreadable, "QN Warden USB Device", "(?:) Not Formatted\nKorvane Warden",
              IDI_WARDEN},
             {true, "L", "qnv korvane kr7 usb device", "(E:) L\nqnv korvane kr7 usb device  [-]",
              IDI_GENERIC_DISK},
         }) {
        const DriveEntryText entry =
            FormatDriveEntry(volume ? "\\\\.\\E:" : "", label, name, volume ? "-" : "");
        EXPECT_EQ(entry.text, text);
        EXPECT_EQ(entry.iconId, icon) << text;
    }
}

}  // namespace
