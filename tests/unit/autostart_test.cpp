// The Startup shortcut: written through the shell's link object and read back
// through the shell's own link reader, found, removed, and the menu's check
// mark that shows it.
#include <fstream>

#include "autostart/startup_shortcut.h"
#include "main_window_fixture.h"
#include "platform/com_ptr.h"
#include "temporary_folder.h"

namespace {

// Target, arguments and description, read with the shell's own link reader as
// Explorer and the log-on would.
std::vector<std::string> ReadLink(const std::string& path) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    const std::wstring wide(path.begin(), path.end());
    EXPECT_EQ(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 link.out()),
              S_OK);
    EXPECT_EQ(link->QueryInterface(IID_IPersistFile, file.out()), S_OK);
    EXPECT_EQ(file->Load(wide.c_str(), STGM_READ), S_OK) << path;
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, description[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    link->GetDescription(description, MAX_PATH);
    return {target, arguments, description};
}

class StartupShortcut : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        system.realFiles = true;
        system.startupFolder = TemporaryFolder();
        program = system.startupFolder + "\\Korvane_Safe_Eject.exe";
        std::ofstream(program) << "MZ";
        system.modulePath = program;
        system.commandLine = "\"" + program + "\" /min";
        link = system.startupFolder + "\\Korvane_Safe_Eject.lnk";
    }
    void TearDown() override {
        ::DeleteFileA(link.c_str());
        ::DeleteFileA(program.c_str());
        ::RemoveDirectoryA(system.startupFolder.c_str());
        EXPECT_EQ(system.openHandles, 0);
        ::CoUninitialize();
    }
    int Manage(ShortcutMode mode) { return ManageStartupShortcut(system, mode); }

    RecordingSystemApi system;
    std::string program, link;
};

// The link runs the module, hidden, whatever the command line holds; it
// replaces any file of its name, and goes again, also when gone already.
TEST_F(StartupShortcut, CreatedLinkRunsTheProgramHiddenAndGoesAgain) {
    std::ofstream(link) << "not a link";
    EXPECT_EQ(Manage(ShortcutMode::Check), kShortcutPresent);  // any file counts
    for (const std::string& commandLine :
         {"\"" + program + "\" /min", std::string("kse"), std::string(), std::string("/min")}) {
        system.commandLine = commandLine;
        ASSERT_EQ(Manage(ShortcutMode::Create), 0) << commandLine;
        EXPECT_EQ(ReadLink(link), (std::vector<std::string>{program, "/min", "Korvane Safe Eject"}))
            << commandLine;
    }
    EXPECT_EQ(Manage(ShortcutMode::Remove), 0);
    EXPECT_EQ(Manage(ShortcutMode::Check), 0);
    EXPECT_EQ(Manage(ShortcutMode::Remove), 0);
    // A renamed program makes and finds a link of its own name.
    system.modulePath = system.startupFolder + "\\My_Eject_Tool.exe";
    ASSERT_EQ(Manage(ShortcutMode::Create), 0);
    const std::string renamedLink = system.startupFolder + "\\My_Eject_Tool.lnk";
    EXPECT_EQ(ReadLink(renamedLink)[2], "My Eject Tool");
    ::DeleteFileA(renamedLink.c_str());
}

// No folder, or one whose link path is over MAX_PATH: no shortcut, and none
// can be made or removed. A search that cannot tell counts as a shortcut.
TEST_F(StartupShortcut, UnusableFolderHasNoShortcut) {
    const std::string folder = system.startupFolder;
    for (const std::string& place :
         {folder + "\\missing", "C:\\" + std::string(240, 'x'), std::string()}) {
        system.startupFolder = place;
        system.startupFolderKnown = !place.empty();
        EXPECT_EQ(Manage(ShortcutMode::Check), 0) << place;
        EXPECT_EQ(Manage(ShortcutMode::Create), 1) << place;
    }
    EXPECT_EQ(Manage(ShortcutMode::Remove), 1);
    system.startupFolder = folder;
    system.startupFolderKnown = true;
    system.realFiles = false;
    system.findFirstFileErrors[link] = ERROR_ACCESS_DENIED;
    EXPECT_EQ(Manage(ShortcutMode::Check), kShortcutPresent);
}

class AutostartMenu : public MainWindowTest {
protected:
    UINT Mark() const {
        return ::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED;
    }
};

TEST_F(AutostartMenu, FailedCreateIsReportedAndTheMarkStaysOff) {
    system.createInstance = [](REFCLSID, REFIID, void**) { return E_ACCESSDENIED; };
    // Chosen with the mouse, the item is still highlighted: only its check counts.
    MENUITEMINFOA highlighted{};
    highlighted.cbSize = sizeof highlighted;
    highlighted.fMask = MIIM_STATE;
    highlighted.fState = MFS_HILITE;
    ::SetMenuItemInfoA(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, FALSE, &highlighted);
    Command(ID_OPTIONS_AUTOSTART);
    EXPECT_EQ(Mark(), 0u);
    EXPECT_EQ(system.messageBoxes,
              std::vector<std::string>{"Korvane_Safe_Eject|Unable to set Korvane Safe Eject to "
                                       "auto start with Windows!|0x0"});
}

// A delete that fails, or reports success while the file stays, leaves the
// autostart on: the mark stays and the user is told.
TEST_F(AutostartMenu, FailedRemoveIsReportedAndTheMarkStaysOn) {
    const std::string link = system.startupFolder + "\\Korvane_Safe_Eject.lnk";
    system.existingFiles.insert(link);
    CreateWindowOn(DefaultMachineDescription());
    ASSERT_EQ(Mark(), static_cast<UINT>(MF_CHECKED));
    for (bool* failure : {&system.deleteFails, &system.deleteKeepsFile}) {
        *failure = true;
        Command(ID_OPTIONS_AUTOSTART);
        EXPECT_EQ(Mark(), static_cast<UINT>(MF_CHECKED));
        *failure = false;
    }
    EXPECT_EQ(system.messageBoxes.size(), 2u);
    Command(ID_OPTIONS_AUTOSTART);
    EXPECT_EQ(Mark(), 0u);
    EXPECT_FALSE(system.existingFiles.count(link));
}

}  // namespace
