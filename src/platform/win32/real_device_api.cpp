#include "platform/win32/real_device_api.h"

HDEVINFO RealDeviceApi::SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                             DWORD flags) {
    return ::SetupDiGetClassDevsA(classGuid, enumerator, parent, flags);
}

BOOL RealDeviceApi::SetupDiEnumDeviceInfo(HDEVINFO set, DWORD memberIndex, SP_DEVINFO_DATA* data) {
    return ::SetupDiEnumDeviceInfo(set, memberIndex, data);
}

BOOL RealDeviceApi::SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, SP_DEVINFO_DATA* data,
                                                      DWORD property, DWORD* regType, BYTE* buffer,
                                                      DWORD bufferSize, DWORD* requiredSize) {
    return ::SetupDiGetDeviceRegistryPropertyA(set, data, property, regType, buffer, bufferSize,
                                               requiredSize);
}

BOOL RealDeviceApi::SetupDiEnumDeviceInterfaces(HDEVINFO set, SP_DEVINFO_DATA* data,
                                                const GUID* interfaceGuid, DWORD memberIndex,
                                                SP_DEVICE_INTERFACE_DATA* interfaceData) {
    return ::SetupDiEnumDeviceInterfaces(set, data, interfaceGuid, memberIndex, interfaceData);
}

BOOL RealDeviceApi::SetupDiGetDeviceInterfaceDetailA(HDEVINFO set,
                                                     SP_DEVICE_INTERFACE_DATA* interfaceData,
                                                     SP_DEVICE_INTERFACE_DETAIL_DATA_A* detail,
                                                     DWORD detailSize, DWORD* requiredSize,
                                                     SP_DEVINFO_DATA* data) {
    return ::SetupDiGetDeviceInterfaceDetailA(set, interfaceData, detail, detailSize, requiredSize,
                                              data);
}

BOOL RealDeviceApi::SetupDiDestroyDeviceInfoList(HDEVINFO set) {
    return ::SetupDiDestroyDeviceInfoList(set);
}

HANDLE RealDeviceApi::CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                                  SECURITY_ATTRIBUTES* security, DWORD disposition, DWORD flags,
                                  HANDLE templateFile) {
    return ::CreateFileA(fileName, access, shareMode, security, disposition, flags, templateFile);
}

BOOL RealDeviceApi::DeviceIoControl(HANDLE device, DWORD ioControlCode, void* inBuffer,
                                    DWORD inSize, void* outBuffer, DWORD outSize,
                                    DWORD* bytesReturned, OVERLAPPED* overlapped) {
    return ::DeviceIoControl(device, ioControlCode, inBuffer, inSize, outBuffer, outSize,
                             bytesReturned, overlapped);
}

BOOL RealDeviceApi::CloseHandle(HANDLE handle) {
    return ::CloseHandle(handle);
}

HANDLE RealDeviceApi::FindFirstVolumeA(LPSTR volumeName, DWORD length) {
    return ::FindFirstVolumeA(volumeName, length);
}

BOOL RealDeviceApi::FindNextVolumeA(HANDLE search, LPSTR volumeName, DWORD length) {
    return ::FindNextVolumeA(search, volumeName, length);
}

BOOL RealDeviceApi::FindVolumeClose(HANDLE search) {
    return ::FindVolumeClose(search);
}

BOOL RealDeviceApi::GetVolumeInformationA(LPCSTR rootPath, LPSTR volumeName, DWORD volumeNameSize,
                                          DWORD* serialNumber, DWORD* maxComponentLength,
                                          DWORD* fileSystemFlags, LPSTR fileSystemName,
                                          DWORD fileSystemNameSize) {
    return ::GetVolumeInformationA(rootPath, volumeName, volumeNameSize, serialNumber,
                                   maxComponentLength, fileSystemFlags, fileSystemName,
                                   fileSystemNameSize);
}

BOOL RealDeviceApi::GetVolumePathNamesForVolumeNameA(LPCSTR volumeName, LPCH pathNames,
                                                     DWORD bufferLength, DWORD* returnLength) {
    return ::GetVolumePathNamesForVolumeNameA(volumeName, pathNames, bufferLength, returnLength);
}

BOOL RealDeviceApi::GetDiskFreeSpaceExA(LPCSTR directory, ULARGE_INTEGER* freeToCaller,
                                        ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFree) {
    return ::GetDiskFreeSpaceExA(directory, freeToCaller, totalBytes, totalFree);
}

HANDLE RealDeviceApi::GetProcessHeap() {
    return ::GetProcessHeap();
}

LPVOID RealDeviceApi::HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    return ::HeapAlloc(heap, flags, bytes);
}

BOOL RealDeviceApi::HeapFree(HANDLE heap, DWORD flags, LPVOID memory) {
    return ::HeapFree(heap, flags, memory);
}

HLOCAL RealDeviceApi::LocalAlloc(UINT flags, SIZE_T bytes) {
    return ::LocalAlloc(flags, bytes);
}

HLOCAL RealDeviceApi::LocalFree(HLOCAL memory) {
    return ::LocalFree(memory);
}

DWORD RealDeviceApi::GetLastError() {
    return ::GetLastError();
}

CONFIGRET RealDeviceApi::CM_Get_Parent(DEVINST* parent, DEVINST device, ULONG flags) {
    return ::CM_Get_Parent(parent, device, flags);
}

CONFIGRET RealDeviceApi::CM_Get_Device_IDA(DEVINST device, PSTR buffer, ULONG bufferLength,
                                           ULONG flags) {
    return ::CM_Get_Device_IDA(device, buffer, bufferLength, flags);
}

CONFIGRET RealDeviceApi::CM_Get_DevNode_Status(ULONG* status, ULONG* problem, DEVINST device,
                                               ULONG flags) {
    return ::CM_Get_DevNode_Status(status, problem, device, flags);
}

CONFIGRET RealDeviceApi::CM_Request_Device_EjectA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                  LPSTR vetoName, ULONG nameLength, ULONG flags) {
    return ::CM_Request_Device_EjectA(device, vetoType, vetoName, nameLength, flags);
}

CONFIGRET RealDeviceApi::CM_Query_And_Remove_SubTreeA(DEVINST device, PNP_VETO_TYPE* vetoType,
                                                      LPSTR vetoName, ULONG nameLength,
                                                      ULONG flags) {
    return ::CM_Query_And_Remove_SubTreeA(device, vetoType, vetoName, nameLength, flags);
}
