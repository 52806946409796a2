// Which DeviceApi calls of the simulated machine fail on purpose: always, on
// the Nth call, when an argument matches, or at a seeded random rate.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows_headers.h"

struct FaultRule {
    bool always = false;
    // 1-based, counted from when the rule was set (from the start for a
    // machine built from a description).
    std::vector<unsigned> onCalls;
    // An argument as the journal shows it; strings without their quotes.
    std::vector<std::string> arguments;
    double rate = 0.0;  // 0 to 1; each call draws from a generator seeded with `seed`
    std::uint32_t seed = 0;
    // Replaces the function's usual error: the last error of a Win32 call, the
    // CONFIGRET result of a configuration-manager call.
    std::optional<DWORD> error;
};

// The functions a fault can be planned for, with the error an injected fault
// leaves when the rule names none. Empty for a name that is not one of them.
std::optional<DWORD> UsualInjectedError(std::string_view function);
// Every function a fault can be planned for.
std::vector<std::string_view> InjectableFunctions();

class FaultPlan {
public:
    // Each throws std::invalid_argument for a function that cannot be made to
    // fail (a typo, or GetLastError), so a test never plans a fault that
    // silently never happens.
    FaultPlan& FailAlways(std::string_view function);
    FaultPlan& FailOnCall(std::string_view function, unsigned n);
    FaultPlan& FailWhenArgument(std::string_view function, std::string argument);
    FaultPlan& FailRandomly(std::string_view function, double rate, std::uint32_t seed);
    FaultPlan& WithError(std::string_view function, DWORD error);
    void SetRule(std::string_view function, FaultRule rule);

    void Clear();
    void Clear(std::string_view function);
    std::vector<std::string> Functions() const;

    // Called by the machine once per call: counts it and, when the call is to
    // fail, returns the error it fails with.
    std::optional<DWORD> Check(std::string_view function,
                               const std::vector<std::string>& arguments);

private:
    struct ActiveRule {
        FaultRule rule;
        unsigned calls = 0;
        std::mt19937 random;
    };
    ActiveRule& RuleFor(std::string_view function);

    std::map<std::string, ActiveRule, std::less<>> m_rules;
};
