#pragma once
// The heading-click rule of the batch list: a click on the column sorted
// last, when that column went descending last time, sorts it ascending; every
// other click sorts descending. A new list starts as if the type column had
// been sorted ascending, so that the first click on a heading sorts
// descending.

struct ListSortState {
  int lastColumn = 1;  // 0 the path column, 1 the type column
  bool flag = true;    // flips with every click
};

// Whether the click on column sorts ascending; records the click.
inline bool NextSortAscending(ListSortState& state, int column) {
  const bool ascending = column == state.lastColumn && !state.flag;
  state.lastColumn = column != 0 ? 1 : 0;
  state.flag = !state.flag;
  return ascending;
}

// The order of two rows for a comparison result of their texts.
inline int SortedOrder(int comparison, bool ascending) {
  if (ascending) return comparison;
  return comparison > 0 ? -1 : comparison < 0 ? 1 : 0;
}
