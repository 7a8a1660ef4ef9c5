// A 32-bit host of the 32-bit extension, as a 32-bit program's file dialog
// or a 32-bit Explorer is one: loads KXMExt.dll, builds its menu for the
// paths it is given and picks the command. Writes what it saw to a report.
//   ext_host32.exe <report> <extension dll> <path>...
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shipped/menu_driver.h"

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  kx::ComScope com;
  std::vector<std::string> paths(argv + 3, argv + argc);
  kxtest::MenuPick pick;
  {
    kx::ComPtr<IShellExtInit> init = kxtest::ExtensionFromFile(argv[2]);
    pick = kxtest::PickTheCommand(init.Get(), paths);
  }
  FILE* report = std::fopen(argv[1], "wb");
  if (!report) return 3;
  std::fprintf(report, "item=%s\ninvoked=%08lX\n", pick.itemText.c_str(),
               static_cast<unsigned long>(pick.invoked));
  std::fclose(report);
  return pick.invoked == S_OK ? 0 : 1;
}
