// Plays the part of a taskbar that restarts, towards a running program:
//   taskbar_stand_in lose-icon <window caption>   the tray forgets the window's icon 1
//   taskbar_stand_in created                      "TaskbarCreated" goes to every top-level window
// Exits 0 when done, 1 when the call failed, 2 when no such window exists.
#include <cstdio>
#include <cstring>

#include "platform/windows_headers.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "lose-icon") == 0) {
        HWND window = ::FindWindowA(nullptr, argv[2]);
        if (window == nullptr) return 2;
        // The tray knows an icon by its window and id; a restarted taskbar
        // has lost every one of them.
        NOTIFYICONDATAA icon{};
        icon.cbSize = sizeof(icon);
        icon.hWnd = window;
        icon.uID = 1;
        return ::Shell_NotifyIconA(NIM_DELETE, &icon) ? 0 : 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "created") == 0) {
        const UINT created = ::RegisterWindowMessageA("TaskbarCreated");
        return created != 0 && ::PostMessageA(HWND_BROADCAST, created, 0, 0) ? 0 : 1;
    }
    std::fprintf(stderr, "usage: taskbar_stand_in lose-icon <caption> | created\n");
    return 64;
}
