#include "shellext/registration.h"

#include <oleauto.h>

#include <string_view>

#include "base/menu_ext_names.h"
#include "framework/com.h"
#include "framework/handle.h"

extern "C" {
// In oleaut32 since Vista; the headers at hand do not declare them.
HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* lib, OLECHAR* path, OLECHAR* helpFolder);
HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID libid, WORD major, WORD minor, LCID lcid,
                                        SYSKIND kind);
}

namespace {

#ifdef _WIN64
constexpr REGSAM kOwnView = KEY_WOW64_64KEY;
#else
constexpr REGSAM kOwnView = KEY_WOW64_32KEY;
#endif

enum class Hive {
  kClasses,   // HKEY_CLASSES_ROOT, or HKEY_CURRENT_USER\Software\Classes per user
  kApproval,  // HKEY_LOCAL_MACHINE, or HKEY_CURRENT_USER per user
};

enum class Removal {
  kKey,         // ours: removed with everything below it
  kFreshKey,    // ours, and wiped with everything below it before it is written
  kValueOnly,   // a shared key: only our value is removed
};

// Data of the entry that names the module's own file.
constexpr const char* kModulePath = nullptr;

#define KX_CLASS_KEY "CLSID\\{E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}"
#define KX_HANDLER "\\shellex\\ContextMenuHandlers\\KXMExt.KXMenuExt"

struct Entry {
  Hive hive;
  const char* key;
  const char* valueName;  // null: the default value
  const char* data;       // kModulePath: the module's full path
  Removal removal;
};

constexpr Entry kEntries[] = {
    {Hive::kClasses, "KXMExt.KXMenuExt.1", nullptr, kMenuExtDescription, Removal::kKey},
    {Hive::kClasses, "KXMExt.KXMenuExt.1\\CLSID", nullptr, kMenuExtClsidText, Removal::kKey},
    {Hive::kClasses, "KXMExt.KXMenuExt", nullptr, kMenuExtDescription, Removal::kKey},
    {Hive::kClasses, "KXMExt.KXMenuExt\\CLSID", nullptr, kMenuExtClsidText, Removal::kKey},
    {Hive::kClasses, "KXMExt.KXMenuExt\\CurVer", nullptr, kMenuExtProgId, Removal::kKey},
    {Hive::kClasses, KX_CLASS_KEY, nullptr, kMenuExtDescription, Removal::kFreshKey},
    {Hive::kClasses, KX_CLASS_KEY "\\ProgID", nullptr, kMenuExtProgId, Removal::kKey},
    {Hive::kClasses, KX_CLASS_KEY "\\VersionIndependentProgID", nullptr, kMenuExtIndependentProgId,
     Removal::kKey},
    {Hive::kClasses, KX_CLASS_KEY "\\InprocServer32", nullptr, kModulePath, Removal::kKey},
    {Hive::kClasses, KX_CLASS_KEY "\\InprocServer32", "ThreadingModel", "Apartment", Removal::kKey},
    {Hive::kClasses, KX_CLASS_KEY "\\TypeLib", nullptr, kMenuExtLibidText, Removal::kKey},
    {Hive::kClasses, "*" KX_HANDLER, nullptr, kMenuExtClsidText, Removal::kKey},
    {Hive::kClasses, "Directory" KX_HANDLER, nullptr, kMenuExtClsidText, Removal::kKey},
    {Hive::kApproval, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
     kMenuExtClsidText, kMenuExtIndependentProgId, Removal::kValueOnly},
};

static_assert(std::string_view(KX_CLASS_KEY) == kMenuExtClassKey,
              "the table writes the class key that the main program reads");

#undef KX_CLASS_KEY
#undef KX_HANDLER

bool Gone(LONG error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

class Roots {
 public:
  explicit Roots(bool perUser) : perUser_(perUser) {}

  // The root key of a hive, or null with the error in error().
  HKEY Get(Hive hive) {
    if (hive == Hive::kApproval) return perUser_ ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    if (!perUser_) return HKEY_CLASSES_ROOT;
    if (!userClasses_) {
      error_ = RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0,
                               KEY_ALL_ACCESS | kOwnView, nullptr, userClasses_.Put(), nullptr);
    }
    return userClasses_.Get();
  }
  LONG error() const { return error_; }

 private:
  bool perUser_;
  kx::RegKey userClasses_;
  LONG error_ = ERROR_SUCCESS;
};

// Removes a key with everything below it; a missing key is no failure.
LONG DeleteKeyTree(HKEY root, const char* path) {
  kx::RegKey key;
  LONG error = RegOpenKeyExA(root, path, 0, KEY_ALL_ACCESS | kOwnView, key.Put());
  if (Gone(error)) return ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) return error;
  error = RegDeleteTreeA(key.Get(), nullptr);
  key.Reset();
  if (error != ERROR_SUCCESS && !Gone(error)) return error;
  error = RegDeleteKeyExA(root, path, kOwnView, 0);
  return Gone(error) ? ERROR_SUCCESS : error;
}

LONG DeleteValue(HKEY root, const char* path, const char* name) {
  kx::RegKey key;
  LONG error = RegOpenKeyExA(root, path, 0, KEY_SET_VALUE | kOwnView, key.Put());
  if (Gone(error)) return ERROR_SUCCESS;
  if (error != ERROR_SUCCESS) return error;
  error = RegDeleteValueA(key.Get(), name);
  return Gone(error) ? ERROR_SUCCESS : error;
}

LONG WriteEntry(HKEY root, const Entry& entry, const char* modulePath) {
  kx::RegKey key;
  LONG error = RegCreateKeyExA(root, entry.key, 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_SET_VALUE | kOwnView, nullptr, key.Put(), nullptr);
  if (error != ERROR_SUCCESS) return error;
  const char* data = entry.data == kModulePath ? modulePath : entry.data;
  return RegSetValueExA(key.Get(), entry.valueName, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data), lstrlenA(data) + 1);
}

bool ModulePaths(HMODULE module, char (&path)[MAX_PATH + 1], wchar_t (&wide)[MAX_PATH + 1]) {
  const DWORD n = GetModuleFileNameA(module, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  const DWORD w = GetModuleFileNameW(module, wide, MAX_PATH);
  return w != 0 && w < MAX_PATH;
}

HRESULT RegisterTypeLibrary(wchar_t* path, bool perUser) {
  kx::ComPtr<ITypeLib> lib;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, lib.Put());
  if (FAILED(hr)) return hr;
  return perUser ? RegisterTypeLibForUser(lib.Get(), path, nullptr)
                 : RegisterTypeLib(lib.Get(), path, nullptr);
}

bool TypeLibraryRegistered(HKEY classes) {
  kx::RegKey key;
  return RegOpenKeyExA(classes, "TypeLib\\{06781E52-0A94-40D7-B79E-001579B9AF11}", 0,
                       KEY_READ | kOwnView, key.Put()) == ERROR_SUCCESS;
}

HRESULT UnregisterTypeLibrary(wchar_t* path, bool perUser, HKEY classes) {
  kx::ComPtr<ITypeLib> lib;
  HRESULT hr = LoadTypeLibEx(path, REGKIND_NONE, lib.Put());
  if (FAILED(hr)) return hr;
  TLIBATTR* attr = nullptr;
  hr = lib->GetLibAttr(&attr);
  if (SUCCEEDED(hr)) {
    hr = perUser ? UnRegisterTypeLibForUser(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                            attr->lcid, attr->syskind)
                 : UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                     attr->lcid, attr->syskind);
    lib->ReleaseTLibAttr(attr);
  }
  lib.Reset();
  // Nothing registered is nothing to remove.
  if (FAILED(hr) && !TypeLibraryRegistered(classes)) hr = S_OK;
  return hr;
}

}  // namespace

HRESULT RegisterExtension(HMODULE module, bool perUser) {
  char path[MAX_PATH + 1];
  wchar_t widePath[MAX_PATH + 1];
  if (!ModulePaths(module, path, widePath)) return E_FAIL;

  Roots roots(perUser);
  for (const Entry& entry : kEntries) {
    if (entry.removal != Removal::kFreshKey) continue;
    HKEY root = roots.Get(entry.hive);
    if (!root) return HRESULT_FROM_WIN32(roots.error());
    if (LONG error = DeleteKeyTree(root, entry.key)) return HRESULT_FROM_WIN32(error);
  }
  for (const Entry& entry : kEntries) {
    HKEY root = roots.Get(entry.hive);
    if (!root) return HRESULT_FROM_WIN32(roots.error());
    if (LONG error = WriteEntry(root, entry, path)) return HRESULT_FROM_WIN32(error);
  }
  return RegisterTypeLibrary(widePath, perUser);
}

HRESULT UnregisterExtension(HMODULE module, bool perUser) {
  char path[MAX_PATH + 1];
  wchar_t widePath[MAX_PATH + 1];
  if (!ModulePaths(module, path, widePath)) return E_FAIL;

  Roots roots(perUser);
  HKEY classes = roots.Get(Hive::kClasses);
  if (!classes) return HRESULT_FROM_WIN32(roots.error());
  HRESULT result = UnregisterTypeLibrary(widePath, perUser, classes);
  // Every entry is tried even after a failure, so that as little as
  // possible stays behind; the first failure is answered.
  for (const Entry& entry : kEntries) {
    HKEY root = roots.Get(entry.hive);
    LONG error = root == nullptr ? roots.error()
                 : entry.removal == Removal::kValueOnly
                     ? DeleteValue(root, entry.key, entry.valueName)
                     : DeleteKeyTree(root, entry.key);
    if (error != ERROR_SUCCESS && SUCCEEDED(result)) result = HRESULT_FROM_WIN32(error);
  }
  return result;
}
