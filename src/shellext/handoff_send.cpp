#include "shellext/handoff_send.h"

#include <rpc.h>
#include <shellapi.h>

#include <cstring>

#include "base/handoff_block.h"
#include "base/product.h"
#include "framework/handle.h"

namespace {

constexpr char kMappingPrefix[] = "KXFM";
constexpr DWORD kPollMs = 100;

}  // namespace

bool MakeHandOffMappingName(char (&name)[261]) {
  name[0] = '\0';
  UUID uuid;
  const RPC_STATUS status = UuidCreate(&uuid);
  // A UUID unique to this machine is all a local object name needs.
  if (status != RPC_S_OK && status != RPC_S_UUID_LOCAL_ONLY) return false;
  RPC_CSTR text = nullptr;
  if (UuidToStringA(&uuid, &text) != RPC_S_OK || text == nullptr) return false;
  const size_t length = std::strlen(reinterpret_cast<const char*>(text));
  const bool fits = length > 0 && sizeof kMappingPrefix - 1 + length < sizeof name;
  if (fits) {
    std::memcpy(name, kMappingPrefix, sizeof kMappingPrefix - 1);
    std::memcpy(name + sizeof kMappingPrefix - 1, text, length + 1);
  }
  RpcStringFreeA(&text);
  return fits;
}

HandOffResult SendHandOff(const char* exePath, const uint8_t* block, size_t blockSize,
                          size_t capacity, DWORD maxWaitMs) {
  // Never more than the buffer holds: the mapping is exactly blockSize bytes
  // and every one of them is copied out of block.
  if (block == nullptr || blockSize <= kHandOffHeaderSize || blockSize > capacity ||
      blockSize > MAXDWORD || exePath == nullptr || exePath[0] == '\0') {
    return HandOffResult::kNothingToSend;
  }

  char name[261];
  if (!MakeHandOffMappingName(name)) return HandOffResult::kNoMapping;

  kx::Handle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(blockSize), name));
  if (!mapping) return HandOffResult::kNoMapping;
  kx::MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!view) return HandOffResult::kNoMapping;
  std::memcpy(view.Get(), block, blockSize);

  char parameters[261];
  std::memcpy(parameters, kHandOffSwitch, sizeof kHandOffSwitch - 1);
  std::memcpy(parameters + sizeof kHandOffSwitch - 1, name, std::strlen(name) + 1);
  const auto started = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, nullptr, exePath, parameters, nullptr, SW_SHOWNORMAL));
  if (started <= 32) return HandOffResult::kNotStarted;

  // The pending byte is the only signal from the program: it clears it as
  // soon as it has the block mapped, and its own view keeps the block alive
  // after ours is gone.
  const volatile uint8_t* pending =
      static_cast<const volatile uint8_t*>(view.Get()) + kHandOffPendingOffset;
  for (DWORD waited = 0; *pending != 0; waited += kPollMs) {
    if (waited >= maxWaitMs) return HandOffResult::kNotTaken;
    Sleep(kPollMs);
  }
  return HandOffResult::kTaken;
}
