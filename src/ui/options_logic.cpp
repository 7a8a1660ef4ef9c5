#include "ui/options_logic.h"

#include <cstring>

FillChoice StoredFillChoice(const ConfigRecord& record) {
  if (record.fillLength == 1 && record.fillPattern[0] == kDefaultFillByte) return kFillDefault;
  if (record.fillLength != 0 && record.fillPattern[0] != 0) return kFillCustom;
  return kFillZero;
}

FillChoice ShownFillChoice(const ConfigRecord& record, const ShredOptions& options) {
  return options.randomFill ? kFillRandom : StoredFillChoice(record);
}

std::string StoredCustomString(const ConfigRecord& record) {
  const char* pattern = reinterpret_cast<const char*>(record.fillPattern);
  return std::string(pattern, strnlen(pattern, kMaxCustomFill));
}

uint16_t ParsePeriod(const char* text) {
  uint32_t value = 0;
  for (const char* p = text; p && *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + static_cast<uint32_t>(*p - '0');
    if (value > kMaxPeriod) return kMaxPeriod;
  }
  return static_cast<uint16_t>(value);
}

bool OptionsChanged(const ConfigRecord& stored, const OptionsView& view,
                    const ShredOptions& options) {
  if (ParsePeriod(view.period.c_str()) != stored.updatePeriodMs) return true;
  if (view.skipErrors != (stored.skipErrors != 0)) return true;
  if (view.verify != (options.verify != 0)) return true;
  const FillChoice choice = ShownFillChoice(stored, options);
  if (view.fill != choice) return true;
  return choice == kFillCustom && view.custom != StoredCustomString(stored);
}

bool OptionsOkEnabled(const ConfigRecord& stored, const OptionsView& view,
                      const ShredOptions& options) {
  if (view.fill == kFillCustom && view.custom.empty()) return false;
  return OptionsChanged(stored, view, options);
}

bool ApplyOptions(ConfigRecord& record, const OptionsView& view, ShredOptions* options) {
  switch (view.fill) {
    case kFillDefault:
      record.fillPattern[0] = kDefaultFillByte;
      record.fillLength = 1;
      break;
    case kFillZero:
      std::memset(record.fillPattern, 0, sizeof record.fillPattern);
      record.fillLength = 0;
      break;
    case kFillCustom: {
      if (view.custom.empty()) return false;
      const size_t length = view.custom.size() < kMaxCustomFill ? view.custom.size() : kMaxCustomFill;
      std::memset(record.fillPattern, 0, sizeof record.fillPattern);
      std::memcpy(record.fillPattern, view.custom.data(), length);
      record.fillLength = static_cast<uint8_t>(length);
      break;
    }
    case kFillRandom:
      if (options == nullptr) return false;
      break;
    default:
      return false;
  }
  record.updatePeriodMs = ParsePeriod(view.period.c_str());
  record.skipErrors = view.skipErrors ? 1 : 0;
  if (options) {
    options->randomFill = view.fill == kFillRandom ? 1 : 0;
    options->verify = view.verify ? 1 : 0;
  }
  return true;
}
