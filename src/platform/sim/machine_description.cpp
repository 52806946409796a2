#include "platform/sim/machine_description.h"

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>
#include <utility>

#include "platform/sim/journal_text.h"
#include "platform/sim/path_text.h"

namespace {

[[noreturn]] void Invalid(const std::string& what) {
    throw std::runtime_error("impossible simulated machine: " + what);
}

// Names that must be unique compare as Windows compares paths: ignoring case.
void ClaimName(std::set<std::string>& taken, const std::string& name, const std::string& what) {
    if (!taken.insert(LowerAscii(name)).second) Invalid(what + " \"" + name + "\" is used twice");
}

// A parent answers the ID its disks name; one node has one ID, and no two
// nodes share one.
void ValidateParentIds(const std::vector<SimDisk>& disks) {
    std::map<DEVINST, std::string> named;
    std::set<std::string> taken;
    for (const SimDisk& disk : disks) {
        if (!disk.parentId) continue;
        if (disk.parentId->empty()) Invalid("a parent's device instance ID cannot be empty");
        const auto [known, added] = named.emplace(disk.parent, *disk.parentId);
        if (added) {
            ClaimName(taken, *disk.parentId, "device instance ID");
        } else if (known->second != *disk.parentId) {
            Invalid("disks under parent " + HexText(disk.parent) +
                    " disagree on its device instance ID");
        }
    }
}

void ValidateDisks(const std::vector<SimDisk>& disks) {
    std::set<DEVINST> nodes;
    std::set<DWORD> numbers;
    std::set<std::string> paths;
    for (const SimDisk& disk : disks) {
        if (disk.devInst != 0 && !nodes.insert(disk.devInst).second) {
            Invalid("device node " + HexText(disk.devInst) + " is used twice");
        }
        if (!numbers.insert(disk.diskNumber).second) {
            Invalid("disk number " + std::to_string(disk.diskNumber) + " is used twice");
        }
        if (disk.hasInterface) ClaimName(paths, disk.interfacePath, "interface path");
    }
    for (const SimDisk& disk : disks) {
        if (disk.parent == 0) Invalid("a disk's parent node cannot be 0");
        if (nodes.count(disk.parent) != 0) {
            Invalid("node " + HexText(disk.parent) + " is both a disk and a parent");
        }
        for (const SimDisk& other : disks) {
            if (other.parent == disk.parent && other.parentStatus != disk.parentStatus) {
                Invalid("disks under parent " + HexText(disk.parent) +
                        " disagree on its status bits");
            }
        }
    }
    ValidateParentIds(disks);
}

void ValidateVolumes(const std::vector<SimVolume>& volumes) {
    std::set<std::string> guidPaths;
    std::set<std::string> mountPaths;
    for (const SimVolume& volume : volumes) {
        if (!IsVolumeGuidPath(volume.guidPath)) {
            Invalid("\"" + volume.guidPath + "\" is not a path like \\\\?\\Volume{...}\\");
        }
        ClaimName(guidPaths, volume.guidPath, "volume path");
        for (const std::string& mountPath : volume.mountPaths) {
            if (mountPath.size() < 3 || mountPath[1] != ':' || mountPath.back() != '\\') {
                Invalid("mount path \"" + mountPath + "\" is not like E:\\ or C:\\folder\\");
            }
            ClaimName(mountPaths, mountPath, "mount path");
        }
        if (volume.extentCount == 0) Invalid("a volume has at least one extent");
    }
}

// FNV-1a: a stable, made-up number for a made-up GUID.
unsigned long long Fnv1a(std::string_view text) {
    unsigned long long hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string PaddedHex(unsigned long long value, std::size_t width) {
    std::string digits = HexText(value).substr(2);
    if (digits.size() > width) digits.erase(0, digits.size() - width);
    return std::string(width - digits.size(), '0') + LowerAscii(digits);
}

}  // namespace

void ValidateMachine(const std::vector<SimDisk>& disks, const std::vector<SimVolume>& volumes) {
    ValidateDisks(disks);
    ValidateVolumes(volumes);
}

std::string MadeUpInterfacePath(const SimDisk& disk) {
    return "\\\\?\\" + LowerAscii(disk.enumerator) + "#disk&ven_sim&prod_disk" +
           std::to_string(disk.diskNumber) + "#" + PaddedHex(disk.devInst, 4) +
           "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
}

std::string MadeUpParentId(DEVINST parent, bool carriesUsbStorage) {
    const std::string node = UpperAscii(PaddedHex(parent, 8));
    // FFFF is no maker's: USB-IF and PCI-SIG never hand it out.
    if (carriesUsbStorage) return "USB\\VID_FFFF&PID_" + node.substr(4) + "\\SIM" + node;
    return "PCI\\VEN_FFFF&DEV_" + node.substr(4) + "&SUBSYS_00000000&REV_00\\4&" + node + "&0&00";
}

// Windows makes an interface path from the device instance ID: "\\?\", the
// ID with '#' for '\', '#' and the interface class.
std::string DiskInstanceId(const SimDisk& disk) {
    std::string id = disk.interfacePath;
    if (StartsWithNoCase(id, "\\\\?\\")) id.erase(0, 4);
    if (const std::size_t interfaceClass = id.rfind("#{"); interfaceClass != std::string::npos) {
        id.erase(interfaceClass);
    }
    std::replace(id.begin(), id.end(), '#', '\\');
    return UpperAscii(id);
}

SimDisk MakeUsbDisk(DWORD diskNumber, std::string friendlyName) {
    SimDisk disk;
    disk.parent = 0x100 * (diskNumber + 1);
    disk.devInst = disk.parent + 1;
    disk.diskNumber = diskNumber;
    disk.friendlyName = std::move(friendlyName);
    disk.interfacePath = MadeUpInterfacePath(disk);
    return disk;
}

SimVolume MakeVolume(DWORD diskNumber, std::string mountPath, std::optional<std::string> label) {
    SimVolume volume;
    volume.guidPath = "\\\\?\\Volume{5eb1d15c-" + PaddedHex(diskNumber, 4) + "-11ee-8000-" +
                      PaddedHex(Fnv1a(mountPath), 12) + "}\\";
    volume.label = std::move(label);
    volume.mountPaths = {std::move(mountPath)};
    volume.diskNumber = diskNumber;
    return volume;
}
