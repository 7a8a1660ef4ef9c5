#pragma once
// What the tests of the Explorer extension and of its registration share:
// running regsvr32 and the extension's registry keys; the registry helpers
// and a scratch folder come with it.
#include <windows.h>

#include <string>

#include "support/process_helpers.h"
#include "support/registry.h"
#include "support/scratch_folder.h"

namespace kxtest {

constexpr char kClassKey[] = "CLSID\\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";
constexpr char kApprovedKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved";
constexpr char kClsidText[] = "{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}";

// Runs a command line and answers its exit code, or -1 when it did not start
// or did not end within a minute.
inline int Run(const std::string& commandLine) {
  DWORD code = 0;
  return RunToEnd(commandLine, 60000, &code) ? static_cast<int>(code) : -1;
}

inline int Regsvr32(const std::string& arguments) { return Run("regsvr32.exe " + arguments); }

inline bool ReadFileText(const std::string& path, std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  text.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) text.append(buffer, got);
  CloseHandle(file);
  return true;
}

}  // namespace kxtest
