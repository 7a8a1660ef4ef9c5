#pragma once
// The saved placement of a resizable window. Only the 28 bytes behind name are
// stored, as the value called name under the "States" key.
#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct WindowStateRect {
  int32_t left, top, right, bottom;
};

struct WindowStateRecord {
  char name[64];               // value name, zero-padded; not stored
  WindowStateRect normalRect;  // restored position, as GetWindowPlacement has it
  uint8_t maximized;           // 1: maximised, or minimised from maximised
  uint8_t groupCollapsed[10];  // main window: 1 for each collapsed task group
  uint8_t reserved;
};
#pragma pack(pop)

constexpr size_t kWindowStateNameSize = 64;
constexpr size_t kWindowStateStoredSize = 28;
static_assert(sizeof(WindowStateRecord) == kWindowStateNameSize + kWindowStateStoredSize,
              "the stored part of a window state is 28 bytes");

constexpr char kMainWindowStateName[] = "Main";
constexpr char kDeleteDlgStateName[] = "DeleteDlg";

// Zeroes the record and sets its name (cut to 63 bytes).
void InitWindowState(WindowStateRecord& record, const char* name);
inline uint8_t* StoredPart(WindowStateRecord& record) {
  return reinterpret_cast<uint8_t*>(&record.normalRect);
}
inline const uint8_t* StoredPart(const WindowStateRecord& record) {
  return reinterpret_cast<const uint8_t*>(&record.normalRect);
}
