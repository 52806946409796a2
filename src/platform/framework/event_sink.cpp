#include "platform/framework/event_sink.h"

#include <utility>

DispatchEventSink::DispatchEventSink(const IID& events, Handler handler)
    : m_events(events), m_handler(std::move(handler)) {}

HRESULT STDMETHODCALLTYPE DispatchEventSink::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == m_events) {
        *object = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE DispatchEventSink::AddRef() {
    return static_cast<ULONG>(::InterlockedIncrement(&m_references));
}

ULONG STDMETHODCALLTYPE DispatchEventSink::Release() {
    const LONG left = ::InterlockedDecrement(&m_references);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

// Events are told apart by their DISPID alone: no type information is needed.
HRESULT STDMETHODCALLTYPE DispatchEventSink::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchEventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info != nullptr) *info = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DispatchEventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DispatchEventSink::Invoke(DISPID event, REFIID, LCID, WORD,
                                                    DISPPARAMS* arguments, VARIANT*, EXCEPINFO*,
                                                    UINT*) {
    // The handler may end the connection, and with it this sink's last
    // reference and the handler itself: both are kept until it returns.
    AddRef();
    const Handler handler = m_handler;
    HRESULT result = S_OK;
    try {
        if (handler) result = handler(event, arguments);
    } catch (...) {
        // Nothing may unwind into the browser's own frames.
        result = E_UNEXPECTED;
    }
    Release();
    return result;
}

EventConnection::EventConnection(IUnknown* source, const IID& events,
                                 DispatchEventSink::Handler handler) {
    *m_sink.out() = new DispatchEventSink(events, std::move(handler));
    ComPtr<IConnectionPointContainer> container;
    if (source == nullptr ||
        FAILED(source->QueryInterface(IID_IConnectionPointContainer, container.out())) ||
        FAILED(container->FindConnectionPoint(
            events, reinterpret_cast<IConnectionPoint**>(m_point.out())))) {
        return;
    }
    DWORD cookie = 0;
    if (SUCCEEDED(m_point->Advise(m_sink.get(), &cookie))) m_cookie = cookie;
}

EventConnection::~EventConnection() {
    if (m_cookie != 0) m_point->Unadvise(m_cookie);
    m_sink->Disconnect();
}
