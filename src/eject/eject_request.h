// Asks the configuration manager to eject the USB device that carries a
// listed disk, after the rule for the maker's hardware-locked Warden drive.
#pragma once

#include <string>

#include "platform/device_api.h"
#include "platform/system_api.h"

namespace eject_request {
inline constexpr const char* kWardenMark = "Korvane Warden ";
inline constexpr const char* kFreeSpaceMark = "Free]";
inline constexpr const char* kCompanionExe = "Warden.exe";
inline constexpr const char* kWardenWarningCaption = "QN Warden Drive currently active!";
inline constexpr const char* kWardenWarningText =
    "You must choose \"Lock\" or \"Lock and exit\" in the Warden Application before you can "
    "eject this drive.";
// Windows itself says nothing when it refuses the session the right to eject.
inline constexpr const char* kSessionMayNotEjectText =
    "Windows did not allow this session to eject the disk. Use Safely Remove Hardware, or sign "
    "in at the computer.";
}  // namespace eject_request

// A drive entry, copied out of the table before anything can change it.
struct EjectTarget {
    DEVINST devInst;   // 0 for the placeholder entry
    std::string text;  // the entry's display text
};

enum class EjectOutcome {
    WardenActive,    // warned; nothing else happened
    Placeholder,     // the "No removal disks found." row; nothing to eject
    ParentUnknown,   // no parent device: no request was made
    Requested,       // an eject or remove request was made (granted or not)
    SessionRefused,  // the request was made and refused with CR_ACCESS_DENIED
};

EjectOutcome RequestEject(DeviceApi& devices, SystemApi& system, HWND owner,
                          const EjectTarget& target);
