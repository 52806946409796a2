#include "autostart/startup_shortcut.h"

#include <optional>

#include "app/application_name.h"
#include "platform/string_replace.h"
#include "platform/system_resources.h"

namespace {

// What the save call can take: a wide path in a MAX_PATH buffer.
constexpr size_t kMaxLinkPath = MAX_PATH - 1;

// The program's own full path. The command line is no use here: with "/min"
// after it, or an unquoted relative name, it is not the executable's path.
std::string ProgramPath(SystemApi& system) {
    char path[MAX_PATH] = {};
    const DWORD length = system.GetModuleFileNameA(nullptr, path, MAX_PATH);
    return length == 0 || length >= MAX_PATH ? std::string() : std::string(path, length);
}

std::optional<std::string> StartupFolder(SystemApi& system) {
    PIDLIST_ABSOLUTE folderId = nullptr;
    if (FAILED(system.SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &folderId)) ||
        folderId == nullptr) {
        return std::nullopt;
    }
    char path[MAX_PATH] = {};
    const BOOL named = system.SHGetPathFromIDListA(folderId, path);
    system.CoTaskMemFree(folderId);
    if (!named || path[0] == '\0') return std::nullopt;
    return std::string(path);
}

// "<Startup folder>\<application name>.lnk", or nothing when the folder has
// no name or the path would not fit the save call's buffer.
std::optional<std::string> LinkPath(SystemApi& system, const std::string& appName) {
    const std::optional<std::string> folder = StartupFolder(system);
    if (!folder) return std::nullopt;
    std::string path = *folder;
    path.append("\\").append(appName).append(".lnk");
    if (path.size() > kMaxLinkPath) return std::nullopt;
    return path;
}

std::wstring Widen(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 1), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), length);
    wide.resize(wide.size() - 1);
    return wide;
}

bool FileExists(SystemApi& system, const std::string& path, DWORD* error) {
    WIN32_FIND_DATAA found{};
    HANDLE search = system.FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        *error = system.GetLastError();
        return false;
    }
    system.FindClose(search);
    return true;
}

int CreateShortcut(SystemApi& system, const std::string& linkPath, const std::string& appName) {
    const std::string target = ProgramPath(system);
    if (target.empty()) return 1;
    std::string description = appName;
    ReplaceAll(description, "_", " ");
    const HRESULT result = CreateStartupLink(system, target, Widen(linkPath), description);
    return result == S_OK || result == S_FALSE ? 0 : 1;
}

// Done when the shortcut is gone afterwards, also when it was gone already:
// the user asked for no autostart, and that is what there is. A delete that
// reports success while the file stays is not done.
int RemoveShortcut(SystemApi& system, const std::string& linkPath) {
    if (!system.DeleteFileA(linkPath.c_str())) {
        const DWORD error = system.GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : 1;
    }
    DWORD error = 0;
    return FileExists(system, linkPath, &error) ? 1 : 0;
}

// Any file of the shortcut's name counts, whatever its content. A search that
// fails for another reason than a missing file or folder cannot tell; it
// counts as present, as it always has.
int CheckShortcut(SystemApi& system, const std::string& linkPath) {
    DWORD error = 0;
    if (FileExists(system, linkPath, &error)) return kShortcutPresent;
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0 : kShortcutPresent;
}

}  // namespace

int ManageStartupShortcut(SystemApi& system, ShortcutMode mode) {
    const std::string appName = ApplicationName(system);
    const std::optional<std::string> linkPath = LinkPath(system, appName);
    // Without a Startup folder (or with a path too long to save) there is no
    // shortcut to find, and none can be made or removed.
    if (!linkPath) return mode == ShortcutMode::Check ? 0 : 1;
    switch (mode) {
        case ShortcutMode::Create:
            return CreateShortcut(system, *linkPath, appName);
        case ShortcutMode::Remove:
            return RemoveShortcut(system, *linkPath);
        case ShortcutMode::Check:
            return CheckShortcut(system, *linkPath);
    }
    return 1;
}
