#include "eject/process_scan.h"

#include <cstring>
#include <optional>
#include <string>

#include "platform/system_resources.h"

// The ANSI record toolhelp knows by its size: 296 bytes in a 32-bit program,
// 304 in a 64-bit one.
static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 4 ? 296 : 304));

namespace {

// The longest path Windows hands out, in characters with the terminating zero.
constexpr DWORD kLongestPath = 32768;

// The file part of the process's image path, or nothing when it cannot be read.
std::optional<std::string> ImageFileName(SystemApi& system, HANDLE process) {
    std::string path(kLongestPath, '\0');
    DWORD length = kLongestPath;
    if (!system.QueryFullProcessImageNameA(process, 0, path.data(), &length)) return std::nullopt;
    path.resize(length);
    return path.substr(path.find_last_of('\\') + 1);
}

// Between the snapshot and the open the process may have ended and Windows may
// have given its id to another program, so the id is ended only while it still
// runs a file of the name sought. A process that cannot be opened, named or
// ended is left running, and the scan goes on.
void EndProcess(SystemApi& system, DWORD processId, const char* exeName) {
    ScopedSystemHandle process(
        system, system.OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                   processId));
    if (!process.valid() || ImageFileName(system, process.get()) != exeName) return;
    system.TerminateProcess(process.get(), 0);
}

// One pass over a process snapshot; answers whether the scan ran to the end.
bool EndProcessesNamed(SystemApi& system, const char* exeName, std::optional<DWORD> spare) {
    return ForEachProcess(system, [&](const PROCESSENTRY32& entry) {
        // The record holds the bare file name; equal means same length, same bytes.
        if (std::strcmp(entry.szExeFile, exeName) == 0 && entry.th32ProcessID != spare) {
            EndProcess(system, entry.th32ProcessID, exeName);
        }
    });
}

}  // namespace

bool ForEachProcess(SystemApi& system, const std::function<void(const PROCESSENTRY32&)>& visit) {
    ScopedSystemHandle snapshot(system, system.CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) return false;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    if (!system.Process32First(snapshot.get(), &entry)) return false;
    do {
        visit(entry);
    } while (system.Process32Next(snapshot.get(), &entry));
    return true;
}

void TerminateOtherInstances(SystemApi& system, DWORD processIdToSpare) {
    EndProcessesNamed(system, kProgramExeName, processIdToSpare);
}

void TerminateProcessesByName(SystemApi& system, const char* exeName) {
    // Ending a process only starts its end; the pause gives the companion
    // time to let go of the drive.
    if (EndProcessesNamed(system, exeName, std::nullopt)) system.Sleep(kCompanionPauseMs);
}
