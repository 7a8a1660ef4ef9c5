#include "app/handoff_receiver.h"

#include <windows.h>

#include <cstring>

#include "base/folder_test.h"
#include "framework/handle.h"
#include "base/handoff_block.h"

namespace {

// Exact conversion only: a character replaced by a default or a look-alike
// would make the path name some other item.
bool WideToAnsi(const char16_t* text, size_t units, char* out, size_t outSize) {
  if (units == 0 || units > 0x7FFFFFFF || outSize < 2) return false;
  const auto* wide = reinterpret_cast<const wchar_t*>(text);
  int length = static_cast<int>(units);
  int room = static_cast<int>(outSize - 1);
  BOOL usedDefault = FALSE;
  int written = WideCharToMultiByte(CP_THREAD_ACP, WC_NO_BEST_FIT_CHARS, wide, length, out, room,
                                    nullptr, &usedDefault);
  if (written <= 0 && (GetLastError() == ERROR_INVALID_FLAGS ||
                       GetLastError() == ERROR_INVALID_PARAMETER)) {
    // A UTF-8 code page represents every character and takes neither of those.
    usedDefault = FALSE;
    written = WideCharToMultiByte(CP_THREAD_ACP, WC_ERR_INVALID_CHARS, wide, length, out, room,
                                  nullptr, nullptr);
  }
  if (written <= 0 || usedDefault) return false;
  out[written] = '\0';
  return std::strlen(out) == static_cast<size_t>(written);
}

void AddPath(const char* path, void* context) {
  AddTopLevelItem(*static_cast<DeleteJob*>(context), path, IsFolder);
}

size_t ViewSize(const void* view) {
  MEMORY_BASIC_INFORMATION info;
  if (VirtualQuery(view, &info, sizeof info) != sizeof info) return 0;
  const auto* base = static_cast<const uint8_t*>(info.BaseAddress);
  return info.RegionSize - static_cast<size_t>(static_cast<const uint8_t*>(view) - base);
}

}  // namespace

bool ReceiveHandOff(const char* commandLine, DeleteJob& job) {
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
  ReadHandOffPaths(view.Get(), size, WideToAnsi, AddPath, &job);
  return true;
}
