// Stands in for the Warden drive's companion application: built as
// "Warden.exe", it only waits to be ended.
#include <windows.h>

int main() {
    for (;;) ::Sleep(1000);
}
