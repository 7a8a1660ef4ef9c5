// Erases the raw volume of one drive letter the way the disk eraser does
// (open, lock, measure, overwrite with the default fill, flush, unlock,
// dismount), without its dialog, and prints how long it took. bench/run-erase
// points the letter at an image file and compares with dd.
//
//   erase_bench <letter>
//
// Output: one line "seconds <s> bytes <b> failed <f>".
#include <windows.h>

#include <cstdio>

#include "base/config_record.h"
#include "disk/raw_volume.h"
#include "disk/volume_eraser.h"
#include "engine/fill_buffer.h"

namespace {

// Never pauses, never cancels; a failure is counted and not retried.
class BenchHost : public EraseHost {
 public:
  bool BeforeBlock() override { return true; }
  void Progress(uint64_t, uint64_t) override {}
  bool RetryAfterFailure(DWORD error, bool) override {
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
  if (argc != 2 || argv[1][0] < 'A' || argv[1][0] > 'Z') {
    std::fprintf(stderr, "usage: erase_bench <drive letter A-Z>\n");
    return 2;
  }
  ConfigRecord settings;
  ResetConfig(settings);
  uint8_t* fill = nullptr;
  if (!BuildFillBuffer(fill, settings.fillPattern, settings.fillLength)) return 1;

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  RawVolume volume;
  if (!volume.Open(argv[1][0]) || !volume.Lock()) {
    std::fprintf(stderr, "cannot open and lock: error %lu\n", volume.LastError());
    return 1;
  }
  uint64_t size = volume.Measure();
  BenchHost host;
  EraseOutcome outcome = OverwriteVolume(volume, size, volume.ReportedSectorSize(), fill, host);
  volume.Unlock();
  volume.Dismount();
  volume.Close();
  QueryPerformanceCounter(&end);
  FreeFillBuffer(fill);
  std::printf("seconds %.3f bytes %llu failed %u\n", Seconds(start, end),
              static_cast<unsigned long long>(outcome.written), outcome.failedBlocks);
  return outcome.result == EraseResult::Erased ? 0 : 1;
}
