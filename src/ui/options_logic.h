#pragma once
// What the advanced options panel shows for a settings record, whether the
// controls differ from it, and what OK writes into it.
#include <cstdint>
#include <string>

#include "base/config_record.h"

// The entries of the fill list, in list order.
// Random is kept apart from the record (ShredOptions.randomFill): choosing it
// leaves the record's fill as it was, for versions that know only the record.
enum FillChoice : int { kFillDefault = 0, kFillZero = 1, kFillCustom = 2, kFillRandom = 3 };
constexpr int kMaxCustomFill = 127;
constexpr int kMaxPeriodDigits = 5;
constexpr uint16_t kMaxPeriod = 65535;

// The entry a stored record shows: length 1 with 0xFE is Default; a length
// other than 0 with a first byte other than 0 is a custom string; the rest
// (length 0, or a first byte 0) is Zero.
FillChoice StoredFillChoice(const ConfigRecord& record);
// The entry the panel shows: Random when it is on, else the record's.
FillChoice ShownFillChoice(const ConfigRecord& record, const ShredOptions& options);
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
  bool verify = false;
};

bool OptionsChanged(const ConfigRecord& stored, const OptionsView& view,
                    const ShredOptions& options = {});
// Something changed, and a chosen custom string is not empty.
bool OptionsOkEnabled(const ConfigRecord& stored, const OptionsView& view,
                      const ShredOptions& options = {});
// Writes the view into the record and, when given, into options; false, with
// both untouched, for an unknown entry, an empty custom string, or Random
// without options to hold it. Random keeps the record's fill as it was.
bool ApplyOptions(ConfigRecord& record, const OptionsView& view, ShredOptions* options = nullptr);
