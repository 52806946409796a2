// What any program doing our job must pay at start-up, beyond a bare dialog:
// loading the DLLs the program imports, and the calls no implementation can
// skip (COM for the shell link, the Startup folder, one process snapshot to
// find older copies, one query for the disk device set). The floor dialog
// makes these, and the program is measured against it.
// clang-format off
#include <windows.h>

#include <initguid.h>

#include <winioctl.h>
// clang-format on
#include <commctrl.h>
#include <setupapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include "floor_calls.h"

namespace {

// One function of each DLL the program imports and the calls below do not
// reach, so that the loader maps and binds the same set.
void* volatile g_imports[] = {
    reinterpret_cast<void*>(&::InitCommonControlsEx),
    reinterpret_cast<void*>(&::SysFreeString),
    reinterpret_cast<void*>(&::GetStockObject),
    reinterpret_cast<void*>(&::RegCloseKey),
};

void FindStartupFolder() {
    PIDLIST_ABSOLUTE folder = nullptr;
    char path[MAX_PATH] = {};
    if (SUCCEEDED(::SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &folder))) {
        ::SHGetPathFromIDListA(folder, path);
        ::CoTaskMemFree(folder);
    }
}

void WalkProcesses() {
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32First(snapshot, &entry); more;
         more = ::Process32Next(snapshot, &entry)) {
    }
    ::CloseHandle(snapshot);
}

void QueryDiskDevices() {
    HDEVINFO set = ::SetupDiGetClassDevsA(&GUID_DEVINTERFACE_DISK, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return;
    SP_DEVINFO_DATA member{};
    member.cbSize = sizeof(member);
    ::SetupDiEnumDeviceInfo(set, 0, &member);
    ::SetupDiDestroyDeviceInfoList(set);
}

}  // namespace

void MakeUnavoidableStartupCalls() {
    (void)g_imports[0];
    WalkProcesses();
    QueryDiskDevices();
    FindStartupFolder();
    ::CoInitialize(nullptr);
}
