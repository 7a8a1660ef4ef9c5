// Runs the deletion engine without windows on data that bench/run lays out,
// and prints how long it took. bench/run compares the times with the
// system's own tools measured in the same run.
//
//   shred_bench destroy <path>   prepare and destroy one file or folder
//   shred_bench prepare <path>   only walk and count it
//
// Output: one line "seconds <s> files <n> bytes <b> prompts <p>".
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "engine/delete_job.h"
#include "engine/prepare.h"
#include "engine/shredder.h"

namespace {

// Never cancels; any failure is counted and answered with Skip so that the
// run ends and the count shows it.
class BenchHost : public JobHost {
 public:
  int prompts = 0;
  bool ReportProgress(DeleteJob&, const char*, const char*) override { return true; }
  int ErrorPrompt(DeleteJob&, const char* message, const char* path, uint32_t code) override {
    ++prompts;
    std::fprintf(stderr, "prompt: %s (error %u)\n", path, code);
    return kAnswerSkip;
  }
  void SetBusy(DeleteJob&, bool) override {}
  void Cancel(DeleteJob&) override {}
};

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "destroy") != 0 && std::strcmp(argv[1], "prepare") != 0)) {
    std::fprintf(stderr, "usage: shred_bench destroy|prepare <path>\n");
    return 2;
  }
  const bool destroy = std::strcmp(argv[1], "destroy") == 0;
  static DeleteJob job;  // large: keep it off the stack
  BuildJob(job);
  BenchHost host;
  job.host = &host;
  if (!AddTopLevelItem(job, argv[2], IsDirectory)) {
    std::fprintf(stderr, "cannot add %s\n", argv[2]);
    return 2;
  }

  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  bool ok = Prepare(job);
  if (ok && destroy) ok = Delete(job);
  QueryPerformanceCounter(&end);

  std::printf("seconds %.3f files %llu bytes %llu prompts %d\n", Seconds(start, end),
              static_cast<unsigned long long>(job.fileCount),
              static_cast<unsigned long long>(job.totalBytes), host.prompts);
  ReleaseJob(job);
  return ok ? 0 : 1;
}
