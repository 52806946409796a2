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
