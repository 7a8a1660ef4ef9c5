#pragma once
// Paths of the build machine as the Windows programs under test see them.
#include <string>

namespace kxtest {

// A Linux path as Wine's drive Z: shows it.
inline std::string WinePath(const char* unixPath) {
  std::string path = "Z:";
  for (const char* p = unixPath; *p; ++p) path += (*p == '/') ? '\\' : *p;
  return path;
}

// A file of the built program's folder.
inline std::string DistPath(const char* name) {
  return WinePath(KX_DIST_DIR) + "\\" + name;
}

}  // namespace kxtest
