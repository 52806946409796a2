#include "app/application_name.h"

std::string ApplicationName(SystemApi& system) {
    char path[MAX_PATH] = {};
    const DWORD length = system.GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ApplicationNameFromPath(std::string(path, length < MAX_PATH ? length : MAX_PATH - 1));
}

std::string ApplicationNameFromPath(const std::string& modulePath) {
    const size_t folderEnd = modulePath.find_last_of("\\/:");
    std::string name =
        folderEnd == std::string::npos ? modulePath : modulePath.substr(folderEnd + 1);
    const size_t extension = name.rfind('.');
    if (extension != std::string::npos && extension > 0) name.erase(extension);
    return name;
}
