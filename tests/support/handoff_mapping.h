#pragma once
// A hand-off block as the extension leaves it, for tests that start the real
// program on a selection.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/handoff_block.h"
#include "framework/handle.h"

namespace kxtest {

// The block in a named mapping that stays open while the run reads it.
class HandOffMapping {
 public:
  HandOffMapping(const std::vector<std::string>& paths, size_t passedOver = 0) {
    static int counter = 0;
    name_ =
        "KXFMrun-test-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter);
    std::vector<uint8_t> buffer(HandOffCapacity(paths.size() + 1));
    HandOffWriter writer;
    BeginHandOff(writer, buffer.data(), buffer.size(), 0, 0);
    for (const std::string& path : paths) AddHandOffPath(writer, path.c_str());
    PassOverHandOffItems(writer, passedOver);
    const size_t size = FinishHandOff(writer);
    handle_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     static_cast<DWORD>(size), name_.c_str()));
    if (handle_) view_.Reset(MapViewOfFile(handle_.Get(), FILE_MAP_WRITE, 0, 0, 0));
    if (view_) std::memcpy(view_.Get(), buffer.data(), size);
  }
  bool Ok() const { return view_.Valid(); }
  const std::string& Name() const { return name_; }
  bool Taken() const { return static_cast<const volatile uint8_t*>(view_.Get())[2] == 0; }

 private:
  std::string name_;
  kx::Handle handle_;
  kx::MappedView view_;
};

}  // namespace kxtest
