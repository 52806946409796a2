// A SystemApi for tests: records every call as text and answers from what the
// test set up (processes, message-box answers, the Startup folder, ...).
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
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
    };

    // What the fake answers; tests set these before the code under test runs.
    std::vector<Process> processes;
    // A call whose recorded text starts with a key fails, leaving its error.
    std::map<std::string, DWORD> failing;
    DWORD currentProcessId = 100;
    std::string commandLine = "\"C:\\Program Files\\Korvane\\Korvane_Safe_Eject.exe\"";
    std::string modulePath = "C:\\Program Files\\Korvane\\Korvane_Safe_Eject.exe";
    std::string startupFolder = "C:\\users\\tester\\Start Menu\\Programs\\StartUp";
    std::set<std::string> existingFiles;
    // Files, their searches and COM go to the real system (a real Startup
    // folder in a temporary place) instead of the made-up file set.
    bool realFiles = false;
    bool deleteKeepsFile =
        false;  // reports success while the file stays, as a read-only folder can
    bool notifyIconFails = false;
    std::function<void()> duringMessageBox;  // runs while the box is "open"
    POINT cursor{0, 0};

    // What happened.
    std::vector<std::string> calls;
    std::vector<DWORD> terminated;
    std::vector<std::string> messageBoxes;  // "caption|text|style"
    int openHandles = 0;
    std::vector<NOTIFYICONDATAA> notifyIconRecords;

    size_t CountCalls(const std::string& prefix) const;
    // Whether a process of this name runs, as the process list would say.
    bool IsRunning(const std::string& exeName) const;

    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL Process32Next(HANDLE, PROCESSENTRY32* entry) override {
        return Log("Process32Next"), Next(entry);
    }
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override;
    BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
    BOOL CloseHandle(HANDLE handle) override;
    void Sleep(DWORD milliseconds) override { Log("Sleep", milliseconds); }
    DWORD GetCurrentProcessId() override { return currentProcessId; }
    [[noreturn]] void ExitProcess(UINT exitCode) override {
        Log("ExitProcess", exitCode);
        throw ProcessExit{exitCode};
    }
    LPSTR GetCommandLineA() override { return commandLine.data(); }
    DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override;
    HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* pidl) override;
    BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) override;
    void CoTaskMemFree(void*) override { Log("CoTaskMemFree"); }
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                             void** object) override;
    HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) override;
    BOOL FindClose(HANDLE search) override;
    DWORD GetLastError() override { return m_lastError; }
    BOOL DeleteFileA(LPCSTR fileName) override;
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT showCommand) override;
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                        const RECT* exclude) override;
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
        calls.push_back(call);
        return call;
    }
    bool Fails(const std::string& call);
    BOOL Next(PROCESSENTRY32* entry);
    HANDLE NewHandle() { return ++openHandles, reinterpret_cast<HANDLE>(m_nextHandle += 4); }

    std::vector<Process> m_snapshot;  // the list as it was when the snapshot was taken
    size_t m_nextProcess = 0;
    DWORD m_lastError = 0;
    uintptr_t m_nextHandle = 0x5000;
    ITEMIDLIST m_folderId{};
    std::map<HANDLE, DWORD> m_processOfHandle;  // handles opened with PROCESS_TERMINATE
};
