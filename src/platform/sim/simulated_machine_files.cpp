// Disk and volume handles of the simulated machine: opening them, the two
// device queries the program makes through them, and closing them.
#include <cstddef>
#include <cstring>

#include "platform/sim/simulated_machine.h"

namespace {

// Extents beyond the first are not modelled: they repeat the first disk and
// share the volume's size between them.
void WriteExtents(void* out, const SimVolume& volume) {
    auto* bytes = static_cast<unsigned char*>(out);
    const DWORD count = volume.extentCount;
    std::memcpy(bytes + offsetof(VOLUME_DISK_EXTENTS, NumberOfDiskExtents), &count, sizeof count);
    for (DWORD i = 0; i < count; ++i) {
        DISK_EXTENT extent{};
        extent.DiskNumber = *volume.diskNumber;
        extent.ExtentLength.QuadPart = static_cast<LONGLONG>(volume.totalBytes / count);
        extent.StartingOffset.QuadPart = 0x100000 + extent.ExtentLength.QuadPart * i;
        std::memcpy(bytes + offsetof(VOLUME_DISK_EXTENTS, Extents) + i * sizeof(DISK_EXTENT),
                    &extent, sizeof extent);
    }
}

// What Windows refuses a standard user who opens a disk or volume, from
// Microsoft's CreateFileA page, "Physical Disks and Volumes": access 0 (or
// attributes only) queries the device without touching its data, which needs
// administrator rights; the disk and volume drivers and the file system keep
// the device open for reading and writing, so the caller must share both; and
// a device can only be opened as it exists (OPEN_EXISTING).
DWORD DeviceOpenRefusal(DWORD access, DWORD shareMode, DWORD disposition) {
    constexpr DWORD kQueryAccess = FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    constexpr DWORD kSharedByTheSystem = FILE_SHARE_READ | FILE_SHARE_WRITE;
    if ((access & ~kQueryAccess) != 0) return ERROR_ACCESS_DENIED;
    if ((shareMode & kSharedByTheSystem) != kSharedByTheSystem) return ERROR_SHARING_VIOLATION;
    if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
    if (disposition != OPEN_EXISTING) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

}  // namespace

HANDLE SimulatedMachine::CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                                     SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                                     HANDLE templateFile) {
    CallScope call =
        Begin("CreateFileA", {StringArgument(fileName), HexArgument(access), HexArgument(shareMode),
                              BufferArgument(security), NumberArgument(disposition),
                              HexArgument(flags), HandleArgument(templateFile)});
    if (auto error = call.InjectedError()) return call.Fails(INVALID_HANDLE_VALUE, *error);
    if (fileName == nullptr) return call.Fails(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
    OpenFile file;
    bool openable = false;
    if (const PresentDisk* disk = m_devices.DiskByInterfacePath(fileName)) {
        file = OpenFile{true, disk->id, fileName};
        openable = disk->disk.openable;
    } else if (const PresentVolume* volume = m_devices.VolumeByDevicePath(fileName)) {
        file = OpenFile{false, volume->id, fileName};
        openable = volume->volume.openable;
    } else {
        return call.Fails(INVALID_HANDLE_VALUE, ERROR_FILE_NOT_FOUND);
    }
    if (!openable) return call.Fails(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
    if (DWORD refusal = DeviceOpenRefusal(access, shareMode, disposition)) {
        return call.Fails(INVALID_HANDLE_VALUE, refusal);
    }
    return call.Returns(m_files.Open(m_issuer, std::move(file)));
}

BOOL SimulatedMachine::DeviceIoControl(HANDLE device, DWORD ioControlCode, void* inBuffer,
                                       DWORD inSize, void* outBuffer, DWORD outSize,
                                       DWORD* bytesReturned, OVERLAPPED* overlapped) {
    CallScope call =
        Begin("DeviceIoControl",
              {HandleArgument(device), IoctlArgument(ioControlCode), BufferArgument(inBuffer),
               NumberArgument(inSize), OutArgument(outBuffer), NumberArgument(outSize),
               OutArgument(bytesReturned), BufferArgument(overlapped)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    const OpenFile* file = FindFile(device, "DeviceIoControl");
    if (file == nullptr) return call.Fail(ERROR_INVALID_HANDLE);
    // Windows writes the byte count through this pointer unconditionally on a
    // synchronous call: without it the program would crash there.
    if (bytesReturned == nullptr && overlapped == nullptr) {
        NoteMisuse("DeviceIoControl without bytesReturned on a synchronous call");
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    if (ioControlCode == IOCTL_STORAGE_GET_DEVICE_NUMBER) {
        return DiskNumberIoctl(call, *file, outBuffer, outSize, bytesReturned);
    }
    if (ioControlCode == IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS) {
        return DiskExtentsIoctl(call, *file, outBuffer, outSize, bytesReturned);
    }
    return call.Fail(ERROR_INVALID_FUNCTION);
}

BOOL SimulatedMachine::DiskNumberIoctl(CallScope& call, const OpenFile& file, void* out,
                                       DWORD outSize, DWORD* bytesReturned) {
    if (!file.isDisk) return call.Fail(ERROR_INVALID_FUNCTION);
    const PresentDisk* disk = m_devices.Disk(file.id);
    if (disk == nullptr) return call.Fail(ERROR_DEVICE_NOT_CONNECTED);
    if (!disk->disk.deviceNumberReadable) return call.Fail(ERROR_INVALID_FUNCTION);
    if (out == nullptr || outSize < sizeof(STORAGE_DEVICE_NUMBER)) {
        return call.Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    STORAGE_DEVICE_NUMBER number{};
    number.DeviceType = FILE_DEVICE_DISK;
    number.DeviceNumber = disk->disk.diskNumber;
    number.PartitionNumber = 0;
    std::memcpy(out, &number, sizeof number);
    if (bytesReturned != nullptr) *bytesReturned = sizeof number;
    return call.Succeed();
}

BOOL SimulatedMachine::DiskExtentsIoctl(CallScope& call, const OpenFile& file, void* out,
                                        DWORD outSize, DWORD* bytesReturned) {
    if (file.isDisk) return call.Fail(ERROR_INVALID_FUNCTION);
    const PresentVolume* present = m_devices.Volume(file.id);
    if (present == nullptr) return call.Fail(ERROR_DEVICE_NOT_CONNECTED);
    const SimVolume& volume = present->volume;
    if (!volume.diskNumber) return call.Fail(ERROR_INVALID_FUNCTION);
    if (out == nullptr || outSize < sizeof(VOLUME_DISK_EXTENTS)) {
        return call.Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    const std::size_t room = 1 + (outSize - sizeof(VOLUME_DISK_EXTENTS)) / sizeof(DISK_EXTENT);
    if (volume.extentCount > room) {
        // The one output of this failure: how many extents there are, so the
        // caller can size a buffer for them all.
        std::memcpy(
            static_cast<unsigned char*>(out) + offsetof(VOLUME_DISK_EXTENTS, NumberOfDiskExtents),
            &volume.extentCount, sizeof volume.extentCount);
        return call.Fail(ERROR_MORE_DATA);
    }
    WriteExtents(out, volume);
    if (bytesReturned != nullptr) {
        *bytesReturned = static_cast<DWORD>(offsetof(VOLUME_DISK_EXTENTS, Extents) +
                                            volume.extentCount * sizeof(DISK_EXTENT));
    }
    return call.Succeed();
}

BOOL SimulatedMachine::CloseHandle(HANDLE handle) {
    CallScope call = Begin("CloseHandle", {HandleArgument(handle)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    if (m_files.Close(handle)) return call.Succeed();
    NoteBadHandle(handle, "CloseHandle");
    return call.Fail(ERROR_INVALID_HANDLE);
}
