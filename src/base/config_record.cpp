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

bool ConfigFromStoredBytes(const uint8_t* data, size_t size, ConfigRecord& record) {
  ResetConfig(record);
  if (!data || size != sizeof record) return false;
  ConfigRecord stored;
  std::memcpy(&stored, data, sizeof stored);
  // A length beyond the pattern would have the shredder repeat bytes that are
  // not there.
  if (stored.fillLength > sizeof stored.fillPattern) stored.fillLength = 127;
  record = stored;
  return true;
}
