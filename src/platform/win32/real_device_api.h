// DeviceApi answered by the real operating system: each method forwards to
// the Win32 function of the same name and nothing more.
#pragma once

#include "platform/device_api.h"

class RealDeviceApi final : public DeviceApi {
public:
    HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                  DWORD flags) override;
    BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* data) override;
    BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* data, DWORD property,
                                           DWORD* regType, BYTE* buffer, DWORD bufferSize,
                                           DWORD* requiredSize) override;
    BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* data, const GUID* interfaceGuid,
                                     DWORD memberIndex,
                                     SP_DEVICE_INTERFACE_DATA* interfaceData) override;
    BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set, SP_DEVICE_INTERFACE_DATA* interfaceData,
                                          SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                          DWORD detailSize, DWORD* requiredSize,
                                          SP_DEVINFO_DATA* data) override;
    BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) override;
    HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                       SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                       HANDLE templateFile) override;
    BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, void* inBuffer, DWORD inSize,
                         void* outBuffer, DWORD outSize, DWORD* bytesReturned,
                         OVERLAPPED* overlapped) override;
    BOOL CloseHandle(HANDLE handle) override;
    HANDLE FindFirstVolumeA(LPSTR volumeName, DWORD length) override;
    BOOL FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length) override;
    BOOL FindVolumeClose(HANDLE search) override;
    BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                               DWORD* serialNumber, DWORD* maxComponentLength,
                               DWORD* fileSystemFlags, LPSTR fileSystemName,
                               DWORD fileSystemNameSize) override;
    BOOL GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPCH pathNames, DWORD bufferLength,
                                          DWORD* returnLength) override;
    BOOL GetDiskFreeSpaceExA(LPCSTR directory, ULARGE_INTEGER* freeToCaller,
                             ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) override;
    HANDLE GetProcessHeap() override;
    LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) override;
    BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) override;
    HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) override;
    HLOCAL LocalFree(HLOCAL memory) override;
    DWORD GetLastError() override;
    CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST device, ULONG flags) override;
    CONFIGRET CM_Get_Device_IDA(DEVINST device, PSTR buffer, ULONG bufferLength,
                                ULONG flags) override;
    CONFIGRET CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DEVINST device,
                                    ULONG flags) override;
    CONFIGRET CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                       ULONG nameLength, ULONG flags) override;
    CONFIGRET CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType, LPSTR vetoName,
                                           ULONG nameLength, ULONG flags) override;
};
