// Page and browser events arrive as IDispatch::Invoke calls on an object the
// program hands to a connection point; these turn them into plain calls.
#pragma once

#include <functional>

#include "platform/com_ptr.h"

// Receives one dispatch interface's events and passes each to a handler.
// The handler is dropped on Disconnect, so a source that keeps the sink past
// its owner's life calls nothing that is gone.
class DispatchEventSink : public IDispatch {
public:
    using Handler = std::function<HRESULT(DISPID event, DISPPARAMS* arguments)>;

    DispatchEventSink(const IID& events, Handler handler);
    DispatchEventSink(const DispatchEventSink&) = delete;
    DispatchEventSink& operator=(const DispatchEventSink&) = delete;

    void Disconnect() { m_handler = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID event, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* arguments, VARIANT* result, EXCEPINFO* exception,
                                     UINT* badArgument) override;

private:
    virtual ~DispatchEventSink() = default;  // only Release ends it

    IID m_events;
    Handler m_handler;
    LONG m_references = 1;
};

// One advised sink on an event source, unadvised again when this goes away.
class EventConnection {
public:
    EventConnection(IUnknown* source, const IID& events, DispatchEventSink::Handler handler);
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;
    ~EventConnection();

    bool IsConnected() const { return m_cookie != 0; }

private:
    ComPtr<DispatchEventSink> m_sink;
    ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};
