#pragma once
// The settings record, stored byte for byte as the registry value "Config".
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct ConfigRecord {
  uint16_t updatePeriodMs;  // least time between two label refreshes
  uint8_t skipErrors;       // 1: jobs start with their skip-all flags set
  uint8_t fillLength;       // 0 zeros, 1 first byte, n: first n bytes repeated
  uint8_t fillPattern[128];
  uint8_t passwordDigest[16];  // MD5 of the password; all zero: none set
};
#pragma pack(pop)
static_assert(sizeof(ConfigRecord) == 148, "ConfigRecord is stored as 148 bytes");

// Settings that came after the record, each stored as a value of its own
// beside "Config" so that the record keeps the layout earlier versions read.
struct ShredOptions {
  uint8_t randomFill;  // "RandomFill": each chunk new data from the system's generator
  uint8_t verify;      // "Verify": every chunk read back after the flush and compared
};

constexpr uint16_t kDefaultUpdatePeriodMs = 200;
constexpr uint8_t kDefaultFillByte = 0xFE;

// Zero, then update period 200, fill length 1, fill byte 0xFE.
void ResetConfig(ConfigRecord& record);
// Takes the bytes of the stored "Config" value: exactly a record's size is a
// record (a fill length beyond the pattern is cut to 127, the most the panels
// write); any other size leaves the defaults. True when the bytes were taken.
bool ConfigFromStoredBytes(const uint8_t* data, size_t size, ConfigRecord& record);
// True when a password digest is stored (any byte non-zero).
bool HasPassword(const ConfigRecord& record);
