// Wipes the free space of a Unix folder made a drive of the Wine session, the
// way the wipe does (the default fill, every phase, everything made removed
// again), without its window, and prints how long it took. bench/run-wipe
// points the letter at a mounted image and compares with dd.
//
//   wipe_bench <letter> <Unix folder>
//
// Output: one line "seconds <s> bytes <b> made <n> removed <n> wiped <0|1>".
#include <windows.h>

#include <cstdio>
#include <string>

#include "base/config_record.h"
#include "disk/free_space_wiper.h"
#include "engine/fill_buffer.h"
#include "support/wine_drives.h"

namespace {

// Never pauses, never cancels; a failure is not retried.
class BenchHost : public WipeHost {
 public:
  bool BeforeBlock() override { return true; }
  void Progress(uint64_t, uint64_t) override {}
  bool RetryAfterFailure(DWORD error) override {
    std::fprintf(stderr, "write failed: error %lu\n", error);
    return false;
  }
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || argv[1][0] < 'A' || argv[1][0] > 'Z') {
    std::fprintf(stderr, "usage: wipe_bench <letter> <Unix folder>\n");
    return 2;
  }
  const char letter = argv[1][0];
  if (!kxtest::DefineWineDrive(letter, DRIVE_FIXED, argv[2])) {
    std::fprintf(stderr, "cannot define the drive\n");
    return 1;
  }
  ConfigRecord settings;
  uint8_t* fill = nullptr;
  BuildFillBuffer(fill, settings.fillPattern, settings.fillLength);
  EraseFill constant;
  constant.pattern = fill;
  WipeVolume volume;
  BenchHost host;
  WipeOutcome outcome;
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  const bool measured = MeasureWipeVolume(letter, volume);
  if (measured) outcome = WipeFreeSpace(volume, constant, host);
  QueryPerformanceCounter(&end);
  kxtest::DefineWineDrive(letter, DRIVE_FIXED, std::string());
  FreeFillBuffer(fill);
  if (!measured) {
    std::fprintf(stderr, "cannot measure the drive\n");
    return 1;
  }
  std::printf("seconds %.3f bytes %llu made %lu removed %lu wiped %d\n", Seconds(start, end),
              static_cast<unsigned long long>(outcome.written),
              static_cast<unsigned long>(outcome.filesMade),
              static_cast<unsigned long>(outcome.filesRemoved),
              outcome.result == WipeResult::Wiped ? 1 : 0);
  return outcome.result == WipeResult::Wiped ? 0 : 1;
}
