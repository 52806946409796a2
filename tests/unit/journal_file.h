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
#include <functional>
#include <string>

// GoogleTest shows two texts of several lines that differ as a unified diff.
inline void ExpectJournal(const std::string& name, const std::string& actual) {
    const std::string path = std::string(KORVANE_JOURNEYS_DIR) + "/" + name + ".txt";
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file.is_open()) << "no expected journal " << path;
    std::string comments, expected;
    for (std::string line; std::getline(file, line);)
        (line.rfind('#', 0) == 0 && expected.empty() ? comments : expected) += line + "\n";
    if (const char* approve = std::getenv("KORVANE_APPROVE"); approve && *approve == '1') {
        file.close();
        std::ofstream(path, std::ios::binary | std::ios::trunc) << comments << actual;
        return;
    }
    EXPECT_EQ(expected, actual) << name << ": the journal differs from " << path;
}

// Each line of the file holds a description, then " => " and what `judge`
// must make of it; the whole file is compared at once.
inline void ExpectEachDescription(const std::string& name,
                                  const std::function<std::string(const std::string&)>& judge) {
    std::ifstream file(std::string(KORVANE_JOURNEYS_DIR) + "/" + name + ".txt");
    std::string seen;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#') continue;
        const std::string description = line.substr(0, line.find(" => "));
        seen += description + " => " + judge(description) + "\n";
    }
    ExpectJournal(name, seen);
}
