// A window's message table: flat data that a window class declares once and a
// test can walk. Each entry names a message (WM_COMMAND for commands and
// control notifications), the notification code and the control or command
// id it answers, and a handler that unpacks the raw parameters into the typed
// call of the window class.
#pragma once

#include <span>

#include "platform/windows_headers.h"

class CWnd;

// A control's own notification, sent to its parent as WM_COMMAND and handed
// back to the control (MFC calls this reflection).
inline constexpr UINT WM_REFLECT_COMMAND = 0xBC00 + WM_COMMAND;

using MessageHandler = LRESULT (*)(CWnd& window, WPARAM wParam, LPARAM lParam);

struct MessageMapEntry {
    UINT message;
    UINT code;  // notification code of WM_COMMAND; 0 for menu commands and plain messages
    UINT id;    // command or control id of WM_COMMAND; 0 for plain messages
    MessageHandler handler;
    // A message registered by name (RegisterWindowMessage) has its number only
    // at run time: the entry then names the variable that holds it.
    const UINT* registeredMessage = nullptr;
};

using MessageMap = std::span<const MessageMapEntry>;

// Handlers of the common no-argument shape: a command or notification whose
// parameters carry nothing the handler needs.
template <class Window, void (Window::*Handler)()>
LRESULT CallWithoutArguments(CWnd& window, WPARAM, LPARAM) {
    (static_cast<Window&>(window).*Handler)();
    return 0;
}

template <class Window, void (Window::*Handler)()>
constexpr MessageMapEntry OnCommand(UINT id, UINT code = 0) {
    return {WM_COMMAND, code, id, &CallWithoutArguments<Window, Handler>};
}

template <class Window, void (Window::*Handler)()>
constexpr MessageMapEntry OnReflectedNotification(UINT code) {
    return {WM_REFLECT_COMMAND, code, 0, &CallWithoutArguments<Window, Handler>};
}

constexpr MessageMapEntry OnMessage(UINT message, MessageHandler handler) {
    return {message, 0, 0, handler};
}

// `message` holds what RegisterWindowMessage answered; 0 (registration
// failed) matches nothing.
constexpr MessageMapEntry OnRegisteredMessage(const UINT& message, MessageHandler handler) {
    return {0, 0, 0, handler, &message};
}

// The entry of `map` that answers a message, or null.
const MessageMapEntry* FindMessageEntry(MessageMap map, UINT message, WPARAM wParam);
