// The "Config" value is whatever another program or a damaged hive left in
// the registry: taking it must stay inside the bytes given and yield either
// the stored record with a fill length inside its pattern, or the defaults.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/config_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact copy, so that a read past the end is caught.
  std::vector<uint8_t> copy(data, data + size);
  ConfigRecord record;
  std::memset(&record, 0xA5, sizeof record);
  const bool taken = ConfigFromStoredBytes(copy.data(), copy.size(), record);
  if (taken != (size == sizeof record)) __builtin_trap();
  if (record.fillLength > sizeof record.fillPattern) __builtin_trap();
  ConfigRecord expected;
  if (taken) {
    std::memcpy(&expected, copy.data(), sizeof expected);
    if (expected.fillLength > sizeof expected.fillPattern) expected.fillLength = 127;
  } else {
    ResetConfig(expected);
  }
  if (std::memcmp(&record, &expected, sizeof record) != 0) __builtin_trap();
  if (HasPassword(record) !=
      (std::memcmp(record.passwordDigest, "\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16) != 0))
    __builtin_trap();
  return 0;
}
