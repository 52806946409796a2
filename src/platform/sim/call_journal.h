// The simulated machine's record of every DeviceApi call, in order, so a test
// can assert which calls were made, with what, and what they answered.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct JournalEntry {
    std::string function;   // "CreateFileA"
    std::string arguments;  // "\"\\.\E:\", 0x0, 0x3, NULL, 0x3, 0x0, NULL"
    std::string result;     // "0x1004", or "FALSE, ERROR_MORE_DATA"
};

// One line: function(arguments) -> result.
std::string ToString(const JournalEntry& entry);

class CallJournal {
public:
    void Append(JournalEntry entry);
    void Clear();
    // Hears every entry as it is appended, so a test can interleave the
    // machine's calls with what else happened meanwhile.
    void SetListener(std::function<void(const JournalEntry&)> listener);

    const std::vector<JournalEntry>& Entries() const { return m_entries; }
    std::vector<std::string> CallNames() const;
    std::size_t CountCalls(std::string_view function) const;
    // Every entry on its own line, for a failing test to print.
    std::string Text() const;

private:
    std::vector<JournalEntry> m_entries;
    std::function<void(const JournalEntry&)> m_listener;
};
