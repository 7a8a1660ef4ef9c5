#pragma once
// Whether the Explorer extension is registered, and the caption of its
// command. The registry is the lasting record: the menu is on exactly when the
// extension's class key exists.
#include <cstdint>

constexpr char kDefaultMenuCaption[] = "Delete By Karvex";
constexpr int kMaxMenuCaption = 127;

struct ContextMenuState {
  int32_t enabled;   // 1 when the class key exists
  char caption[128];
};
