#include "platform/sim/call_journal.h"

#include <algorithm>
#include <utility>

std::string ToString(const JournalEntry& entry) {
    return entry.function + "(" + entry.arguments + ") -> " + entry.result;
}

void CallJournal::Append(JournalEntry entry) {
    m_entries.push_back(std::move(entry));
    if (m_listener) m_listener(m_entries.back());
}

void CallJournal::SetListener(std::function<void(const JournalEntry&)> listener) {
    m_listener = std::move(listener);
}

void CallJournal::Clear() {
    m_entries.clear();
}

std::vector<std::string> CallJournal::CallNames() const {
    std::vector<std::string> names;
    names.reserve(m_entries.size());
    for (const JournalEntry& entry : m_entries) names.push_back(entry.function);
    return names;
}

std::size_t CallJournal::CountCalls(std::string_view function) const {
    return static_cast<std::size_t>(std::count_if(
        m_entries.begin(), m_entries.end(),
        [function](const JournalEntry& entry) { return entry.function == function; }));
}

std::string CallJournal::Text() const {
    std::string text;
    for (const JournalEntry& entry : m_entries) text += ToString(entry) + "\n";
    return text;
}
