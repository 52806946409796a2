// The disks and volumes attached to the simulated machine right now. Each gets
// an id that outlives it, so a device set, handle or search taken before a
// removal can tell that its disk or volume is gone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sim/machine_description.h"

struct PresentDisk {
    unsigned id = 0;
    SimDisk disk;
};

struct PresentVolume {
    unsigned id = 0;
    SimVolume volume;
};

class PresentDevices {
public:
    // Adds the disks and volumes, giving a disk without an interface path a
    // made-up one. Throws std::runtime_error, and adds nothing, when the
    // machine that would result could not exist.
    void Add(std::vector<SimDisk> disks, std::vector<SimVolume> volumes);
    // Takes the disk out together with the volumes on it.
    void RemoveDisk(unsigned id);

    const std::vector<PresentDisk>& Disks() const { return m_disks; }
    // Disks described as not present: known to Windows, attached no longer.
    const std::vector<PresentDisk>& AbsentDisks() const { return m_absent; }
    const std::vector<PresentVolume>& Volumes() const { return m_volumes; }

    // Present or absent: a device set may still name an absent disk.
    const PresentDisk* Disk(unsigned id) const;
    const PresentVolume* Volume(unsigned id) const;
    const PresentDisk* DiskByNode(DEVINST node) const;
    const PresentDisk* DiskByNumber(DWORD diskNumber) const;
    const PresentDisk* DiskByInterfacePath(std::string_view path) const;
    // The disks a removal request for `node` takes: those whose parent it is,
    // or the disk whose own node it is.
    std::vector<const PresentDisk*> DisksUnder(DEVINST node) const;
    bool IsParentNode(DEVINST node) const;
    // The device instance ID of a present disk's node or of its parent's;
    // empty for any other node.
    std::optional<std::string> InstanceId(DEVINST node) const;
    std::vector<unsigned> VolumeIdsOnDisk(DWORD diskNumber) const;

    // \\?\Volume{...}\ exactly, with the backslash.
    const PresentVolume* VolumeByGuidPath(std::string_view path) const;
    // A root as GetVolumeInformationA takes it: the GUID path or a mount path.
    const PresentVolume* VolumeByRoot(std::string_view root) const;
    // The volume a directory lies on: the longest mount path it starts with.
    const PresentVolume* VolumeContaining(std::string_view directory) const;
    // What CreateFileA opens: \\.\E: for the volume at E:\, or the GUID path
    // without its trailing backslash.
    const PresentVolume* VolumeByDevicePath(std::string_view path) const;

private:
    std::vector<PresentDisk> m_disks;
    std::vector<PresentDisk> m_absent;
    std::vector<PresentVolume> m_volumes;
    unsigned m_nextId = 1;
};
