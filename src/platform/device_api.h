// The hardware boundary: every question the program asks about disks,
// volumes and device nodes goes through this interface, so the logic can run
// against the real machine (win32/) or a simulated one (sim/). Methods keep
// the Win32 names, argument order and result conventions.
#pragma once

#include "platform/windows_headers.h"

class DeviceApi {
public:
    virtual ~DeviceApi() = default;

    // SetupAPI
    virtual HDEVINFO SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                          DWORD flags) = 0;
    virtual BOOL SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* data) = 0;
    virtual BOOL SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* data,
                                                   DWORD property, DWORD* regType, BYTE* buffer,
                                                   DWORD bufferSize, DWORD* requiredSize) = 0;
    virtual BOOL SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* data,
                                             const GUID* interfaceGuid, DWORD memberIndex,
                                             SP_DEVICE_INTERFACE_DATA* interfaceData) = 0;
    virtual BOOL SetupDiGetDeviceInterfaceDetailA(HDEVINFO set,
                                                  SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                  SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                  DWORD detailSize, DWORD* requiredSize,
                                                  SP_DEVINFO_DATA* data) = 0;
    virtual BOOL SetupDiDestroyDeviceInfoList(HDEVINFO set) = 0;

    // Device and volume handles
    virtual HANDLE CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                               SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                               HANDLE templateFile) = 0;
    virtual BOOL DeviceIoControl(HANDLE device, DWORD ioControlCode, void* inBuffer, DWORD inSize,
                                 void* outBuffer, DWORD outSize, DWORD* bytesReturned,
                                 OVERLAPPED* overlapped) = 0;
    virtual BOOL CloseHandle(HANDLE handle) = 0;

    // The volume search and volume queries
    virtual HANDLE FindFirstVolumeA(LPSTR volumeName, DWORD length) = 0;
    virtual BOOL FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length) = 0;
    virtual BOOL FindVolumeClose(HANDLE search) = 0;
    virtual BOOL GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                                       DWORD* serialNumber, DWORD* maxComponentLength,
                                       DWORD* fileSystemFlags, LPSTR fileSystemName,
                                       DWORD fileSystemNameSize) = 0;
    virtual BOOL GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPCH pathNames,
                                                  DWORD bufferLength, DWORD* returnLength) = 0;
    virtual BOOL GetDiskFreeSpaceExA(LPCSTR directory, ULARGE_INTEGER* freeToCaller,
                                     ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) = 0;

    // Buffers the enumeration allocates: the interface detail from the
    // process heap, the property buffers from LocalAlloc.
    virtual HANDLE GetProcessHeap() = 0;
    virtual LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) = 0;
    virtual BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory) = 0;
    virtual HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) = 0;
    virtual HLOCAL LocalFree(HLOCAL memory) = 0;

    // The error the last failing call of this interface left behind.
    virtual DWORD GetLastError() = 0;

    // Configuration manager
    virtual CONFIGRET CM_Get_Parent(DEVINST* parent, DEVINST device, ULONG flags) = 0;
    // The device instance ID ("USB\VID_...\..."); the length is in characters.
    virtual CONFIGRET CM_Get_Device_IDA(DEVINST device, PSTR buffer, ULONG bufferLength,
                                        ULONG flags) = 0;
    virtual CONFIGRET CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DEVINST device,
                                            ULONG flags) = 0;
    virtual CONFIGRET CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                               LPSTR vetoName, ULONG nameLength, ULONG flags) = 0;
    virtual CONFIGRET CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                   LPSTR vetoName, ULONG nameLength,
                                                   ULONG flags) = 0;
};
