#pragma once
// The chunks of one overwrite that were written but not yet read back, each
// with the data it was written from, and the buffers that random fill writes
// from. Verification writes a few chunks, flushes them together and reads
// them back: random data cannot be made again, so it is kept until compared.
#include <cstddef>
#include <cstdint>

// About 1 MiB: every window costs a flush, which a disk may answer by
// emptying its own cache.
constexpr unsigned kVerifyWindowChunks = 16;

class ChunkWindow {
 public:
  struct Chunk {
    uint64_t offset;
    uint32_t size;
    const uint8_t* data;
  };

  ChunkWindow() = default;
  ~ChunkWindow();
  ChunkWindow(const ChunkWindow&) = delete;
  ChunkWindow& operator=(const ChunkWindow&) = delete;

  // Buffers of kFillBufferSize bytes, aligned for unbuffered writes: one per
  // chunk held when random (kVerifyWindowChunks when verifying, else one),
  // and one to read back into when verifying. False when memory is short;
  // nothing is held then. Called again, it keeps what it has.
  bool Prepare(bool random, bool verify);

  // The buffer for the next chunk's random data: one no held chunk uses.
  uint8_t* NextRandomBuffer();
  uint8_t* ReadBuffer() const { return read_; }

  // A chunk written from data (a random buffer, or a fill buffer that
  // outlives the window).
  void Add(uint64_t offset, uint32_t size, const uint8_t* data);
  bool Full() const { return count_ == kVerifyWindowChunks; }
  size_t Count() const { return count_; }
  const Chunk& At(size_t index) const { return chunks_[index]; }
  void Clear() { count_ = 0; }

 private:
  void Release();

  Chunk chunks_[kVerifyWindowChunks] = {};
  size_t count_ = 0;
  uint8_t* random_[kVerifyWindowChunks] = {};
  unsigned randomBuffers_ = 0;
  uint8_t* read_ = nullptr;
};

// The bytes read back over a chunk of size bytes at offset, in a file that
// ends at fileEnd, match what was written: the part inside the file was read
// in full and is the same. (A tail written past the end and cut back again
// counts only as far as the file reaches.)
bool ChunkReadBack(const uint8_t* written, const uint8_t* read, uint32_t size, uint32_t got,
                   uint64_t offset, uint64_t fileEnd);
