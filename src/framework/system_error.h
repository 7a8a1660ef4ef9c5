#pragma once
// The system's own description of an error code, as the prompts show it.
#include <windows.h>

#include <string>

#include "framework/handle.h"

namespace kx {

// Empty when the system has none. Inserts such as %1 in it stay as they are.
inline std::string SystemErrorText(DWORD code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  LocalMem owner(buffer);
  return length && buffer ? std::string(buffer, length) : std::string();
}

}  // namespace kx
