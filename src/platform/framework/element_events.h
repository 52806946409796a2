// The events of one element of a loaded page, connected for as long as this
// object lives.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/com_ptr.h"
#include "platform/framework/event_sink.h"

class BrowserControl;
struct IHTMLElement;

class ElementEvents {
public:
    using Handler = std::function<HRESULT(DISPID event, IHTMLElement* element)>;

    // Null when the browser's document has no element of that id, or the
    // element takes no event sink.
    static std::unique_ptr<ElementEvents> Connect(const BrowserControl& browser,
                                                  const wchar_t* elementId, Handler handler);
    ElementEvents(const ElementEvents&) = delete;
    ElementEvents& operator=(const ElementEvents&) = delete;
    ~ElementEvents();

    const std::wstring& ElementId() const { return m_elementId; }

private:
    explicit ElementEvents(const wchar_t* elementId);

    std::wstring m_elementId;
    // The connection goes before the element it is on.
    ComPtr<IHTMLElement> m_element;
    std::unique_ptr<EventConnection> m_connection;
};
