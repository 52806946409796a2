// Fake handles of the simulated machine and the objects open behind them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>

#include "platform/windows_headers.h"

// Hands out distinct, nonzero handle values and never reuses one, so a handle
// that was closed can be told from one that was never handed out.
class HandleIssuer {
public:
    HANDLE Issue() {
        const std::uintptr_t value = m_next;
        m_next += kStep;
        return reinterpret_cast<HANDLE>(value);
    }
    bool WasIssued(HANDLE handle) const {
        const auto value = reinterpret_cast<std::uintptr_t>(handle);
        return value >= kFirst && value < m_next && (value - kFirst) % kStep == 0;
    }

private:
    // Like kernel handles: multiples of four, well away from NULL and from
    // INVALID_HANDLE_VALUE.
    static constexpr std::uintptr_t kFirst = 0x1000;
    static constexpr std::uintptr_t kStep = 4;
    std::uintptr_t m_next = kFirst;
};

// The open objects of one kind (device sets, files, volume searches).
template <class Object>
class HandleTable {
public:
    HANDLE Open(HandleIssuer& issuer, Object object) {
        HANDLE handle = issuer.Issue();
        m_open.emplace(Key(handle), std::move(object));
        return handle;
    }
    Object* Find(HANDLE handle) {
        auto found = m_open.find(Key(handle));
        return found == m_open.end() ? nullptr : &found->second;
    }
    bool Contains(HANDLE handle) const { return m_open.count(Key(handle)) != 0; }
    bool Close(HANDLE handle) { return m_open.erase(Key(handle)) != 0; }
    std::size_t Count() const { return m_open.size(); }
    const std::map<std::uintptr_t, Object>& Open() const { return m_open; }

private:
    static std::uintptr_t Key(HANDLE handle) { return reinterpret_cast<std::uintptr_t>(handle); }
    std::map<std::uintptr_t, Object> m_open;
};
