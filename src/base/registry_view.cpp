#include "base/registry_view.h"

LONG OpenKey64OrDefault(HKEY root, const char* path, REGSAM access, kx::RegKey& key) {
  LONG rc = RegOpenKeyExA(root, path, 0, access | KEY_WOW64_64KEY, key.Put());
  if (rc != ERROR_SUCCESS) rc = RegOpenKeyExA(root, path, 0, access, key.Put());
  return rc;
}

LONG CreateKey64OrDefault(HKEY root, const char* path, REGSAM access, kx::RegKey& key) {
  LONG rc = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                            access | KEY_WOW64_64KEY, nullptr, key.Put(), nullptr);
  if (rc != ERROR_SUCCESS)
    rc = RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                         key.Put(), nullptr);
  return rc;
}
