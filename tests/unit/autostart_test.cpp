// The Startup shortcut: written through the shell's link object and read back
// through the shell's own link reader, found, removed, and the menu's check
// mark that shows it.
#include <fstream>

#include "autostart/startup_shortcut.h"
#include "main_window_fixture.h"
#include "platform/com_ptr.h"

namespace {

// Target, arguments and description, as Explorer and the log-on read them.
std::vector<std::string> ReadLink(const std::string& path) {
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    ::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out());
    link->QueryInterface(IID_IPersistFile, file.out());
    EXPECT_EQ(file->Load(std::wstring(path.begin(), path.end()).c_str(), STGM_READ), S_OK);
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, description[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    link->GetDescription(description, MAX_PATH);
    return {target, arguments, description};
}

// The link runs the module, hidden, whatever the command line holds; it
// replaces any file of its name, and goes again, also when gone already.
TEST(StartupShortcut, CreatedFoundAndRemovedOnlyInAUsableFolder) {
    ::CoInitialize(nullptr);
    RecordingSystemApi system;
    system.UseRealFiles();
    const std::string folder = system.startupFolder, link = folder + "\\Korvane_Safe_Eject.lnk";
    const auto manage = [&](ShortcutMode mode) { return ManageStartupShortcut(system, mode); };
    std::ofstream(link) << "not a link";
    EXPECT_EQ(manage(ShortcutMode::Check), kShortcutPresent);  // any file counts
    for (const char* commandLine : {"kse /min", "", "/min"}) {
        system.commandLine = commandLine;
        ASSERT_EQ(manage(ShortcutMode::Create), 0) << commandLine;
        EXPECT_EQ(ReadLink(link),
                  (std::vector<std::string>{system.modulePath, "/min", "Korvane Safe Eject"}));
    }
    for (int result :
         {manage(ShortcutMode::Remove), manage(ShortcutMode::Check), manage(ShortcutMode::Remove)})
        EXPECT_EQ(result, 0);
    // No folder, or one whose link path is over MAX_PATH: no shortcut, and
    // none can be made or removed. A search that cannot tell counts as one.
    for (const std::string& place :
         {folder + "\\missing", "C:\\" + std::string(240, 'x'), std::string()}) {
        system.startupFolder = place;
        EXPECT_EQ(manage(ShortcutMode::Check), 0) << place;
        EXPECT_EQ(manage(ShortcutMode::Create), 1) << place;
    }
    EXPECT_EQ(manage(ShortcutMode::Remove), 1);
    system.startupFolder = folder;
    system.failing = {{"FindFirstFileA(" + link, ERROR_ACCESS_DENIED}};
    EXPECT_EQ(manage(ShortcutMode::Check), kShortcutPresent);
    ::RemoveDirectoryA(folder.c_str());
    EXPECT_EQ(system.openHandles, 0);
    ::CoUninitialize();
}

// The check mark shows the shortcut found at start and changes only when a
// switch worked; a delete that reports success while the file stays leaves
// the autostart on, and the user is told.
using AutostartMenu = MainWindowTest;

TEST_F(AutostartMenu, MarkFollowsOnlyWhatWorked) {
    const std::string link = system.startupFolder + "\\Korvane_Safe_Eject.lnk";
    const auto mark = [this] {
        return ::GetMenuState(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, MF_BYCOMMAND) & MF_CHECKED;
    };
    system.existingFiles.insert(link);
    CreateWindowOn(DefaultMachineDescription());
    ASSERT_EQ(mark(), static_cast<UINT>(MF_CHECKED));
    system.deleteKeepsFile = true;
    Command(ID_OPTIONS_AUTOSTART);
    EXPECT_EQ(mark(), static_cast<UINT>(MF_CHECKED));
    system.deleteKeepsFile = false;
    Command(ID_OPTIONS_AUTOSTART);
    EXPECT_EQ(mark(), 0u);
    // Chosen with the mouse, the item is still highlighted: only its check
    // counts. The fake has no shell link object, so the create fails.
    MENUITEMINFOA highlighted{};
    highlighted.cbSize = sizeof highlighted;
    highlighted.fMask = MIIM_STATE;
    highlighted.fState = MFS_HILITE;
    ::SetMenuItemInfoA(::GetMenu(Window()), ID_OPTIONS_AUTOSTART, FALSE, &highlighted);
    Command(ID_OPTIONS_AUTOSTART);
    EXPECT_EQ(mark(), 0u);
    ASSERT_EQ(system.messageBoxes.size(), 2u);
    EXPECT_EQ(
        system.messageBoxes[1],
        "Korvane_Safe_Eject|Unable to set Korvane Safe Eject to auto start with Windows!|0x0");
}

}  // namespace
