// The simulated machine's own tricky behaviour: strict descriptions, the Win32
// buffer-size protocols, removal on eject, fault plans and the leak account.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "platform/sim/default_machine.h"
#include "platform/sim/simulated_machine.h"

namespace {

constexpr DWORD kPresentInterfaces = DIGCF_PRESENT | DIGCF_DEVICEINTERFACE;

::testing::AssertionResult Mentions(const std::string& text, const std::string& part) {
    if (text.find(part) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\"" << text << "\" does not mention \"" << part << "\"";
}

std::string ParseError(std::string_view json) {
    try {
        ParseMachineDescription(json);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "(accepted)";
}

MachineDescription OneDisk(SimDisk disk, std::vector<SimVolume> volumes = {}) {
    MachineDescription description;
    description.disks = {std::move(disk)};
    description.volumes = std::move(volumes);
    return description;
}

TEST(SimMachineDescription, RejectsMalformedMistypedAndMisspelledInput) {
    EXPECT_TRUE(Mentions(ParseError(R"({"disks": [)"), "not valid JSON"));
    EXPECT_TRUE(Mentions(ParseError(R"({"disks": [{"devInst": 1, "parent": 2, "diskNumber": 1,
                                       "frendlyName": "X"}]})"),
                         "disks[0]: unknown key \"frendlyName\""));
    EXPECT_TRUE(
        Mentions(ParseError(R"({"disks": [{"devInst": -1, "parent": 2, "diskNumber": 1}]})"),
                 "disks[0].devInst"));
    EXPECT_TRUE(Mentions(ParseError(R"({"disks": [{"devInst": 1, "parent": 2, "diskNumber": 1,
                                       "eject": "maybe"}]})"),
                         "disks[0].eject"));
    EXPECT_TRUE(Mentions(ParseError(R"({"faults": {"CreateFile": {"always": true}}})"),
                         "faults.CreateFile"));
    // A GUID path without its trailing backslash is a mistake Windows never makes.
    EXPECT_TRUE(
        Mentions(ParseError(R"({"volumes": [{"guidPath": "\\\\?\\Volume{1}"}]})"), "Volume{1}"));
    EXPECT_THROW(FaultPlan().FailAlways("GetLastError"), std::invalid_argument);
}

TEST(SimMachineBuffers, SizeQueriesAnswerTheNeededSizeAndLeaveShortBuffersAlone) {
    const std::string longName(10000, 'n');
    SimulatedMachine machine(OneDisk(MakeUsbDisk(1, longName), {MakeVolume(1, "E:\\", "A")}));
    HDEVINFO set =
        machine.SetupDiGetClassDevsA(&GUID_DEVINTERFACE_DISK, nullptr, nullptr, kPresentInterfaces);
    SP_DEVINFO_DATA member{};
    member.cbSize = sizeof member;
    ASSERT_TRUE(machine.SetupDiEnumDeviceInfo(set, 0, &member));

    DWORD required = 0;
    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(set, &member, SPDRP_FRIENDLYNAME,
                                                           nullptr, nullptr, 0, &required));
    EXPECT_EQ(machine.GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
    ASSERT_EQ(required, longName.size() + 1);
    std::vector<BYTE> name(required - 1, 'x');
    EXPECT_FALSE(machine.SetupDiGetDeviceRegistryPropertyA(
        set, &member, SPDRP_FRIENDLYNAME, nullptr, name.data(), required - 1, nullptr));
    EXPECT_EQ(name[0], 'x');
    name.resize(required);
    EXPECT_TRUE(machine.SetupDiGetDeviceRegistryPropertyA(set, &member, SPDRP_FRIENDLYNAME, nullptr,
                                                          name.data(), required, nullptr));
    EXPECT_EQ(reinterpret_cast<const char*>(name.data()), longName);

    SP_DEVICE_INTERFACE_DATA face{};
    face.cbSize = sizeof face;
    ASSERT_TRUE(
        machine.SetupDiEnumDeviceInterfaces(set, &member, &GUID_DEVINTERFACE_DISK, 0, &face));
    EXPECT_FALSE(
        machine.SetupDiGetDeviceInterfaceDetailA(set, &face, nullptr, 0, &required, nullptr));
    const std::string path = MakeUsbDisk(1, "").interfacePath;
    EXPECT_EQ(required, offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_A, DevicePath) + path.size() + 1);
    std::vector<char> bytes(required);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(bytes.data());
    detail->cbSize = required;  // the size of the fixed part belongs here, not of the buffer
    EXPECT_FALSE(
        machine.SetupDiGetDeviceInterfaceDetailA(set, &face, detail, required, nullptr, nullptr));
    EXPECT_EQ(machine.GetLastError(), DWORD{ERROR_INVALID_USER_BUFFER});
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA owner{};
    owner.cbSize = sizeof owner;
    EXPECT_TRUE(
        machine.SetupDiGetDeviceInterfaceDetailA(set, &face, detail, required, nullptr, &owner));
    EXPECT_EQ(detail->DevicePath, path);
    EXPECT_EQ(owner.DevInst, MakeUsbDisk(1, "").devInst);
    machine.SetupDiDestroyDeviceInfoList(set);

    const std::string guidPath = machine.Volumes().front().guidPath;
    char list[4] = {'x', 'x', 'x', 'x'};
    DWORD length = 0;
    EXPECT_FALSE(machine.GetVolumePathNamesForVolumeNameA(guidPath.c_str(), list, 4, &length));
    EXPECT_EQ(machine.GetLastError(), DWORD{ERROR_MORE_DATA});
    EXPECT_EQ(length, 5u);  // "E:\" NUL NUL
    EXPECT_EQ(list[0], 'x');
}

TEST(SimMachineEject, GrantedRequestRemovesDiskAndVolumesBeforeAnnouncingIt) {
    SimulatedMachine machine(DefaultMachineDescription());
    std::vector<UINT> events;
    bool goneWhenAnnounced = false;
    machine.SetDeviceChangeCallback([&](UINT event) {
        events.push_back(event);
        goneWhenAnnounced = !machine.HasDisk(1);
    });
    EXPECT_EQ(machine.CM_Request_Device_EjectA(0x1100, nullptr, nullptr, 0, 0),
              CONFIGRET{CR_SUCCESS});
    EXPECT_EQ(events, std::vector<UINT>{DBT_DEVICEREMOVECOMPLETE});
    EXPECT_TRUE(goneWhenAnnounced);
    EXPECT_EQ(machine.CreateFileA("\\\\.\\E:", 0, 3, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(machine.GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
}

TEST(SimMachineEject, VetoOpenHandleAndStayingDiskKeepTheDisk) {
    SimDisk stubborn = MakeUsbDisk(7, "Stubborn");
    stubborn.eject = EjectBehaviour::Stays;
    SimulatedMachine machine(DefaultMachineDescription());
    machine.PlugIn(stubborn, {});
    HANDLE volume = machine.CreateFileA("\\\\.\\F:", 0, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(machine.CM_Request_Device_EjectA(0x1200, nullptr, nullptr, 0, 0),
              CONFIGRET{CR_REMOVE_VETOED});  // Citadel's volume is held open
    machine.CloseHandle(volume);
    EXPECT_EQ(machine.CM_Query_And_Remove_SubTreeA(0x0500, nullptr, nullptr, 0, 0),
              CONFIGRET{CR_REMOVE_VETOED});  // the system disk
    EXPECT_EQ(machine.CM_Request_Device_EjectA(stubborn.parent, nullptr, nullptr, 0, 0),
              CONFIGRET{CR_SUCCESS});
    EXPECT_TRUE(machine.HasDisk(2) && machine.HasDisk(0) && machine.HasDisk(stubborn.diskNumber));
}

// What Windows refuses a standard user, and when it speaks up itself.
TEST(SimMachineRules, DeviceOpensRemovalRequestsAndHolders) {
    SimulatedMachine machine(DefaultMachineDescription());
    for (const auto& [access, share, disposition, result] :
         std::initializer_list<std::tuple<DWORD, DWORD, DWORD, const char*>>{
             {GENERIC_READ, 3, OPEN_EXISTING, "ERROR_ACCESS_DENIED"},
             {0, FILE_SHARE_READ, OPEN_EXISTING, "ERROR_SHARING_VIOLATION"},
             {0, 3, OPEN_ALWAYS, "ERROR_ACCESS_DENIED"},
             {FILE_READ_ATTRIBUTES, 7, OPEN_EXISTING, "0x"}}) {
        HANDLE handle =
            machine.CreateFileA("\\\\.\\E:", access, share, nullptr, disposition, 0, nullptr);
        EXPECT_TRUE(Mentions(machine.Journal().back().result, result));
        if (handle != INVALID_HANDLE_VALUE) machine.CloseHandle(handle);
    }
    char veto[MAX_PATH];
    EXPECT_EQ(machine.CM_Request_Device_EjectA(0x1100, nullptr, nullptr, 0, 1), CR_INVALID_FLAG);
    EXPECT_EQ(machine.CM_Request_Device_EjectA(0x1100, nullptr, nullptr, 5, 0), CR_INVALID_POINTER);
    EXPECT_EQ(machine.CM_Request_Device_EjectA(0x1100, nullptr, veto, MAX_PATH, 0), CR_SUCCESS);
    EXPECT_EQ(machine.Journal().back().result, "CR_SUCCESS") << "no notice: the caller asked";
    // The Warden drive's volume is held while its companion runs.
    bool companionRuns = true;
    machine.SetProcessCheck(
        [&](const std::string& name) { return companionRuns && name == "Warden.exe"; });
    EXPECT_EQ(machine.CM_Query_And_Remove_SubTreeA(0x1300, nullptr, nullptr, 0, 0),
              CR_REMOVE_VETOED);
    EXPECT_EQ(machine.Journal().back().result, "CR_REMOVE_VETOED, system notice");
    companionRuns = false;
    EXPECT_EQ(
        machine.CM_Query_And_Remove_SubTreeA(0x1300, nullptr, nullptr, 0, CM_REMOVE_UI_NOT_OK),
        CR_SUCCESS);
    EXPECT_EQ(machine.Journal().back().result, "CR_SUCCESS");
}

TEST(SimMachineFaults, PlannedFaultsHitTheNamedCallsOnly) {
    SimulatedMachine machine(DefaultMachineDescription());
    machine.Faults().FailOnCall("CreateFileA", 2).FailWhenArgument("CM_Get_Parent", "0x1301");
    std::vector<bool> opened;
    for (int i = 0; i < 3; ++i) {
        HANDLE handle = machine.CreateFileA("\\\\.\\E:", 0, 3, nullptr, OPEN_EXISTING, 0, nullptr);
        opened.push_back(handle != INVALID_HANDLE_VALUE);
        if (opened.back()) machine.CloseHandle(handle);
    }
    EXPECT_EQ(opened, (std::vector<bool>{true, false, true}));
    EXPECT_EQ(machine.Journal()[2].result, "INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED");
    DEVINST parent = 7;
    EXPECT_EQ(machine.CM_Get_Parent(&parent, 0x1301, 0), CONFIGRET{CR_NO_SUCH_DEVNODE});
    EXPECT_EQ(parent, 7u);
    EXPECT_EQ(machine.CM_Get_Parent(&parent, 0x1101, 0), CONFIGRET{CR_SUCCESS});

    auto pattern = [](std::uint32_t seed) {
        SimulatedMachine random(DefaultMachineDescription());
        random.Faults().FailRandomly("GetProcessHeap", 0.5, seed);
        std::string hits;
        for (int i = 0; i < 32; ++i) hits += random.GetProcessHeap() ? '.' : 'X';
        return hits;
    };
    EXPECT_EQ(pattern(11), pattern(11));
    EXPECT_TRUE(Mentions(pattern(11), "X") && Mentions(pattern(11), "."));
}

TEST(SimMachineAccounting, LeaksListWhatIsStillHeldAndEveryMisuse) {
    SimulatedMachine machine(DefaultMachineDescription());
    HANDLE volume = machine.CreateFileA("\\\\.\\E:", 0, 3, nullptr, OPEN_EXISTING, 0, nullptr);
    HLOCAL local = machine.LocalAlloc(LPTR, 40);
    EXPECT_TRUE(Mentions(machine.Leaks(), "\"\\\\.\\E:\" not closed"));
    EXPECT_TRUE(Mentions(machine.Leaks(), "LocalAlloc buffer of 40 bytes"));
    EXPECT_TRUE(machine.CloseHandle(volume));
    EXPECT_EQ(machine.LocalFree(local), nullptr);
    EXPECT_EQ(machine.Leaks(), "");

    EXPECT_FALSE(machine.CloseHandle(volume));
    EXPECT_EQ(machine.GetLastError(), DWORD{ERROR_INVALID_HANDLE});
    int notHanded = 0;
    EXPECT_EQ(machine.LocalFree(&notHanded), &notHanded);
    EXPECT_EQ(machine.OpenResources().misuses, 2u);
    EXPECT_TRUE(Mentions(machine.Leaks(), "already closed"));
}

}  // namespace
