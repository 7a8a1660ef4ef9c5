#pragma once
// What the progress window shows, as plain arithmetic: the 16-bit range and
// position of the bar, and when the labels may be rewritten.
#include <cstdint>

struct BarScale {
  uint16_t range;
  uint16_t position;
};

// A total of up to 65535 bytes is shown in bytes; a larger one on a scale of
// 65535. Done bytes beyond the total (a file grew after it was counted) show
// a full bar, never a bar that has wrapped back.
BarScale ScaleProgress(uint64_t totalBytes, uint64_t doneBytes);

// The labels are due when they were never set (lastUpdate 0), when the tick
// counter has wrapped since, or when the period has passed.
bool LabelsDue(uint32_t now, uint32_t lastUpdate, uint16_t periodMs);
