// Whole journals kept as expected files in tests/unit/journeys/<name>.txt: a
// test compares everything a path did with the file at once and, when they
// differ, shows the lines that differ. The comment lines ("#") at the top of a
// file say what the path is and why its surprising lines are right; the rest
// is the journal, line for line. With KORVANE_APPROVE=1 in the environment the
// test writes what it saw below the file's comments instead of comparing: for
// a reviewed, intended change only, and every written line is read before it
// is committed.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace journal_file {

inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The lines only one side has, in order, as a unified diff shows them
// ("-" expected, "+" seen), with the number of the expected line.
inline std::string Difference(const std::vector<std::string>& expected,
                              const std::vector<std::string>& actual) {
    const size_t n = expected.size(), m = actual.size();
    std::vector<std::vector<size_t>> common(n + 1, std::vector<size_t>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            common[i][j] = expected[i] == actual[j]
                               ? common[i + 1][j + 1] + 1
                               : std::max(common[i + 1][j], common[i][j + 1]);
    std::ostringstream out;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && expected[i] == actual[j]) {
            ++i, ++j;
        } else if (j < m && (i == n || common[i][j + 1] >= common[i + 1][j])) {
            out << "+" << actual[j++] << "   (before expected line " << i + 1 << ")\n";
        } else {
            out << "-" << expected[i] << "   (expected line " << i + 1 << ")\n";
            ++i;
        }
    }
    return out.str();
}

}  // namespace journal_file

inline void ExpectJournal(const std::string& name, const std::string& actual) {
    const std::string path = std::string(KORVANE_JOURNEYS_DIR) + "/" + name + ".txt";
    std::ifstream file(path, std::ios::binary);
    std::ostringstream stored;
    stored << file.rdbuf();
    std::vector<std::string> comments, expected;
    for (const std::string& line : journal_file::Lines(stored.str()))
        (line.rfind('#', 0) == 0 && expected.empty() ? comments : expected).push_back(line);
    const std::vector<std::string> seen = journal_file::Lines(actual);
    if (const char* approve = std::getenv("KORVANE_APPROVE"); approve && *approve == '1') {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        for (const std::string& line : comments) out << line << "\n";
        for (const std::string& line : seen) out << line << "\n";
        return;
    }
    ASSERT_TRUE(file.is_open()) << "no expected journal " << path;
    EXPECT_TRUE(expected == seen) << name << ": the journal differs from " << path << "\n"
                                  << journal_file::Difference(expected, seen);
}
