#include "platform/win32/real_system_api.h"

HANDLE RealSystemApi::CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    return ::CreateToolhelp32Snapshot(flags, processId);
}

BOOL RealSystemApi::Process32First(HANDLE snapshot, PROCESSENTRY32* entry) {
    return ::Process32First(snapshot, entry);
}

BOOL RealSystemApi::Process32Next(HANDLE snapshot, PROCESSENTRY32* entry) {
    return ::Process32Next(snapshot, entry);
}

HANDLE RealSystemApi::OpenProcess(DWORD access, BOOL inherit, DWORD processId) {
    return ::OpenProcess(access, inherit, processId);
}

BOOL RealSystemApi::QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name,
                                               PDWORD size) {
    return ::QueryFullProcessImageNameA(process, flags, name, size);
}

BOOL RealSystemApi::TerminateProcess(HANDLE process, UINT exitCode) {
    return ::TerminateProcess(process, exitCode);
}

BOOL RealSystemApi::CloseHandle(HANDLE handle) {
    return ::CloseHandle(handle);
}

void RealSystemApi::Sleep(DWORD milliseconds) {
    ::Sleep(milliseconds);
}

DWORD RealSystemApi::GetCurrentProcessId() {
    return ::GetCurrentProcessId();
}

void RealSystemApi::ExitProcess(UINT exitCode) {
    ::ExitProcess(exitCode);
}

LPSTR RealSystemApi::GetCommandLineA() {
    return ::GetCommandLineA();
}

DWORD RealSystemApi::GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    return ::GetModuleFileNameA(module, fileName, size);
}

HRESULT RealSystemApi::SHGetSpecialFolderLocation(HWND owner, int folder, PIDLIST_ABSOLUTE* pidl) {
    return ::SHGetSpecialFolderLocation(owner, folder, pidl);
}

BOOL RealSystemApi::SHGetPathFromIDListA(PCIDLIST_ABSOLUTE pidl, LPSTR path) {
    return ::SHGetPathFromIDListA(pidl, path);
}

void RealSystemApi::CoTaskMemFree(void* memory) {
    ::CoTaskMemFree(memory);
}

HRESULT RealSystemApi::CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID iid,
                                        void** object) {
    return ::CoCreateInstance(clsid, outer, context, iid, object);
}

HANDLE RealSystemApi::FindFirstFileA(LPCSTR fileName, WIN32_FIND_DATAA* findData) {
    return ::FindFirstFileA(fileName, findData);
}

BOOL RealSystemApi::FindClose(HANDLE search) {
    return ::FindClose(search);
}

DWORD RealSystemApi::GetLastError() {
    return ::GetLastError();
}

BOOL RealSystemApi::DeleteFileA(LPCSTR fileName) {
    return ::DeleteFileA(fileName);
}

HINSTANCE RealSystemApi::ShellExecuteA(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                       LPCSTR directory, INT showCommand) {
    return ::ShellExecuteA(owner, verb, file, parameters, directory, showCommand);
}

BOOL RealSystemApi::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    return ::Shell_NotifyIconA(message, data);
}

int RealSystemApi::MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    return ::MessageBoxA(owner, text, caption, type);
}

BOOL RealSystemApi::TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                   const RECT* exclude) {
    return ::TrackPopupMenu(menu, flags, x, y, reserved, owner, exclude);
}

// Wine closes a menu on a click elsewhere by itself, and there bringing the
// owner forward does harm: the X server's news that the tray took the focus
// with the click arrives after the window has made itself foreground, and
// closes the new menu at once.
bool RealSystemApi::MenuOwnerMustBeForeground() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll == nullptr || ::GetProcAddress(ntdll, "wine_get_version") == nullptr;
}

BOOL RealSystemApi::SetForegroundWindow(HWND window) {
    return ::SetForegroundWindow(window);
}

BOOL RealSystemApi::PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(window, message, wParam, lParam);
}

BOOL RealSystemApi::ChangeWindowMessageFilterEx(HWND window, UINT message, DWORD action,
                                                PCHANGEFILTERSTRUCT status) {
    return ::ChangeWindowMessageFilterEx(window, message, action, status);
}

BOOL RealSystemApi::GetCursorPos(POINT* point) {
    return ::GetCursorPos(point);
}

UINT_PTR RealSystemApi::SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC callback) {
    return ::SetTimer(window, id, elapse, callback);
}

BOOL RealSystemApi::KillTimer(HWND window, UINT_PTR id) {
    return ::KillTimer(window, id);
}
