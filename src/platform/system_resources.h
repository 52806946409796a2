// Owner for the handles a SystemApi hands out (snapshots, processes), so every
// path gives them back.
#pragma once

#include "platform/system_api.h"

class ScopedSystemHandle {
public:
    ScopedSystemHandle(SystemApi& system, HANDLE handle) : m_system(system), m_handle(handle) {}
    ScopedSystemHandle(const ScopedSystemHandle&) = delete;
    ScopedSystemHandle& operator=(const ScopedSystemHandle&) = delete;
    ~ScopedSystemHandle() {
        if (valid()) m_system.CloseHandle(m_handle);
    }

    HANDLE get() const { return m_handle; }
    // NULL and INVALID_HANDLE_VALUE both mean "none".
    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }

private:
    SystemApi& m_system;
    HANDLE m_handle;
};
