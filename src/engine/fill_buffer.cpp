#include "engine/fill_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

void FillPattern(uint8_t* buffer, size_t size, const uint8_t* pattern, unsigned length) {
  length = std::min(length, kMaxFillPatternLength);
  if (length == 0 || pattern == nullptr) {
    std::memset(buffer, 0, size);
    return;
  }
  if (length == 1) {
    std::memset(buffer, pattern[0], size);
    return;
  }
  size_t done = std::min<size_t>(length, size);
  std::memcpy(buffer, pattern, done);
  // Doubling copies: the filled head is a whole number of pattern copies.
  while (done < size) {
    size_t step = std::min(done, size - done);
    std::memcpy(buffer + done, buffer, step);
    done += step;
  }
}

bool BuildFillBuffer(uint8_t*& slot, const uint8_t* pattern, unsigned length) {
  FreeFillBuffer(slot);
  void* memory = ::operator new(kFillBufferSize, std::align_val_t{kFillBufferAlignment}, std::nothrow);
  if (memory == nullptr) return false;
  slot = static_cast<uint8_t*>(memory);
  FillPattern(slot, kFillBufferSize, pattern, length);
  return true;
}

void FreeFillBuffer(uint8_t*& slot) {
  if (slot == nullptr) return;
  ::operator delete(slot, std::align_val_t{kFillBufferAlignment});
  slot = nullptr;
}
