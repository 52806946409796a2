// Owners for the GDI objects a paint creates and selects, so every path out
// of a drawing routine gives them back.
#pragma once

#include "platform/windows_headers.h"

class ScopedGdiObject {
public:
    explicit ScopedGdiObject(HGDIOBJ object) : m_object(object) {}
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ~ScopedGdiObject() {
        if (m_object != nullptr) ::DeleteObject(m_object);
    }
    HGDIOBJ get() const { return m_object; }

private:
    HGDIOBJ m_object;
};

// Selects an object into a device context and puts the previous one back.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(::SelectObject(dc, object)) {}
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;
    ~ScopedSelection() {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) ::SelectObject(m_dc, m_previous);
    }

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};
