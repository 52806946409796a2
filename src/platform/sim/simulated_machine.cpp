// The simulated machine's own life: what is attached, hardware events, the
// account of what callers hold, and the last error. The DeviceApi calls live
// in simulated_machine_*.cpp, one file per group of Win32 functions.
#include "platform/sim/simulated_machine.h"

#include <algorithm>
#include <utility>

SimulatedMachine::SimulatedMachine(MachineDescription description)
    : m_faults(std::move(description.faults)) {
    m_devices.Add(std::move(description.disks), std::move(description.volumes));
}

SimulatedMachine::~SimulatedMachine() = default;

void SimulatedMachine::Replace(MachineDescription description) {
    PresentDevices devices;
    devices.Add(std::move(description.disks), std::move(description.volumes));
    m_devices = std::move(devices);
    m_faults = std::move(description.faults);
    m_journal.Clear();
}

void SimulatedMachine::SetDeviceChangeCallback(DeviceChangeCallback callback) {
    m_onDeviceChange = std::move(callback);
}

void SimulatedMachine::PlugIn(const SimDisk& disk, const std::vector<SimVolume>& volumes) {
    m_devices.Add({disk}, volumes);
    NotifyDeviceChange(DBT_DEVICEARRIVAL);
}

bool SimulatedMachine::Unplug(DWORD diskNumber) {
    const PresentDisk* disk = m_devices.DiskByNumber(diskNumber);
    if (disk == nullptr) return false;
    m_devices.RemoveDisk(disk->id);
    NotifyDeviceChange(DBT_DEVICEREMOVECOMPLETE);
    return true;
}

// Called last, with the machine already changed: the callback typically
// refreshes the drive list and so calls straight back into the machine.
void SimulatedMachine::NotifyDeviceChange(UINT event) {
    if (m_onDeviceChange) m_onDeviceChange(event);
}

std::vector<SimDisk> SimulatedMachine::Disks() const {
    std::vector<SimDisk> disks;
    for (const PresentDisk& present : m_devices.Disks()) disks.push_back(present.disk);
    return disks;
}

std::vector<SimVolume> SimulatedMachine::Volumes() const {
    std::vector<SimVolume> volumes;
    for (const PresentVolume& present : m_devices.Volumes()) volumes.push_back(present.volume);
    return volumes;
}

bool SimulatedMachine::HasDisk(DWORD diskNumber) const {
    return m_devices.DiskByNumber(diskNumber) != nullptr;
}

CallScope SimulatedMachine::Begin(std::string_view function, CallArguments arguments) {
    return CallScope(m_journal, m_faults, m_lastError, function, std::move(arguments));
}

// The last error is the machine's own, not the thread's: the logic must read
// it through DeviceApi::GetLastError, as it reads everything else.
DWORD SimulatedMachine::GetLastError() {
    CallScope call = Begin("GetLastError", {});
    call.Record(ErrorName(m_lastError));
    return m_lastError;
}

void SimulatedMachine::NoteMisuse(std::string what) {
    m_misuses.push_back(std::move(what));
}

void SimulatedMachine::NoteBadHandle(const void* handle, std::string_view function) {
    const std::string where = std::string(function) + "(" + HandleText(handle) + "): ";
    HANDLE key = const_cast<void*>(handle);
    if (m_sets.Contains(key)) return NoteMisuse(where + "a device set, not what this call takes");
    if (m_files.Contains(key)) return NoteMisuse(where + "a file handle, not what this call takes");
    if (m_searches.Contains(key)) {
        return NoteMisuse(where + "a volume search, not what this call takes");
    }
    if (m_issuer.WasIssued(key)) return NoteMisuse(where + "already closed");
    NoteMisuse(where + "never handed out");
}

SimulatedMachine::DeviceSet* SimulatedMachine::FindSet(HDEVINFO set, std::string_view function) {
    DeviceSet* found = m_sets.Find(set);
    if (found == nullptr) NoteBadHandle(set, function);
    return found;
}

SimulatedMachine::OpenFile* SimulatedMachine::FindFile(HANDLE handle, std::string_view function) {
    OpenFile* found = m_files.Find(handle);
    if (found == nullptr) NoteBadHandle(handle, function);
    return found;
}

SimulatedMachine::VolumeSearch* SimulatedMachine::FindSearch(HANDLE search,
                                                             std::string_view function) {
    VolumeSearch* found = m_searches.Find(search);
    if (found == nullptr) NoteBadHandle(search, function);
    return found;
}

ResourceCounts SimulatedMachine::OpenResources() const {
    ResourceCounts counts;
    counts.deviceSets = m_sets.Count();
    counts.fileHandles = m_files.Count();
    counts.volumeSearches = m_searches.Count();
    counts.heapBuffers = m_heapBuffers.Count();
    counts.localBuffers = m_localBuffers.Count();
    counts.misuses = m_misuses.size();
    return counts;
}

std::string SimulatedMachine::Leaks() const {
    std::string text;
    for (const auto& [handle, set] : m_sets.Open()) {
        text += "device set " + HexText(handle) + " not destroyed\n";
    }
    for (const auto& [handle, file] : m_files.Open()) {
        text += "handle " + HexText(handle) + " to \"" + file.path + "\" not closed\n";
    }
    for (const auto& [handle, search] : m_searches.Open()) {
        text += "volume search " + HexText(handle) + " not closed\n";
    }
    for (std::size_t size : m_heapBuffers.LiveSizes()) {
        text += "HeapAlloc buffer of " + std::to_string(size) + " bytes not freed\n";
    }
    for (std::size_t size : m_localBuffers.LiveSizes()) {
        text += "LocalAlloc buffer of " + std::to_string(size) + " bytes not freed\n";
    }
    for (const std::string& misuse : m_misuses) text += "misuse: " + misuse + "\n";
    return text;
}
