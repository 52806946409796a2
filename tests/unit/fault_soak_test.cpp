// Ten thousand made-up machines, each from its own seed: odd disks and
// volumes, far too long names, and random failures in the machine's answers.
// The real main window refreshes and ejects every row of each; after every
// step the table, the list and the machine's accounts must agree, and no
// request may name a node the parent lookup just before it did not give.
#include <random>
#include <sstream>

#include "main_window_fixture.h"

namespace {

// Deterministic on every standard library, unlike the <random> distributions.
struct Dice {
    std::mt19937 engine;
    std::uint32_t Below(std::uint32_t n) { return n == 0 ? 0 : engine() % n; }
    std::uint32_t Between(unsigned low, unsigned high) { return low + Below(high - low + 1); }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    std::uint64_t Wide() { return (std::uint64_t{engine()} << 32) | engine(); }
    // Printable text with what means something to a formatter or a drawing
    // call, and bytes of the upper half; never a NUL. Now and then very long,
    // now and then a Warden drive's, now and then none.
    std::optional<std::string> Text(std::uint32_t usual) {
        if (Chance(8)) return std::nullopt;
        if (Chance(15)) return Chance(50) ? "QN Warden USB Device" : "Korvane Warden X";
        std::string text(Chance(10) ? Between(usual, 3000) : Between(0, usual), ' ');
        for (char& c : text) {
            c = static_cast<char>(Chance(80)   ? Between(0x20, 0x7E)
                                  : Chance(50) ? "\n\t&%\\\"[]():"[Below(11)]
                                               : Between(0x80, 0xFF));
        }
        return text;
    }
};

// Every call that answers a question or hands something out fails now and
// then; the calls that give things back never do, or Leaks() could not tell
// a forgotten release from a refused one.
constexpr const char* kInjectable =
    "SetupDiGetClassDevsA SetupDiEnumDeviceInfo SetupDiGetDeviceRegistryPropertyA "
    "SetupDiEnumDeviceInterfaces CreateFileA SetupDiGetDeviceInterfaceDetailA DeviceIoControl "
    "FindFirstVolumeA FindNextVolumeA GetVolumeInformationA GetDiskFreeSpaceExA "
    "GetVolumePathNamesForVolumeNameA HeapAlloc LocalAlloc CM_Get_Parent CM_Get_Device_IDA "
    "CM_Get_DevNode_Status CM_Request_Device_EjectA CM_Query_And_Remove_SubTreeA";

MachineDescription Generate(std::uint32_t seed) {
    Dice dice{std::mt19937(seed)};
    MachineDescription machine;
    // Few disks mostly (the list box under Wine sets the soak's pace), now
    // and then many; distinct numbers, USB and other disks mixed.
    const std::uint32_t disks = dice.Chance(90) ? dice.Between(0, 3) : dice.Between(0, 26);
    for (std::uint32_t i = 0; i < disks; ++i) {
        // A card reader carries several disks under one USB device.
        SimDisk disk = i > 0 && dice.Chance(15) ? machine.disks.back() : SimDisk{};
        if (disk.parent == 0) {
            disk.parent = 0x80000 + 0x10 * i;
            disk.parentStatus = DN_STARTED | (dice.Chance(80) ? DN_REMOVABLE : 0);
            disk.parentStatusFails = dice.Chance(5);
            // A UAS device: the SCSI disks under it are USB disks too.
            if (dice.Chance(30)) disk.parentId = "USB\\VID_FFFF&PID_" + std::to_string(i) + "\\1";
        }
        disk.diskNumber = i * 2 + dice.Below(2);
        disk.devInst = dice.Chance(5) ? 0 : 0x10001 + 0x10 * i;
        disk.interfacePath.clear();
        disk.enumerator = dice.Chance(75) ? "USBSTOR" : dice.Chance(50) ? "usbstor" : "SCSI";
        disk.friendlyName = dice.Text(40);
        disk.hasInterface = !dice.Chance(2);
        disk.present = !dice.Chance(3);
        disk.openable = !dice.Chance(5);
        disk.deviceNumberReadable = !dice.Chance(5);
        disk.parentLookupFails = dice.Chance(5);
        disk.eject = dice.Chance(80)   ? EjectBehaviour::Granted
                     : dice.Chance(50) ? EjectBehaviour::Vetoed
                     : dice.Chance(50) ? EjectBehaviour::Stays
                                       : EjectBehaviour::AccessDenied;
        machine.disks.push_back(std::move(disk));
    }
    const std::uint32_t volumes = dice.Chance(90) ? dice.Between(0, 6) : dice.Between(0, 40);
    for (std::uint32_t i = 0; i < volumes; ++i) {
        SimVolume volume;
        volume.label = dice.Text(32);
        volume.guidPath = "\\\\?\\Volume{" + std::to_string(seed) + "-" + std::to_string(i) + "}\\";
        if (dice.Chance(80) && i < 22) volume.mountPaths.push_back(std::string(1, 'D' + i) + ":\\");
        // On folders as well, now and then more than one buffer holds.
        for (unsigned k = dice.Chance(20) ? dice.Between(1, 30) : 0; k > 0; --k) {
            volume.mountPaths.push_back("C:\\mnt\\" + std::string(dice.Between(1, 60), 'f') +
                                        std::to_string(i * 100 + k) + "\\");
        }
        if (dice.Chance(50)) std::reverse(volume.mountPaths.begin(), volume.mountPaths.end());
        volume.diskNumber =
            dice.Chance(85) ? std::optional<DWORD>(dice.Below(disks * 2 + 4)) : std::nullopt;
        volume.extentCount = dice.Chance(85) ? 1 : dice.Between(2, 5);
        // Now and then 2^63 or more: the signed figures come out negative.
        volume.totalBytes = dice.Chance(10) ? dice.Wide() : dice.Wide() >> dice.Between(20, 40);
        volume.freeBytes = dice.Chance(10) ? dice.Wide() : volume.totalBytes >> dice.Below(8);
        volume.freeSpaceFails = dice.Chance(5);
        volume.openable = !dice.Chance(5);
        machine.volumes.push_back(std::move(volume));
    }
    if (dice.Chance(30)) return machine;  // one in three fails nowhere on purpose
    std::istringstream functions(kInjectable);
    for (std::string function; functions >> function;)
        machine.faults.FailRandomly(function, dice.Below(30) / 100.0, dice.engine());
    return machine;
}

class FaultSoak : public MainWindowTest {
protected:
    // Requests since `from` that name no node the parent lookup just before gave.
    std::string StrayRequests(size_t from) const {
        std::string strays, parent;  // "0x..." as the journal writes it; none yet
        for (size_t i = from; i < machine->Journal().size(); ++i) {
            const JournalEntry& entry = machine->Journal()[i];
            const size_t found = entry.result.find("parent ");
            if (entry.function == "CM_Get_Parent") {
                parent = found == std::string::npos ? "" : entry.result.substr(found + 7);
            } else if (entry.function.rfind("CM_", 0) == 0 &&
                       (parent.empty() || (" " + entry.arguments + ",").find(" " + parent + ",") ==
                                              std::string::npos)) {
                strays += ToString(entry) + "\n";
            }
        }
        return strays;
    }

    void CheckAfter(size_t stepStart) {
        EXPECT_EQ(machine->Leaks(), "");
        EXPECT_EQ(StrayRequests(stepStart), "");
        const size_t count = dialog->m_driveDevInsts.size();
        ASSERT_EQ(dialog->m_driveTexts.size(), count);
        ASSERT_EQ(static_cast<size_t>(List().GetCount()), count);
        for (size_t row = 0; row < count; ++row) {
            const auto* item = static_cast<const CExtItem*>(List().GetItemDataPtr(int(row)));
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->m_text, dialog->m_driveTexts[count - 1 - row].substr(0, 255));
        }
    }
};

TEST_F(FaultSoak, TenThousandMachines) {
    ::ShowWindow(Window(), SW_HIDE);  // a shown list box costs Wine an X round trip per row
    for (std::uint32_t seed = 1; seed <= 10000 && !HasFailure(); ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        try {
            machine->Replace(Generate(seed));
            dialog->RefreshDriveList();
            CheckAfter(0);
            // Every row, and the rows just outside the list.
            for (int row = -1, rows = List().GetCount(); row <= rows && !HasFailure(); ++row) {
                const size_t stepStart = machine->Journal().size();
                List().m_chosenIndex = std::min(row, List().GetCount());
                dialog->EjectSelectedDrive();
                CheckAfter(stepStart);
            }
        } catch (const std::exception& error) {
            FAIL() << error.what();  // a machine the generator should not have made
        }
    }
}

}  // namespace
