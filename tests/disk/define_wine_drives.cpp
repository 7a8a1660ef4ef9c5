// Gives the running Wine session the drives the disk tests work on. A link
// in the prefix's dosdevices folder alone is not enough: Wine's drive
// manager reads that folder when the session starts, and a letter it does
// not know is missing from GetLogicalDrives, so the disk chooser would not
// list it. Each drive is defined through the drive manager instead, which
// also lays the links:
//   K:  the folder k-root as its root, the image file k.img as its raw volume
//   M:  the folder m-root only
//   N:  the folder n-root, as a CD-ROM drive
// Usage: define_wine_drives <Unix folder holding k-root, m-root, n-root, k.img>
#include <windows.h>

#include <cstdio>
#include <string>

#include "support/wine_drives.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: define_wine_drives <drives folder>\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct {
    char letter;
    UINT type;
    const char* root;
    const char* device;
  } const drives[] = {
      {'K', DRIVE_FIXED, "/k-root", "/k.img"},
      {'M', DRIVE_FIXED, "/m-root", nullptr},
      {'N', DRIVE_CDROM, "/n-root", nullptr},
  };
  int failed = 0;
  for (const auto& d : drives) {
    const char root[] = {d.letter, ':', '\\', '\0'};
    bool ok = kxtest::DefineWineDrive(d.letter, d.type, dir + d.root,
                                      d.device ? dir + d.device : std::string());
    bool known = (GetLogicalDrives() >> (d.letter - 'A')) & 1;
    if (!ok || !known || GetDriveTypeA(root) != d.type) {
      std::fprintf(stderr, "%c: not defined (error %lu)\n", d.letter, GetLastError());
      ++failed;
    }
  }
  return failed ? 1 : 0;
}
