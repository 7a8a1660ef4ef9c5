#include "app/handoff_receiver.h"

#include <windows.h>

#include <cstring>

#include "base/ansi_text.h"
#include "base/folder_test.h"
#include "base/handoff_block.h"
#include "base/path_match.h"
#include "framework/handle.h"

namespace {

struct Receiving {
  DeleteJob& job;
  uint64_t notAdded;  // neither added nor covered by an item of the job
};

void AddPath(const char* path, void* context) {
  auto& receiving = *static_cast<Receiving*>(context);
  if (AddTopLevelItem(receiving.job, path, IsFolder, SameOrInsideOnDisk) == nullptr &&
      !IsCovered(receiving.job, path, SameOrInsideOnDisk)) {
    ++receiving.notAdded;
  }
}

size_t ViewSize(const void* view) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(view, &info, sizeof info) != sizeof info) return 0;
  const auto* base = static_cast<const uint8_t*>(info.BaseAddress);
  return info.RegionSize - static_cast<size_t>(static_cast<const uint8_t*>(view) - base);
}

}  // namespace

bool ReceiveHandOff(const char* commandLine, DeleteJob& job, uint64_t* passedOver) {
  if (passedOver != nullptr) *passedOver = 0;
  if (!ClearJob(job) || commandLine == nullptr) return false;

  // The program's own path may contain the switch's letters; each occurrence
  // is tried until one names a mapping that exists.
  char name[kHandOffNameSize];
  kx::Handle mapping;
  for (const char* next = FindHandOffName(commandLine, name, sizeof name); next != nullptr;
       next = FindHandOffName(next, name, sizeof name)) {
    if (name[0] == '\0') continue;
    mapping.Reset(OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name));
    if (mapping) break;
  }
  if (!mapping) return false;

  kx::MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return false;
  size_t size = ViewSize(view.Get());
  auto* bytes = static_cast<volatile uint8_t*>(view.Get());

  HandOffHeader header;
  if (!ReadHandOffHeader(view.Get(), size, header)) return false;
  // The extension waits for this byte; it learns that the block was taken
  // whatever the block holds.
  bytes[kHandOffPendingOffset] = 0;
  if (header.kind != kHandOffKindPaths) {
    for (int i = 0; i < 4; ++i) bytes[i] = 0;
    return false;
  }
  Receiving receiving{job, 0};
  size_t unreadable = 0;
  ReadHandOffPaths(view.Get(), size, WideToAnsiExact, AddPath, &receiving, &unreadable);
  if (passedOver != nullptr) {
    *passedOver =
        uint64_t{ReadHandOffPassedOver(view.Get(), size)} + unreadable + receiving.notAdded;
  }
  return true;
}
