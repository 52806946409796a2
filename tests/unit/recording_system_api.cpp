#include "recording_system_api.h"

#include <cstring>
#include <string>

namespace {

std::string Hex(uintptr_t value) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

const char* Text(const char* text) {
    return text == nullptr ? "null" : text;
}

}  // namespace

size_t RecordingSystemApi::CountCalls(const std::string& prefix) const {
    size_t count = 0;
    for (const std::string& call : calls) count += call.rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

HANDLE RecordingSystemApi::NewHandle() {
    ++openHandles;
    m_nextHandle += 4;
    return reinterpret_cast<HANDLE>(m_nextHandle);
}

bool RecordingSystemApi::IsRunning(const std::string& exeName) const {
    for (const Process& process : processes) {
        if (_stricmp(process.exeName.c_str(), exeName.c_str()) == 0) return true;
    }
    return false;
}

HANDLE RecordingSystemApi::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    Record("CreateToolhelp32Snapshot(" + std::to_string(flags) + "," + std::to_string(processId) +
           ")");
    if (snapshotFails) return INVALID_HANDLE_VALUE;
    m_snapshot = processes;
    m_nextProcess = 0;
    return NewHandle();
}

BOOL RecordingSystemApi::Process32First(HANDLE, PROCESSENTRY32* entry) {
    Record("Process32First(" + std::to_string(entry->dwSize) + ")");
    m_nextProcess = 0;
    // Toolhelp refuses a record whose size it does not know (ERROR_BAD_LENGTH).
    if (firstProcessFails || entry->dwSize != sizeof(PROCESSENTRY32)) return FALSE;
    return Process32Next(nullptr, entry);
}

BOOL RecordingSystemApi::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
    if (snapshot != nullptr) Record("Process32Next");
    if (m_nextProcess >= m_snapshot.size()) return FALSE;
    const Process& process = m_snapshot[m_nextProcess++];
    entry->th32ProcessID = process.id;
    std::strncpy(entry->szExeFile, process.exeName.c_str(), sizeof(entry->szExeFile) - 1);
    entry->szExeFile[sizeof(entry->szExeFile) - 1] = '\0';
    return TRUE;
}

HANDLE RecordingSystemApi::OpenProcess(DWORD access, BOOL inherit, DWORD processId) {
    Record("OpenProcess(" + std::to_string(access) + "," + std::to_string(inherit) + "," +
           std::to_string(processId) + ")");
    if (unopenableProcesses.count(processId) != 0) return nullptr;
    HANDLE handle = NewHandle();
    if ((access & PROCESS_TERMINATE) != 0) m_processOfHandle[handle] = processId;
    return handle;
}

BOOL RecordingSystemApi::TerminateProcess(HANDLE process, UINT exitCode) {
    Record("TerminateProcess(" + std::to_string(exitCode) + ")");
    auto found = m_processOfHandle.find(process);
    if (found == m_processOfHandle.end()) return FALSE;
    terminated.push_back(found->second);
    std::erase_if(processes, [&](const Process& process) { return process.id == found->second; });
    return TRUE;
}

BOOL RecordingSystemApi::CloseHandle(HANDLE handle) {
    Record("CloseHandle");
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return FALSE;
    m_processOfHandle.erase(handle);
    --openHandles;
    return TRUE;
}

void RecordingSystemApi::Sleep(DWORD milliseconds) {
    Record("Sleep(" + std::to_string(milliseconds) + ")");
    sleeps.push_back(milliseconds);
}

DWORD RecordingSystemApi::GetCurrentProcessId() {
    return currentProcessId;
}

void RecordingSystemApi::ExitProcess(UINT exitCode) {
    Record("ExitProcess(" + std::to_string(exitCode) + ")");
    throw ProcessExit{exitCode};
}

LPSTR RecordingSystemApi::GetCommandLineA() {
    return commandLine.data();
}

DWORD RecordingSystemApi::GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    if (size == 0) return 0;
    const size_t copied = std::min<size_t>(modulePath.size(), size - 1);
    std::memcpy(fileName, modulePath.data(), copied);
    fileName[copied] = '\0';
    return static_cast<DWORD>(copied);
}

HRESULT RecordingSystemApi::SHGetSpecialFolderLocation(HWND, int folder, PIDLIST_ABSOLUTE* pidl) {
    Record("SHGetSpecialFolderLocation(" + std::to_string(folder) + ")");
    if (!startupFolderKnown) return E_FAIL;
    *pidl = &m_folderId;
    return S_OK;
}

BOOL RecordingSystemApi::SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) {
    if (pidl != &m_folderId) return FALSE;
    std::strncpy(path, startupFolder.c_str(), MAX_PATH - 1);
    path[MAX_PATH - 1] = '\0';
    return TRUE;
}

void RecordingSystemApi::CoTaskMemFree(void*) {
    Record("CoTaskMemFree");
}

HRESULT RecordingSystemApi::CoCreateInstance(REFCLSID clsid, IUnknown*, DWORD context, REFIID iid,
                                             void** object) {
    Record("CoCreateInstance(" + std::to_string(context) + ")");
    if (realFiles && !createInstance)
        return ::CoCreateInstance(clsid, nullptr, context, iid, object);
    if (!createInstance) return REGDB_E_CLASSNOTREG;
    return createInstance(clsid, iid, object);
}

HANDLE RecordingSystemApi::FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA*) {
    Record(std::string("FindFirstFileA(") + Text(fileName) + ")");
    if (realFiles) {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA(fileName, &found);
        m_lastError = ::GetLastError();
        if (search != INVALID_HANDLE_VALUE) ++openHandles;
        return search;
    }
    auto error = findFirstFileErrors.find(fileName);
    if (error != findFirstFileErrors.end()) {
        m_lastError = error->second;
        return INVALID_HANDLE_VALUE;
    }
    if (existingFiles.count(fileName) == 0) {
        m_lastError = ERROR_FILE_NOT_FOUND;
        return INVALID_HANDLE_VALUE;
    }
    return NewHandle();
}

BOOL RecordingSystemApi::FindClose(HANDLE search) {
    Record("FindClose");
    --openHandles;
    return realFiles ? ::FindClose(search) : TRUE;
}

DWORD RecordingSystemApi::GetLastError() {
    return m_lastError;
}

BOOL RecordingSystemApi::DeleteFileA(LPCSTR fileName) {
    Record(std::string("DeleteFileA(") + Text(fileName) + ")");
    if (realFiles) {
        const BOOL deleted = ::DeleteFileA(fileName);
        m_lastError = ::GetLastError();
        return deleted;
    }
    if (deleteFails || existingFiles.count(fileName) == 0) {
        m_lastError = deleteFails ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
        return FALSE;
    }
    if (!deleteKeepsFile) existingFiles.erase(fileName);
    return TRUE;
}

HINSTANCE RecordingSystemApi::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                            LPCSTR directory, INT showCommand) {
    Record(std::string("ShellExecuteA(") + Hex(reinterpret_cast<uintptr_t>(owner)) + "," +
           Text(verb) + "," + Text(file) + "," + Text(parameters) + "," + Text(directory) + "," +
           std::to_string(showCommand) + ")");
    return reinterpret_cast<HINSTANCE>(42);
}

BOOL RecordingSystemApi::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    Record("Shell_NotifyIconA(" + std::to_string(message) + ")");
    notifyIconRecords.push_back(*data);
    return message == NIM_ADD && notifyIconFails ? FALSE : TRUE;
}

int RecordingSystemApi::MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    Record("MessageBoxA");
    messageBoxes.push_back(std::string(Text(caption)) + "|" + Text(text) + "|" + Hex(type));
    if (duringMessageBox) duringMessageBox();
    return IDOK;
}

BOOL RecordingSystemApi::TrackPopupMenu(HMENU, UINT flags, int x, int y, int reserved, HWND,
                                        const RECT* exclude) {
    Record("TrackPopupMenu(" + Hex(flags) + "," + std::to_string(x) + "," + std::to_string(y) +
           "," + std::to_string(reserved) + "," + (exclude == nullptr ? "null" : "rect") + ")");
    return TRUE;
}

BOOL RecordingSystemApi::GetCursorPos(POINT* point) {
    *point = cursor;
    return TRUE;
}

UINT_PTR RecordingSystemApi::SetTimer(HWND, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    Record("SetTimer(" + std::to_string(id) + "," + std::to_string(elapse) + "," +
           (callback == nullptr ? "null" : "proc") + ")");
    return id;  // a window's timer keeps the id it was given
}

BOOL RecordingSystemApi::KillTimer(HWND, UINT_PTR id) {
    Record("KillTimer(" + std::to_string(id) + ")");
    return TRUE;
}
