// Reaches into a running sim program from a test: plug a drive in, or write
// the simulated machine's journal to a file.
//   sim_control plug <machine-description.json>
//   sim_control journal <output file>
// Exits 0 when the program took the request, 1 when it refused it, 2 when no
// sim program runs.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/sim/sim_control_window.h"

namespace {

std::string ReadFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

int Send(HWND control, ULONG_PTR request, const std::string& data) {
    COPYDATASTRUCT copy{request, static_cast<DWORD>(data.size()), const_cast<char*>(data.data())};
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(control, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy),
                               SMTO_ABORTIFHUNG, 10000, &answer)) {
        return 1;
    }
    return answer ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: sim_control plug|journal <argument>\n");
        return 64;
    }
    HWND control = ::FindWindowExA(HWND_MESSAGE, nullptr, sim_control::kWindowClass, nullptr);
    if (control == nullptr) return 2;
    const std::string command = argv[1];
    if (command == "plug") return Send(control, sim_control::kPlugIn, ReadFile(argv[2]));
    if (command == "journal") return Send(control, sim_control::kWriteJournal, argv[2]);
    std::fprintf(stderr, "unknown command %s\n", argv[1]);
    return 64;
}
