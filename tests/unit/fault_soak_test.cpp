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

// What one step asked of the configuration manager, read from the journal:
// every status query and removal request must name the node that the parent
// lookup just before it answered (its journal entry shows the node found).
struct NodeCall {
    std::string function;
    DEVINST node;
    bool succeeded;
};

DEVINST NodeArgument(const JournalEntry& entry) {
    // The node is the first argument that is not an output.
    std::istringstream arguments(entry.arguments);
    std::string argument;
    while (std::getline(arguments, argument, ',')) {
        argument.erase(0, argument.find_first_not_of(' '));
        if (argument != "out") return static_cast<DEVINST>(std::stoul(argument, nullptr, 16));
    }
    return 0;
}

std::vector<NodeCall> NodeCalls(const SimulatedMachine& machine, size_t from,
                                std::vector<std::string>& strays) {
    std::vector<NodeCall> calls;
    bool lookedUp = false;  // a parent lookup of this step found a node
    DEVINST parent = 0;
    const auto& journal = machine.Journal();
    for (size_t i = from; i < journal.size(); ++i) {
        const JournalEntry& entry = journal[i];
        if (entry.function.rfind("CM_", 0) != 0) continue;
        const DEVINST node = NodeArgument(entry);
        calls.push_back({entry.function, node, entry.result.rfind("CR_SUCCESS", 0) == 0});
        if (entry.function == "CM_Get_Parent") {
            // Only the lookup just made counts: a failed one leaves no parent.
            const size_t found = entry.result.find("parent ");
            lookedUp = found != std::string::npos;
            parent =
                lookedUp
                    ? static_cast<DEVINST>(std::stoul(entry.result.substr(found + 7), nullptr, 16))
                    : 0;
        } else if (!lookedUp || parent != node) {
            strays.push_back(ToString(entry) + " without a parent lookup that gave it");
        }
    }
    return calls;
}

bool LastDeviceSetAvailable(const SimulatedMachine& machine) {
    const auto& journal = machine.Journal();
    for (auto entry = journal.rbegin(); entry != journal.rend(); ++entry) {
        if (entry->function == "SetupDiGetClassDevsA") {
            return entry->result.rfind("INVALID_HANDLE_VALUE", 0) != 0;
        }
    }
    return false;
}

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
        // One machine under one window, replaced for every seed.
        machine = std::make_unique<SimulatedMachine>(MachineDescription{});
        dialog = std::make_unique<CKorvane_Safe_EjectDlg>(*machine, system);
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
        try {
            machine->Replace(std::move(generated.description));
        } catch (const std::exception& error) {
            FAIL() << context << ": " << error.what();
        }
        pendingEvents.clear();
        machine->SetDeviceChangeCallback(nullptr);
        if (generated.announcesRemovals) {
            machine->SetDeviceChangeCallback(
                [this](UINT event) { pendingEvents.push_back(event); });
        }
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
            EXPECT_EQ(StepCalls(), 0u) << context << ": a row outside the table reads nothing";
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
        std::vector<std::string> strays;
        const std::vector<NodeCall> nodeCalls = NodeCalls(*machine, stepStart, strays);
        const bool warned = system.messageBoxes.size() != warningsBefore;
        if (chosen == 0) {
            EXPECT_EQ(StepCalls(), 0u) << context << ": the placeholder row reads nothing";
            EXPECT_EQ(List().m_chosenIndex, -1) << context;
        } else if (warned) {
            EXPECT_TRUE(nodeCalls.empty()) << context << ": a warned-about drive is not asked for";
        } else {
            ASSERT_FALSE(nodeCalls.empty()) << context << ", row " << row;
            EXPECT_EQ(nodeCalls[0].function, "CM_Get_Parent") << context;
            EXPECT_EQ(nodeCalls[0].node, chosen) << context << ": the row's own drive, row " << row;
            // One lookup; after a found parent its status and one request.
            EXPECT_EQ(nodeCalls.size(), nodeCalls[0].succeeded ? 3u : 1u)
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
        stepStart = machine->Journal().size();
        action();
        CheckAfter(what);
    }

    void CheckAfter(const std::string& step) {
        SCOPED_TRACE(context + ", after " + step);
        EXPECT_EQ(machine->Leaks(), "") << JournalTail(*machine, 40);
        std::vector<std::string> strays;
        NodeCalls(*machine, stepStart, strays);
        EXPECT_TRUE(strays.empty()) << ::testing::PrintToString(strays) << "\n"
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

        if (!LastDeviceSetAvailable(*machine)) {
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

    size_t StepCalls() const { return machine->Journal().size() - stepStart; }

    RecordingSystemApi system;
    std::unique_ptr<SimulatedMachine> machine;
    size_t stepStart = 0;
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
