#pragma once
// Colours of a task-panel group. Values are Windows colour values
// (0x00BBGGRR), kept free of windows.h so the scheme table is tested natively.
#include <cstdint>

struct GroupColours {
  uint32_t headerStart;
  uint32_t headerEnd;
  uint32_t captionNormal;
  uint32_t captionHot;
  uint32_t arrowNormal;
  uint32_t arrowHot;
  uint32_t itemNormal;
  uint32_t itemHot;
  uint32_t body;
  uint32_t border;
};

constexpr int kGroupSchemeCount = 9;

// Fills the colours of scheme 0..8 for a header direction (0 = left to right,
// other = top to bottom). An unknown scheme leaves the colours unchanged and
// answers false.
bool GroupSchemeColours(int scheme, int direction, GroupColours& colours);

// The colour at step i of n (0 <= i < n) of a gradient that is linear in each
// channel, from start (i = 0) to end (i = n - 1).
uint32_t GradientColour(uint32_t start, uint32_t end, int i, int n);
