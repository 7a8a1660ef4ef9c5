// Stands in for the main program at the receiving end of a hand-off: opens
// the mapping named by "-TME<name>", clears the pending byte and records
// what it found in the file named by KX_RECEIVER_OUT, one "key=value" a line:
//   mapping=<name>  exe=<its own path>  kind=  wide=  pending=
//   block=<hex of the block up to and including its final empty string>
//   path=<each path, as the reader walks them>
//   passedover=<the count of the block's trailer, 0 without one>
// KX_RECEIVER_DELAY_MS delays clearing the pending byte; KX_RECEIVER_KEEP=1
// never clears it.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/handoff_block.h"

namespace {

std::string Env(const char* name) {
  char value[MAX_PATH + 1] = "";
  DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
  return n > 0 && n < sizeof value ? value : "";
}

void Collect(const char* path, void* context) {
  *static_cast<std::string*>(context) += std::string("path=") + path + "\n";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string out = Env("KX_RECEIVER_OUT");
  char name[kHandOffNameSize];
  if (out.empty() || !FindHandOffName(GetCommandLineA(), name, sizeof name) || !name[0]) return 2;

  HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
  if (!mapping) return 3;
  auto* view = static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  if (!view) return 4;
  // The view shows whole pages; the block's own end is its empty string.
  MEMORY_BASIC_INFORMATION region = {};
  VirtualQuery(view, &region, sizeof region);
  const size_t viewSize = region.RegionSize;

  std::string report = "mapping=" + std::string(name) + "\n";
  char self[MAX_PATH + 1] = "";
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  report += "exe=" + std::string(self) + "\n";
  HandOffHeader header = {};
  ReadHandOffHeader(view, viewSize, header);
  report += "kind=" + std::to_string(header.kind) + "\n";
  report += "wide=" + std::to_string(header.wide) + "\n";
  report += "pending=" + std::to_string(header.pending) + "\n";

  const std::string delay = Env("KX_RECEIVER_DELAY_MS");
  if (!delay.empty()) Sleep(std::atoi(delay.c_str()));
  if (Env("KX_RECEIVER_KEEP") != "1") view[kHandOffPendingOffset] = 0;

  std::string hex;
  char digits[3];
  for (size_t i = 0; i < viewSize; ++i) {
    std::snprintf(digits, sizeof digits, "%02x", view[i]);
    hex += digits;
    if (i > kHandOffHeaderSize && view[i] == 0 && view[i - 1] == 0) break;
  }
  report += "block=" + hex + "\n";
  ReadHandOffPaths(view, viewSize, nullptr, &Collect, &report);
  report += "passedover=" + std::to_string(ReadHandOffPassedOver(view, viewSize)) + "\n";

  // Written under another name first, so that the test never reads half.
  const std::string partial = out + ".part";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (!file) return 5;
  std::fwrite(report.data(), 1, report.size(), file);
  std::fclose(file);
  MoveFileExA(partial.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING);
  UnmapViewOfFile(view);
  CloseHandle(mapping);
  return 0;
}
