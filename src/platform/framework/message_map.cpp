#include "platform/framework/message_map.h"

namespace {

bool IsCommand(UINT message) {
    return message == WM_COMMAND || message == WM_REFLECT_COMMAND;
}

}  // namespace

const MessageMapEntry* FindMessageEntry(MessageMap map, UINT message, WPARAM wParam) {
    for (const MessageMapEntry& entry : map) {
        if (entry.registeredMessage != nullptr) {
            if (*entry.registeredMessage != 0 && *entry.registeredMessage == message) return &entry;
            continue;
        }
        if (entry.message != message) continue;
        if (!IsCommand(message)) return &entry;
        const bool codeMatches = entry.code == HIWORD(wParam);
        // A reflected notification is already known to be this control's own.
        const bool idMatches = message == WM_REFLECT_COMMAND || entry.id == LOWORD(wParam);
        if (codeMatches && idMatches) return &entry;
    }
    return nullptr;
}
