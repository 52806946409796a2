// One row of the drive list: its text (one or two lines) and its icon.
#pragma once

#include "platform/windows_headers.h"

struct CExtItem {
    // At most 255 characters and the terminating NUL, like the rows of the
    // list box it stands behind.
    static constexpr size_t kTextCapacity = 256;

    CExtItem(const char* text, HICON icon);

    char m_text[kTextCapacity];
    HICON m_icon;  // shared icon from the program's resources; never destroyed here
};
