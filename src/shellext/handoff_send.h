#pragma once
// The writer side of the hand-off: puts a finished block into a new named
// mapping, starts the main program with the mapping's name and waits until
// the program has taken the block.
#include <windows.h>

#include <cstddef>
#include <cstdint>

enum class HandOffResult {
  kNothingToSend,  // no block, an empty one, one larger than its buffer, or no program
  kNoMapping,      // no UUID, no mapping or no view: nothing was started
  kNotStarted,     // the shell could not start the program
  kNotTaken,       // started, but the block was still pending when the wait ended
  kTaken,          // the program cleared the pending byte
};

// Sends blockSize bytes of block, a buffer of capacity bytes. Waits for the
// pending byte in steps of 100 ms, at most maxWaitMs.
HandOffResult SendHandOff(const char* exePath, const uint8_t* block, size_t blockSize,
                          size_t capacity, DWORD maxWaitMs = 10000);

// "KXFM" and a fresh UUID in lower-case text: 40 characters. False when no
// UUID could be made.
bool MakeHandOffMappingName(char (&name)[261]);
