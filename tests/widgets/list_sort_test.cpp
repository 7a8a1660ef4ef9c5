#include "widgets/list_sort.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<bool> Clicks(std::initializer_list<int> columns) {
  ListSortState state;
  std::vector<bool> ascending;
  for (int c : columns) ascending.push_back(NextSortAscending(state, c));
  return ascending;
}

TEST(ListSort, HeadingClicksFromANewListFollowTheRule) {
  // Path twice: descending, then ascending.
  EXPECT_EQ(Clicks({0, 0}), (std::vector<bool>{false, true}));
  // Type once, then path three times: descending three times, then ascending.
  EXPECT_EQ(Clicks({1, 0, 0, 0}), (std::vector<bool>{false, false, false, true}));
  // Type twice: folders first, then files first.
  EXPECT_EQ(Clicks({1, 1}), (std::vector<bool>{false, true}));
  // Changing columns always starts descending.
  EXPECT_EQ(Clicks({0, 0, 1, 0}), (std::vector<bool>{false, true, false, false}));
}

TEST(ListSort, DescendingTurnsEveryComparisonAround) {
  EXPECT_EQ(SortedOrder(5, true), 5);
  EXPECT_EQ(SortedOrder(5, false), -1);
  EXPECT_EQ(SortedOrder(-7, false), 1);
  EXPECT_EQ(SortedOrder(0, false), 0);
}

}  // namespace
