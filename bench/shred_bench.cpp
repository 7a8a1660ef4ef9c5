// Runs the deletion engine without windows on data that bench/run lays out,
// and prints how long it took. bench/run compares the times with the
// system's own tools measured in the same run.
//
//   shred_bench destroy <path> [random] [verify]
//                                prepare and destroy one file or folder, with
//                                random fill and read-back verification when named
//   shred_bench prepare <path>   only walk and count it
//
// Output: one line "seconds <s> files <n> bytes <b> prompts <p> items <i>
// names <bytes> grown <bytes>": items and the bytes of their names are those
// of the prepared tree, grown is how far the peak working set rose above the
// working set before the walk.
#include <windows.h>
#include <psapi.h>

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

struct TreeCounts {
  uint64_t items = 0;
  uint64_t nameBytes = 0;
};

void CountTree(const DeleteItem& item, TreeCounts& counts) {
  for (const DeleteItem* child = item.firstChild; child != nullptr; child = child->next) {
    ++counts.items;
    counts.nameBytes += std::strlen(child->name);
    CountTree(*child, counts);
  }
}

PROCESS_MEMORY_COUNTERS Memory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  return counters;
}

bool IsDirectory(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || (std::strcmp(argv[1], "destroy") != 0 && std::strcmp(argv[1], "prepare") != 0)) {
    std::fprintf(stderr, "usage: shred_bench destroy <path> [random] [verify] | prepare <path>\n");
    return 2;
  }
  const bool destroy = std::strcmp(argv[1], "destroy") == 0;
  static DeleteJob job;  // large: keep it off the stack
  BuildJob(job);
  for (int i = 3; i < argc; ++i) {
    if (std::strcmp(argv[i], "random") == 0) {
      job.options.randomFill = 1;
    } else if (std::strcmp(argv[i], "verify") == 0) {
      job.options.verify = 1;
    } else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  BenchHost host;
  job.host = &host;
  if (!AddTopLevelItem(job, argv[2], IsDirectory)) {
    std::fprintf(stderr, "cannot add %s\n", argv[2]);
    return 2;
  }

  // The markers let a call trace (WINEDEBUG=+relay) be cut into the walk
  // and the destruction; they stand outside the timed part.
  const PROCESS_MEMORY_COUNTERS before = Memory();
  OutputDebugStringA("kxbench:prepare");
  LARGE_INTEGER start, end;
  QueryPerformanceCounter(&start);
  bool ok = Prepare(job);
  QueryPerformanceCounter(&end);
  double seconds = Seconds(start, end);
  const PROCESS_MEMORY_COUNTERS prepared = Memory();
  TreeCounts counts;
  CountTree(job.root, counts);
  OutputDebugStringA("kxbench:delete");
  if (ok && destroy) {
    QueryPerformanceCounter(&start);
    ok = Delete(job);
    QueryPerformanceCounter(&end);
    seconds += Seconds(start, end);
  }
  OutputDebugStringA("kxbench:end");

  const SIZE_T grown = prepared.PeakWorkingSetSize > before.WorkingSetSize
                           ? prepared.PeakWorkingSetSize - before.WorkingSetSize
                           : 0;
  std::printf("seconds %.3f files %llu bytes %llu prompts %d items %llu names %llu grown %llu\n",
              seconds, static_cast<unsigned long long>(job.fileCount),
              static_cast<unsigned long long>(job.totalBytes), host.prompts,
              static_cast<unsigned long long>(counts.items),
              static_cast<unsigned long long>(counts.nameBytes),
              static_cast<unsigned long long>(grown));
  ReleaseJob(job);
  return ok ? 0 : 1;
}
