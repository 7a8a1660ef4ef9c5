#include "base/window_state.h"

#include <cstring>

void InitWindowState(WindowStateRecord& record, const char* name) {
  std::memset(&record, 0, sizeof record);
  if (name) {
    size_t length = strnlen(name, kWindowStateNameSize - 1);
    std::memcpy(record.name, name, length);
  }
}
