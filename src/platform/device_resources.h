// Owners for what a DeviceApi hands out, so every path out of an enumeration
// gives back the device set, handles, searches and buffers it took.
#pragma once

#include <utility>

#include "platform/device_api.h"

// One owner per kind, differing only in the call that gives the thing back.
template <class Handle, class Release>
class DeviceResource {
public:
    DeviceResource(DeviceApi& api, Handle handle) : m_api(&api), m_handle(handle) {}
    DeviceResource(const DeviceResource&) = delete;
    DeviceResource& operator=(const DeviceResource&) = delete;
    ~DeviceResource() { reset(); }

    Handle get() const { return m_handle; }
    // NULL and INVALID_HANDLE_VALUE both mean "none".
    bool valid() const { return m_handle != Handle{} && m_handle != Handle(INVALID_HANDLE_VALUE); }
    void reset(Handle handle = Handle{}) {
        if (valid()) Release{}(*m_api, m_handle);
        m_handle = handle;
    }

private:
    DeviceApi* m_api;
    Handle m_handle;
};

struct DestroyDeviceInfoList {
    void operator()(DeviceApi& api, HDEVINFO set) const { api.SetupDiDestroyDeviceInfoList(set); }
};
struct CloseDeviceHandle {
    void operator()(DeviceApi& api, HANDLE handle) const { api.CloseHandle(handle); }
};
struct CloseVolumeSearch {
    void operator()(DeviceApi& api, HANDLE search) const { api.FindVolumeClose(search); }
};
struct FreeHeapBuffer {
    void operator()(DeviceApi& api, void* memory) const {
        api.HeapFree(api.GetProcessHeap(), 0, memory);
    }
};
struct FreeLocalBuffer {
    void operator()(DeviceApi& api, HLOCAL memory) const { api.LocalFree(memory); }
};

using ScopedDeviceInfoSet = DeviceResource<HDEVINFO, DestroyDeviceInfoList>;
using ScopedDeviceHandle = DeviceResource<HANDLE, CloseDeviceHandle>;
using ScopedVolumeSearch = DeviceResource<HANDLE, CloseVolumeSearch>;
using ScopedHeapBuffer = DeviceResource<void*, FreeHeapBuffer>;
using ScopedLocalBuffer = DeviceResource<HLOCAL, FreeLocalBuffer>;
