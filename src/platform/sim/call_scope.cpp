#include "platform/sim/call_scope.h"

#include <utility>

namespace {

std::vector<std::string> ArgumentTexts(const CallArguments& arguments) {
    std::vector<std::string> texts;
    for (const CallArgument& argument : arguments) texts.push_back(argument.text);
    return texts;
}

}  // namespace

CallScope::CallScope(CallJournal& journal, FaultPlan& faults, DWORD& lastError,
                     std::string_view function, CallArguments arguments)
    : m_journal(journal),
      m_lastError(lastError),
      m_entry{std::string(function), JoinArguments(arguments), {}},
      m_injected(faults.Check(function, ArgumentTexts(arguments))) {}

CallScope::~CallScope() {
    if (!m_recorded) Record("(no result)");
}

void CallScope::Record(std::string result) {
    if (m_recorded) return;
    m_recorded = true;
    m_entry.result = std::move(result);
    m_journal.Append(std::move(m_entry));
}

BOOL CallScope::Succeed() {
    Record("TRUE");
    return TRUE;
}

BOOL CallScope::Fail(DWORD error) {
    m_lastError = error;
    Record("FALSE, " + ErrorName(error));
    return FALSE;
}

void* CallScope::Returns(void* value) {
    Record(HandleText(value));
    return value;
}

void* CallScope::Fails(void* value, DWORD error) {
    m_lastError = error;
    Record(HandleText(value) + ", " + ErrorName(error));
    return value;
}

CONFIGRET CallScope::Answers(CONFIGRET result) {
    Record(ConfigRetName(result));
    return result;
}
