#include "recording_system_api.h"

#include <cstdio>

namespace {

std::string Hex(uintptr_t value) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

}  // namespace

size_t RecordingSystemApi::CountCalls(const std::string& prefix) const {
    size_t count = 0;
    for (const std::string& call : calls) count += call.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

bool RecordingSystemApi::IsRunning(const std::string& exeName) const {
    for (const Process& process : processes) {
        if (_stricmp(process.exeName.c_str(), exeName.c_str()) == 0) return true;
    }
    return false;
}

bool RecordingSystemApi::Fails(const std::string& call) {
    for (const auto& [prefix, error] : failing) {
        if (call.rfind(prefix, 0) == 0) return m_lastError = error, true;
    }
    return false;
}

HANDLE RecordingSystemApi::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    if (Fails(Log("CreateToolhelp32Snapshot", flags, processId))) return INVALID_HANDLE_VALUE;
    m_snapshot = processes;
    return NewHandle();
}

BOOL RecordingSystemApi::Process32First(HANDLE, PROCESSENTRY32* entry) {
    m_nextProcess = 0;
    // Toolhelp refuses a record whose size it does not know (ERROR_BAD_LENGTH).
    if (Fails(Log("Process32First", entry->dwSize))) return FALSE;
    return entry->dwSize == sizeof(PROCESSENTRY32) && Next(entry);
}

BOOL RecordingSystemApi::Next(PROCESSENTRY32* entry) {
    if (m_nextProcess >= m_snapshot.size()) return FALSE;
    const Process& process = m_snapshot[m_nextProcess++];
    entry->th32ProcessID = process.id;
    std::snprintf(entry->szExeFile, sizeof(entry->szExeFile), "%s", process.exeName.c_str());
    return TRUE;
}

HANDLE RecordingSystemApi::OpenProcess(DWORD access, BOOL inherit, DWORD processId) {
    if (Fails(Log("OpenProcess", access, inherit, processId))) return nullptr;
    HANDLE handle = NewHandle();
    if ((access & PROCESS_TERMINATE) != 0) m_processOfHandle[handle] = processId;
    return handle;
}

BOOL RecordingSystemApi::TerminateProcess(HANDLE process, UINT exitCode) {
    Log("TerminateProcess", exitCode);
    auto found = m_processOfHandle.find(process);
    if (found == m_processOfHandle.end()) return FALSE;
    terminated.push_back(found->second);
    std::erase_if(processes, [&](const Process& process) { return process.id == found->second; });
    return TRUE;
}

BOOL RecordingSystemApi::CloseHandle(HANDLE handle) {
    Log("CloseHandle");
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return FALSE;
    m_processOfHandle.erase(handle);
    return --openHandles, TRUE;
}

DWORD RecordingSystemApi::GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    if (size == 0) return 0;
    std::snprintf(fileName, size, "%s", modulePath.c_str());
    return static_cast<DWORD>(std::min<size_t>(modulePath.size(), size - 1));
}

HRESULT RecordingSystemApi::SHGetSpecialFolderLocation(HWND, int folder, PIDLIST_ABSOLUTE* pidl) {
    if (Fails(Log("SHGetSpecialFolderLocation", folder))) return E_FAIL;
    *pidl = &m_folderId;
    return S_OK;
}

BOOL RecordingSystemApi::SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) {
    if (pidl != &m_folderId) return FALSE;
    std::snprintf(path, MAX_PATH, "%s", startupFolder.c_str());
    return TRUE;
}

HRESULT RecordingSystemApi::CoCreateInstance(REFCLSID clsid, IUnknown*, DWORD context, REFIID iid,
                                             void** object) {
    Log("CoCreateInstance", context);
    return realFiles ? ::CoCreateInstance(clsid, nullptr, context, iid, object)
                     : REGDB_E_CLASSNOTREG;
}

HANDLE RecordingSystemApi::FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA*) {
    if (Fails(Log("FindFirstFileA", fileName))) return INVALID_HANDLE_VALUE;
    if (realFiles) {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA(fileName, &found);
        m_lastError = ::GetLastError();
        openHandles += search != INVALID_HANDLE_VALUE ? 1 : 0;
        return search;
    }
    if (existingFiles.count(fileName) != 0) return NewHandle();
    m_lastError = ERROR_FILE_NOT_FOUND;
    return INVALID_HANDLE_VALUE;
}

BOOL RecordingSystemApi::FindClose(HANDLE search) {
    Log("FindClose");
    --openHandles;
    return realFiles ? ::FindClose(search) : TRUE;
}

BOOL RecordingSystemApi::DeleteFileA(LPCSTR fileName) {
    if (Fails(Log("DeleteFileA", fileName))) return FALSE;
    if (realFiles) {
        const BOOL deleted = ::DeleteFileA(fileName);
        m_lastError = ::GetLastError();
        return deleted;
    }
    if (existingFiles.count(fileName) == 0) return m_lastError = ERROR_FILE_NOT_FOUND, FALSE;
    if (!deleteKeepsFile) existingFiles.erase(fileName);
    return TRUE;
}

HINSTANCE RecordingSystemApi::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                            LPCSTR directory, INT showCommand) {
    Log("ShellExecuteA", Hex(reinterpret_cast<uintptr_t>(owner)), verb, file, parameters, directory,
        showCommand);
    return reinterpret_cast<HINSTANCE>(42);
}

BOOL RecordingSystemApi::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    Log("Shell_NotifyIconA", message);
    notifyIconRecords.push_back(*data);
    return message == NIM_ADD && notifyIconFails ? FALSE : TRUE;
}

int RecordingSystemApi::MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    Log("MessageBoxA");
    messageBoxes.push_back(Arg(caption) + "|" + Arg(text) + "|" + Hex(type));
    if (duringMessageBox) duringMessageBox();
    return IDOK;
}

BOOL RecordingSystemApi::TrackPopupMenu(HMENU, UINT flags, int x, int y, int reserved, HWND,
                                        const RECT* exclude) {
    Log("TrackPopupMenu", Hex(flags), x, y, reserved, exclude == nullptr ? "null" : "rect");
    return TRUE;
}
