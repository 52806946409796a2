// The configuration-manager calls of the simulated machine: a disk's parent,
// the parent's status, and the requests that eject or remove it.
#include <algorithm>
#include <cstring>

#include "platform/sim/simulated_machine.h"

namespace {

// A disk node itself is started and has its driver; DN_REMOVABLE belongs to
// the USB device above it, which is why the program asks the parent.
constexpr ULONG kDiskNodeStatus = DN_STARTED | DN_DRIVER_LOADED;

void WriteVetoName(LPSTR vetoName, ULONG nameLength, const std::string& name) {
    if (vetoName == nullptr || nameLength == 0) return;
    const std::size_t length = std::min<std::size_t>(name.size(), nameLength - 1);
    std::memcpy(vetoName, name.data(), length);
    vetoName[length] = '\0';
}

}  // namespace

CONFIGRET SimulatedMachine::CM_Get_Parent(DEVINST* parent, DEVINST device, ULONG flags) {
    CallScope call =
        Begin("CM_Get_Parent", {OutArgument(parent), HexArgument(device), HexArgument(flags)});
    if (auto error = call.InjectedError()) return call.Answers(*error);
    if (parent == nullptr) return call.Answers(CR_INVALID_POINTER);
    if (flags != 0) return call.Answers(CR_INVALID_FLAG);
    if (device == 0) return call.Answers(CR_INVALID_DEVNODE);
    // Only disks have a parent here: the tree above their USB devices is not
    // modelled.
    const PresentDisk* disk = m_devices.DiskByNode(device);
    if (disk == nullptr || disk->disk.parentLookupFails) return call.Answers(CR_NO_SUCH_DEVNODE);
    *parent = disk->disk.parent;
    // The node found is the lookup's real answer; the journal shows it so a
    // test can tell which node later requests had to name.
    call.Record(ConfigRetName(CR_SUCCESS) + ", parent " + HexText(*parent));
    return CR_SUCCESS;
}

// Microsoft's CM_Get_Device_ID page: the length is in characters, ulFlags is
// not used and must be zero, and the function "appends a NULL terminator ...
// unless the buffer is too small to hold the string", when it "supplies as
// much of the identifier string as will fit" and answers CR_BUFFER_SMALL. An
// ID of exactly the buffer's length thus fills it without its NUL, and
// succeeds.
CONFIGRET SimulatedMachine::CM_Get_Device_IDA(DEVINST device, PSTR buffer, ULONG bufferLength,
                                              ULONG flags) {
    CallScope call = Begin("CM_Get_Device_IDA", {HexArgument(device), OutArgument(buffer),
                                                 NumberArgument(bufferLength), HexArgument(flags)});
    if (auto error = call.InjectedError()) return call.Answers(*error);
    if (buffer == nullptr) return call.Answers(CR_INVALID_POINTER);
    if (flags != 0) return call.Answers(CR_INVALID_FLAG);
    if (device == 0) return call.Answers(CR_INVALID_DEVNODE);
    const std::optional<std::string> id = m_devices.InstanceId(device);
    if (!id) return call.Answers(CR_NO_SUCH_DEVNODE);
    const std::size_t copied = std::min<std::size_t>(id->size(), bufferLength);
    std::memcpy(buffer, id->data(), copied);
    if (copied < bufferLength) buffer[copied] = '\0';
    const CONFIGRET result = copied < id->size() ? CR_BUFFER_SMALL : CR_SUCCESS;
    call.Record(ConfigRetName(result) + ", \"" + id->substr(0, copied) + "\"");
    return result;
}

CONFIGRET SimulatedMachine::CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DEVINST device,
                                                  ULONG flags) {
    CallScope call = Begin("CM_Get_DevNode_Status", {OutArgument(status), OutArgument(problem),
                                                     HexArgument(device), HexArgument(flags)});
    if (auto error = call.InjectedError()) return call.Answers(*error);
    if (status == nullptr || problem == nullptr) return call.Answers(CR_INVALID_POINTER);
    if (flags != 0) return call.Answers(CR_INVALID_FLAG);
    if (device == 0) return call.Answers(CR_INVALID_DEVNODE);
    if (m_devices.DiskByNode(device) != nullptr) {
        *status = kDiskNodeStatus;
        *problem = 0;
        return call.Answers(CR_SUCCESS);
    }
    const std::vector<const PresentDisk*> children = m_devices.DisksUnder(device);
    if (children.empty()) return call.Answers(CR_NO_SUCH_DEVNODE);
    if (children.front()->disk.parentStatusFails) return call.Answers(CR_FAILURE);
    *status = children.front()->disk.parentStatus;
    *problem = 0;
    return call.Answers(CR_SUCCESS);
}

// Microsoft's CM_Request_Device_EjectA page: ulFlags is not used (the
// configuration manager answers CR_INVALID_FLAG for any bit, as Wine's and
// ReactOS's cfgmgr32 do), and the PnP manager tells the user itself, of the
// removal or of the reason it failed, only when pszVetoName is NULL.
CONFIGRET SimulatedMachine::CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                     LPSTR vetoName, ULONG nameLength,
                                                     ULONG flags) {
    const bool notice = vetoName == nullptr;
    const RemovalRequest request{"CM_Request_Device_EjectA", 0, notice, notice};
    return RequestRemoval(request, device, vetoType, vetoName, nameLength, flags);
}

// Microsoft's CM_Query_And_Remove_SubTree page: the flags are the CM_REMOVE_
// bits, and CM_REMOVE_UI_OK and CM_REMOVE_UI_NOT_OK "apply only if Windows or
// an installer vetoes the removal of a device": a granted removal shows
// nothing, and a vetoed one shows its reason only with CM_REMOVE_UI_OK (0)
// and no veto buffers of the caller's.
CONFIGRET SimulatedMachine::CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                         LPSTR vetoName, ULONG nameLength,
                                                         ULONG flags) {
    const bool vetoNotice =
        vetoType == nullptr && vetoName == nullptr && (flags & CM_REMOVE_UI_NOT_OK) == 0;
    const RemovalRequest request{"CM_Query_And_Remove_SubTreeA", CM_REMOVE_BITS, false, vetoNotice};
    return RequestRemoval(request, device, vetoType, vetoName, nameLength, flags);
}

bool SimulatedMachine::HasOpenFiles(const PresentDisk& disk) const {
    const std::vector<unsigned> volumeIds = m_devices.VolumeIdsOnDisk(disk.disk.diskNumber);
    return std::any_of(m_files.Open().begin(), m_files.Open().end(), [&](const auto& entry) {
        const OpenFile& file = entry.second;
        if (file.isDisk) return file.id == disk.id;
        return std::find(volumeIds.begin(), volumeIds.end(), file.id) != volumeIds.end();
    });
}

bool SimulatedMachine::IsHeldByProcess(const PresentDisk& disk) const {
    if (!m_processRunning) return false;
    for (unsigned id : m_devices.VolumeIdsOnDisk(disk.disk.diskNumber)) {
        const std::string& holder = m_devices.Volume(id)->volume.heldBy;
        if (!holder.empty() && m_processRunning(holder)) return true;
    }
    return false;
}

// Both requests remove the whole subtree under the node or nothing of it. As
// on Windows, a disk or volume someone still holds open vetoes the removal,
// whether the handle is the caller's or another process's
// (PNP_VetoOutstandingOpen).
CONFIGRET SimulatedMachine::RequestRemoval(const RemovalRequest& request, DEVINST node,
                                           PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                           ULONG nameLength, ULONG flags) {
    CallScope call =
        Begin(request.function, {HexArgument(node), OutArgument(vetoType), OutArgument(vetoName),
                                 NumberArgument(nameLength), HexArgument(flags)});
    if (auto error = call.InjectedError()) return call.Answers(*error);
    if (node == 0) return call.Answers(CR_INVALID_DEVNODE);
    if ((flags & ~request.validFlags) != 0) return call.Answers(CR_INVALID_FLAG);
    if (vetoName == nullptr && nameLength != 0) return call.Answers(CR_INVALID_POINTER);
    const std::vector<const PresentDisk*> disks = m_devices.DisksUnder(node);
    if (disks.empty()) return call.Answers(CR_NO_SUCH_DEVNODE);
    // The session's right is checked before the PnP manager is asked, so
    // Windows tells the user nothing of this refusal.
    if (std::any_of(disks.begin(), disks.end(), [](const PresentDisk* disk) {
            return disk->disk.eject == EjectBehaviour::AccessDenied;
        })) {
        return call.Answers(CR_ACCESS_DENIED);
    }
    // The journal says when the user would see the system's own notice.
    const auto answer = [&](CONFIGRET result) {
        const bool notice =
            result == CR_REMOVE_VETOED ? request.noticeWhenVetoed : request.noticeWhenGranted;
        call.Record(ConfigRetName(result) + (notice ? ", system notice" : ""));
        return result;
    };
    for (const PresentDisk* disk : disks) {
        const bool held = HasOpenFiles(*disk) || IsHeldByProcess(*disk);
        if (!held && disk->disk.eject != EjectBehaviour::Vetoed) continue;
        if (vetoType != nullptr) *vetoType = held ? PNP_VetoOutstandingOpen : PNP_VetoDevice;
        // PNP_VETO_TYPE's page: for both kinds the name is the device
        // instance ID of the device that vetoed, not an interface path.
        WriteVetoName(vetoName, nameLength, DiskInstanceId(disk->disk));
        return answer(CR_REMOVE_VETOED);
    }
    const bool stays = std::any_of(disks.begin(), disks.end(), [](const PresentDisk* disk) {
        return disk->disk.eject == EjectBehaviour::Stays;
    });
    if (stays) return answer(CR_SUCCESS);
    std::vector<unsigned> ids;
    for (const PresentDisk* disk : disks) ids.push_back(disk->id);
    for (unsigned id : ids) m_devices.RemoveDisk(id);
    const CONFIGRET result = answer(CR_SUCCESS);
    NotifyDeviceChange(DBT_DEVICEREMOVECOMPLETE);
    return result;
}
