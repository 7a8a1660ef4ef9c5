#pragma once
// Storage for the items of one job. A job of a million files cannot afford a
// heap block per item: the blocks come out of large chunks, and the whole job
// goes back to the system at once. Blocks freed one by one (a subtree that is
// walked again, an item taken off the batch list) are kept by size and handed
// out again, so walking the same tree twice does not grow the job.
#include <cstddef>
#include <cstdint>

struct ItemArena {
  static constexpr size_t kAlignment = 8;
  static constexpr size_t kLargestBlock = 512;

  // A zeroed arena is empty and usable: a job is cleared with memset.
  // Blocks are aligned to kAlignment; null when the request is larger than
  // kLargestBlock or memory runs out.
  void* Allocate(size_t bytes);
  // bytes as given to Allocate.
  void Free(void* block, size_t bytes);
  // Gives every chunk back; the arena is empty afterwards.
  void Release();
  // What the arena holds from the system, for the benchmark's accounting.
  size_t ReservedBytes() const { return reserved; }

  struct Chunk;
  Chunk* chunks;
  char* bump;         // the unused rest of the newest chunk
  char* bumpEnd;
  size_t reserved;
  void* freeBlocks[kLargestBlock / kAlignment + 1];  // by size, linked through the blocks
};
