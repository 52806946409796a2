// SystemApi answered by the real operating system: plain forwarders.
#pragma once

#include "platform/system_api.h"

class RealSystemApi final : public SystemApi {
public:
    HANDLE CreateToolhelp32Snapshot(DWORD flags, DWORD processId) override;
    BOOL Process32First(HANDLE snapshot, PROCESSENTRY32* entry) override;
    BOOL Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) override;
    HANDLE OpenProcess(DWORD access, BOOL inherit, DWORD processId) override;
    BOOL QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name, PDWORD size) override;
    BOOL TerminateProcess(HANDLE process, UINT exitCode) override;
    BOOL CloseHandle(HANDLE handle) override;
    void Sleep(DWORD milliseconds) override;
    DWORD GetCurrentProcessId() override;
    [[noreturn]] void ExitProcess(UINT exitCode) override;
    LPSTR GetCommandLineA() override;
    DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) override;
    HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* pidl) override;
    BOOL SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) override;
    void CoTaskMemFree(void* memory) override;
    HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                             void** object) override;
    HANDLE FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) override;
    BOOL FindClose(HANDLE search) override;
    DWORD GetLastError() override;
    BOOL DeleteFileA(LPCSTR fileName) override;
    HINSTANCE ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                            LPCSTR directory, INT showCommand) override;
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;
    int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) override;
    BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                        const RECT* exclude) override;
    bool MenuOwnerMustBeForeground() override;
    BOOL SetForegroundWindow(HWND window) override;
    BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                     PCHANGEFILTERSTRUCT status) override;
    BOOL GetCursorPos(POINT* point) override;
    UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) override;
    BOOL KillTimer(HWND window, UINT_PTR id) override;
};
