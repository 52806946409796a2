// The real DeviceApi and SystemApi hand every argument to Windows in its
// place: each answers here as the Win32 function itself does.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win32/real_device_api.h"
#include "platform/win32/real_system_api.h"

namespace {

TEST(RealForwarders, AnswerAsWindowsDoes) {
    RealDeviceApi devices;
    RealSystemApi system;
    ULARGE_INTEGER mine[3]{}, theirs[3]{};
    ASSERT_TRUE(devices.GetDiskFreeSpaceExA("C:\\", &mine[0], &mine[1], &mine[2]));
    ::GetDiskFreeSpaceExA("C:\\", &theirs[0], &theirs[1], &theirs[2]);
    EXPECT_EQ(mine[1].QuadPart, theirs[1].QuadPart) << "the total in its place";

    DWORD serial = 0x5EED, theirSerial = 0;
    ASSERT_TRUE(
        devices.GetVolumeInformationA("C:\\", nullptr, 0, &serial, nullptr, nullptr, nullptr, 0));
    ::GetVolumeInformationA("C:\\", nullptr, 0, &theirSerial, nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(serial, theirSerial);

    // Shared opens: a second reader and writer gets in beside the first.
    char file[MAX_PATH];
    ::GetTempFileNameA(".", "kse", 0, file);
    const DWORD access = GENERIC_READ | GENERIC_WRITE, share = FILE_SHARE_READ | FILE_SHARE_WRITE;
    HANDLE first = devices.CreateFileA(file, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE second = ::CreateFileA(file, access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    ::CloseHandle(second);
    devices.CloseHandle(first);
    ::DeleteFileA(file);

    // A device's instance ID, as SetupAPI gives it; one of exactly the
    // buffer's length comes without its NUL (Microsoft's rule, which Wine
    // keeps too). Wine forgets the node with its device set.
    HDEVINFO set =
        ::SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    SP_DEVINFO_DATA member{sizeof(member), {}, 0, 0};
    ASSERT_TRUE(::SetupDiEnumDeviceInfo(set, 0, &member));
    char id[MAX_DEVICE_ID_LEN] = {}, theirId[MAX_DEVICE_ID_LEN] = {};
    ::SetupDiGetDeviceInstanceIdA(set, &member, theirId, MAX_DEVICE_ID_LEN, nullptr);
    const ULONG idLength = static_cast<ULONG>(std::strlen(theirId));
    id[idLength] = '#';
    EXPECT_EQ(devices.CM_Get_Device_IDA(member.DevInst, id, idLength, 0), CR_SUCCESS);
    EXPECT_EQ(std::string(id, idLength + 1), std::string(theirId) + "#");
    ::SetupDiDestroyDeviceInfoList(set);

    // A window's timer keeps the id it was set with.
    HWND window =
        ::CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    EXPECT_EQ(system.SetTimer(window, 5, 60000, nullptr), 5u);
    EXPECT_TRUE(system.KillTimer(window, 5));
    ::DestroyWindow(window);

    char path[MAX_PATH] = {}, theirPath[MAX_PATH] = {};
    PIDLIST_ABSOLUTE folder = nullptr;
    ASSERT_EQ(system.SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &folder), S_OK);
    system.SHGetPathFromIDListA(folder, path);
    system.CoTaskMemFree(folder);
    ::SHGetSpecialFolderPathA(nullptr, theirPath, CSIDL_STARTUP, FALSE);
    EXPECT_STREQ(path, theirPath);

    // A buffer just long enough takes the whole path.
    const DWORD length = ::GetModuleFileNameA(nullptr, theirPath, MAX_PATH);
    EXPECT_EQ(system.GetModuleFileNameA(nullptr, path, length + 1), length);
}

}  // namespace
