#include "drives/entry_text.h"

#include <array>

#include "platform/string_replace.h"
#include "res/resource.h"

namespace {

struct Product {
    std::string_view friendlyName;  // whole, case-sensitive match
    std::string_view displayName;
    int iconId;
    bool notesLockedLabel;  // the hardware-locked model hides its label while locked
};

constexpr std::array<Product, 3> kProducts{{
    {"QNV Korvane KR7 USB Device", "Korvane KR7", IDI_KR7, false},
    {"QNV KORVANE USB Device", "Korvane Citadel", IDI_CITADEL, false},
    {"QN Warden USB Device", "Korvane Warden", IDI_WARDEN, true},
}};

const Product* FindProduct(std::string_view friendlyName) {
    for (const Product& product : kProducts) {
        if (product.friendlyName == friendlyName) return &product;
    }
    return nullptr;
}

// One figure and its unit. The threshold is 1000 while the divisor is 1024,
// so 1001 to 1023 megabytes read as 0 gigabytes; that is how the rows have
// always read.
std::string FormatFigure(int64_t bytes, std::string_view megabytes, std::string_view gigabytes,
                         int64_t* figure) {
    *figure = bytes / 1024 / 1024;
    if (*figure <= 1000) return std::to_string(*figure) + std::string(megabytes);
    *figure /= 1024;
    return std::to_string(*figure) + std::string(gigabytes);
}

// The drive letter and colon: the volume device path without its "\\.\".
std::string DrivePiece(std::string_view volumeDevicePath) {
    if (volumeDevicePath.empty()) return std::string(entry_text::kNoVolumeDrive);
    std::string drive(volumeDevicePath);
    ReplaceAll(drive, "\\\\.\\", "");
    return drive;
}

}  // namespace

std::string FormatFreeSpace(uint64_t totalFreeBytes, uint64_t totalBytes) {
    int64_t freeFigure = 0;
    int64_t totalFigure = 0;
    const std::string freeText =
        FormatFigure(static_cast<int64_t>(totalFreeBytes), "MB", "GB", &freeFigure);
    const std::string totalText =
        FormatFigure(static_cast<int64_t>(totalBytes), "MB Free", "GB Free", &totalFigure);
    if (totalFigure < 0) return std::string(entry_text::kUnknownFreeSpace);
    return std::string(freeText).append("/").append(totalText);
}

DriveEntryText FormatDriveEntry(std::string_view volumeDevicePath, std::string_view label,
                                std::string_view friendlyName, std::string_view freeSpaceText) {
    const bool hasVolume = !volumeDevicePath.empty();
    const std::string_view shownLabel = hasVolume ? label : entry_text::kNotFormatted;
    std::string text = "(";
    text.append(DrivePiece(volumeDevicePath))
        .append(") ")
        .append(shownLabel)
        .append("\n")
        .append(friendlyName);
    if (!freeSpaceText.empty()) text.append("  [").append(freeSpaceText).append("]");

    const Product* product = FindProduct(friendlyName);
    if (product == nullptr) return {text, IDI_GENERIC_DISK};
    ReplaceAll(text, product->friendlyName, product->displayName);
    if (product->notesLockedLabel && shownLabel == entry_text::kUnreadableLabel) {
        ReplaceAll(text, entry_text::kUnreadableLabel, entry_text::kWardenLockedNote);
    }
    return {text, product->iconId};
}
