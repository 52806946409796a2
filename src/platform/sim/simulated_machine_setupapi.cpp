// The SetupAPI calls of the simulated machine: the device set of disk
// interfaces, its members, their properties and interface details.
#include <cstddef>
#include <cstring>
#include <optional>

#include "platform/sim/path_text.h"
#include "platform/sim/simulated_machine.h"

namespace {

// GUID_DEVCLASS_DISKDRIVE: the setup class every member of the set belongs to.
constexpr GUID kDiskDriveClass = {
    0x4d36e967, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

std::optional<std::string> PropertyText(const SimDisk& disk, DWORD property) {
    if (property == SPDRP_ENUMERATOR_NAME) return disk.enumerator;
    if (property == SPDRP_FRIENDLYNAME) return disk.friendlyName;
    return std::nullopt;
}

bool IsDiskInterface(const GUID* guid) {
    return guid != nullptr && IsEqualGUID(*guid, GUID_DEVINTERFACE_DISK);
}

}  // namespace

HDEVINFO SimulatedMachine::SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator,
                                                HWND parent, DWORD flags) {
    CallScope call =
        Begin("SetupDiGetClassDevsA", {GuidArgument(classGuid), StringArgument(enumerator),
                                       HandleArgument(parent), HexArgument(flags)});
    if (auto error = call.InjectedError()) return call.Fails(INVALID_HANDLE_VALUE, *error);
    DeviceSet set;
    // Only the disk interface class is modelled; any other class is a set
    // with no members, as on a machine without such devices.
    if (IsDiskInterface(classGuid) && (flags & DIGCF_DEVICEINTERFACE) != 0) {
        // Without DIGCF_PRESENT, SetupAPI also lists devices that were attached
        // once and are gone (Microsoft's SetupDiGetClassDevs page: "Return only
        // devices that are currently present in a system").
        const auto add = [&](const std::vector<PresentDisk>& disks) {
            for (const PresentDisk& present : disks) {
                if (enumerator != nullptr && !EqualsNoCase(present.disk.enumerator, enumerator))
                    continue;
                set.members.push_back(SetMember{present.id, present.disk.devInst});
            }
        };
        if ((flags & DIGCF_PRESENT) == 0) add(m_devices.AbsentDisks());
        add(m_devices.Disks());
    }
    return call.Returns(m_sets.Open(m_issuer, std::move(set)));
}

BOOL SimulatedMachine::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex,
                                             SP_DEVINFO_DATA* data) {
    CallScope call = Begin("SetupDiEnumDeviceInfo",
                           {HandleArgument(set), NumberArgument(memberIndex), OutArgument(data)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    const DeviceSet* found = FindSet(set, "SetupDiEnumDeviceInfo");
    if (found == nullptr) return call.Fail(ERROR_INVALID_HANDLE);
    if (data == nullptr) return call.Fail(ERROR_INVALID_PARAMETER);
    if (data->cbSize != sizeof(SP_DEVINFO_DATA)) return call.Fail(ERROR_INVALID_USER_BUFFER);
    if (memberIndex >= found->members.size()) return call.Fail(ERROR_NO_MORE_ITEMS);
    FillDevInfo(*data, *found, memberIndex);
    return call.Succeed();
}

void SimulatedMachine::FillDevInfo(SP_DEVINFO_DATA& data, const DeviceSet& set,
                                   std::size_t member) const {
    data.ClassGuid = kDiskDriveClass;
    data.DevInst = set.members[member].devInst;
    data.Reserved = member + 1;
}

const PresentDisk* SimulatedMachine::MemberDisk(const DeviceSet& set, ULONG_PTR reserved,
                                                DWORD& error) const {
    if (reserved == 0 || reserved > set.members.size()) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    const PresentDisk* disk = m_devices.Disk(set.members[reserved - 1].diskId);
    if (disk == nullptr) error = ERROR_NO_SUCH_DEVINST;
    return disk;
}

const PresentDisk* SimulatedMachine::MemberDisk(const DeviceSet& set, const SP_DEVINFO_DATA* data,
                                                DWORD& error) const {
    if (data == nullptr) {
        error = ERROR_INVALID_PARAMETER;
        return nullptr;
    }
    if (data->cbSize != sizeof(SP_DEVINFO_DATA)) {
        error = ERROR_INVALID_USER_BUFFER;
        return nullptr;
    }
    return MemberDisk(set, data->Reserved, error);
}

BOOL SimulatedMachine::SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* data,
                                                         DWORD property, DWORD* regType,
                                                         BYTE* buffer, DWORD bufferSize,
                                                         DWORD* requiredSize) {
    CallScope call = Begin("SetupDiGetDeviceRegistryPropertyA",
                           {HandleArgument(set), DevInfoArgument(data), PropertyArgument(property),
                            OutArgument(regType), OutArgument(buffer), NumberArgument(bufferSize),
                            OutArgument(requiredSize)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    const DeviceSet* found = FindSet(set, "SetupDiGetDeviceRegistryPropertyA");
    if (found == nullptr) return call.Fail(ERROR_INVALID_HANDLE);
    DWORD error = ERROR_SUCCESS;
    const PresentDisk* disk = MemberDisk(*found, data, error);
    if (disk == nullptr) return call.Fail(error);
    if (buffer == nullptr && bufferSize != 0) return call.Fail(ERROR_INVALID_PARAMETER);
    const std::optional<std::string> text = PropertyText(disk->disk, property);
    if (!text) return call.Fail(ERROR_INVALID_DATA);
    const auto needed = static_cast<DWORD>(text->size() + 1);
    if (buffer == nullptr || bufferSize < needed) {
        if (requiredSize != nullptr) *requiredSize = needed;
        return call.Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text->c_str(), needed);
    if (regType != nullptr) *regType = REG_SZ;
    if (requiredSize != nullptr) *requiredSize = needed;
    return call.Succeed();
}

BOOL SimulatedMachine::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* data,
                                                   const GUID* interfaceGuid, DWORD memberIndex,
                                                   SP_DEVICE_INTERFACE_DATA* interfaceData) {
    CallScope call = Begin("SetupDiEnumDeviceInterfaces",
                           {HandleArgument(set), DevInfoArgument(data), GuidArgument(interfaceGuid),
                            NumberArgument(memberIndex), OutArgument(interfaceData)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    const DeviceSet* found = FindSet(set, "SetupDiEnumDeviceInterfaces");
    if (found == nullptr) return call.Fail(ERROR_INVALID_HANDLE);
    if (interfaceData == nullptr || interfaceGuid == nullptr) {
        return call.Fail(ERROR_INVALID_PARAMETER);
    }
    if (interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        return call.Fail(ERROR_INVALID_USER_BUFFER);
    }
    // Without a member the index runs over the interfaces of the whole set;
    // with one, over that member's interfaces, of which a disk has one.
    std::size_t first = 0;
    std::size_t end = found->members.size();
    if (data != nullptr) {
        DWORD error = ERROR_SUCCESS;
        if (MemberDisk(*found, data, error) == nullptr) return call.Fail(error);
        first = data->Reserved - 1;
        end = first + 1;
    }
    DWORD remaining = memberIndex;
    for (std::size_t member = first; member < end && IsDiskInterface(interfaceGuid); ++member) {
        const PresentDisk* disk = m_devices.Disk(found->members[member].diskId);
        if (disk == nullptr || !disk->disk.hasInterface) continue;
        if (remaining > 0) {
            --remaining;
            continue;
        }
        interfaceData->InterfaceClassGuid = *interfaceGuid;
        interfaceData->Flags = SPINT_ACTIVE;
        interfaceData->Reserved = member + 1;
        return call.Succeed();
    }
    return call.Fail(ERROR_NO_MORE_ITEMS);
}

BOOL SimulatedMachine::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set,
                                                        SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                        SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                        DWORD detailSize, DWORD* requiredSize,
                                                        SP_DEVINFO_DATA* data) {
    CallScope call =
        Begin("SetupDiGetDeviceInterfaceDetailA",
              {HandleArgument(set), InterfaceArgument(interfaceData), OutArgument(detail),
               NumberArgument(detailSize), OutArgument(requiredSize), OutArgument(data)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    const DeviceSet* found = FindSet(set, "SetupDiGetDeviceInterfaceDetailA");
    if (found == nullptr) return call.Fail(ERROR_INVALID_HANDLE);
    if (interfaceData == nullptr) return call.Fail(ERROR_INVALID_PARAMETER);
    if (interfaceData->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        return call.Fail(ERROR_INVALID_USER_BUFFER);
    }
    DWORD error = ERROR_SUCCESS;
    const PresentDisk* disk = MemberDisk(*found, interfaceData->Reserved, error);
    if (disk == nullptr) return call.Fail(error);
    if (!disk->disk.hasInterface) return call.Fail(ERROR_NO_SUCH_DEVINST);
    // cbSize is the size of the fixed part (5 in the 32-bit layout, 8 in the
    // 64-bit one), not of the buffer: the classic mistake this check catches.
    if (detail != nullptr && detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) {
        return call.Fail(ERROR_INVALID_USER_BUFFER);
    }
    if ((detail == nullptr && detailSize != 0) ||
        (data != nullptr && data->cbSize != sizeof(SP_DEVINFO_DATA))) {
        return call.Fail(ERROR_INVALID_USER_BUFFER);
    }
    const std::string& path = disk->disk.interfacePath;
    const auto needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) +
                                           path.size() + 1);
    if (detail == nullptr || detailSize < needed) {
        if (requiredSize != nullptr) *requiredSize = needed;
        return call.Fail(ERROR_INSUFFICIENT_BUFFER);
    }
    // Through a byte pointer: DevicePath is declared as one character and the
    // compiler would take the path for an overflow of it.
    auto* bytes = reinterpret_cast<char*>(detail);
    std::memcpy(bytes + offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath), path.c_str(),
                path.size() + 1);
    if (requiredSize != nullptr) *requiredSize = needed;
    if (data != nullptr) FillDevInfo(*data, *found, interfaceData->Reserved - 1);
    return call.Succeed();
}

BOOL SimulatedMachine::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    CallScope call = Begin("SetupDiDestroyDeviceInfoList", {HandleArgument(set)});
    if (auto error = call.InjectedError()) return call.Fail(*error);
    if (m_sets.Close(set)) return call.Succeed();
    NoteBadHandle(set, "SetupDiDestroyDeviceInfoList");
    return call.Fail(ERROR_INVALID_HANDLE);
}
