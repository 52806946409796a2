// The drive list's accessible names, answered on request. Registered once
// with oleacc for the list and its rows, it is asked for a name whenever a
// client wants one, also from inside the list's own event hooks, and reads
// the rows from the list box at that moment: no name is ever stale and none
// needs setting when the rows change. Its lifetime is oleacc's: it may be
// asked after the list is gone, and then answers that it has no name.
#pragma once

#include <optional>
#include <string>

#include "platform/accessibility_api.h"

class CListBoxCH;

class ListNameServer final : public IAccPropServer {
public:
    // The list's own name, which a person hears before its rows.
    static constexpr const char* kListName = "USB disks";

    // Starts with the one reference its maker holds.
    ListNameServer(const CListBoxCH& list, AccessibilityApi& accessibility);
    ListNameServer(const ListNameServer&) = delete;
    ListNameServer& operator=(const ListNameServer&) = delete;

    // Every request after this answers that it has no name; the list calls it
    // before it goes.
    void Disconnect() { m_list = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetPropValue(const BYTE* identity, DWORD length, MSAAPROPID property,
                                           VARIANT* value, BOOL* hasValue) override;

private:
    ~ListNameServer() = default;
    // The list's name for child id 0, a row's for child id row + 1; none for
    // anything else.
    std::optional<std::string> NameOf(const BYTE* identity, DWORD length) const;

    LONG m_references = 1;
    const CListBoxCH* m_list;
    AccessibilityApi& m_accessibility;
};
