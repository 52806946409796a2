#include "drives/drive_enumeration.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

#include "drives/entry_text.h"
#include "platform/device_resources.h"

// The fixed part of the detail record that cbSize must name: a DWORD and one
// character, packed to 5 bytes in a 32-bit program and aligned to 8 in a
// 64-bit one. SetupAPI refuses any other size.
static_assert(sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A) == (sizeof(void*) == 4 ? 5 : 8));

namespace {

constexpr DWORD kVolumeNameLength = 256;
// NTFS labels run to 32 characters, which with their NUL do not fit the 32
// the program once asked for: a valid label read as "invalid" and the retry
// timer never stopped. MAX_PATH + 1 is what Windows documents as enough.
constexpr DWORD kLabelLength = MAX_PATH + 1;
constexpr DWORD kMountPathsLength = MAX_PATH + 1;
// A property whose size keeps changing between reads is given up on rather
// than chased for ever.
constexpr int kPropertyReadAttempts = 8;

// The property buffer is shared by the two reads of one disk: the friendly
// name starts with the buffer and size the enumerator name ended with.
struct PropertyBuffer {
    explicit PropertyBuffer(DeviceApi& api) : memory(api, nullptr) {}
    ScopedLocalBuffer memory;
    DWORD size = 0;
};

std::optional<std::string> ReadStringProperty(DeviceApi& api, HDEVINFO set, SP_DEVINFO_DATA* member,
                                              DWORD property, PropertyBuffer& buffer) {
    for (int attempt = 0; attempt < kPropertyReadAttempts; ++attempt) {
        DWORD required = 0;
        auto* bytes = static_cast<BYTE*>(buffer.memory.get());
        if (api.SetupDiGetDeviceRegistryPropertyA(set, member, property, nullptr, bytes,
                                                  buffer.size, &required)) {
            // A REG_SZ value need not be terminated; the buffer is zero-filled
            // and twice the size asked for, so the text ends inside it.
            return std::string(reinterpret_cast<const char*>(bytes),
                               strnlen(reinterpret_cast<const char*>(bytes), buffer.size));
        }
        if (api.GetLastError() != ERROR_INSUFFICIENT_BUFFER || required == 0) return std::nullopt;
        buffer.memory.reset(nullptr);
        buffer.memory.reset(api.LocalAlloc(LPTR, SIZE_T{required} * 2));
        buffer.size = buffer.memory.valid() ? required : 0;
        if (!buffer.memory.valid()) return std::nullopt;
    }
    return std::nullopt;
}

// The disk's interface path and device instance, read into a heap buffer of
// the size the first call asks for.
struct InterfaceDetail {
    std::string devicePath;
    DEVINST devInst = 0;
};

// The buffer is the caller's, kept until the disk is done.
std::optional<InterfaceDetail> ReadInterfaceDetail(DeviceApi& api, HDEVINFO set,
                                                   SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                   ScopedHeapBuffer& memory) {
    DWORD required = 0;
    api.SetupDiGetDeviceInterfaceDetailA(set, interfaceData, nullptr, 0, &required, nullptr);
    if (required == 0 || required < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return std::nullopt;
    // Without the process heap there is nothing to allocate from: a heap of
    // NULL is no heap, and Windows faults on it.
    HANDLE heap = api.GetProcessHeap();
    if (heap == nullptr) return std::nullopt;
    memory.reset(api.HeapAlloc(heap, HEAP_ZERO_MEMORY, required));
    if (!memory.valid()) return std::nullopt;
    auto* detail = static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(memory.get());
    // cbSize is the fixed part of the record, not the buffer's size.
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA member{};
    member.cbSize = sizeof(member);
    if (!api.SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, required, nullptr,
                                              &member)) {
        return std::nullopt;
    }
    const size_t pathRoom = required - offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath);
    return InterfaceDetail{std::string(detail->DevicePath, strnlen(detail->DevicePath, pathRoom)),
                           member.DevInst};
}

HANDLE OpenForQueries(DeviceApi& api, const std::string& path) {
    // Access 0: only device queries are made, which need no rights to the data.
    return api.CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
}

std::optional<DWORD> ReadDiskNumber(DeviceApi& api, const std::string& devicePath, bool* opened) {
    ScopedDeviceHandle disk(api, OpenForQueries(api, devicePath));
    *opened = disk.valid();
    if (!disk.valid()) return std::nullopt;
    STORAGE_DEVICE_NUMBER number{};
    DWORD returned = 0;
    if (!api.DeviceIoControl(disk.get(), IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                             sizeof(number), &returned, nullptr)) {
        return std::nullopt;
    }
    return number.DeviceNumber;
}

// The first path the volume is mounted on ("E:\"), or "" when it has none.
// A list longer than the usual buffer is read again into one that fits.
std::string FirstMountPath(DeviceApi& api, const char* volumeName) {
    std::string paths(kMountPathsLength, '\0');
    DWORD length = kMountPathsLength;
    if (!api.GetVolumePathNamesForVolumeNameA(volumeName, paths.data(), length, &length)) {
        if (api.GetLastError() != ERROR_MORE_DATA || length <= kMountPathsLength) return "";
        paths.assign(length, '\0');
        if (!api.GetVolumePathNamesForVolumeNameA(volumeName, paths.data(), length, &length)) {
            return "";
        }
    }
    return std::string(paths.c_str(), strnlen(paths.c_str(), paths.size()));
}

// "\\.\" and the mount path with ":\" turned into ":": E:\ gives \\.\E:
std::string VolumeDevicePath(std::string mountPath) {
    std::string path = "\\\\.\\" + mountPath;
    for (size_t at = path.find(":\\"); at != std::string::npos; at = path.find(":\\", at)) {
        path.erase(at + 1, 1);
    }
    return path;
}

std::optional<DWORD> FirstExtentDisk(DeviceApi& api, const std::string& devicePath) {
    ScopedDeviceHandle volume(api, OpenForQueries(api, devicePath));
    if (!volume.valid()) return std::nullopt;
    VOLUME_DISK_EXTENTS extents{};  // room for one extent
    DWORD returned = 0;
    if (!api.DeviceIoControl(volume.get(), IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, &extents,
                             sizeof(extents), &extents, sizeof(extents), &returned, nullptr)) {
        return std::nullopt;
    }
    return extents.Extents[0].DiskNumber;
}

struct DiskVolume {
    std::string devicePath;  // empty when no volume matched
    std::string label;
    std::string freeSpace;
};

std::string ReadLabel(DeviceApi& api, const char* volumeName) {
    char label[kLabelLength] = {};
    if (!api.GetVolumeInformationA(volumeName, label, kLabelLength, nullptr, nullptr, nullptr,
                                   nullptr, 0)) {
        return std::string(entry_text::kUnreadableLabel);
    }
    return std::string(label, strnlen(label, kLabelLength));
}

std::string ReadFreeSpace(DeviceApi& api, const std::string& mountPath) {
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (!api.GetDiskFreeSpaceExA(mountPath.c_str(), &available, &total, &totalFree)) {
        return std::string(entry_text::kUnknownFreeSpace);
    }
    return FormatFreeSpace(totalFree.QuadPart, total.QuadPart);
}

// Examines one volume of the search; answers it when its first extent lies on
// the disk, so that nothing of a volume that does not match is kept.
std::optional<DiskVolume> MatchVolume(DeviceApi& api, const char* volumeName, DWORD diskNumber) {
    DiskVolume volume{"", ReadLabel(api, volumeName), ""};
    const std::string mountPath = FirstMountPath(api, volumeName);
    if (mountPath.empty()) return std::nullopt;  // "\\.\" alone names no volume
    volume.devicePath = VolumeDevicePath(mountPath);
    const std::optional<DWORD> disk = FirstExtentDisk(api, volume.devicePath);
    if (!disk || *disk != diskNumber) return std::nullopt;
    volume.freeSpace = ReadFreeSpace(api, mountPath);
    return volume;
}

// A new search over all volumes for every disk: nothing is cached between
// disks or refreshes.
DiskVolume FindDiskVolume(DeviceApi& api, DWORD diskNumber) {
    char volumeName[kVolumeNameLength] = {};
    ScopedVolumeSearch search(api, api.FindFirstVolumeA(volumeName, kVolumeNameLength));
    if (!search.valid()) return {};
    do {
        if (auto volume = MatchVolume(api, volumeName, diskNumber)) return *volume;
    } while (api.FindNextVolumeA(search.get(), volumeName, kVolumeNameLength));
    return {};
}

// A disk that USB's UAS driver serves is enumerated by SCSI, as an internal
// SATA or NVMe disk is; what tells them apart is the device it hangs from:
// the USB device itself, not a PCI controller. A parent or ID that cannot be
// read proves nothing, so such a disk stays unlisted.
bool HangsFromUsbDevice(DeviceApi& api, DEVINST disk) {
    DEVINST parent = 0;
    if (disk == 0 || api.CM_Get_Parent(&parent, disk, 0) != CR_SUCCESS) return false;
    char id[MAX_DEVICE_ID_LEN];
    if (api.CM_Get_Device_IDA(parent, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS) return false;
    // Read no further than the prefix: an ID of the buffer's whole length
    // comes without its NUL.
    const char* prefix = drive_enumeration::kUsbDeviceIdPrefix;
    return _strnicmp(id, prefix, std::strlen(prefix)) == 0;
}

// USBSTOR disks are told by their enumerator alone, with no further call.
bool IsUsbDisk(DeviceApi& api, const std::string& enumerator, DEVINST disk) {
    if (enumerator == drive_enumeration::kUsbEnumerator) return true;
    return enumerator == drive_enumeration::kScsiEnumerator && HangsFromUsbDevice(api, disk);
}

int HorizontalExtent(const std::string& friendlyName, const std::string& freeSpace) {
    const size_t wanted = (friendlyName.size() + freeSpace.size() + 14) * 5;
    return wanted > 280 ? static_cast<int>(std::min<size_t>(wanted, INT_MAX)) : 260;
}

enum class MemberOutcome { Listed, Skipped, EndOfInterfaces };

MemberOutcome ExamineMember(DeviceApi& api, HDEVINFO set, SP_DEVINFO_DATA* member,
                            DriveScan& scan) {
    PropertyBuffer properties(api);
    const std::string enumerator =
        ReadStringProperty(api, set, member, SPDRP_ENUMERATOR_NAME, properties).value_or("");
    const std::string friendlyName =
        ReadStringProperty(api, set, member, SPDRP_FRIENDLYNAME, properties)
            .value_or(drive_enumeration::kUnnamedDisk);

    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof(interfaceData);
    if (!api.SetupDiEnumDeviceInterfaces(set, member, &GUID_DEVINTERFACE_DISK, 0, &interfaceData)) {
        return MemberOutcome::EndOfInterfaces;
    }
    ScopedHeapBuffer detailMemory(api, nullptr);
    const std::optional<InterfaceDetail> detail =
        ReadInterfaceDetail(api, set, &interfaceData, detailMemory);
    if (!detail) return MemberOutcome::Skipped;
    bool opened = false;
    const std::optional<DWORD> diskNumber = ReadDiskNumber(api, detail->devicePath, &opened);
    if (!opened) return MemberOutcome::Skipped;
    if (!IsUsbDisk(api, enumerator, detail->devInst)) return MemberOutcome::Skipped;

    // Without its number no volume can be tied to the disk; it is listed
    // without one rather than matched against disk 0, the system disk.
    const DiskVolume volume = diskNumber ? FindDiskVolume(api, *diskNumber) : DiskVolume{};
    if (detail->devInst == 0) return MemberOutcome::Skipped;

    const DriveEntryText entry =
        FormatDriveEntry(volume.devicePath, volume.label, friendlyName, volume.freeSpace);
    scan.drives.push_back(
        {detail->devInst, entry.text, entry.iconId,
         HorizontalExtent(friendlyName, volume.freeSpace),
         !volume.devicePath.empty() && volume.label == entry_text::kUnreadableLabel});
    return MemberOutcome::Listed;
}

}  // namespace

DriveScan ScanUsbDrives(DeviceApi& api) {
    DriveScan scan;
    ScopedDeviceInfoSet set(api, api.SetupDiGetClassDevsA(&GUID_DEVINTERFACE_DISK, nullptr, nullptr,
                                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE));
    if (!set.valid()) return scan;
    scan.deviceSetAvailable = true;
    SP_DEVINFO_DATA member{};
    member.cbSize = sizeof(member);
    for (DWORD index = 0; api.SetupDiEnumDeviceInfo(set.get(), index, &member); ++index) {
        // A member without a disk interface ends the enumeration; the disks
        // after it are found by a later refresh.
        if (ExamineMember(api, set.get(), &member, scan) == MemberOutcome::EndOfInterfaces) break;
    }
    return scan;
}
