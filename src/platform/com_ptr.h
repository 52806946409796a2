// Owns one reference to a COM interface and releases it on every path.
#pragma once

#include "platform/windows_headers.h"

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (m_pointer != nullptr) m_pointer->Release();
    }

    Interface* operator->() const { return m_pointer; }
    Interface* get() const { return m_pointer; }
    // Where a creating call writes the new reference.
    void** out() { return reinterpret_cast<void**>(&m_pointer); }
    // Takes a reference of its own to `pointer` (may be null) and gives up
    // the one held before, in that order, so that the same object can be
    // assigned again.
    void Assign(Interface* pointer) {
        if (pointer != nullptr) pointer->AddRef();
        Interface* old = m_pointer;
        m_pointer = pointer;
        if (old != nullptr) old->Release();
    }
    void reset() { Assign(nullptr); }

private:
    Interface* m_pointer = nullptr;
};
