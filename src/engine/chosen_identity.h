#pragma once
// What each selected item was when the user confirmed it: the item and the
// folder that holds it, by volume and number on the volume. The job is
// checked against it before anything is walked or written, so that a folder
// swapped for a link to another place after the confirmation is never
// walked through or destroyed.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct ChosenIdentity {
  uint32_t itemVolume = 0;
  uint64_t itemIndex = 0;
  uint32_t folderVolume = 0;
  uint64_t folderIndex = 0;
  bool operator==(const ChosenIdentity&) const = default;
};

class ChosenIdentities {
 public:
  void Set(const char* path, const ChosenIdentity& identity);
  // The identity taken for exactly this path; null when none was.
  const ChosenIdentity* Find(const char* path) const;

 private:
  std::vector<std::pair<std::string, ChosenIdentity>> entries_;
};
