// Feeds arbitrary views to the hand-off reader, and what it yields to the job
// that receives it; also takes the bytes as a command line, and as the paths
// that a writer is given.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
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
  std::vector<char> line(data, data + size);
  line.push_back('\0');
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
  if (ReadHandOffPassedOver(view.data(), view.size()) > kHandOffMaxPassedOver) __builtin_trap();

  // The bytes as the strings a writer is given: what it counts as passed
  // over and what the reader then finds must add up to what it was given.
  std::vector<uint8_t> buffer(HandOffCapacity(4));
  HandOffWriter writer;
  BeginHandOff(writer, buffer.data(), buffer.size(), 0, 0);
  size_t given = 0;
  for (size_t at = 0; at < line.size() && given < 6; ++given) {
    size_t end = at;
    while (end < line.size() && line[end] != '\n') ++end;
    const std::string path(line.data() + at, end - at);
    AddHandOffPath(writer, path.c_str());
    at = end + 1;
  }
  const size_t sent = FinishHandOff(writer);
  if (sent > buffer.size()) __builtin_trap();
  if (sent == 0) {
    if (given != 0) __builtin_trap();
  } else {
    size_t refused = 0;
    const size_t listed = ReadHandOffPaths(
        buffer.data(), sent, nullptr, [](const char*, void*) {}, nullptr, &refused);
    if (listed + refused != writer.paths ||
        writer.paths + ReadHandOffPassedOver(buffer.data(), sent) != given) {
      __builtin_trap();
    }
  }

  char name[kHandOffNameSize];
  for (const char* next = line.data(); next != nullptr;) {
    next = FindHandOffName(next, name, sizeof name);
    if (std::strlen(name) >= sizeof name) __builtin_trap();
  }
  return 0;
}
