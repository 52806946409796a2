#include "platform/framework/element_events.h"

#include <utility>

#include "platform/framework/browser_control.h"
// After the SDK's base headers, which it expects to be in place already.
#include <mshtml.h>

std::unique_ptr<ElementEvents> ElementEvents::Connect(const BrowserControl& browser,
                                                      const wchar_t* elementId, Handler handler) {
    std::unique_ptr<ElementEvents> events(new ElementEvents(elementId));
    if (FAILED(browser.GetElementById(elementId, events->m_element.out())) ||
        events->m_element.get() == nullptr) {
        return nullptr;
    }
    // The element outlives the connection, so the handler may be given it.
    IHTMLElement* element = events->m_element.get();
    events->m_connection = std::make_unique<EventConnection>(
        element, __uuidof(HTMLElementEvents2),
        [element, handler = std::move(handler)](DISPID event, DISPPARAMS*) {
            return handler(event, element);
        });
    if (!events->m_connection->IsConnected()) return nullptr;
    return events;
}

ElementEvents::ElementEvents(const wchar_t* elementId) : m_elementId(elementId) {}

ElementEvents::~ElementEvents() = default;
