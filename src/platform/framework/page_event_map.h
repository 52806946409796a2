// A page's event table, the counterpart of the message table for the page a
// CDHtmlDialog shows: which element's which event runs which handler.
#pragma once

#include <span>

#include "platform/windows_headers.h"
// After the SDK's base headers, which they expect to be in place already;
// the click's DISPID is OLE's own DISPID_CLICK.
#include <mshtmdid.h>
#include <olectl.h>

class CDHtmlDialog;
struct IHTMLElement;

using PageEventHandler = HRESULT (*)(CDHtmlDialog& dialog, IHTMLElement* element);

struct PageEventEntry {
    const wchar_t* elementId;  // the element's id attribute
    DISPID event;              // DISPID_HTMLELEMENTEVENTS_ONCLICK, ...
    PageEventHandler handler;
};

using PageEventMap = std::span<const PageEventEntry>;

template <class Dialog, HRESULT (Dialog::*Handler)(IHTMLElement*)>
HRESULT CallPageHandler(CDHtmlDialog& dialog, IHTMLElement* element) {
    return (static_cast<Dialog&>(dialog).*Handler)(element);
}

template <class Dialog, HRESULT (Dialog::*Handler)(IHTMLElement*)>
constexpr PageEventEntry OnPageClick(const wchar_t* elementId) {
    return {elementId, DISPID_HTMLELEMENTEVENTS_ONCLICK, &CallPageHandler<Dialog, Handler>};
}
