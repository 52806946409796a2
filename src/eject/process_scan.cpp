#include "eject/process_scan.h"

#include <cstring>
#include <optional>

#include "platform/system_resources.h"

#if defined(_WIN32) && !defined(_WIN64)
// The 32-bit record the program has always passed; the 64-bit one is larger.
static_assert(sizeof(PROCESSENTRY32) == 296);
#endif

namespace {

void EndProcess(SystemApi& system, DWORD processId) {
    // Results are not examined: a process that cannot be opened or ended is
    // left running and the scan goes on.
    ScopedSystemHandle process(system, system.OpenProcess(PROCESS_TERMINATE, FALSE, processId));
    if (process.valid()) system.TerminateProcess(process.get(), 0);
}

// One pass over a process snapshot; answers whether the scan ran to the end.
bool EndProcessesNamed(SystemApi& system, const char* exeName, std::optional<DWORD> spare) {
    return ForEachProcess(system, [&](const PROCESSENTRY32& entry) {
        // The record holds the bare file name; equal means same length, same bytes.
        if (std::strcmp(entry.szExeFile, exeName) == 0 && entry.th32ProcessID != spare) {
            EndProcess(system, entry.th32ProcessID);
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
