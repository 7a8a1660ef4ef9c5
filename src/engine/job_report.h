#pragma once
// What a job did, gathered by the engine while it runs and shown to the user
// when it ends: what was destroyed, what stayed and why, and what the file
// system may still hold of destroyed files whatever the overwrite did. Plain
// data, so that the texts made from it can be checked on any machine.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Why an item stayed in place.
enum class KeptReason : uint8_t {
  kSkipped,           // an error the user passed over (Skip, Skip All)
  kHeld,              // another program has it open
  kOutsideSelection,  // its name leads out of the selection, or it changed since confirmed
  kOtherNames,        // hard links: the contents belong to names outside the selection too
  kNotSupported,      // the file system cannot do what destroying it takes
  kVerifyFailed,      // read back, it was not what had been written
};
// The reason for an error code the engine gave up on: a system error code or
// one of the engine's own reasons (delete_job.h).
KeptReason KeptReasonOf(uint32_t code);

// What the file system may keep of a destroyed file beside the clusters that
// were overwritten: the item is still destroyed as well as the system allows.
enum Caveat : uint8_t {
  kCaveatCompressed = 0x01,   // the overwrite may land in new clusters
  kCaveatEncrypted = 0x02,    // the same, and the plain text may sit in a backup stream
  kCaveatSparse = 0x04,       // ranges never written may be filled in new clusters
  kCaveatSnapshots = 0x08,    // the volume keeps shadow copies of older contents
  kCaveatCopyOnWrite = 0x10,  // the volume writes every change to new clusters
};

enum class FillKind : uint8_t { kPattern, kZeros, kRandom };

struct ConfigRecord;
struct ShredOptions;

// At most this many items are listed each among kept and caveats; the rest
// are only counted.
constexpr size_t kMaxReportedItems = 10000;

struct JobReport {
  struct Kept {
    std::string path;
    KeptReason reason;
    uint32_t code;  // what the engine gave up on
  };
  struct Noted {
    std::string path;
    uint8_t caveats;  // Caveat bits
  };

  uint64_t files = 0;    // overwritten, cut and removed
  uint64_t links = 0;    // removed as links, their targets untouched
  uint64_t folders = 0;  // removed once empty
  uint64_t bytes = 0;    // overwritten, streams and cluster tips included
  std::vector<Kept> kept;
  uint64_t keptUnlisted = 0;  // kept beyond kMaxReportedItems
  std::vector<Noted> caveats;
  uint64_t caveatsUnlisted = 0;
  FillKind fill = FillKind::kPattern;
  std::string pattern;     // the bytes repeated, for kPattern
  bool verified = false;   // every chunk was read back and compared
  bool cancelled = false;  // the user stopped the job before its end
  uint64_t elapsedMs = 0;

  void AddKept(const char* path, uint32_t code);
  // Adds bits to the path's entry (the last one added, or a new one).
  void AddCaveats(const char* path, uint8_t bits);
  // The fill and the verification that settings and options ask for.
  void SetFill(const ConfigRecord& settings, const ShredOptions& options);
  // Everything the job was given went as asked.
  bool Clean() const { return kept.empty() && keptUnlisted == 0 && !cancelled; }
};
