#include "engine/item_arena.h"

#include <cstdlib>
#include <new>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_ARENA_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KX_ARENA_ASAN 1
#endif

#ifdef KX_ARENA_ASAN
#include <sanitizer/asan_interface.h>
// Free blocks are poisoned, so that a stale item pointer still trips the
// address sanitizer as a freed heap block would.
#define KX_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define KX_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define KX_POISON(p, n) ((void)(p), (void)(n))
#define KX_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

struct ItemArena::Chunk {
  Chunk* next;
  size_t bytes;
};

namespace {

// Small jobs (the pending list of a few items) stay small; large ones reach
// chunks of a mebibyte soon.
constexpr size_t kFirstChunk = 4096;
constexpr size_t kLargestChunk = 1 << 20;
constexpr size_t kHeader = (sizeof(ItemArena::Chunk) + ItemArena::kAlignment - 1) &
                           ~(ItemArena::kAlignment - 1);

size_t Rounded(size_t bytes) {
  return (bytes + ItemArena::kAlignment - 1) & ~(ItemArena::kAlignment - 1);
}

}  // namespace

void* ItemArena::Allocate(size_t bytes) {
  if (bytes == 0 || bytes > kLargestBlock) return nullptr;
  const size_t size = Rounded(bytes);
  void*& reuse = freeBlocks[size / kAlignment];
  if (reuse != nullptr) {
    void* block = reuse;
    KX_UNPOISON(block, size);
    reuse = *static_cast<void**>(block);
    return block;
  }
  if (static_cast<size_t>(bumpEnd - bump) < size) {
    size_t chunkBytes = chunks == nullptr ? kFirstChunk : chunks->bytes * 2;
    if (chunkBytes > kLargestChunk) chunkBytes = kLargestChunk;
    auto* memory = static_cast<char*>(std::malloc(chunkBytes));
    if (memory == nullptr) return nullptr;
    // The tail of the old chunk is too short for this block; it stays unused.
    auto* chunk = reinterpret_cast<Chunk*>(memory);
    chunk->next = chunks;
    chunk->bytes = chunkBytes;
    chunks = chunk;
    reserved += chunkBytes;
    bump = memory + kHeader;
    bumpEnd = memory + chunkBytes;
    KX_POISON(bump, static_cast<size_t>(bumpEnd - bump));
  }
  void* block = bump;
  bump += size;
  KX_UNPOISON(block, size);
  return block;
}

void ItemArena::Free(void* block, size_t bytes) {
  if (block == nullptr || bytes == 0 || bytes > kLargestBlock) return;
  const size_t size = Rounded(bytes);
  void*& list = freeBlocks[size / kAlignment];
  *static_cast<void**>(block) = list;
  list = block;
  KX_POISON(block, size);
}

void ItemArena::Release() {
  for (Chunk* chunk = chunks; chunk != nullptr;) {
    Chunk* next = chunk->next;
    KX_UNPOISON(chunk, chunk->bytes);
    std::free(chunk);
    chunk = next;
  }
  *this = ItemArena{};
}
