// Finds the USB mass-storage disks present right now and what each row of the
// drive list should say about them. It asks the DeviceApi only and never
// touches a window: the main window applies the result.
#pragma once

#include <string>
#include <vector>

#include "platform/device_api.h"

struct FoundDrive {
    DEVINST devInst;
    std::string text;      // the entry text, product names substituted
    int iconId;            // icon resource of the row
    int horizontalExtent;  // pixels the list scrolls over when this entry is the last
    bool labelUnreadable;  // the volume label could not be read; try again later
};

struct DriveScan {
    bool deviceSetAvailable = false;
    std::vector<FoundDrive> drives;  // in the order SetupAPI lists the disks
};

DriveScan ScanUsbDrives(DeviceApi& api);

namespace drive_enumeration {
// Product line of a disk whose friendly name cannot be read.
inline constexpr const char* kUnnamedDisk = "USB Mass Storage Device";
inline constexpr const char* kUsbEnumerator = "USBSTOR";
// USB's UAS driver puts its disks on the SCSI enumerator, beside internal ones.
inline constexpr const char* kScsiEnumerator = "SCSI";
inline constexpr const char* kUsbDeviceIdPrefix = "USB\\";
}  // namespace drive_enumeration
