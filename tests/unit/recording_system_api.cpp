#include "recording_system_api.h"

#include <cstring>

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
    auto found = m_processOfHandle.find(process);
    if (Fails(Log("TerminateProcess", exitCode)) || found == m_processOfHandle.end()) return FALSE;
    std::erase_if(processes, [&](const Process& process) { return process.id == found->second; });
    return TRUE;
}

// The image path of whatever process runs under that id now.
BOOL RecordingSystemApi::QueryFullProcessImageNameA(HANDLE process, DWORD flags, LPSTR name,
                                                    PDWORD size) {
    const DWORD id = m_processOfHandle.count(process) ? m_processOfHandle[process] : 0;
    auto running = std::find_if(processes.begin(), processes.end(),
                                [&](const Process& p) { return p.id == id; });
    const std::string path =
        running == processes.end() ? "" : running->folder + "\\" + running->exeName;
    if (Fails(Log("QueryFullProcessImageNameA", id, flags)) || path.empty() || path.size() >= *size)
        return FALSE;
    *size = static_cast<DWORD>(std::snprintf(name, *size, "%s", path.c_str()));
    return TRUE;
}

BOOL RecordingSystemApi::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    const NOTIFYICONDATAA& r = *data;
    const std::string call = Log("Shell_NotifyIconA", message);
    // Beyond the fields shown, what the shell reads must be zero.
    NOTIFYICONDATAA rest = r;
    const NOTIFYICONDATAA zero{};
    rest.cbSize = rest.uID = rest.uFlags = rest.uCallbackMessage = 0;
    rest.hWnd = nullptr, rest.hIcon = nullptr;
    if (listener) {
        listener("    {cbSize " + (r.cbSize == sizeof r ? "full" : Arg(r.cbSize)) + ", hWnd " +
                 Hex(r.hWnd) + ", uID " + Arg(r.uID) + ", uFlags " + Hex(r.uFlags) +
                 ", uCallbackMessage " + Hex(r.uCallbackMessage) + ", hIcon " +
                 Hex(reinterpret_cast<uintptr_t>(r.hIcon)) + ", the rest " +
                 (std::memcmp(&rest, &zero, sizeof rest) == 0 ? "zero" : "set") + "}");
    }
    const std::pair icon{r.hWnd, r.uID};
    if (Fails(call)) return FALSE;
    if (message == NIM_ADD) return trayIcons.insert(icon).second;
    return message != NIM_DELETE || trayIcons.erase(icon) == 1;
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
