#pragma once
// What the advanced options panel shows for a settings record, whether the
// controls differ from it, and what OK writes into it.
#include <cstdint>
#include <string>

#include "base/config_record.h"

// The entries of the fill list, in list order.
enum FillChoice : int { kFillDefault = 0, kFillZero = 1, kFillCustom = 2 };
constexpr int kMaxCustomFill = 127;
constexpr int kMaxPeriodDigits = 5;
constexpr uint16_t kMaxPeriod = 65535;

// The entry a stored record shows: length 1 with 0xFE is Default; a length
// other than 0 with a first byte other than 0 is a custom string; the rest
// (length 0, or a first byte 0) is Zero.
FillChoice StoredFillChoice(const ConfigRecord& record);
// The stored pattern up to its terminator, at most 127 bytes.
std::string StoredCustomString(const ConfigRecord& record);

// The period edit's text as a number: leading digits only, empty or no
// digits is 0, anything above 65535 is 65535.
uint16_t ParsePeriod(const char* text);

// What the panel's controls hold.
struct OptionsView {
  std::string period;
  bool skipErrors = false;
  int fill = kFillDefault;
  std::string custom;
};

bool OptionsChanged(const ConfigRecord& stored, const OptionsView& view);
// Something changed, and a chosen custom string is not empty.
bool OptionsOkEnabled(const ConfigRecord& stored, const OptionsView& view);
// Writes the view into the record; false, with the record untouched, for an
// unknown entry or an empty custom string.
bool ApplyOptions(ConfigRecord& record, const OptionsView& view);
