#include "platform/sim/present_devices.h"

#include <algorithm>
#include <utility>

#include "platform/sim/path_text.h"

namespace {

template <class Present, class Matches>
const Present* FindIn(const std::vector<Present>& items, Matches matches) {
    auto found = std::find_if(items.begin(), items.end(), matches);
    return found == items.end() ? nullptr : &*found;
}

template <class Present, class Item, class Field>
std::vector<Item> Collect(const std::vector<Present>& present, Field field) {
    std::vector<Item> items;
    for (const Present& item : present) items.push_back(item.*field);
    return items;
}

}  // namespace

void PresentDevices::Add(std::vector<SimDisk> disks, std::vector<SimVolume> volumes) {
    for (SimDisk& disk : disks) {
        if (disk.interfacePath.empty()) disk.interfacePath = MadeUpInterfacePath(disk);
    }
    std::vector<SimDisk> allDisks = Collect<PresentDisk, SimDisk>(m_disks, &PresentDisk::disk);
    for (const PresentDisk& absent : m_absent) allDisks.push_back(absent.disk);
    std::vector<SimVolume> allVolumes =
        Collect<PresentVolume, SimVolume>(m_volumes, &PresentVolume::volume);
    allDisks.insert(allDisks.end(), disks.begin(), disks.end());
    allVolumes.insert(allVolumes.end(), volumes.begin(), volumes.end());
    ValidateMachine(allDisks, allVolumes);

    for (SimDisk& disk : disks) {
        (disk.present ? m_disks : m_absent).push_back(PresentDisk{m_nextId++, std::move(disk)});
    }
    for (SimVolume& volume : volumes) {
        m_volumes.push_back(PresentVolume{m_nextId++, std::move(volume)});
    }
}

void PresentDevices::RemoveDisk(unsigned id) {
    const PresentDisk* disk = Disk(id);
    if (disk == nullptr) return;
    const std::vector<unsigned> volumeIds = VolumeIdsOnDisk(disk->disk.diskNumber);
    std::erase_if(m_volumes, [&volumeIds](const PresentVolume& volume) {
        return std::find(volumeIds.begin(), volumeIds.end(), volume.id) != volumeIds.end();
    });
    std::erase_if(m_disks, [id](const PresentDisk& present) { return present.id == id; });
}

const PresentDisk* PresentDevices::Disk(unsigned id) const {
    const auto hasId = [id](const PresentDisk& present) { return present.id == id; };
    const PresentDisk* disk = FindIn(m_disks, hasId);
    return disk != nullptr ? disk : FindIn(m_absent, hasId);
}

const PresentVolume* PresentDevices::Volume(unsigned id) const {
    return FindIn(m_volumes, [id](const PresentVolume& present) { return present.id == id; });
}

// Node 0 is no node, even though a broken disk may carry it.
const PresentDisk* PresentDevices::DiskByNode(DEVINST node) const {
    if (node == 0) return nullptr;
    return FindIn(m_disks,
                  [node](const PresentDisk& present) { return present.disk.devInst == node; });
}

const PresentDisk* PresentDevices::DiskByNumber(DWORD diskNumber) const {
    return FindIn(m_disks, [diskNumber](const PresentDisk& present) {
        return present.disk.diskNumber == diskNumber;
    });
}

const PresentDisk* PresentDevices::DiskByInterfacePath(std::string_view path) const {
    return FindIn(m_disks, [path](const PresentDisk& present) {
        return present.disk.hasInterface && EqualsNoCase(present.disk.interfacePath, path);
    });
}

std::vector<const PresentDisk*> PresentDevices::DisksUnder(DEVINST node) const {
    std::vector<const PresentDisk*> disks;
    if (node == 0) return disks;
    for (const PresentDisk& present : m_disks) {
        if (present.disk.parent == node || present.disk.devInst == node) disks.push_back(&present);
    }
    return disks;
}

bool PresentDevices::IsParentNode(DEVINST node) const {
    return FindIn(m_disks, [node](const PresentDisk& present) {
               return present.disk.parent == node;
           }) != nullptr;
}

std::optional<std::string> PresentDevices::InstanceId(DEVINST node) const {
    if (const PresentDisk* disk = DiskByNode(node)) return DiskInstanceId(disk->disk);
    const std::vector<const PresentDisk*> children = DisksUnder(node);
    if (children.empty()) return std::nullopt;
    bool carriesUsbStorage = false;
    for (const PresentDisk* child : children) {
        if (child->disk.parentId) return child->disk.parentId;
        carriesUsbStorage |= EqualsNoCase(child->disk.enumerator, "USBSTOR");
    }
    return MadeUpParentId(node, carriesUsbStorage);
}

std::vector<unsigned> PresentDevices::VolumeIdsOnDisk(DWORD diskNumber) const {
    std::vector<unsigned> ids;
    for (const PresentVolume& present : m_volumes) {
        if (present.volume.diskNumber == diskNumber) ids.push_back(present.id);
    }
    return ids;
}

const PresentVolume* PresentDevices::VolumeByGuidPath(std::string_view path) const {
    return FindIn(m_volumes, [path](const PresentVolume& present) {
        return EqualsNoCase(present.volume.guidPath, path);
    });
}

const PresentVolume* PresentDevices::VolumeByRoot(std::string_view root) const {
    if (const PresentVolume* volume = VolumeByGuidPath(root)) return volume;
    return FindIn(m_volumes, [root](const PresentVolume& present) {
        const auto& paths = present.volume.mountPaths;
        return std::any_of(paths.begin(), paths.end(),
                           [root](const std::string& path) { return EqualsNoCase(path, root); });
    });
}

const PresentVolume* PresentDevices::VolumeContaining(std::string_view directory) const {
    std::string path(directory);
    if (path.empty() || path.back() != '\\') path += '\\';
    if (const PresentVolume* volume = VolumeByGuidPath(path)) return volume;
    const PresentVolume* best = nullptr;
    std::size_t bestLength = 0;
    for (const PresentVolume& present : m_volumes) {
        for (const std::string& mountPath : present.volume.mountPaths) {
            if (mountPath.size() > bestLength && StartsWithNoCase(path, mountPath)) {
                best = &present;
                bestLength = mountPath.size();
            }
        }
    }
    return best;
}

const PresentVolume* PresentDevices::VolumeByDevicePath(std::string_view path) const {
    constexpr std::string_view drivePrefix = "\\\\.\\";
    if (path.size() == drivePrefix.size() + 2 &&
        path.substr(0, drivePrefix.size()) == drivePrefix && path.back() == ':') {
        return VolumeByRoot(std::string(path.substr(drivePrefix.size())) + "\\");
    }
    if (path.empty() || path.back() == '\\') return nullptr;
    return VolumeByGuidPath(std::string(path) + "\\");
}
