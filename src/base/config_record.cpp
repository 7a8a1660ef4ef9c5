#include "base/config_record.h"

#include <cstring>

void ResetConfig(ConfigRecord& record) {
  std::memset(&record, 0, sizeof record);
  record.updatePeriodMs = kDefaultUpdatePeriodMs;
  record.fillLength = 1;
  record.fillPattern[0] = kDefaultFillByte;
}

bool HasPassword(const ConfigRecord& record) {
  for (uint8_t b : record.passwordDigest)
    if (b != 0) return true;
  return false;
}
