#pragma once
// The hand-off block: the selected paths that the context-menu extension puts
// into a named shared-memory block for the main program. Little-endian, no
// padding:
//   0  u16 kind      2 = paths to delete; the reader ignores any other kind
//   2  u8  pending   1 as written; the reader clears it once it has the block
//   3  u8  wide      0 = ANSI paths, otherwise UTF-16LE paths
//   4  i32 cursorX   where the selection was taken (not used by the reader)
//   8  i32 cursorY
//  12  paths         each followed by one NUL character, then one more NUL
// When the writer had to pass over selected items, an 8-byte trailer follows
// the final empty string:
//   +0  4 bytes "KXPO"  the trailer's mark
//   +4  u32 passedOver  how many selected items the list does not hold
// Readers that know no trailer stop at the empty string and never see it; a
// block without one ends in the mapping's zero bytes, which carry no mark.
// Both sides here are plain logic: the writer fills a buffer that the
// extension copies into the mapping, the reader walks a mapped view that it
// knows only by its size and never trusts.
#include <cstddef>
#include <cstdint>

constexpr uint16_t kHandOffKindPaths = 2;
constexpr size_t kHandOffHeaderSize = 12;
constexpr size_t kHandOffPendingOffset = 2;
// Longest path a block carries, in bytes, without its NUL.
constexpr size_t kHandOffMaxPath = 259;
// Mapping names are "KXFM" and a 36-character UUID; the buffer is as large as
// any path.
constexpr size_t kHandOffNameSize = 261;

constexpr uint8_t kHandOffTrailerMark[4] = {'K', 'X', 'P', 'O'};
constexpr size_t kHandOffTrailerSize = 8;
// No writer can have passed over more items than the largest selection a
// 32-bit extension can set aside room for; a trailer that says more is
// read as this many.
constexpr uint32_t kHandOffMaxPassedOver = (UINT32_MAX - 24) / 261;

#pragma pack(push, 1)
struct HandOffHeader {
  uint16_t kind;
  uint8_t pending;
  uint8_t wide;
  int32_t cursorX;
  int32_t cursorY;
};
#pragma pack(pop)
static_assert(sizeof(HandOffHeader) == kHandOffHeaderSize, "the header is 12 bytes");

// ---- Writer (the extension) ----

// Bytes to allocate for a block of count paths: count * 261 + 16, and room
// for the trailer. 0 when that does not fit in a size_t.
size_t HandOffCapacity(size_t count);

struct HandOffWriter {
  uint8_t* block = nullptr;
  size_t capacity = 0;
  size_t used = 0;    // header and the paths written so far
  size_t paths = 0;
  size_t passedOver = 0;  // selected items the list will not hold
};

// Starts a block in buffer (capacity bytes, zero-filled here): kind 2,
// pending 1, 8-bit paths, the cursor position. False when the buffer cannot
// hold the header, the final empty string and the trailer.
bool BeginHandOff(HandOffWriter& writer, uint8_t* buffer, size_t capacity, int32_t cursorX,
                  int32_t cursorY);
// Appends one path. A path is never cut: one that is empty or longer than
// kHandOffMaxPath bytes is passed over (a shortened path could name another
// item), as is one that no longer fits the buffer; each passed-over path is
// counted for the trailer. True when it was written.
bool AddHandOffPath(HandOffWriter& writer, const char* path);
// Counts selected items that never reached AddHandOffPath.
void PassOverHandOffItems(HandOffWriter& writer, size_t count);
// Writes the final empty string, and the trailer when items were passed
// over, and answers the block's size, the bytes to send. A block that holds
// no path but tells of passed-over items is still sent, so that the program
// can say so; 0 when there is neither (nothing to hand off).
size_t FinishHandOff(const HandOffWriter& writer);

// ---- Reader (the main program) ----

// Reads the header of a view of viewSize bytes. False when the view is too
// short to be a hand-off block.
bool ReadHandOffHeader(const void* view, size_t viewSize, HandOffHeader& header);

// Turns one UTF-16LE string of `units` code units into ANSI text in out
// (outSize bytes, terminated). False when it cannot be represented exactly or
// does not fit; the path is then passed over.
using HandOffWideToAnsi = bool (*)(const char16_t* text, size_t units, char* out, size_t outSize);
// Receives each path, terminated, at most 260 bytes long.
using HandOffPathSink = void (*)(const char* path, void* context);

// Walks the paths of a view of viewSize bytes in block order and hands each
// one to sink. Reads nothing at or past viewSize: the list ends at its empty
// string or at the end of the view, and a path that the view cuts off before
// its NUL is not a path. Paths longer than 260 bytes, paths that are not
// fully qualified (drive letter, colon, backslash; or two backslashes and a
// server) or hold a "." or ".." component, and wide paths that cannot be
// converted are passed over, and counted in *passedOver when it is given.
// Answers how many paths were handed to sink.
size_t ReadHandOffPaths(const void* view, size_t viewSize, HandOffWideToAnsi convert,
                        HandOffPathSink sink, void* context, size_t* passedOver = nullptr);

// The writer's count of passed-over items from the trailer behind the list's
// final empty string, at most kHandOffMaxPassedOver. 0 when the list does not
// end within the view, or no complete trailer with its mark follows it.
uint32_t ReadHandOffPassedOver(const void* view, size_t viewSize);

// ---- Command line ----

// Looks for the next "-TME" switch (any letter case) in text and copies the
// mapping name behind it, in its own letter case, into name: up to its first
// blank, or to the end of the line when it has none or starts with one.
// A name that does not fit leaves name empty. Answers where to look for a
// further switch, or null when there is no switch.
const char* FindHandOffName(const char* text, char* name, size_t nameSize);
