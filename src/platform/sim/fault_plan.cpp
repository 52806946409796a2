#include "platform/sim/fault_plan.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

struct InjectableFunction {
    std::string_view name;
    DWORD usualError;
};

// Errors Windows itself gives for such failures, so the logic meets what it
// would meet on a real machine.
constexpr InjectableFunction kInjectable[] = {
    {"SetupDiGetClassDevsA", ERROR_INVALID_PARAMETER},
    {"SetupDiEnumDeviceInfo", ERROR_NO_MORE_ITEMS},
    {"SetupDiGetDeviceRegistryPropertyA", ERROR_INVALID_DATA},
    {"SetupDiEnumDeviceInterfaces", ERROR_NO_MORE_ITEMS},
    {"SetupDiGetDeviceInterfaceDetailA", ERROR_INVALID_PARAMETER},
    {"SetupDiDestroyDeviceInfoList", ERROR_INVALID_HANDLE},
    {"CreateFileA", ERROR_ACCESS_DENIED},
    {"DeviceIoControl", ERROR_INVALID_FUNCTION},
    {"CloseHandle", ERROR_INVALID_HANDLE},
    {"FindFirstVolumeA", ERROR_ACCESS_DENIED},
    {"FindNextVolumeA", ERROR_NO_MORE_FILES},
    {"FindVolumeClose", ERROR_INVALID_HANDLE},
    {"GetVolumeInformationA", ERROR_NOT_READY},
    {"GetVolumePathNamesForVolumeNameA", ERROR_NOT_READY},
    {"GetDiskFreeSpaceExA", ERROR_NOT_READY},
    {"GetProcessHeap", ERROR_NOT_ENOUGH_MEMORY},
    {"HeapAlloc", ERROR_NOT_ENOUGH_MEMORY},
    {"HeapFree", ERROR_INVALID_PARAMETER},
    {"LocalAlloc", ERROR_NOT_ENOUGH_MEMORY},
    {"LocalFree", ERROR_INVALID_HANDLE},
    {"CM_Get_Parent", CR_NO_SUCH_DEVNODE},
    {"CM_Get_Device_IDA", CR_NO_SUCH_DEVNODE},
    {"CM_Get_DevNode_Status", CR_NO_SUCH_DEVNODE},
    {"CM_Request_Device_EjectA", CR_REMOVE_VETOED},
    {"CM_Query_And_Remove_SubTreeA", CR_REMOVE_VETOED},
};

// Compared in integers: mt19937's output is fixed by the standard, so a seed
// gives the same failures with every compiler and library.
bool Draw(std::mt19937& random, double rate) {
    const auto value = static_cast<double>(random());
    return value < rate * 4294967296.0;
}

}  // namespace

std::optional<DWORD> UsualInjectedError(std::string_view function) {
    for (const InjectableFunction& entry : kInjectable) {
        if (entry.name == function) return entry.usualError;
    }
    return std::nullopt;
}

std::vector<std::string_view> InjectableFunctions() {
    std::vector<std::string_view> names;
    for (const InjectableFunction& entry : kInjectable) names.push_back(entry.name);
    return names;
}

FaultPlan::ActiveRule& FaultPlan::RuleFor(std::string_view function) {
    if (!UsualInjectedError(function)) {
        throw std::invalid_argument("no fault can be planned for \"" + std::string(function) +
                                    "\": not a DeviceApi function that can fail");
    }
    auto found = m_rules.find(function);
    if (found == m_rules.end()) found = m_rules.emplace(std::string(function), ActiveRule{}).first;
    return found->second;
}

FaultPlan& FaultPlan::FailAlways(std::string_view function) {
    RuleFor(function).rule.always = true;
    return *this;
}

FaultPlan& FaultPlan::FailOnCall(std::string_view function, unsigned n) {
    if (n == 0) throw std::invalid_argument("calls are counted from 1");
    RuleFor(function).rule.onCalls.push_back(n);
    return *this;
}

FaultPlan& FaultPlan::FailWhenArgument(std::string_view function, std::string argument) {
    RuleFor(function).rule.arguments.push_back(std::move(argument));
    return *this;
}

FaultPlan& FaultPlan::FailRandomly(std::string_view function, double rate, std::uint32_t seed) {
    if (!(rate >= 0.0 && rate <= 1.0)) throw std::invalid_argument("a fault rate lies in 0..1");
    ActiveRule& active = RuleFor(function);
    active.rule.rate = rate;
    active.rule.seed = seed;
    active.random.seed(seed);
    return *this;
}

FaultPlan& FaultPlan::WithError(std::string_view function, DWORD error) {
    RuleFor(function).rule.error = error;
    return *this;
}

void FaultPlan::SetRule(std::string_view function, FaultRule rule) {
    if (std::count(rule.onCalls.begin(), rule.onCalls.end(), 0u) != 0) {
        throw std::invalid_argument("calls are counted from 1");
    }
    if (!(rule.rate >= 0.0 && rule.rate <= 1.0)) {
        throw std::invalid_argument("a fault rate lies in 0..1");
    }
    const std::uint32_t seed = rule.seed;
    RuleFor(function) = ActiveRule{std::move(rule), 0, std::mt19937(seed)};
}

void FaultPlan::Clear() {
    m_rules.clear();
}

void FaultPlan::Clear(std::string_view function) {
    auto found = m_rules.find(function);
    if (found != m_rules.end()) m_rules.erase(found);
}

std::vector<std::string> FaultPlan::Functions() const {
    std::vector<std::string> names;
    for (const auto& [name, active] : m_rules) names.push_back(name);
    return names;
}

std::optional<DWORD> FaultPlan::Check(std::string_view function,
                                      const std::vector<std::string>& arguments) {
    auto found = m_rules.find(function);
    if (found == m_rules.end()) return std::nullopt;
    ActiveRule& active = found->second;
    const FaultRule& rule = active.rule;
    ++active.calls;
    // Draw on every call, not only when nothing else fired, so the random
    // failures depend on the seed and the call count alone.
    const bool randomHit = rule.rate > 0.0 && Draw(active.random, rule.rate);
    const bool countHit =
        std::find(rule.onCalls.begin(), rule.onCalls.end(), active.calls) != rule.onCalls.end();
    const bool argumentHit = std::any_of(
        rule.arguments.begin(), rule.arguments.end(), [&arguments](const std::string& wanted) {
            return std::find(arguments.begin(), arguments.end(), wanted) != arguments.end();
        });
    if (!(rule.always || countHit || argumentHit || randomHit)) return std::nullopt;
    return rule.error ? *rule.error : *UsualInjectedError(function);
}
