// The volume search and the volume queries of the simulated machine: label,
// mount paths and free space.
#include <cstring>
#include <string>

#include "platform/sim/path_text.h"
#include "platform/sim/simulated_machine.h"

namespace {

constexpr char kFileSystem[] = "FAT32";

// The list GetVolumePathNamesForVolumeNameA hands back: each path with its
// NUL, then one more NUL; a volume mounted nowhere gives just that NUL.
std::string MultiString(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) list += path + '\0';
    return list + '\0';
}

void CopyWithNul(char* buffer, const std::string& text) {
    std::memcpy(buffer, text.c_str(), text.size() + 1);
}

}  // namespace

HANDLE SimulatedMachine::FindFirstVolumeA(LPSTR volumeName, DWORD length) {
    CallScope call = Begin("FindFirstVolumeA", {OutArgument(volumeName), NumberArgument(length)});
    if (auto error = call.InjectedError()) return call.Fails(INVALID_HANDLE_VALUE, *error);
    if (volumeName == nullptr) return call.Fails(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
    VolumeSearch search;
    for (const PresentVolume& present : m_devices.Volumes()) search.volumeIds.push_back(present.id);
    if (search.volumeIds.empty()) return call.Fails(INVALID_HANDLE_VALUE, ERROR_NO_MORE_FILES);
    const std::string& first = m_devices.Volumes().front().volume.guidPath;
    if (first.size() + 1 > length) {
        return call.Fails(INVALID_HANDLE_VALUE, ERROR_FILENAME_EXCED_RANGE);
    }
    CopyWithNul(volumeName, first);
    search.next = 1;
    return call.Returns(m_searches.Open(m_issuer, std::move(search)));
}

BOOL SimulatedMachine::FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length) {
    CallScope call = Begin("FindNextVolumeA", {HandleArgument(search), OutArgument(volumeName),
                                               NumberArgument(length)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    VolumeSearch* found = FindSearch(search, "FindNextVolumeA");
    if (found == nullptr) return call.Fail(ERROR_INVALID_HANDLE);
    if (volumeName == nullptr) return call.Fail(ERROR_INVALID_PARAMETER);
    return CopyVolumeName(call, *found, volumeName, length);
}

// Volumes removed since the search started are passed over. A name that does
// not fit is not consumed, so a retry with a larger buffer gets it.
BOOL SimulatedMachine::CopyVolumeName(CallScope& call, VolumeSearch& search, LPSTR buffer,
                                      DWORD length) {
    while (search.next < search.volumeIds.size()) {
        const PresentVolume* present = m_devices.Volume(search.volumeIds[search.next]);
        if (present == nullptr) {
            ++search.next;
            continue;
        }
        if (present->volume.guidPath.size() + 1 > length) {
            return call.Fail(ERROR_FILENAME_EXCED_RANGE);
        }
        CopyWithNul(buffer, present->volume.guidPath);
        ++search.next;
        return call.Succeed();
    }
    return call.Fail(ERROR_NO_MORE_FILES);
}

BOOL SimulatedMachine::FindVolumeClose(HANDLE search) {
    CallScope call = Begin("FindVolumeClose", {HandleArgument(search)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    if (m_searches.Close(search)) return call.Succeed();
    NoteBadHandle(search, "FindVolumeClose");
    return call.Fail(ERROR_INVALID_HANDLE);
}

BOOL SimulatedMachine::GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName,
                                             DWORD volumeNameSize, DWORD* serialNumber,
                                             DWORD* maxComponentLength, DWORD* fileSystemFlags,
                                             LPSTR fileSystemName, DWORD fileSystemNameSize) {
    CallScope call = Begin(
        "GetVolumeInformationA",
        {StringArgument(rootPath), OutArgument(volumeName), NumberArgument(volumeNameSize),
         OutArgument(serialNumber), OutArgument(maxComponentLength), OutArgument(fileSystemFlags),
         OutArgument(fileSystemName), NumberArgument(fileSystemNameSize)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    if (rootPath == nullptr) return call.Fail(ERROR_INVALID_PARAMETER);
    const std::string root = rootPath;
    // Windows wants the root with its trailing backslash.
    if (root.empty() || root.back() != '\\') return call.Fail(ERROR_INVALID_NAME);
    const PresentVolume* present = m_devices.VolumeByRoot(root);
    if (present == nullptr) return call.Fail(ERROR_PATH_NOT_FOUND);
    const std::optional<std::string>& label = present->volume.label;
    if (!label) return call.Fail(ERROR_NOT_READY);
    if (volumeName != nullptr && label->size() + 1 > volumeNameSize) {
        return call.Fail(ERROR_BAD_LENGTH);
    }
    if (fileSystemName != nullptr && sizeof kFileSystem > fileSystemNameSize) {
        return call.Fail(ERROR_BAD_LENGTH);
    }
    if (volumeName != nullptr) CopyWithNul(volumeName, *label);
    if (serialNumber != nullptr) *serialNumber = 0x5E1D0000u + present->id;
    if (maxComponentLength != nullptr) *maxComponentLength = 255;
    if (fileSystemFlags != nullptr)
        *fileSystemFlags = FILE_CASE_PRESERVED_NAMES | FILE_UNICODE_ON_DISK;
    if (fileSystemName != nullptr) CopyWithNul(fileSystemName, kFileSystem);
    return call.Succeed();
}

BOOL SimulatedMachine::GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPCH pathNames,
                                                        DWORD bufferLength, DWORD* returnLength) {
    CallScope call = Begin("GetVolumePathNamesForVolumeNameA",
                           {StringArgument(volumeName), OutArgument(pathNames),
                            NumberArgument(bufferLength), OutArgument(returnLength)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    if (volumeName == nullptr) return call.Fail(ERROR_INVALID_PARAMETER);
    if (!IsVolumeGuidPath(volumeName)) return call.Fail(ERROR_INVALID_NAME);
    const PresentVolume* present = m_devices.VolumeByGuidPath(volumeName);
    if (present == nullptr) return call.Fail(ERROR_FILE_NOT_FOUND);
    const std::string list = MultiString(present->volume.mountPaths);
    const auto needed = static_cast<DWORD>(list.size());
    if (returnLength != nullptr) *returnLength = needed;
    if (pathNames == nullptr || bufferLength < needed) return call.Fail(ERROR_MORE_DATA);
    std::memcpy(pathNames, list.data(), list.size());
    return call.Succeed();
}

BOOL SimulatedMachine::GetDiskFreeSpaceExA(LPCSTR directory, ULARGE_INTEGER* freeToCaller,
                                           ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) {
    CallScope call =
        Begin("GetDiskFreeSpaceExA", {StringArgument(directory), OutArgument(freeToCaller),
                                      OutArgument(totalBytes), OutArgument(totalFree)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    const PresentVolume* present = directory ? m_devices.VolumeContaining(directory) : nullptr;
    if (present == nullptr) return call.Fail(ERROR_PATH_NOT_FOUND);
    const SimVolume& volume = present->volume;
    if (volume.freeSpaceFails) return call.Fail(ERROR_NOT_READY);
    if (freeToCaller != nullptr)
        freeToCaller->QuadPart = volume.availableBytes.value_or(volume.freeBytes);
    if (totalBytes != nullptr) totalBytes->QuadPart = volume.totalBytes;
    if (totalFree != nullptr) totalFree->QuadPart = volume.freeBytes;
    return call.Succeed();
}
