#include "recording_system_api.h"

size_t RecordingSystemApi::CountCalls(const std::string& prefix) const {
    return std::count_if(calls.begin(), calls.end(),
                         [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
}

bool RecordingSystemApi::IsRunning(const std::string& exeName) const {
    return std::any_of(processes.begin(), processes.end(), [&](const Process& process) {
        return _stricmp(process.exeName.c_str(), exeName.c_str()) == 0;
    });
}

void RecordingSystemApi::UseRealFiles() {
    char base[MAX_PATH], folder[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    ::GetTempFileNameA(base, "kse", 0, folder);  // a new name, taken by an empty file
    ::DeleteFileA(folder);
    ::CreateDirectoryA(folder, nullptr);
    m_realFiles = true;
    startupFolder = folder;
}

BOOL RecordingSystemApi::TerminateProcess(HANDLE process, UINT exitCode) {
    Log("TerminateProcess", exitCode);
    const OpenedProcess* opened = Opened(process, PROCESS_TERMINATE);
    if (opened == nullptr) return FALSE;
    terminated.push_back(opened->id);
    std::erase_if(processes, [&](const Process& process) { return process.id == opened->id; });
    return TRUE;
}

// The image path of the process running under that id now, whatever the
// snapshot said; the path is the folder and the file, as Windows gives it.
BOOL RecordingSystemApi::QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name,
                                                    PDWORD size) {
    const OpenedProcess* opened =
        Opened(process, PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_QUERY_INFORMATION);
    if (Fails(Log("QueryFullProcessImageNameA", opened ? opened->id : 0, flags)) || !opened) {
        return FALSE;
    }
    auto running = std::find_if(processes.begin(), processes.end(),
                                [&](const Process& p) { return p.id == opened->id; });
    if (running == processes.end()) return FALSE;
    const std::string path = running->folder + "\\" + running->exeName;
    if (path.size() >= *size) return FALSE;
    *size = static_cast<DWORD>(std::snprintf(name, *size, "%s", path.c_str()));
    return TRUE;
}

const RecordingSystemApi::OpenedProcess* RecordingSystemApi::Opened(HANDLE process,
                                                                    DWORD rights) const {
    auto found = m_processOfHandle.find(process);
    return found == m_processOfHandle.end() || (found->second.access & rights) == 0
               ? nullptr
               : &found->second;
}

std::string RecordingSystemApi::Hex(uintptr_t value) {
    char text[32];
    std::snprintf(text, sizeof(text), "0x%llx", static_cast<unsigned long long>(value));
    return text;
}

bool RecordingSystemApi::Fails(const std::string& call) {
    for (const auto& [prefix, error] : failing) {
        if (call.rfind(prefix, 0) == 0) return m_lastError = error, true;
    }
    return false;
}

BOOL RecordingSystemApi::Next(PROCESSENTRY32* entry) {
    if (m_nextProcess >= m_snapshot.size()) return FALSE;
    const Process& process = m_snapshot[m_nextProcess++];
    entry->th32ProcessID = process.id;
    std::snprintf(entry->szExeFile, sizeof(entry->szExeFile), "%s", process.exeName.c_str());
    return TRUE;
}
