// The row texts and icons users read; Eject relies on "Korvane Warden " and
// "Free]" standing in them exactly as built here.
#include <gtest/gtest.h>

#include "drives/entry_text.h"
#include "res/resource.h"

namespace {

constexpr uint64_t kMB = 1024 * 1024;

TEST(FreeSpaceText, MegabytesUpToOneThousandThenGigabytes) {
    EXPECT_EQ(FormatFreeSpace(500 * kMB, 980 * kMB), "500MB/980MB Free");
    EXPECT_EQ(FormatFreeSpace(1000 * kMB, 1000 * kMB), "1000MB/1000MB Free");
    // The threshold is 1000 while the divisor is 1024.
    EXPECT_EQ(FormatFreeSpace(1001 * kMB, 1023 * kMB), "0GB/0GB Free");
    EXPECT_EQ(FormatFreeSpace(2048 * kMB, 7 * 1024 * kMB), "2GB/7GB Free");
    EXPECT_EQ(FormatFreeSpace(kMB - 1, kMB - 1), "0MB/0MB Free");
}

TEST(FreeSpaceText, NegativeTotalReadsAsDash) {
    // Figures arrive unsigned and are read as signed: 2^63 and above is negative.
    EXPECT_EQ(FormatFreeSpace(500 * kMB, uint64_t{1} << 63), "-");
    EXPECT_EQ(FormatFreeSpace(~uint64_t{0}, ~uint64_t{0}), "0MB/0MB Free");
    // A negative free figure alone keeps its sign; only the total decides "-".
    EXPECT_EQ(FormatFreeSpace(uint64_t{1} << 63, 980 * kMB), "-8796093022208MB/980MB Free");
}

TEST(DriveEntryText, GenericDiskWithVolume) {
    const DriveEntryText entry = FormatDriveEntry(
        "\\\\.\\F:", "BACKUP", "Generic Flash Disk USB Device", "500MB/980MB Free");
    EXPECT_EQ(entry.text, "(F:) BACKUP\nGeneric Flash Disk USB Device  [500MB/980MB Free]");
    EXPECT_EQ(entry.iconId, IDI_GENERIC_DISK);
}

TEST(DriveEntryText, EmptyLabelAndNoVolume) {
    EXPECT_EQ(FormatDriveEntry("\\\\.\\E:", "", "Stick", "1MB/2MB Free").text,
              "(E:) \nStick  [1MB/2MB Free]");
    EXPECT_EQ(FormatDriveEntry("", "", "Stick", "").text, "(?:) Not Formatted\nStick");
}

TEST(DriveEntryText, ProductTableMatchesWholeNamesExactly) {
    EXPECT_EQ(
        FormatDriveEntry("\\\\.\\E:", "KR7", "QNV Korvane KR7 USB Device", "1GB/14GB Free").text,
        "(E:) KR7\nKorvane KR7  [1GB/14GB Free]");
    EXPECT_EQ(FormatDriveEntry("\\\\.\\E:", "", "QNV Korvane KR7 USB Device", "x").iconId, IDI_KR7);
    EXPECT_EQ(FormatDriveEntry("\\\\.\\E:", "", "QNV KORVANE USB Device", "x").iconId, IDI_CITADEL);
    EXPECT_EQ(FormatDriveEntry("\\\\.\\E:", "", "QN Warden USB Device", "x").iconId, IDI_WARDEN);
    for (const char* nearMiss : {"qnv korvane kr7 usb device", "QNV Korvane KR7 USB Device ",
                                 "QNV KORVANE USB Device2", "QN Warden USB"}) {
        const DriveEntryText entry = FormatDriveEntry("\\\\.\\E:", "L", nearMiss, "x");
        EXPECT_EQ(entry.iconId, IDI_GENERIC_DISK) << nearMiss;
        EXPECT_NE(entry.text.find(nearMiss), std::string::npos) << nearMiss;
    }
}

TEST(DriveEntryText, LockedWardenShowsTheLockedNote) {
    const std::string unreadable(entry_text::kUnreadableLabel);
    EXPECT_EQ(FormatDriveEntry("\\\\.\\G:", unreadable, "QN Warden USB Device", "-").text,
              "(G:) (QN Warden Drive is currently locked. Safe to eject.)\nKorvane Warden  [-]");
    // Other models keep the unreadable-label text.
    EXPECT_EQ(FormatDriveEntry("\\\\.\\E:", unreadable, "QNV Korvane KR7 USB Device", "-").text,
              "(E:) " + unreadable + "\nKorvane KR7  [-]");
    // Without a volume the label is "Not Formatted", so there is no note.
    EXPECT_EQ(FormatDriveEntry("", unreadable, "QN Warden USB Device", "").text,
              "(?:) Not Formatted\nKorvane Warden");
}

TEST(DriveEntryText, WardenMarkStandsOnlyBeforeTheFreeSpacePart) {
    const std::string withVolume =
        FormatDriveEntry("\\\\.\\G:", "W", "QN Warden USB Device", "1GB/8GB Free").text;
    EXPECT_NE(withVolume.find("Korvane Warden "), std::string::npos);
    EXPECT_NE(withVolume.find("Free]"), std::string::npos);
    const std::string withoutVolume = FormatDriveEntry("", "", "QN Warden USB Device", "").text;
    EXPECT_EQ(withoutVolume.find("Korvane Warden "), std::string::npos);
}

}  // namespace
