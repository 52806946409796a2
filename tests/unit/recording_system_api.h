// A SystemApi for tests: records every call as text and answers from what the
// test set up (processes, failing calls, the Startup folder, files, ...).
#pragma once

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_api.h"

// Thrown by ExitProcess so a test can see the program end without ending.
struct ProcessExit {
    UINT exitCode;
};

class RecordingSystemApi : public SystemApi {
public:
    struct Process {
        DWORD id;
        std::string exeName;
        std::string folder = "C:\\Apps";  // of its image file
    };

    // What the fake answers; tests set these before the code under test runs.
    std::vector<Process> processes;
    std::function<void()> afterSnapshot;  // the list changing once, after the next snapshot
    // A call whose recorded text starts with a key fails, leaving its error.
    std::map<std::string, DWORD> failing;
    // Hears every call as it is recorded, and the records the tray is handed.
    std::function<void(const std::string&)> listener;
    DWORD currentProcessId = 100;
    std::string commandLine = "\"C:\\Program Files\\Korvane\\Korvane_Safe_Eject.exe\"";
    std::string modulePath = "C:\\Program Files\\Korvane\\Korvane_Safe_Eject.exe";
    std::string startupFolder = "C:\\users\\tester\\Start Menu\\Programs\\StartUp";
    std::set<std::string> existingFiles;
    // A delete reports success while the file stays, as a read-only folder can.
    bool deleteKeepsFile = false;
    // The icons in the tray, as the shell keeps them: one per window and id.
    std::set<std::pair<HWND, UINT>> trayIcons;
    bool menuOwnerMustBeForeground = true;  // as on Windows; false as under Wine
    POINT cursor{0, 0};

    // What happened.
    std::vector<std::string> calls;
    int openHandles = 0;  // and ID lists not freed

    size_t CountCalls(const std::string& prefix) const;
    static std::string Hex(uintptr_t value);
    static std::string Hex(HWND window) { return Hex(reinterpret_cast<uintptr_t>(window)); }
    // Whether a process of this name runs, as the process list would say.
    bool IsRunning(const std::string& exeName) const;
    // Files, their searches and COM go to the real system instead of the
    // made-up file set, with the Startup folder a new, empty temporary folder.
    void UseRealFiles();

    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override {
        if (Fails(Log("CreateToolhelp32Snapshot", flags, processId))) return INVALID_HANDLE_VALUE;
        m_snapshot = processes;
        if (auto change = std::exchange(afterSnapshot, nullptr)) change();
        return NewHandle();
    }
    BOOL Process32First(HANDLE, PROCESSENTRY32* entry) override {
        m_nextProcess = 0;
        // Toolhelp refuses a record whose size it does not know (ERROR_BAD_LENGTH).
        const bool known = entry->dwSize == sizeof(PROCESSENTRY32);
        return !Fails(Log("Process32First", known ? "full record" : Arg(entry->dwSize))) && known &&
               Next(entry);
    }
    BOOL Process32Next(HANDLE, PROCESSENTRY32* e) override {
        return !Fails(Log("Process32Next")) && Next(e);
    }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override {
        if (Fails(Log("OpenProcess", access, inherit, processId))) return nullptr;
        HANDLE handle = NewHandle();
        if ((access & PROCESS_TERMINATE) != 0) m_processOfHandle[handle] = processId;
        return handle;
    }
    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name, PDWORD size) override;
    BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
    BOOL CloseHandle(HANDLE handle) override {
        Log("CloseHandle");
        if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return FALSE;
        return m_processOfHandle.erase(handle), --openHandles, TRUE;
    }
    void Sleep(DWORD milliseconds) override { Log("Sleep", milliseconds); }
    DWORD GetCurrentProcessId() override { return currentProcessId; }
    [[noreturn]] void ExitProcess(UINT exitCode) override {
        Log("ExitProcess", exitCode);
        throw ProcessExit{exitCode};
    }
    LPSTR GetCommandLineA() override { return commandLine.data(); }
    DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) override {
        std::snprintf(fileName, size, "%s", modulePath.c_str());
        return static_cast<DWORD>(std::min<size_t>(modulePath.size(), size - 1));
    }
    HRESULT SHGetSpecialFolderLocation(HWND, int folder, PIDLIST_ABSOLUTE* pidl) override {
        if (Fails(Log("SHGetSpecialFolderLocation", folder))) return E_FAIL;
        return *pidl = &m_folderId, ++openHandles, S_OK;  // an ID list to free
    }
    BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) override {
        return !Fails(Log("SHGetPathFromIDListA")) && pidl == &m_folderId &&
               std::snprintf(path, MAX_PATH, "%s", startupFolder.c_str());
    }
    void CoTaskMemFree(void*) override { Log("CoTaskMemFree"), --openHandles; }
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown*, DWORD context, REFIID iid,
                             void** object) override {
        if (Fails(Log("CoCreateInstance", context))) return HRESULT_FROM_WIN32(m_lastError);
        return m_realFiles ? ::CoCreateInstance(clsid, nullptr, context, iid, object)
                           : REGDB_E_CLASSNOTREG;
    }
    HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* found) override {
        if (Fails(Log("FindFirstFileA", fileName))) return INVALID_HANDLE_VALUE;
        HANDLE search = m_realFiles                          ? ::FindFirstFileA(fileName, found)
                        : existingFiles.count(fileName) != 0 ? m_fakeSearch
                                                             : INVALID_HANDLE_VALUE;
        m_lastError = m_realFiles ? ::GetLastError() : ERROR_FILE_NOT_FOUND;
        openHandles += search != INVALID_HANDLE_VALUE ? 1 : 0;
        return search;
    }
    BOOL FindClose(HANDLE search) override {
        Log("FindClose");
        return --openHandles, search == m_fakeSearch || ::FindClose(search);
    }
    DWORD GetLastError() override { return m_lastError; }
    BOOL DeleteFileA(LPCSTR fileName) override {
        if (Fails(Log("DeleteFileA", fileName))) return FALSE;
        const BOOL deleted =
            m_realFiles ? ::DeleteFileA(fileName) : existingFiles.count(fileName) != 0;
        m_lastError = m_realFiles ? ::GetLastError() : ERROR_FILE_NOT_FOUND;
        if (!deleteKeepsFile) existingFiles.erase(fileName);
        return deleted;
    }
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT showCommand) override {
        Log("ShellExecuteA", Hex(reinterpret_cast<uintptr_t>(owner)), verb, file, parameters,
            directory, showCommand);
        return reinterpret_cast<HINSTANCE>(42);
    }
    // The shell refuses a second icon of a window's id, and the delete of one
    // it does not have.
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override {
        return Log("MessageBoxA", Hex(owner), Arg(caption), Arg(text), Hex(type)), IDOK;
    }
    BOOL TrackPopupMenu(HMENU, UINT flags, int x, int y, int reserved, HWND,
                        const RECT* exclude) override {
        return !Fails(Log("TrackPopupMenu", Hex(flags), x, y, reserved,
                          exclude == nullptr ? "null" : "rect"));
    }
    bool MenuOwnerMustBeForeground() override { return menuOwnerMustBeForeground; }
    BOOL SetForegroundWindow(HWND window) override {
        return Log("SetForegroundWindow", Hex(window)), TRUE;
    }
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        return Log("PostMessageA", Hex(window), message, wParam, lParam), TRUE;
    }
    BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                     PCHANGEFILTERSTRUCT) override {
        const bool taskbar = message == ::RegisterWindowMessageA("TaskbarCreated");
        Log("ChangeWindowMessageFilterEx", Hex(window), taskbar ? "TaskbarCreated" : Arg(message),
            action);
        return TRUE;
    }
    BOOL GetCursorPos(POINT* point) override { return *point = cursor, TRUE; }
    UINT_PTR SetTimer(HWND, UINT_PTR id, UINT elapse, TIMERPROC callback) override {
        Log("SetTimer", id, elapse, callback == nullptr ? "null" : "proc");
        return id;  // a window's timer keeps the id it was given
    }
    BOOL KillTimer(HWND, UINT_PTR id) override { return Log("KillTimer", id), TRUE; }

private:
    static std::string Arg(const char* text) { return text == nullptr ? "null" : text; }
    static std::string Arg(const std::string& text) { return text; }
    template <typename T>
    static std::string Arg(T value) {
        return std::to_string(value);
    }
    // Records "name(argument,...)", or the bare name for no arguments.
    template <typename... T>
    std::string Log(const char* name, const T&... arguments) {
        std::string call = name;
        if constexpr (sizeof...(arguments) > 0) {
            call += "(";
            ((call += Arg(arguments) + ","), ...);
            call.back() = ')';
        }
        if (listener) listener(call);
        return calls.push_back(call), call;
    }
    bool Fails(const std::string& call);  // and leaves the error it fails with
    BOOL Next(PROCESSENTRY32* entry);
    HANDLE NewHandle() { return ++openHandles, reinterpret_cast<HANDLE>(m_nextHandle += 4); }

    bool m_realFiles = false;
    std::vector<Process> m_snapshot;  // the list as it was when the snapshot was taken
    size_t m_nextProcess = 0;
    DWORD m_lastError = 0;
    uintptr_t m_nextHandle = 0x5000;
    HANDLE m_fakeSearch = reinterpret_cast<HANDLE>(0x4000);
    ITEMIDLIST m_folderId{};
    std::map<HANDLE, DWORD> m_processOfHandle;  // handles opened with PROCESS_TERMINATE
};
