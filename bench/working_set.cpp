// Asks Windows (here: Wine) for the memory figures of the process that owns a
// top-level window, found by its exact caption. The start-up benchmark reads
// the Linux side itself; this is the side a Windows user's Task Manager shows.
//   working_set.exe <caption>
// Prints "working_set=<bytes> peak_working_set=<bytes> private=<bytes>";
// exit code 2 when no window has that caption, 1 when the figures cannot be had.
#include <fcntl.h>
#include <io.h>
// psapi.h needs the types windows.h declares.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <cstdio>

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2) {
        std::fprintf(stderr, "usage: working_set <window caption>\n");
        return 64;
    }
    HWND window = ::FindWindowA(nullptr, argv[1]);
    if (window == nullptr) return 2;
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    HANDLE process =
        ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) {
        std::fprintf(stderr, "working_set: OpenProcess failed (error %lu)\n", ::GetLastError());
        return 1;
    }
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof(counters);
    const BOOL got = ::GetProcessMemoryInfo(
        process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters));
    const DWORD error = ::GetLastError();
    ::CloseHandle(process);
    if (!got) {
        std::fprintf(stderr, "working_set: GetProcessMemoryInfo failed (error %lu)\n", error);
        return 1;
    }
    std::printf("working_set=%llu peak_working_set=%llu private=%llu\n",
                static_cast<unsigned long long>(counters.WorkingSetSize),
                static_cast<unsigned long long>(counters.PeakWorkingSetSize),
                static_cast<unsigned long long>(counters.PrivateUsage));
    return 0;
}
