#include "engine/chosen_identity.h"

void ChosenIdentities::Set(const char* path, const ChosenIdentity& identity) {
  for (auto& entry : entries_) {
    if (entry.first == path) {
      entry.second = identity;
      return;
    }
  }
  entries_.emplace_back(path, identity);
}

const ChosenIdentity* ChosenIdentities::Find(const char* path) const {
  for (const auto& entry : entries_) {
    if (entry.first == path) return &entry.second;
  }
  return nullptr;
}
