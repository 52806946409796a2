// Everything else the logic asks of Windows beyond creating, sending to and
// painting windows: processes, the shell, COM, message boxes, timers and the
// end of the process. Tests put a recording fake in its place; the program
// uses the real forwarders in win32/. Methods keep the Win32 names.
#pragma once

#include "platform/windows_headers.h"

class SystemApi {
public:
    virtual ~SystemApi() = default;

    // Processes
    virtual HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) = 0;
    virtual BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
    virtual BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) = 0;
    virtual HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) = 0;
    virtual BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name,
                                            PDWORD size) = 0;
    virtual BOOL TerminateProcess(HANDLE process, UINT exitCode) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    virtual void Sleep(DWORD milliseconds) = 0;
    virtual DWORD GetCurrentProcessId() = 0;
    [[noreturn]] virtual void ExitProcess(UINT exitCode) = 0;

    // The program itself
    virtual LPSTR GetCommandLineA() = 0;
    virtual DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) = 0;

    // Shell, files and COM
    virtual HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* pidl) = 0;
    virtual BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) = 0;
    virtual void CoTaskMemFree(void* memory) = 0;
    virtual HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                     void** object) = 0;
    virtual HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) = 0;
    virtual BOOL FindClose(HANDLE search) = 0;
    virtual DWORD GetLastError() = 0;
    virtual BOOL DeleteFileA(LPCSTR fileName) = 0;
    virtual HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                    LPCSTR directory, INT showCommand) = 0;
    virtual BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) = 0;

    // User interface services whose outcome tests need to see or choose
    virtual int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) = 0;
    virtual BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                const RECT* exclude) = 0;
    // Whether a pop-up menu closes on a click elsewhere only while its owner is
    // the foreground window (Windows), or by itself (Wine, where bringing the
    // owner forward first closes the new menu at once).
    virtual bool MenuOwnerMustBeForeground() = 0;
    virtual BOOL SetForegroundWindow(HWND window) = 0;
    virtual BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                             PCHANGEFILTERSTRUCT status) = 0;
    virtual BOOL GetCursorPos(POINT* point) = 0;
    virtual UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) = 0;
    virtual BOOL KillTimer(HWND window, UINT_PTR id) = 0;
};
