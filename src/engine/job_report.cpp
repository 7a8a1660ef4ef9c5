#include "engine/job_report.h"

#include <algorithm>

#include "base/config_record.h"
#include "engine/delete_job.h"
#include "engine/fill_buffer.h"

namespace {

constexpr uint32_t kErrorInvalidFunction = 1;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorNotSupported = 50;
constexpr uint32_t kErrorUserMappedFile = 1224;

}  // namespace

KeptReason KeptReasonOf(uint32_t code) {
  switch (code) {
    case kErrorSharingViolation:
    case kErrorLockViolation:
    case kErrorUserMappedFile:
      return KeptReason::kHeld;
    case kReasonOutsideSelection:
    case kReasonChanged:
    case kReasonBecameLink:
      return KeptReason::kOutsideSelection;
    case kReasonOtherNames:
      return KeptReason::kOtherNames;
    case kReasonNotALink:
    case kErrorInvalidFunction:
    case kErrorNotSupported:
      return KeptReason::kNotSupported;
    case kReasonVerifyFailed:
      return KeptReason::kVerifyFailed;
    default:
      return KeptReason::kSkipped;
  }
}

void JobReport::AddKept(const char* path, uint32_t code) {
  if (kept.size() >= kMaxReportedItems) {
    ++keptUnlisted;
    return;
  }
  kept.push_back({path ? path : "", KeptReasonOf(code), code});
}

void JobReport::AddCaveats(const char* path, uint8_t bits) {
  if (bits == 0) return;
  const char* name = path ? path : "";
  if (!caveats.empty() && caveats.back().path == name) {
    caveats.back().caveats |= bits;
  } else if (caveats.size() >= kMaxReportedItems) {
    ++caveatsUnlisted;
  } else {
    caveats.push_back({name, bits});
  }
}

void JobReport::SetFill(const ConfigRecord& settings, const ShredOptions& options) {
  verified = options.verify != 0;
  pattern.clear();
  if (options.randomFill) {
    fill = FillKind::kRandom;
    return;
  }
  const unsigned length = std::min<unsigned>(settings.fillLength, kMaxFillPatternLength);
  const uint8_t* bytes = settings.fillPattern;
  // A pattern of nothing but zeros writes zeros, whatever its length says.
  if (std::all_of(bytes, bytes + length, [](uint8_t b) { return b == 0; })) {
    fill = FillKind::kZeros;
    return;
  }
  fill = FillKind::kPattern;
  pattern.assign(reinterpret_cast<const char*>(bytes), length);
}
