// Ten thousand made-up machines, each from its own seed: odd disks and
// volumes, far too long names, and random failures in the machine's answers.
// The real main window refreshes and ejects every row of each, and after
// every step the table, the list and the machine's accounts must agree, and
// no eject or remove request may go to a node the parent lookup did not give.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/main_dialog.h"
#include "drives/entry_text.h"
#include "platform/sim/simulated_machine.h"
#include "recording_system_api.h"
#include "res/resource.h"

namespace {

constexpr unsigned kMachinesPerTest = 1000;

// Deterministic on every standard library, unlike the <random> distributions.
class Dice {
public:
    explicit Dice(std::uint32_t seed) : m_engine(seed) {}
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : m_engine() % n; }
    std::uint32_t Between(std::uint32_t low, std::uint32_t high) {
        return low + Below(high - low + 1);
    }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    std::uint64_t Wide() { return (std::uint64_t{m_engine()} << 32) | m_engine(); }
    std::uint32_t Raw() { return m_engine(); }

private:
    std::mt19937 m_engine;
};

// Mostly few, now and then up to the maximum. Every row of a machine is
// ejected and the list rebuilt after each, and under Wine the list box costs
// far more than the simulated machine: the disks set the soak's running time,
// so they are fewer than the volumes.
std::uint32_t DiskCount(Dice& dice, std::uint32_t maximum) {
    const unsigned roll = dice.Below(100);
    if (roll < 77) return dice.Between(0, 2);
    if (roll < 98) return dice.Between(0, 6);
    return dice.Between(0, maximum);
}

std::uint32_t VolumeCount(Dice& dice, std::uint32_t maximum) {
    const unsigned roll = dice.Below(100);
    if (roll < 50) return dice.Between(0, 4);
    if (roll < 90) return dice.Between(0, 16);
    return dice.Between(0, maximum);
}

// Printable text with the characters that mean something to a formatter or a
// drawing call, and bytes of the upper half; never a NUL.
std::string Text(Dice& dice, size_t length) {
    static constexpr char kSpecial[] = "\n\t&%\\\"[]():";
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const unsigned roll = dice.Below(100);
        if (roll < 80) {
            text.push_back(static_cast<char>(dice.Between(0x20, 0x7E)));
        } else if (roll < 90) {
            text.push_back(kSpecial[dice.Below(sizeof(kSpecial) - 1)]);
        } else {
            text.push_back(static_cast<char>(dice.Between(0x80, 0xFF)));
        }
    }
    return text;
}

template <class Sequence>
void Shuffle(Dice& dice, Sequence& items) {
    for (size_t i = items.size(); i > 1; --i) {
        const size_t other = dice.Below(static_cast<std::uint32_t>(i));
        const auto item = items[i - 1];
        items[i - 1] = items[other];
        items[other] = item;
    }
}

std::string Alnum(Dice& dice, size_t length) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789-_";
    std::string text;
    for (size_t i = 0; i < length; ++i) text.push_back(kLetters[dice.Below(sizeof(kLetters) - 1)]);
    return text;
}

std::optional<std::string> FriendlyName(Dice& dice) {
    static constexpr const char* kProducts[] = {"QNV Korvane KR7 USB Device",
                                                "QNV KORVANE USB Device", "QN Warden USB Device"};
    const unsigned roll = dice.Below(100);
    if (roll < 5) return std::nullopt;
    if (roll < 10) return std::string();
    if (roll < 25) return std::string(kProducts[dice.Below(3)]);
    if (roll < 75) return Text(dice, dice.Between(1, 40));
    if (roll < 92) return Text(dice, dice.Between(41, 300));
    return Text(dice, dice.Between(301, 5000));
}

std::optional<std::string> Label(Dice& dice) {
    const unsigned roll = dice.Below(100);
    if (roll < 10) return std::nullopt;
    if (roll < 15) return std::string();
    if (roll < 17) return "Korvane Warden " + Alnum(dice, 4);
    if (roll < 60) return Text(dice, dice.Between(1, 11));
    if (roll < 70) return Text(dice, dice.Between(12, 31));
    if (roll < 80) return Text(dice, 32);
    return Text(dice, dice.Between(33, 300));
}

std::string FolderMount(Dice& dice, unsigned index) {
    std::string path = std::string(1, static_cast<char>('C' + dice.Below(4))) + ":\\mnt\\";
    path += Alnum(dice, dice.Between(1, dice.Chance(20) ? 300 : 30));
    return path + "-" + std::to_string(index) + "\\";
}

// Every DeviceApi call fails now and then, except GetLastError and these:
// the calls that give things back (CloseHandle, HeapFree, LocalFree,
// FindVolumeClose, SetupDiDestroyDeviceInfoList) and GetProcessHeap, which
// every HeapFree asks first. A failing release leaves the machine's account
// open through no fault of the caller, so Leaks() could no longer tell a
// forgotten release from a refused one. On Windows GetProcessHeap only reads
// the process's heap handle and cannot fail.
const char* const kInjectable[] = {"SetupDiGetClassDevsA",
                                   "SetupDiEnumDeviceInfo",
                                   "SetupDiGetDeviceRegistryPropertyA",
                                   "SetupDiEnumDeviceInterfaces",
                                   "SetupDiGetDeviceInterfaceDetailA",
                                   "CreateFileA",
                                   "DeviceIoControl",
                                   "FindFirstVolumeA",
                                   "FindNextVolumeA",
                                   "GetVolumeInformationA",
                                   "GetVolumePathNamesForVolumeNameA",
                                   "GetDiskFreeSpaceExA",
                                   "HeapAlloc",
                                   "LocalAlloc",
                                   "CM_Get_Parent",
                                   "CM_Get_DevNode_Status",
                                   "CM_Request_Device_EjectA",
                                   "CM_Query_And_Remove_SubTreeA"};

struct GeneratedMachine {
    MachineDescription description;
    bool faultFree = true;
    // Whether the window hears of each granted removal afterwards, as the
    // system would tell it. Each announcement rebuilds the list twice, so
    // only some of the machines have it.
    bool announcesRemovals = false;
    // Whether its rows are drawn once listed; drawing costs as much as a
    // refresh, and the texts differ little in what drawing them can meet.
    bool drawsRows = false;
    std::string summary;
};

GeneratedMachine Generate(std::uint32_t seed) {
    Dice dice(seed);
    GeneratedMachine machine;
    MachineDescription& description = machine.description;

    const std::uint32_t usbDisks = DiskCount(dice, 26);
    const std::uint32_t otherDisks = dice.Between(0, 3);
    std::vector<DWORD> numbers;
    for (DWORD n = 0; n < 64; ++n) numbers.push_back(n);
    Shuffle(dice, numbers);
    // USB and other disks mixed in the member order.
    std::vector<bool> usb(usbDisks + otherDisks, false);
    std::fill_n(usb.begin(), usbDisks, true);
    Shuffle(dice, usb);

    static constexpr const char* kOtherEnumerators[] = {"SCSI",     "IDE", "usbstor",
                                                        "USBSTOR2", "SD",  ""};
    DEVINST parent = 0;
    ULONG parentStatus = 0;
    bool parentStatusFails = false;
    for (std::uint32_t i = 0; i < usbDisks + otherDisks; ++i) {
        SimDisk disk;
        disk.diskNumber = numbers[i];
        disk.devInst = dice.Chance(5) ? 0 : 0x10001 + 0x10 * i;
        // A card reader carries several disks under one USB device.
        if (parent == 0 || !dice.Chance(15)) {
            parent = 0x80000 + 0x10 * i;
            parentStatus = DN_STARTED | DN_DRIVER_LOADED | (dice.Chance(80) ? DN_REMOVABLE : 0);
            parentStatusFails = dice.Chance(5);
        }
        disk.parent = parent;
        disk.parentStatus = parentStatus;
        disk.parentStatusFails = parentStatusFails;
        disk.enumerator = usb[i] ? "USBSTOR" : kOtherEnumerators[dice.Below(6)];
        disk.friendlyName = FriendlyName(dice);
        disk.hasInterface = !dice.Chance(2);
        if (dice.Chance(10)) {
            disk.interfacePath = "\\\\?\\usbstor#disk&ven_" + Alnum(dice, dice.Between(1, 1500)) +
                                 "#" + std::to_string(i) +
                                 "#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}";
        }
        disk.openable = !dice.Chance(5);
        disk.deviceNumberReadable = !dice.Chance(5);
        disk.parentLookupFails = dice.Chance(5);
        const unsigned eject = dice.Below(100);
        disk.eject = eject < 80   ? EjectBehaviour::Granted
                     : eject < 90 ? EjectBehaviour::Vetoed
                                  : EjectBehaviour::Stays;
        description.disks.push_back(std::move(disk));
    }

    std::string letters = "DEFGHIJKLMNOPQRSTUVWXYZAB";
    Shuffle(dice, letters);
    const std::uint32_t volumes = VolumeCount(dice, 64);
    for (std::uint32_t i = 0; i < volumes; ++i) {
        SimVolume volume;
        char guid[64];
        std::snprintf(guid, sizeof(guid), "\\\\?\\Volume{%08x-%04x-11ee-8000-%012x}\\",
                      static_cast<unsigned>(seed), static_cast<unsigned>(i), dice.Raw());
        volume.guidPath = guid;
        volume.label = Label(dice);
        const unsigned mount = dice.Below(100);
        const bool letter = mount >= 15 && mount < 75 && !letters.empty();
        if (letter) {
            volume.mountPaths.push_back(std::string(1, letters.back()) + ":\\");
            letters.pop_back();
        } else if (mount >= 75 && mount < 90) {
            volume.mountPaths.push_back(FolderMount(dice, i * 100));  // on a folder only
        } else if (mount >= 90) {
            // A list longer than any one buffer, the letter first or last.
            for (unsigned k = dice.Between(5, 30); k > 0; --k) {
                volume.mountPaths.push_back(FolderMount(dice, i * 100 + k));
            }
            if (!letters.empty()) {
                const std::string path = std::string(1, letters.back()) + ":\\";
                letters.pop_back();
                if (dice.Chance(50)) {
                    volume.mountPaths.insert(volume.mountPaths.begin(), path);
                } else {
                    volume.mountPaths.push_back(path);
                }
            }
        }
        const unsigned place = dice.Below(100);
        if (place < 70 && !description.disks.empty()) {
            volume.diskNumber = description.disks[dice.Below(description.disks.size())].diskNumber;
        } else if (place < 85) {
            volume.diskNumber = 64 + dice.Below(100);  // a disk that is not attached
        }
        volume.extentCount = dice.Chance(85) ? 1 : dice.Between(2, 5);
        // Now and then 2^63 or more: the signed figures come out negative.
        volume.totalBytes = dice.Chance(10) ? dice.Wide() : dice.Wide() >> dice.Between(20, 40);
        volume.freeBytes = dice.Chance(10) ? dice.Wide() : volume.totalBytes >> dice.Below(8);
        volume.freeSpaceFails = dice.Chance(5);
        volume.openable = !dice.Chance(5);
        description.volumes.push_back(std::move(volume));
    }

    machine.announcesRemovals = dice.Chance(10);
    machine.drawsRows = dice.Chance(20);
    const unsigned profile = dice.Below(100);
    if (profile >= 30) {
        const unsigned maximumPercent = profile < 70 ? 5 : 30;
        for (const char* function : kInjectable) {
            const double rate = dice.Between(0, maximumPercent) / 100.0;
            if (rate > 0) machine.faultFree = false;
            description.faults.FailRandomly(function, rate, dice.Raw());
        }
    }

    std::ostringstream summary;
    summary << usbDisks << " USB disks of " << description.disks.size() << ", "
            << description.volumes.size() << " volumes, "
            << (machine.faultFree ? "no faults" : "random faults");
    machine.summary = summary.str();
    return machine;
}

// The window keeps the DeviceApi it was made with; this one passes every call
// to the machine of the moment, so one window serves a thousand machines. It
// also keeps what the journal does not show: the node each parent lookup
// answered, which every later request of the same eject must name.
class MachineSwitch final : public DeviceApi {
public:
    SimulatedMachine* target = nullptr;

    // What the configuration manager was asked since BeginStep.
    struct NodeCall {
        std::string function;
        DEVINST node;
        CONFIGRET result;
    };
    std::vector<NodeCall> nodeCalls;
    std::vector<std::string> strayRequests;  // requests for a node no lookup gave
    size_t calls = 0;
    bool lastSetAvailable = false;

    void BeginStep() {
        nodeCalls.clear();
        strayRequests.clear();
        calls = 0;
        m_parentOfThisStep.reset();
    }

    HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                  DWORD flags) override {
        ++calls;
        HDEVINFO set = target->SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
        lastSetAvailable = set != INVALID_HANDLE_VALUE && set != nullptr;
        return set;
    }
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, SP_DEVINFO_DATA* data) override {
        ++calls;
        return target->SetupDiEnumDeviceInfo(set, index, data);
    }
    BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* data, DWORD property,
                                           DWORD* regType, BYTE* buffer, DWORD bufferSize,
                                           DWORD* requiredSize) override {
        ++calls;
        return target->SetupDiGetDeviceRegistryPropertyA(set, data, property, regType, buffer,
                                                         bufferSize, requiredSize);
    }
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* data, const GUID* guid,
                                     DWORD index,
                                     SP_DEVICE_INTERFACE_DATA* interfaceData) override {
        ++calls;
        return target->SetupDiEnumDeviceInterfaces(set, data, guid, index, interfaceData);
    }
    BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                          DWORD detailSize, DWORD* requiredSize,
                                          SP_DEVINFO_DATA* data) override {
        ++calls;
        return target->SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, detailSize,
                                                        requiredSize, data);
    }
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override {
        ++calls;
        return target->SetupDiDestroyDeviceInfoList(set);
    }
    HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                       SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                       HANDLE templateFile) override {
        ++calls;
        return target->CreateFileA(fileName, access, shareMode, security, disposition, flags,
                                   templateFile);
    }
    BOOL DeviceIoControl(HANDLE device, DWORD code, void* in, DWORD inSize, void* out,
                         DWORD outSize, DWORD* bytesReturned, OVERLAPPED* overlapped) override {
        ++calls;
        return target->DeviceIoControl(device, code, in, inSize, out, outSize, bytesReturned,
                                       overlapped);
    }
    BOOL CloseHandle(HANDLE handle) override {
        ++calls;
        return target->CloseHandle(handle);
    }
    HANDLE FindFirstVolumeA(LPSTR volumeName, DWORD length) override {
        ++calls;
        return target->FindFirstVolumeA(volumeName, length);
    }
    BOOL FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length) override {
        ++calls;
        return target->FindNextVolumeA(search, volumeName, length);
    }
    BOOL FindVolumeClose(HANDLE search) override {
        ++calls;
        return target->FindVolumeClose(search);
    }
    BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override {
        ++calls;
        return target->GetVolumeInformationA(rootPath, volumeName, volumeNameSize, serialNumber,
                                             maxComponentLength, fileSystemFlags, fileSystemName,
                                             fileSystemNameSize);
    }
    BOOL GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPCH pathNames, DWORD bufferLength,
                                          DWORD* returnLength) override {
        ++calls;
        return target->GetVolumePathNamesForVolumeNameA(volumeName, pathNames, bufferLength,
                                                        returnLength);
    }
    BOOL GetDiskFreeSpaceExA(LPCSTR directory, ULARGE_INTEGER* freeToCaller,
                             ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) override {
        ++calls;
        return target->GetDiskFreeSpaceExA(directory, freeToCaller, totalBytes, totalFree);
    }
    HANDLE GetProcessHeap() override {
        ++calls;
        return target->GetProcessHeap();
    }
    LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) override {
        ++calls;
        return target->HeapAlloc(heap, flags, bytes);
    }
    BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) override {
        ++calls;
        return target->HeapFree(heap, flags, memory);
    }
    HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override {
        ++calls;
        return target->LocalAlloc(flags, bytes);
    }
    HLOCAL LocalFree(HLOCAL memory) override {
        ++calls;
        return target->LocalFree(memory);
    }
    DWORD GetLastError() override {
        ++calls;
        return target->GetLastError();
    }
    CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST device, ULONG flags) override {
        ++calls;
        const CONFIGRET result = target->CM_Get_Parent(parent, device, flags);
        nodeCalls.push_back({"CM_Get_Parent", device, result});
        // Only the lookup just made counts: a failed one leaves no parent.
        m_parentOfThisStep.reset();
        if (result == CR_SUCCESS && parent != nullptr) m_parentOfThisStep = *parent;
        return result;
    }
    CONFIGRET CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DEVINST device,
                                    ULONG flags) override {
        ++calls;
        NoteRequest("CM_Get_DevNode_Status", device);
        const size_t at = nodeCalls.size() - 1;
        const CONFIGRET result = target->CM_Get_DevNode_Status(status, problem, device, flags);
        nodeCalls[at].result = result;
        return result;
    }
    CONFIGRET CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                       ULONG nameLength, ULONG flags) override {
        ++calls;
        NoteRequest("CM_Request_Device_EjectA", device);
        const size_t at = nodeCalls.size() - 1;
        const CONFIGRET result =
            target->CM_Request_Device_EjectA(device, vetoType, vetoName, nameLength, flags);
        nodeCalls[at].result = result;
        return result;
    }
    CONFIGRET CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                           ULONG nameLength, ULONG flags) override {
        ++calls;
        NoteRequest("CM_Query_And_Remove_SubTreeA", device);
        const size_t at = nodeCalls.size() - 1;
        const CONFIGRET result =
            target->CM_Query_And_Remove_SubTreeA(device, vetoType, vetoName, nameLength, flags);
        nodeCalls[at].result = result;
        return result;
    }

private:
    void NoteRequest(const char* function, DEVINST node) {
        nodeCalls.push_back({function, node, CR_SUCCESS});
        if (!m_parentOfThisStep || *m_parentOfThisStep != node) {
            char text[160];
            std::snprintf(text, sizeof(text), "%s(0x%lX) without a parent lookup that gave it",
                          function, static_cast<unsigned long>(node));
            strayRequests.push_back(text);
        }
    }

    std::optional<DEVINST> m_parentOfThisStep;
};

std::string JournalTail(const SimulatedMachine& machine, size_t lines) {
    const auto& journal = machine.Journal();
    std::string text;
    for (size_t i = journal.size() > lines ? journal.size() - lines : 0; i < journal.size(); ++i) {
        text += ToString(journal[i]).substr(0, 300) + "\n";
    }
    return text;
}

// A crash ends the process before any expectation can name the machine: the
// last word of the process does.
const std::string* g_machineOnTrial = nullptr;

LONG WINAPI NameTheMachine(EXCEPTION_POINTERS* exception) {
    if (g_machineOnTrial != nullptr) {
        std::fprintf(stderr, "exception 0x%08lX on %s\n",
                     static_cast<unsigned long>(exception->ExceptionRecord->ExceptionCode),
                     g_machineOnTrial->c_str());
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

class FaultSoak : public ::testing::Test {
protected:
    void SetUp() override {
        g_machineOnTrial = &context;
        previousFilter = ::SetUnhandledExceptionFilter(&NameTheMachine);
        idle = std::make_unique<SimulatedMachine>(MachineDescription{});
        devices.target = idle.get();
        dialog = std::make_unique<CKorvane_Safe_EjectDlg>(devices, system);
        ASSERT_TRUE(dialog->Create(IDD_KORVANE_SAFE_EJECT_DIALOG, nullptr));
        // Hidden, as in the tray: a shown list box costs Wine a round trip to
        // the X server for every row, ten times the rest of a refresh. The
        // rows are drawn below all the same.
        ::ShowWindow(dialog->m_hWnd, SW_HIDE);
        drawingDc = ::CreateCompatibleDC(nullptr);
        drawingBitmap = ::CreateCompatibleBitmap(drawingDc, 400, CListBoxCH::kRowHeight);
        previousBitmap = ::SelectObject(drawingDc, drawingBitmap);
    }
    void TearDown() override {
        ::SetUnhandledExceptionFilter(previousFilter);
        g_machineOnTrial = nullptr;
        dialog.reset();
        ::SelectObject(drawingDc, previousBitmap);
        ::DeleteObject(drawingBitmap);
        ::DeleteDC(drawingDc);
    }

    void RunMachines(unsigned testIndex) {
        for (unsigned i = 0; i < kMachinesPerTest && !HasFailure(); ++i) {
            try {
                RunMachine(testIndex * kMachinesPerTest + i + 1);
            } catch (const std::exception& error) {
                FAIL() << context << ": " << error.what();
            }
        }
    }

    void RunMachine(std::uint32_t seed) {
        context = "seed " + std::to_string(seed);
        GeneratedMachine generated = Generate(seed);
        context += " (" + generated.summary + ")";
        faultFree = generated.faultFree;
        // A description the machine refuses is a fault of the generator.
        std::unique_ptr<SimulatedMachine> next;
        try {
            next = std::make_unique<SimulatedMachine>(std::move(generated.description));
        } catch (const std::exception& error) {
            FAIL() << context << ": " << error.what();
        }
        pendingEvents.clear();
        if (generated.announcesRemovals) {
            next->SetDeviceChangeCallback([this](UINT event) { pendingEvents.push_back(event); });
        }
        devices.target = next.get();
        machine = std::move(next);
        system.calls.clear();
        system.messageBoxes.clear();
        system.sleeps.clear();

        Step("refresh", [&] { dialog->RefreshDriveList(); });
        if (generated.drawsRows) DrawEveryRow();
        for (int row = 0; row < List().GetCount() && !HasFailure(); ++row) EjectRow(row);
        for (int row : {-2, List().GetCount(), List().GetCount() + 5}) {
            if (HasFailure()) return;
            Step("eject of row " + std::to_string(row) + ", outside the table", [&] {
                List().m_chosenIndex = row;
                dialog->EjectSelectedDrive();
            });
            EXPECT_EQ(devices.calls, 0u) << context << ": a row outside the table reads nothing";
            EXPECT_TRUE(devices.nodeCalls.empty()) << context;
            EXPECT_EQ(List().m_chosenIndex, -1) << context << ", row " << row;
        }
    }

    // As the program does: a granted eject announces its removal afterwards,
    // and the window rebuilds its list for it.
    void EjectRow(int row) {
        const int count = static_cast<int>(dialog->m_driveDevInsts.size());
        const DEVINST chosen = dialog->m_driveDevInsts[count - 1 - row];
        const size_t warningsBefore = system.messageBoxes.size();
        Step("eject of row " + std::to_string(row), [&] {
            List().m_chosenIndex = row;
            dialog->EjectSelectedDrive();
        });
        const std::vector<MachineSwitch::NodeCall> nodeCalls = devices.nodeCalls;
        const bool warned = system.messageBoxes.size() != warningsBefore;
        if (chosen == 0) {
            EXPECT_EQ(devices.calls, 0u) << context << ": the placeholder row reads nothing";
            EXPECT_EQ(List().m_chosenIndex, -1) << context;
        } else if (warned) {
            EXPECT_TRUE(nodeCalls.empty()) << context << ": a warned-about drive is not asked for";
        } else {
            ASSERT_FALSE(nodeCalls.empty()) << context << ", row " << row;
            EXPECT_EQ(nodeCalls[0].function, "CM_Get_Parent") << context;
            EXPECT_EQ(nodeCalls[0].node, chosen) << context << ": the row's own drive, row " << row;
            // One lookup; after a found parent its status and one request.
            EXPECT_EQ(nodeCalls.size(), nodeCalls[0].result == CR_SUCCESS ? 3u : 1u)
                << context << "\n"
                << JournalTail(*machine, 20);
        }
        for (UINT event : std::vector<UINT>(std::exchange(pendingEvents, {}))) {
            Step("device change after the eject",
                 [&] { ::SendMessageA(dialog->m_hWnd, WM_DEVICECHANGE, event, 0); });
        }
    }

    template <class Action>
    void Step(const std::string& what, Action action) {
        devices.BeginStep();
        action();
        CheckAfter(what);
    }

    void CheckAfter(const std::string& step) {
        SCOPED_TRACE(context + ", after " + step);
        EXPECT_EQ(machine->Leaks(), "") << JournalTail(*machine, 40);
        EXPECT_TRUE(devices.strayRequests.empty())
            << ::testing::PrintToString(devices.strayRequests) << "\n"
            << JournalTail(*machine, 40);

        const std::vector<DEVINST>& nodes = dialog->m_driveDevInsts;
        const std::vector<std::string>& texts = dialog->m_driveTexts;
        const size_t count = nodes.size();
        ASSERT_EQ(texts.size(), count);
        ASSERT_EQ(static_cast<size_t>(List().GetCount()), count);
        ASSERT_EQ(List().RecordCount(), count);
        for (size_t row = 0; row < count; ++row) {
            const auto* item =
                static_cast<const CExtItem*>(List().GetItemDataPtr(static_cast<int>(row)));
            ASSERT_NE(item, nullptr) << "row " << row;
            EXPECT_EQ(item->m_text, texts[count - 1 - row].substr(0, 255)) << "row " << row;
        }

        if (!devices.lastSetAvailable) {
            EXPECT_EQ(count, 0u) << "no device set, no rows, not even the placeholder";
            return;
        }
        ASSERT_GE(count, 1u);
        if (nodes[0] == 0) {
            EXPECT_EQ(count, 1u);
            EXPECT_EQ(texts[0], entry_text::kNoDrivesFound);
            return;
        }
        // Only attached USB disks, each once, in the order SetupAPI lists them.
        std::vector<DEVINST> usbNodes;
        std::vector<DEVINST> expected;
        bool interfacesEnded = false;
        for (const SimDisk& disk : machine->Disks()) {
            if (disk.enumerator == "USBSTOR") usbNodes.push_back(disk.devInst);
            interfacesEnded = interfacesEnded || !disk.hasInterface;
            if (!interfacesEnded && disk.enumerator == "USBSTOR" && disk.openable &&
                disk.devInst != 0) {
                expected.push_back(disk.devInst);
            }
        }
        size_t next = 0;
        for (DEVINST node : nodes) {
            EXPECT_NE(node, 0u) << "a placeholder among drives";
            while (next < usbNodes.size() && usbNodes[next] != node) ++next;
            EXPECT_LT(next, usbNodes.size()) << "node " << node << " is not an attached USB disk "
                                             << "in SetupAPI order";
            ++next;
        }
        // Where nothing failed on purpose, exactly the disks that can be
        // examined are listed.
        if (faultFree) {
            EXPECT_EQ(nodes, expected);
        }
    }

    void DrawEveryRow() {
        for (int row = 0; row < List().GetCount(); ++row) {
            DRAWITEMSTRUCT draw{};
            draw.CtlType = ODT_LISTBOX;
            draw.CtlID = IDC_DRIVE_LIST;
            draw.itemID = static_cast<UINT>(row);
            draw.itemAction = ODA_DRAWENTIRE;
            draw.itemState = row % 2 == 0 ? ODS_SELECTED : 0;
            draw.hwndItem = List().m_hWnd;
            draw.hDC = drawingDc;
            draw.rcItem = {0, 0, 400, CListBoxCH::kRowHeight};
            draw.itemData = reinterpret_cast<ULONG_PTR>(List().GetItemDataPtr(row));
            List().DrawItem(&draw);
        }
    }

    CListBoxCH& List() const { return dialog->m_driveList; }

    MachineSwitch devices;
    RecordingSystemApi system;
    std::unique_ptr<SimulatedMachine> idle;
    std::unique_ptr<SimulatedMachine> machine;
    std::unique_ptr<CKorvane_Safe_EjectDlg> dialog;
    std::vector<UINT> pendingEvents;
    bool faultFree = true;
    std::string context;
    HDC drawingDc = nullptr;
    HBITMAP drawingBitmap = nullptr;
    HGDIOBJ previousBitmap = nullptr;
    LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;
};

TEST_F(FaultSoak, Seeds1To1000) {
    RunMachines(0);
}
TEST_F(FaultSoak, Seeds1001To2000) {
    RunMachines(1);
}
TEST_F(FaultSoak, Seeds2001To3000) {
    RunMachines(2);
}
TEST_F(FaultSoak, Seeds3001To4000) {
    RunMachines(3);
}
TEST_F(FaultSoak, Seeds4001To5000) {
    RunMachines(4);
}
TEST_F(FaultSoak, Seeds5001To6000) {
    RunMachines(5);
}
TEST_F(FaultSoak, Seeds6001To7000) {
    RunMachines(6);
}
TEST_F(FaultSoak, Seeds7001To8000) {
    RunMachines(7);
}
TEST_F(FaultSoak, Seeds8001To9000) {
    RunMachines(8);
}
TEST_F(FaultSoak, Seeds9001To10000) {
    RunMachines(9);
}

}  // namespace
