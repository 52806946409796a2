// What one row of the drive list says and which icon it shows: the entry text
// of a USB disk, its free-space figures, and the maker's product-name table.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace entry_text {
inline constexpr std::string_view kUnreadableLabel =
    "(Volume label invalid, try clicking the refresh icon)";
inline constexpr std::string_view kWardenLockedNote =
    "(QN Warden Drive is currently locked. Safe to eject.)";
inline constexpr std::string_view kNotFormatted = "Not Formatted";
inline constexpr std::string_view kNoVolumeDrive = "?:";
inline constexpr std::string_view kNoDrivesFound = "No removal disks found.";
// Shown for free space that cannot be stated: a negative size, or a volume
// whose free-space query failed.
inline constexpr std::string_view kUnknownFreeSpace = "-";
}  // namespace entry_text

// "<free><MB|GB>/<total><MB Free|GB Free>", or "-" when the total comes out
// negative. The figures arrive unsigned from Windows and are read as signed.
std::string FormatFreeSpace(uint64_t totalFreeBytes, uint64_t totalBytes);

struct DriveEntryText {
    std::string text;
    int iconId;
};

// The entry text "(<drive>) <label>\n<name>[  [<free space>]]" and the row's
// icon. An empty volume device path means no volume matched the disk.
DriveEntryText FormatDriveEntry(std::string_view volumeDevicePath, std::string_view label,
                                std::string_view friendlyName, std::string_view freeSpaceText);
