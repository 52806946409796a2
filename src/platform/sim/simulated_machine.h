// A DeviceApi answered by a simulated machine instead of real hardware: disks
// and volumes from a MachineDescription, every call journaled, faults on
// demand, and an account of every handle, search and buffer handed out.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device_api.h"
#include "platform/sim/buffer_table.h"
#include "platform/sim/call_journal.h"
#include "platform/sim/call_scope.h"
#include "platform/sim/fault_plan.h"
#include "platform/sim/handle_table.h"
#include "platform/sim/machine_description.h"
#include "platform/sim/present_devices.h"

// How much the caller has taken and not given back, and how often it gave
// back something it did not hold.
struct ResourceCounts {
    std::size_t deviceSets = 0;
    std::size_t fileHandles = 0;
    std::size_t volumeSearches = 0;
    std::size_t heapBuffers = 0;
    std::size_t localBuffers = 0;
    std::size_t misuses = 0;
};

class SimulatedMachine final : public DeviceApi {
public:
    // Called with DBT_DEVICEARRIVAL or DBT_DEVICEREMOVECOMPLETE once the
    // machine has changed, as Windows broadcasts WM_DEVICECHANGE.
    using DeviceChangeCallback = std::function<void(UINT event)>;
    using ProcessCheck = std::function<bool(const std::string& exeName)>;

    // Throws std::runtime_error for a machine that could not exist.
    explicit SimulatedMachine(MachineDescription description);
    SimulatedMachine(const SimulatedMachine&) = delete;
    SimulatedMachine& operator=(const SimulatedMachine&) = delete;
    ~SimulatedMachine() override;

    // Another machine in this one's place, for a caller that keeps one
    // DeviceApi for many machines: what is attached, the faults and the
    // journal start afresh; what callers still hold stays in the account.
    // Throws std::runtime_error, changing nothing, for a machine that could
    // not exist.
    void Replace(MachineDescription description);

    // Hardware events
    void SetDeviceChangeCallback(DeviceChangeCallback callback);
    // Answers whether a process of this executable name runs now: a volume
    // it holds (SimVolume::heldBy) vetoes removal while it does. Without one,
    // no process holds anything.
    void SetProcessCheck(ProcessCheck check) { m_processRunning = std::move(check); }
    // Attaches the disk and its volumes, then announces DBT_DEVICEARRIVAL.
    // Throws std::runtime_error, attaching nothing, when a name would clash.
    void PlugIn(const SimDisk& disk, const std::vector<SimVolume>& volumes);
    // Pulls the disk out without asking anyone (DBT_DEVICEREMOVECOMPLETE);
    // false when no disk has that number.
    bool Unplug(DWORD diskNumber);

    // What is attached now
    std::vector<SimDisk> Disks() const;
    std::vector<SimVolume> Volumes() const;
    bool HasDisk(DWORD diskNumber) const;

    FaultPlan& Faults() { return m_faults; }

    // The journal
    const std::vector<JournalEntry>& Journal() const { return m_journal.Entries(); }
    void ClearJournal() { m_journal.Clear(); }
    std::vector<std::string> CallNames() const { return m_journal.CallNames(); }
    std::size_t CountCalls(std::string_view function) const {
        return m_journal.CountCalls(function);
    }
    std::string JournalText() const { return m_journal.Text(); }
    void SetJournalListener(std::function<void(const JournalEntry&)> listener) {
        m_journal.SetListener(std::move(listener));
    }

    // Accounting: Leaks() is "" when everything handed out came back and
    // nothing was given back twice or made up; otherwise one line per item.
    ResourceCounts OpenResources() const;
    const std::vector<std::string>& Misuses() const { return m_misuses; }
    std::string Leaks() const;

    // DeviceApi
    HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                  DWORD flags) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* data) override;
    BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* data, DWORD property,
                                           DWORD* regType, BYTE* buffer, DWORD bufferSize,
                                           DWORD* requiredSize) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* data, const GUID* interfaceGuid,
                                     DWORD memberIndex,
                                     SP_DEVICE_INTERFACE_DATA* interfaceData) override;
    BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                          DWORD detailSize, DWORD* requiredSize,
                                          SP_DEVINFO_DATA* data) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                       SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                       HANDLE templateFile) override;
    BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, void* inBuffer, DWORD inSize,
                         void* outBuffer, DWORD outSize, DWORD* bytesReturned,
                         OVERLAPPED* overlapped) override;
    BOOL CloseHandle(HANDLE handle) override;
    HANDLE FindFirstVolumeA(LPSTR volumeName, DWORD length) override;
    BOOL FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length) override;
    BOOL FindVolumeClose(HANDLE search) override;
    BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override;
    BOOL GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPCH pathNames, DWORD bufferLength,
                                          DWORD* returnLength) override;
    BOOL GetDiskFreeSpaceExA(LPCSTR directory, ULARGE_INTEGER* freeToCaller,
                             ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) override;
    HANDLE GetProcessHeap() override;
    LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) override;
    BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) override;
    HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override;
    HLOCAL LocalFree(HLOCAL memory) override;
    DWORD GetLastError() override;
    CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST device, ULONG flags) override;
    CONFIGRET CM_Get_Device_IDA(DEVINST device, PSTR buffer, ULONG bufferLength,
                                ULONG flags) override;
    CONFIGRET CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DEVINST device,
                                    ULONG flags) override;
    CONFIGRET CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                       ULONG nameLength, ULONG flags) override;
    CONFIGRET CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                           ULONG nameLength, ULONG flags) override;

private:
    // A device set remembers its members as they were when it was made, as
    // SetupAPI does; a member removed since then answers ERROR_NO_SUCH_DEVINST.
    struct SetMember {
        unsigned diskId = 0;
        DEVINST devInst = 0;
    };
    struct DeviceSet {
        std::vector<SetMember> members;
    };
    struct OpenFile {
        bool isDisk = false;
        unsigned id = 0;  // of the disk or volume
        std::string path;
    };
    struct VolumeSearch {
        std::vector<unsigned> volumeIds;  // taken when the search started
        std::size_t next = 0;
    };

    CallScope Begin(std::string_view function, CallArguments arguments);
    void NoteMisuse(std::string what);
    void NoteBadHandle(const void* handle, std::string_view function);
    DeviceSet* FindSet(HDEVINFO set, std::string_view function);
    OpenFile* FindFile(HANDLE handle, std::string_view function);
    VolumeSearch* FindSearch(HANDLE search, std::string_view function);

    // Setup API members: the disk behind the member an SP_DEVINFO_DATA or
    // SP_DEVICE_INTERFACE_DATA names, or the error a call answers with.
    const PresentDisk* MemberDisk(const DeviceSet& set, ULONG_PTR reserved, DWORD& error) const;
    const PresentDisk* MemberDisk(const DeviceSet& set, const SP_DEVINFO_DATA* data,
                                  DWORD& error) const;
    void FillDevInfo(SP_DEVINFO_DATA& data, const DeviceSet& set, std::size_t member) const;

    BOOL DiskNumberIoctl(CallScope& call, const OpenFile& file, void* out, DWORD outSize,
                         DWORD* bytesReturned);
    BOOL DiskExtentsIoctl(CallScope& call, const OpenFile& file, void* out, DWORD outSize,
                          DWORD* bytesReturned);
    BOOL CopyVolumeName(CallScope& call, VolumeSearch& search, LPSTR buffer, DWORD length);

    struct RemovalRequest {
        std::string_view function;
        ULONG validFlags;
        // Whether the system tells the user itself of the removal, or of
        // the reason it was refused.
        bool noticeWhenGranted;
        bool noticeWhenVetoed;
    };
    CONFIGRET RequestRemoval(const RemovalRequest& request, DEVINST node, PNP_VETO_TYPE* vetoType,
                             LPSTR vetoName, ULONG nameLength, ULONG flags);
    bool HasOpenFiles(const PresentDisk& disk) const;
    bool IsHeldByProcess(const PresentDisk& disk) const;
    void NotifyDeviceChange(UINT event);

    PresentDevices m_devices;
    FaultPlan m_faults;
    CallJournal m_journal;
    DWORD m_lastError = ERROR_SUCCESS;
    HandleIssuer m_issuer;
    HandleTable<DeviceSet> m_sets;
    HandleTable<OpenFile> m_files;
    HandleTable<VolumeSearch> m_searches;
    BufferTable m_heapBuffers;
    BufferTable m_localBuffers;
    std::vector<std::string> m_misuses;
    DeviceChangeCallback m_onDeviceChange;
    ProcessCheck m_processRunning;
};
