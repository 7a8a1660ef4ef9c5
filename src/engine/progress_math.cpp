#include "engine/progress_math.h"

BarScale ScaleProgress(uint64_t totalBytes, uint64_t doneBytes) {
  if (doneBytes > totalBytes) doneBytes = totalBytes;
  if (totalBytes <= 0xFFFF) {
    return {static_cast<uint16_t>(totalBytes), static_cast<uint16_t>(doneBytes)};
  }
  double share = static_cast<double>(doneBytes) / static_cast<double>(totalBytes);
  return {0xFFFF, static_cast<uint16_t>(share * 65535.0)};
}

bool LabelsDue(uint32_t now, uint32_t lastUpdate, uint16_t periodMs) {
  return lastUpdate == 0 || now < lastUpdate || now - lastUpdate >= periodMs;
}
