#pragma once
// Scratch folders and the small file helpers of tests that work on real files
// under Wine.
#include <windows.h>

#include <string>
#include <vector>

namespace kxtest {

// Removes a tree without ever entering a link. Names are used in their long
// form, so that "name." and "name " are removed as themselves.
inline void RemoveTreeW(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") RemoveTreeW(path + L"\\" + name);
      } while (FindNextFileW(find, &entry));
      FindClose(find);
    }
  }
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    if (!RemoveDirectoryW(path.c_str())) DeleteFileW(path.c_str());
  } else {
    DeleteFileW(path.c_str());
  }
}

// The long form of a full path in the code page ("\\?\C:\..."), under
// which the system takes every name as it is written.
inline std::wstring LongName(const std::string& path) {
  std::wstring wide(path.size() + 1, L'\0');
  const int units =
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<size_t>(units) - 1 : 0);
  return L"\\\\?\\" + wide;
}

inline void RemoveTree(const std::string& path) { RemoveTreeW(LongName(path)); }

// A drive path in its long form, anything else as it is: the helpers below
// reach "name." itself, never its twin "name".
inline std::wstring FileName(const std::string& path) {
  if (path.size() > 2 && path[1] == ':' && path[2] == '\\') return LongName(path);
  std::wstring wide(path.size() + 1, L'\0');
  const int units =
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(units > 0 ? static_cast<size_t>(units) - 1 : 0);
  return wide;
}

inline bool Exists(const std::string& path) {
  return GetFileAttributesW(FileName(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Whether a code-page name and a UTF-16 name open the same item.
inline bool SameItem(const std::string& ansi, const std::wstring& wide) {
  auto identity = [](HANDLE item, BY_HANDLE_FILE_INFORMATION& info) {
    const bool read = item != INVALID_HANDLE_VALUE && GetFileInformationByHandle(item, &info);
    if (item != INVALID_HANDLE_VALUE) CloseHandle(item);
    return read;
  };
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  BY_HANDLE_FILE_INFORMATION a{}, b{};
  return identity(CreateFileA(ansi.c_str(), 0, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                  a) &&
         identity(CreateFileW(wide.c_str(), 0, share, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr),
                  b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

// A fresh folder below the temporary folder (whose path holds no blank under
// Wine), removed with its contents when the object goes. name may hold a
// blank.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* name = "kxscratch") {
    char base[MAX_PATH + 1];
    GetTempPathA(sizeof base, base);
    static int counter = 0;
    path_ = std::string(base) + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(path_); }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// disposition: CREATE_NEW to fail where the name is taken.
inline bool WriteBytes(const std::string& path, const std::string& content,
                       DWORD disposition = CREATE_ALWAYS) {
  HANDLE file = CreateFileW(FileName(path).c_str(), GENERIC_WRITE, 0, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = content.empty() ||
            WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == content.size();
}

// The whole content, or "<missing>" when the file cannot be read.
inline std::string ReadBytes(const std::string& path) {
  HANDLE file = CreateFileW(FileName(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string content;
  char block[65536];
  DWORD got = 0;
  while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) content.append(block, got);
  CloseHandle(file);
  return content;
}

// Names in a folder that match a wildcard.
inline std::vector<std::string> Listing(const std::string& folder, const char* pattern = "*") {
  std::vector<std::string> names;
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((folder + "\\" + pattern).c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = entry.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(find, &entry));
  FindClose(find);
  return names;
}

}  // namespace kxtest
