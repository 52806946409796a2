// What a simulated machine has attached: its disks, their volumes and the
// faults planned for it, built from code in tests or read from the JSON
// format of docs/simulated-machine.md.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/fault_plan.h"
#include "platform/windows_headers.h"

// What a request to eject or remove the disk's device does.
enum class EjectBehaviour {
    Granted,  // the disk and its volumes leave the machine
    Vetoed,   // CR_REMOVE_VETOED, the disk stays
    Stays,    // CR_SUCCESS, but the disk stays attached
    // CR_ACCESS_DENIED before anything is asked: a session that may not eject
    // (remote or non-interactive: no SeLoadDriverPrivilege)
    AccessDenied,
};

struct SimDisk {
    DEVINST devInst = 0;  // 0 models a broken device node
    DEVINST parent = 0;   // the device that carries the disk (the USB device)
    // The parent's device instance ID; empty: made up (MadeUpParentId).
    std::optional<std::string> parentId;
    ULONG parentStatus = DN_REMOVABLE | DN_STARTED | DN_DRIVER_LOADED;
    std::string enumerator = "USBSTOR";
    std::optional<std::string> friendlyName;  // empty: the property cannot be read
    bool hasInterface = true;
    std::string interfacePath;  // empty: one is made up from the enumerator and disk number
    DWORD diskNumber = 0;
    bool openable = true;
    bool deviceNumberReadable = true;
    bool parentLookupFails = false;
    bool parentStatusFails = false;
    EjectBehaviour eject = EjectBehaviour::Granted;
    // false: a disk that was attached once and is gone, whose device node
    // Windows keeps; only a device set made without DIGCF_PRESENT lists it.
    bool present = true;
};

struct SimVolume {
    std::string guidPath;                 // \\?\Volume{...}\ with the trailing backslash
    std::optional<std::string> label;     // empty: the label cannot be read
    std::vector<std::string> mountPaths;  // "E:\" or a folder "C:\mnt\stick\"
    std::optional<DWORD> diskNumber;      // of the first extent; empty: on no disk
    DWORD extentCount = 1;
    ULONGLONG freeBytes = 0;
    std::optional<ULONGLONG> availableBytes;  // to the caller; the free bytes when empty
    ULONGLONG totalBytes = 0;
    bool freeSpaceFails = false;
    bool openable = true;
    // The executable name of a process that keeps the volume open while it
    // runs (the Warden drive's companion does); empty: none.
    std::string heldBy;
};

struct MachineDescription {
    std::vector<SimDisk> disks;      // the SetupAPI member order
    std::vector<SimVolume> volumes;  // the volume search order
    FaultPlan faults;
};

// Throw std::runtime_error naming the place and the problem for malformed
// JSON, a wrong type, an unknown key or a machine that cannot exist.
MachineDescription ParseMachineDescription(std::string_view json);
MachineDescription ReadMachineDescriptionFile(const std::string& path);

// Throws std::runtime_error when two things would answer to the same name
// (device node, disk number, interface path, volume path, mount path) or a
// path has a form Windows never gives.
void ValidateMachine(const std::vector<SimDisk>& disks, const std::vector<SimVolume>& volumes);

// A USB disk with made-up but consistent node numbers and interface path:
// device node 0x100 * (diskNumber + 1) + 1 under parent 0x100 * (diskNumber + 1).
SimDisk MakeUsbDisk(DWORD diskNumber, std::string friendlyName);
// A one-extent volume on the disk, mounted at `mountPath`, with a GUID path
// made up from the disk number and the mount path.
SimVolume MakeVolume(DWORD diskNumber, std::string mountPath, std::optional<std::string> label);

// The interface path a disk without one is given.
std::string MadeUpInterfacePath(const SimDisk& disk);
// The device instance ID of a parent no disk names one for: the USB device
// (USB\VID_...&PID_...\serial) above USBSTOR disks, a storage controller
// (PCI\VEN_...) above any other.
std::string MadeUpParentId(DEVINST parent, bool carriesUsbStorage);
// A disk's own device instance ID, which its interface path spells with '#'
// for '\' between "\\?\" and the interface class: USBSTOR\DISK&VEN_...\0001.
std::string DiskInstanceId(const SimDisk& disk);
