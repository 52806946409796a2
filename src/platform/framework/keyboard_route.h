// Keyboard input for a window that hosts an in-place active object (the
// user guide's browser) has to reach that object before any dialog handling:
// Tab, Ctrl+C and the scrolling keys are the object's own accelerators, and
// nothing else ever hands them over.
#pragma once

#include <functional>

#include "platform/windows_headers.h"

// While a route exists, every keyboard message for its window or a window
// inside it is offered to its translator first; a translator that answers
// true has dealt with the message, which then goes no further.
//
// Both message loops the program runs (the system's modal dialog loop behind
// DoModal, and RunModalLoop) pass each message through IsDialogMessage, which
// offers it to the thread's message-filter hooks (MSGF_DIALOGBOX) before it
// does anything else; one such hook serves every route of the thread.
class KeyboardRoute {
public:
    using Translator = std::function<bool(MSG& message)>;

    KeyboardRoute(HWND window, Translator translate);
    KeyboardRoute(const KeyboardRoute&) = delete;
    KeyboardRoute& operator=(const KeyboardRoute&) = delete;
    ~KeyboardRoute();

    // Offers a message to the route of the window it is for; true when a
    // translator dealt with it.
    static bool Offer(MSG& message);

private:
    HWND m_window;
    Translator m_translate;
};
