// Feeds arbitrary views to the hand-off reader, and what it yields to the job
// that receives it; also takes the bytes as a command line.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/handoff_block.h"
#include "engine/delete_job.h"

namespace {

bool Latin1(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (units + 1 > outSize) return false;
  for (size_t i = 0; i < units; ++i) {
    if (text[i] == 0 || text[i] > 0xFF) return false;
    out[i] = static_cast<char>(text[i]);
  }
  out[units] = '\0';
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that any read past the view is caught.
  std::vector<uint8_t> view(data, data + size);
  DeleteJob job;
  BuildJob(job);
  ReadHandOffPaths(view.data(), view.size(), Latin1,
                   [](const char* path, void* context) {
                     if (std::strlen(path) > 260) __builtin_trap();
                     AddTopLevelItem(*static_cast<DeleteJob*>(context), path, nullptr);
                   },
                   &job);
  CountItems(job);
  ReleaseJob(job);

  std::vector<char> line(data, data + size);
  line.push_back('\0');
  char name[kHandOffNameSize];
  for (const char* next = line.data(); next != nullptr;) {
    next = FindHandOffName(next, name, sizeof name);
    if (std::strlen(name) >= sizeof name) __builtin_trap();
  }
  return 0;
}
