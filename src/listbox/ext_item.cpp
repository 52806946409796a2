#include "listbox/ext_item.h"

#include <cstring>

// A longer text (a device with an absurdly long name) is cut at the capacity
// rather than written past the record; the drive table keeps the whole text.
CExtItem::CExtItem(const char* text, HICON icon) : m_icon(icon) {
    const size_t length = text == nullptr ? 0 : ::strnlen(text, kTextCapacity - 1);
    if (length > 0) std::memcpy(m_text, text, length);
    m_text[length] = '\0';
}
