// CMenu: owns a menu loaded from the program's resources.
#pragma once

#include "platform/windows_headers.h"

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    ~CMenu() { DestroyMenu(); }

    BOOL LoadMenu(UINT resourceId) {
        DestroyMenu();
        m_hMenu = ::LoadMenuA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId));
        return m_hMenu != nullptr;
    }
    void DestroyMenu() {
        if (m_hMenu != nullptr) ::DestroyMenu(m_hMenu);
        m_hMenu = nullptr;
    }
    HMENU GetSubMenu(int position) const {
        return m_hMenu == nullptr ? nullptr : ::GetSubMenu(m_hMenu, position);
    }
    HMENU GetSafeHmenu() const { return m_hMenu; }

private:
    HMENU m_hMenu = nullptr;
};
