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

CONFIGRET SimulatedMachine::CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                     LPSTR vetoName, ULONG nameLength,
                                                     ULONG flags) {
    return RequestRemoval("CM_Request_Device_EjectA", device, vetoType, vetoName, nameLength,
                          flags);
}

CONFIGRET SimulatedMachine::CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                         LPSTR vetoName, ULONG nameLength,
                                                         ULONG flags) {
    return RequestRemoval("CM_Query_And_Remove_SubTreeA", device, vetoType, vetoName, nameLength,
                          flags);
}

bool SimulatedMachine::HasOpenFiles(const PresentDisk& disk) const {
    const std::vector<unsigned> volumeIds = m_devices.VolumeIdsOnDisk(disk.disk.diskNumber);
    return std::any_of(m_files.Open().begin(), m_files.Open().end(), [&](const auto& entry) {
        const OpenFile& file = entry.second;
        if (file.isDisk) return file.id == disk.id;
        return std::find(volumeIds.begin(), volumeIds.end(), file.id) != volumeIds.end();
    });
}

// Both requests remove the whole subtree under the node or nothing of it. As
// on Windows, a disk or volume someone still holds open vetoes the removal.
CONFIGRET SimulatedMachine::RequestRemoval(std::string_view function, DEVINST node,
                                           PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                           ULONG nameLength, ULONG flags) {
    CallScope call =
        Begin(function, {HexArgument(node), OutArgument(vetoType), OutArgument(vetoName),
                         NumberArgument(nameLength), HexArgument(flags)});
    if (auto error = call.InjectedError()) return call.Answers(*error);
    if (node == 0) return call.Answers(CR_INVALID_DEVNODE);
    const std::vector<const PresentDisk*> disks = m_devices.DisksUnder(node);
    if (disks.empty()) return call.Answers(CR_NO_SUCH_DEVNODE);
    for (const PresentDisk* disk : disks) {
        const bool held = HasOpenFiles(*disk);
        if (!held && disk->disk.eject != EjectBehaviour::Vetoed) continue;
        if (vetoType != nullptr) *vetoType = held ? PNP_VetoOutstandingOpen : PNP_VetoDevice;
        WriteVetoName(vetoName, nameLength, disk->disk.interfacePath);
        return call.Answers(CR_REMOVE_VETOED);
    }
    const bool stays = std::any_of(disks.begin(), disks.end(), [](const PresentDisk* disk) {
        return disk->disk.eject == EjectBehaviour::Stays;
    });
    if (stays) return call.Answers(CR_SUCCESS);
    std::vector<unsigned> ids;
    for (const PresentDisk* disk : disks) ids.push_back(disk->id);
    for (unsigned id : ids) m_devices.RemoveDisk(id);
    const CONFIGRET result = call.Answers(CR_SUCCESS);
    NotifyDeviceChange(DBT_DEVICEREMOVECOMPLETE);
    return result;
}
