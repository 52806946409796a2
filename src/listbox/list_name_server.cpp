#include "listbox/list_name_server.h"

#include <climits>

#include "listbox/list_box_ch.h"
#include "platform/string_replace.h"

namespace {

// Row texts are in the ANSI code page, as the list draws them.
std::wstring Widened(const std::string& text) {
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<size_t>(length), L'\0');
    const int written = ::MultiByteToWideChar(CP_ACP, 0, text.data(), length, wide.data(), length);
    wide.resize(static_cast<size_t>(written > 0 ? written : 0));
    return wide;
}

// A row's two lines as a person reads them aloud: "(E:) STICK\nKorvane KR7
// [7GB/15GB Free]" is "(E:) STICK, Korvane KR7, 7GB/15GB Free". The brackets
// round the free space and the gap before them are for the eye; a reader
// would say them, or pause oddly.
std::string ReadAloud(std::string rowText) {
    if (!rowText.empty() && rowText.back() == ']' && Contains(rowText, "  [")) {
        rowText.pop_back();
        ReplaceAll(rowText, "  [", ", ");
    }
    ReplaceAll(rowText, "\n", ", ");
    return rowText;
}

}  // namespace

ListNameServer::ListNameServer(const CListBoxCH& list, AccessibilityApi& accessibility)
    : m_list(&list), m_accessibility(accessibility) {}

HRESULT ListNameServer::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IAccPropServer) {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = static_cast<IAccPropServer*>(this);
    AddRef();
    return S_OK;
}

ULONG ListNameServer::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

ULONG ListNameServer::Release() {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// Whatever the way out, the outputs say something: no name is VT_EMPTY and
// FALSE, as oleacc expects, so that it falls back to the list box's own.
HRESULT ListNameServer::GetPropValue(const BYTE* identity, DWORD length, MSAAPROPID property,
                                     VARIANT* value, BOOL* hasValue) {
    if (value == nullptr || hasValue == nullptr) return E_POINTER;
    ::VariantInit(value);
    *hasValue = FALSE;
    if (m_list == nullptr) return CO_E_OBJNOTCONNECTED;
    if (property != PROPID_ACC_NAME) return S_OK;
    const std::optional<std::string> name = NameOf(identity, length);
    if (!name) return S_OK;
    BSTR text = ::SysAllocString(Widened(*name).c_str());
    if (text == nullptr) return E_OUTOFMEMORY;
    value->vt = VT_BSTR;
    value->bstrVal = text;  // the caller frees it
    *hasValue = TRUE;
    return S_OK;
}

std::optional<std::string> ListNameServer::NameOf(const BYTE* identity, DWORD length) const {
    HWND window = nullptr;
    DWORD object = 0;
    DWORD child = 0;
    const HRESULT decomposed =
        m_accessibility.DecomposeHwndIdentityString(identity, length, &window, &object, &child);
    if (decomposed != S_OK || window != m_list->m_hWnd || object != DWORD(OBJID_CLIENT)) {
        return std::nullopt;
    }
    if (child == CHILDID_SELF) return std::string(kListName);
    // A child id may name a row that a rebuild has since taken away.
    const CExtItem* row = child <= static_cast<DWORD>(INT_MAX)
                              ? m_list->RowRecord(static_cast<int>(child) - 1)
                              : nullptr;
    if (row == nullptr) return std::nullopt;
    return ReadAloud(row->m_text);
}
