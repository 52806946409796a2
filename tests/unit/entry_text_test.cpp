// The free-space figures of a row at their boundaries; the rows themselves
// are drawn whole in the drive list's tests.
#include <gtest/gtest.h>

#include "drives/entry_text.h"

namespace {

TEST(EntryText, FreeSpaceFigures) {
    // The threshold is 1000 while the divisor is 1024; figures arrive
    // unsigned and are read as signed, and only a negative total reads "-".
    constexpr uint64_t kMB = 1 << 20;
    for (const auto& [free, total, text] :
         std::initializer_list<std::tuple<uint64_t, uint64_t, const char*>>{
             {1000 * kMB, 1000 * kMB, "1000MB/1000MB Free"},
             {1001 * kMB, 2048 * kMB, "0GB/2GB Free"},
             {500 * kMB, uint64_t{0} - kMB, "-"},
             {uint64_t{1} << 63, 980 * kMB, "-8796093022208MB/980MB Free"}}) {
        EXPECT_EQ(FormatFreeSpace(free, total), text);
    }
}

}  // namespace
