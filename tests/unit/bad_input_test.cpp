// Input no well-behaved machine or user gives, and what the program makes of
// it: names and labels that do not fit their buffers, mount-path lists that
// overflow, volumes with no drive letter, disks without a device node, and
// command lines that hold nothing or only the switch.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "autostart/startup_shortcut.h"
#include "main_window_fixture.h"
#include "platform/com_ptr.h"
#include "platform/sim/journal_text.h"
#include "temporary_folder.h"

namespace {

constexpr ULONGLONG kMB = 1024 * 1024;

SimVolume Volume(DWORD disk, const char* mount, std::optional<std::string> label) {
    SimVolume volume = MakeVolume(disk, mount, std::move(label));
    volume.freeBytes = 1 * kMB;
    volume.totalBytes = 2 * kMB;
    return volume;
}

class BadInput : public MainWindowTest {
protected:
    const CExtItem& Row(int row) const {
        return *static_cast<const CExtItem*>(List().GetItemDataPtr(row));
    }
    std::vector<const JournalEntry*> Calls(std::string_view function) const {
        std::vector<const JournalEntry*> calls;
        for (const JournalEntry& entry : machine->Journal()) {
            if (entry.function == function) calls.push_back(&entry);
        }
        return calls;
    }
    void EjectRow(int row) {
        List().m_chosenIndex = row;
        Command(IDC_DRIVE_LIST, LBN_DBLCLK);
    }
    // Draws the row as the list box would ask for it, into a bitmap.
    void DrawRow(int row, UINT state) {
        HDC dc = ::CreateCompatibleDC(nullptr);
        HBITMAP bitmap = ::CreateCompatibleBitmap(dc, 600, CListBoxCH::kRowHeight);
        HGDIOBJ previous = ::SelectObject(dc, bitmap);
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTBOX;
        draw.CtlID = IDC_DRIVE_LIST;
        draw.itemID = static_cast<UINT>(row);
        draw.itemAction = ODA_DRAWENTIRE;
        draw.itemState = state;
        draw.hwndItem = List().m_hWnd;
        draw.hDC = dc;
        draw.rcItem = {0, 0, 600, CListBoxCH::kRowHeight};
        draw.itemData = reinterpret_cast<ULONG_PTR>(List().GetItemDataPtr(row));
        List().DrawItem(&draw);
        ::SelectObject(dc, previous);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
    }
};

// The row record is cut at 255 characters; the table keeps the whole text for
// the eject rule; the row draws in both looks, by itself and through a real
// paint of the list, and ejects like any other.
TEST_F(BadInput, TenThousandCharacterNameIsCutInTheRowKeptInTheTableAndDrawn) {
    const std::string name(10000, 'N');
    CreateWindowOn(MachineOf({MakeUsbDisk(1, name)}, {Volume(1, "E:\\", "DATA")}));
    const std::string whole = "(E:) DATA\n" + name + "  [1MB/2MB Free]";
    ASSERT_EQ(dialog->m_driveTexts, std::vector<std::string>{whole});
    ASSERT_EQ(List().GetCount(), 1);
    EXPECT_EQ(std::strlen(Row(0).m_text), 255u);
    EXPECT_EQ(std::string(Row(0).m_text), whole.substr(0, 255));

    DrawRow(0, 0);
    DrawRow(0, ODS_SELECTED);
    List().SetCurSel(0);
    ::RedrawWindow(List().m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);

    EjectRow(0);
    EXPECT_EQ(machine->CountCalls("CM_Request_Device_EjectA"), 1u);
    EXPECT_FALSE(machine->HasDisk(1));
}

// NTFS allows labels of 32 characters; with their NUL they need 33 bytes. A
// 32-byte buffer made such a label "invalid" and kept the retry timer going
// for ever; the label buffer now has the room Windows documents.
TEST_F(BadInput, LabelOfThirtyTwoCharactersReadsAsWritten) {
    const std::string longest(32, 'L');
    system.calls.clear();
    CreateWindowOn(MachineOf({MakeUsbDisk(1, "Long label")}, {Volume(1, "E:\\", longest)}));
    EXPECT_EQ(dialog->m_driveTexts,
              std::vector<std::string>{"(E:) " + longest + "\nLong label  [1MB/2MB Free]"});
    EXPECT_EQ(system.CountCalls("SetTimer"), 0u);
}

// A list of mount paths longer than the 261-character buffer is read again
// into a buffer of the size the first call asked for; a second read that
// fails as well passes the volume over, and nothing is left open.
TEST_F(BadInput, MountPathListLongerThanItsBufferIsReadAgainWhole) {
    // The letter first: the first path is the one the row shows.
    SimVolume crowded = Volume(1, "E:\\", "DATA");
    for (int i = 0; i < 12; ++i) {
        crowded.mountPaths.push_back("C:\\mnt\\another-rather-long-folder-" + std::to_string(i) +
                                     "\\");
    }
    CreateWindowOn(MachineOf({MakeUsbDisk(1, "Stick")}, {crowded}));
    EXPECT_EQ(dialog->m_driveTexts, std::vector<std::string>{"(E:) DATA\nStick  [1MB/2MB Free]"});

    const auto reads = Calls("GetVolumePathNamesForVolumeNameA");
    ASSERT_EQ(reads.size(), 2u) << machine->JournalText();
    size_t needed = 1;
    for (const std::string& path : crowded.mountPaths) needed += path.size() + 1;
    ASSERT_GT(needed, 261u);
    EXPECT_NE(reads[0]->arguments.find(", out, 261, out"), std::string::npos);
    EXPECT_EQ(reads[0]->result, "FALSE, ERROR_MORE_DATA");
    EXPECT_NE(reads[1]->arguments.find(", out, " + std::to_string(needed) + ", out"),
              std::string::npos)
        << reads[1]->arguments;
    EXPECT_EQ(reads[1]->result, "TRUE");

    // The list changed between the two reads, say, and the second fails too.
    MachineDescription failing = MachineOf({MakeUsbDisk(1, "Stick")}, {crowded});
    failing.faults.FailOnCall("GetVolumePathNamesForVolumeNameA", 2);
    CreateWindowOn(std::move(failing));
    EXPECT_EQ(dialog->m_driveTexts, std::vector<std::string>{"(?:) Not Formatted\nStick"});
    EXPECT_EQ(machine->Leaks(), "");
}

// The row's drive piece comes from the first mount path. For a volume on a
// folder only, "C:\mnt\stick\" gives the device path "\\.\C:mnt\stick\",
// which names no device: the volume is passed over and the disk is listed
// without one. Nothing wrong is opened or matched, and the eject still asks
// for the disk's own USB device.
TEST_F(BadInput, VolumeOnAFolderOnlyLeavesItsDiskListedWithoutVolume) {
    CreateWindowOn(
        MachineOf({MakeUsbDisk(1, "Stick")}, {Volume(1, "C:\\mnt\\stick\\", std::string("DATA"))}));
    EXPECT_EQ(dialog->m_driveTexts, std::vector<std::string>{"(?:) Not Formatted\nStick"});
    bool triedFolderPath = false;
    for (const JournalEntry* open : Calls("CreateFileA")) {
        if (open->arguments.rfind("\"\\\\.\\C:mnt\\stick\\\"", 0) == 0) {
            triedFolderPath = true;
            EXPECT_EQ(open->result, "INVALID_HANDLE_VALUE, ERROR_FILE_NOT_FOUND");
        }
    }
    EXPECT_TRUE(triedFolderPath) << machine->JournalText();
    EXPECT_EQ(machine->CountCalls("GetDiskFreeSpaceExA"), 0u);

    EjectRow(0);
    const auto requests = Calls("CM_Request_Device_EjectA");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]->arguments.rfind(HexText(MakeUsbDisk(1, "").parent) + ",", 0), 0u);
    EXPECT_FALSE(machine->HasDisk(1));
}

// A disk whose device node is 0 cannot be asked about or ejected: it is not
// listed. Alone, it leaves the placeholder, whose eject asks nothing.
TEST_F(BadInput, DiskWithoutDeviceNodeIsNotListedAndNothingIsAskedForIt) {
    SimDisk broken = MakeUsbDisk(1, "Broken");
    broken.devInst = 0;
    CreateWindowOn(MachineOf({broken}, {Volume(1, "E:\\", "DATA")}));
    EXPECT_EQ(dialog->m_driveTexts, std::vector<std::string>{"No removal disks found."});
    EXPECT_EQ(dialog->m_driveDevInsts, std::vector<DEVINST>{0});
    const size_t before = machine->Journal().size();
    EjectRow(0);
    EXPECT_EQ(machine->Journal().size(), before) << machine->JournalText();
    EXPECT_EQ(List().m_chosenIndex, -1);
}

// The switch is looked for in the whole command line, case-sensitive and
// untokenised; one that is empty, or holds nothing but the switch, is read
// like any other. (Hiding the window itself after it is created is start-up's
// part, seen in the end-to-end tray suite.)
TEST_F(BadInput, CommandLinesGoToTheTrayOnlyWithTheExactSwitch) {
    for (const auto& [commandLine, toTray] : {std::pair<const char*, size_t>{"", 0},
                                              {"/min", 1},
                                              {"\"C:\\K.exe\" /MIN", 0},
                                              {"\"C:\\K.exe\" /minimize", 1},
                                              {"C:\\tools/min\\K.exe", 1}}) {
        system.commandLine = commandLine;
        system.calls.clear();
        CreateWindowOn(DefaultMachineDescription());
        EXPECT_EQ(system.CountCalls("Shell_NotifyIconA(0)"), toTray) << commandLine;  // NIM_ADD
    }
}

// The shortcut's target is the module's path, never taken from the command
// line: an empty one, or one holding only the switch, makes the same link.
class StartupShortcutTarget : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        system.realFiles = true;
        system.startupFolder = TemporaryFolder();
        system.modulePath = system.startupFolder + "\\Korvane_Safe_Eject.exe";
        std::ofstream(system.modulePath) << "MZ";
        link = system.startupFolder + "\\Korvane_Safe_Eject.lnk";
    }
    void TearDown() override {
        ::DeleteFileA(link.c_str());
        ::DeleteFileA(system.modulePath.c_str());
        ::RemoveDirectoryA(system.startupFolder.c_str());
        EXPECT_EQ(system.openHandles, 0);
        ::CoUninitialize();
    }

    RecordingSystemApi system;
    std::string link;
};

TEST_F(StartupShortcutTarget, IsTheModulePathWhenTheCommandLineIsEmptyOrOnlyTheSwitch) {
    for (const char* commandLine : {"", "/min"}) {
        system.commandLine = commandLine;
        ASSERT_EQ(ManageStartupShortcut(system, ShortcutMode::Create), 0) << commandLine;
        ComPtr<IShellLinkA> shellLink;
        ASSERT_EQ(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                     IID_IShellLinkA, shellLink.out()),
                  S_OK);
        ComPtr<IPersistFile> file;
        ASSERT_EQ(shellLink->QueryInterface(IID_IPersistFile, file.out()), S_OK);
        const std::wstring wideLink(link.begin(), link.end());
        ASSERT_EQ(file->Load(wideLink.c_str(), STGM_READ), S_OK);
        char text[MAX_PATH * 2] = {};
        shellLink->GetPath(text, sizeof(text), nullptr, 0);
        EXPECT_EQ(std::string(text), system.modulePath) << "command line \"" << commandLine << "\"";
        shellLink->GetArguments(text, sizeof(text));
        EXPECT_STREQ(text, "/min");
        ::DeleteFileA(link.c_str());
    }
}

}  // namespace
