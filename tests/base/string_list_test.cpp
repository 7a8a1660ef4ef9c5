#include "base/string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Visits = std::vector<std::pair<size_t, size_t>>;

Visits Walk(const std::string& memory, size_t first, bool wide) {
  Visits seen;
  ForEachListedString(reinterpret_cast<const uint8_t*>(memory.data()), memory.size(), first, wide,
                      [&](size_t at, size_t length) { seen.emplace_back(at, length); });
  return seen;
}

TEST(ListedStrings, EachStringUntilTheEmptyOneInBothWidths) {
  const std::string narrow("HDRab\0c\0\0zz\0", 12);
  EXPECT_EQ(Walk(narrow, 3, false), (Visits{{3, 2}, {6, 1}}));
  const std::string wide("HDa\0b\0\0\0c\0\0\0\0\0x\0\0\0", 18);
  EXPECT_EQ(Walk(wide, 2, true), (Visits{{2, 2}, {8, 1}}));
  // A wide unit is two zero bytes together, not any zero byte.
  const std::string mixed("\0a\0\0\0\0", 6);
  EXPECT_EQ(Walk(mixed, 0, true), (Visits{{0, 1}}));
}

TEST(ListedStrings, NothingIsReadPastTheEndOfTheMemory) {
  // Cut off before its terminator: the last string is not visited.
  EXPECT_EQ(Walk(std::string("ab\0cd", 5), 0, false), (Visits{{0, 2}}));
  // Half a wide unit at the end is no unit.
  EXPECT_EQ(Walk(std::string("a\0\0\0b", 5), 0, true), (Visits{{0, 1}}));
  EXPECT_EQ(Walk(std::string("a\0b\0\0", 5), 0, true), Visits{});
  // A start at or past the end visits nothing.
  EXPECT_EQ(Walk(std::string("ab\0", 3), 3, false), Visits{});
  EXPECT_EQ(Walk(std::string("ab\0", 3), 7, false), Visits{});
  EXPECT_EQ(Walk(std::string(), 0, true), Visits{});
}

}  // namespace
