#include "engine/chunk_window.h"

#include <cstring>
#include <new>

#include "engine/fill_buffer.h"

namespace {

uint8_t* AllocateChunk() {
  return static_cast<uint8_t*>(
      ::operator new (kFillBufferSize, std::align_val_t{kFillBufferAlignment}, std::nothrow));
}

void FreeChunk(uint8_t*& chunk) {
  if (chunk) ::operator delete (chunk, std::align_val_t{kFillBufferAlignment});
  chunk = nullptr;
}

}  // namespace

ChunkWindow::~ChunkWindow() { Release(); }

void ChunkWindow::Release() {
  for (uint8_t*& buffer : random_) FreeChunk(buffer);
  randomBuffers_ = 0;
  FreeChunk(read_);
  count_ = 0;
}

bool ChunkWindow::Prepare(bool random, bool verify) {
  const unsigned wanted = random ? (verify ? kVerifyWindowChunks : 1) : 0;
  bool ok = true;
  for (unsigned i = randomBuffers_; i < wanted && ok; ++i) {
    random_[i] = AllocateChunk();
    ok = random_[i] != nullptr;
    if (ok) randomBuffers_ = i + 1;
  }
  if (ok && verify && !read_) ok = (read_ = AllocateChunk()) != nullptr;
  if (!ok) Release();
  count_ = 0;
  return ok;
}

uint8_t* ChunkWindow::NextRandomBuffer() {
  if (randomBuffers_ == 0) return nullptr;
  // Without verification nothing is held: the one buffer serves every chunk.
  return random_[count_ < randomBuffers_ ? count_ : 0];
}

void ChunkWindow::Add(uint64_t offset, uint32_t size, const uint8_t* data) {
  if (count_ < kVerifyWindowChunks) chunks_[count_++] = {offset, size, data};
}

bool ChunkReadBack(const uint8_t* written, const uint8_t* read, uint32_t size, uint32_t got,
                   uint64_t offset, uint64_t fileEnd) {
  const uint64_t inside = offset >= fileEnd ? 0 : fileEnd - offset;
  const uint32_t compared = inside < size ? static_cast<uint32_t>(inside) : size;
  return got >= compared && std::memcmp(written, read, compared) == 0;
}
