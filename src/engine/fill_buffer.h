#pragma once
// The fill buffer: one block that every overwrite writes from, filled once per
// job (and once per disk erase) from the settings' fill pattern.
#include <cstddef>
#include <cstdint>

constexpr uint32_t kFillBufferSize = 0xFE00;  // 127 sectors of 512 bytes
// Unbuffered writes need memory aligned to the sector size; a page covers
// every sector size that divides the chunk.
constexpr size_t kFillBufferAlignment = 4096;
// fillPattern holds this many bytes; a longer stored length is damage.
constexpr unsigned kMaxFillPatternLength = 128;

// Fills `size` bytes: zeros for length 0, else the pattern repeated from the
// first byte (the last copy cut short). Lengths above kMaxFillPatternLength
// are taken as kMaxFillPatternLength.
void FillPattern(uint8_t* buffer, size_t size, const uint8_t* pattern, unsigned length);

// Frees a buffer already in the slot, allocates kFillBufferSize aligned bytes
// and fills them. False only when the allocation fails (the slot is then null).
bool BuildFillBuffer(uint8_t*& slot, const uint8_t* pattern, unsigned length);
// Frees what BuildFillBuffer allocated and clears the slot; null is fine.
void FreeFillBuffer(uint8_t*& slot);
