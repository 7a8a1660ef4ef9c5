#include "lang/lang_file_list.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "base/product.h"
#include "base/registry_view.h"
#include "framework/handle.h"
#include "framework/module.h"
#include "lang/lang_file_parser.h"
#include "lang/text_store.h"

namespace {

constexpr char kLangSubkey[] = "\\Lang";
constexpr char kActiveValue[] = "Active";
constexpr char kInfoSection[] = "Info";
constexpr char kInternalEnglish[] = "Internal English";
// KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY
constexpr REGSAM kWriteAccess = 0x2001F;

// folder + "\" + name into out; false when it would not fit.
bool JoinPath(char (&out)[MAX_PATH], const char* folder, const char* name) {
  int n = std::snprintf(out, sizeof(out), "%s\\%s", folder, name);
  return n > 0 && size_t(n) < sizeof(out);
}

bool CopyText(char* out, size_t size, const char* text) {
  size_t length = std::strlen(text);
  if (length >= size) return false;
  std::memcpy(out, text, length + 1);
  return true;
}

bool WriteActiveLanguage(void* root, const char* keyPath, const char* fileName) {
  HKEY rootKey = static_cast<HKEY>(root);
  kx::RegKey key;
  LONG rc = CreateKey64OrDefault(rootKey, keyPath, kWriteAccess, key);
  if (rc != ERROR_SUCCESS) return false;
  if (fileName != nullptr && fileName[0] != '\0') {
    rc = RegSetValueExA(key.Get(), kActiveValue, 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(fileName),
                        static_cast<DWORD>(std::strlen(fileName) + 1));
  } else {
    rc = RegDeleteValueA(key.Get(), kActiveValue);
    if (rc == ERROR_FILE_NOT_FOUND) rc = ERROR_SUCCESS;
  }
  // A value that could not be written is not reported as remembered.
  return rc == ERROR_SUCCESS;
}

size_t ReadFromFile(void* file, void* buffer, size_t capacity) {
  DWORD got = 0;
  if (!ReadFile(static_cast<HANDLE>(file), buffer, static_cast<DWORD>(capacity), &got, nullptr))
    return 0;
  return got;
}

size_t AnsiFromUtf16(void*, const char16_t* text, size_t units, char* out, size_t capacity) {
  int n = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text),
                              static_cast<int>(units), out, static_cast<int>(capacity), nullptr,
                              nullptr);
  return n > 0 ? size_t(n) : 0;
}

LangFileInfo* NewInternalEnglish() {
  LangFileInfo* info = new (std::nothrow) LangFileInfo;
  if (info == nullptr) return nullptr;
  std::memcpy(info->block, kInternalEnglish, sizeof(kInternalEnglish));
  info->displayName = info->block;
  info->author = info->description = info->block + sizeof(kInternalEnglish) - 1;
  return info;
}

}  // namespace

CLangFileList::CLangFileList() {
  CMLVC::SetActiveLanguageWriter(&WriteActiveLanguage);
  CopyText(keyPath_, sizeof(keyPath_), (std::string(kSettingsKeyPath) + kLangSubkey).c_str());
  char folder[MAX_PATH + 1];
  if (kx::ModuleFolder(nullptr, folder)) {
    int n = std::snprintf(langFolder_, sizeof(langFolder_), "%s\\Lang", folder);
    if (n < 0 || size_t(n) >= MAX_PATH) langFolder_[0] = '\0';
  }
}

CLangFileList::~CLangFileList() { FreeList(); }

void CLangFileList::FreeList() {
  while (head_ != nullptr) {
    LangFileInfo* next = head_->next;
    delete head_;
    head_ = next;
  }
  selected_ = nullptr;
}

void CLangFileList::SetLangFolder(const char* folder) {
  if (!CopyText(langFolder_, MAX_PATH, folder ? folder : "")) langFolder_[0] = '\0';
}

void CLangFileList::SetRegistryKey(HKEY root, const char* keyPath) {
  rootKey_ = root;
  if (!CopyText(keyPath_, sizeof(keyPath_), keyPath ? keyPath : "")) keyPath_[0] = '\0';
}

const LangFileInfo* CLangFileList::GetLanguageList(bool rescan) {
  if (rescan || head_ == nullptr) ScanLanguageFiles();
  return head_;
}

LangFileInfo* CLangFileList::ReadFileInfo(const char* fileName) const {
  char path[MAX_PATH];
  if (!JoinPath(path, langFolder_, fileName)) return nullptr;
  char version[64];
  GetPrivateProfileStringA(kInfoSection, "Version", "", version, sizeof(version), path);
  if (ParseLangFileVersion(version) < requiredVersion_) return nullptr;

  LangFileInfo* info = new (std::nothrow) LangFileInfo;
  if (info == nullptr) return nullptr;
  char* cursor = info->block;
  size_t left = sizeof(info->block);
  auto read = [&](const char* key) -> const char* {
    if (left < 2) return "";
    DWORD n = GetPrivateProfileStringA(kInfoSection, key, "", cursor, static_cast<DWORD>(left),
                                       path);
    if (n >= left) n = static_cast<DWORD>(left - 1);
    cursor[n] = '\0';
    const char* text = cursor;
    cursor += n + 1;
    left -= n + 1;
    return text;
  };
  info->displayName = read("Name");
  if (info->displayName[0] == '\0') {
    delete info;
    return nullptr;
  }
  info->author = read("Author");
  info->description = read("Desc");
  CopyText(info->fileName, sizeof(info->fileName), fileName);
  return info;
}

void CLangFileList::ScanLanguageFiles() {
  FreeList();
  head_ = selected_ = NewInternalEnglish();
  if (head_ == nullptr || langFolder_[0] == '\0') return;

  char pattern[MAX_PATH];
  if (!JoinPath(pattern, langFolder_, "*.ini")) return;
  WIN32_FIND_DATAA found;
  kx::FindHandle find(FindFirstFileA(pattern, &found));
  if (!find) return;
  LangFileInfo* tail = head_;
  do {
    if (found.cFileName[0] == '\0' || found.cFileName[0] == '.' ||
        (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      continue;
    if (LangFileInfo* info = ReadFileInfo(found.cFileName)) {
      tail->next = info;
      tail = info;
    }
  } while (FindNextFileA(find.Get(), &found));

  char active[MAX_PATH];
  ReadActiveName(active);
  if (active[0] == '\0') return;
  for (LangFileInfo* info = head_; info; info = info->next) {
    if (_stricmp(info->fileName, active) == 0) {
      selected_ = info;
      break;
    }
  }
}

void CLangFileList::SelectLanguage(const char* name) {
  if (name == nullptr) name = "";
  GetLanguageList(false);
  LangFileInfo* chosen = nullptr;
  for (LangFileInfo* info = head_; info && !chosen; info = info->next)
    if (_stricmp(info->fileName, name) == 0) chosen = info;
  for (LangFileInfo* info = head_; info && !chosen; info = info->next)
    if (_stricmp(info->displayName, name) == 0) chosen = info;
  selected_ = chosen ? chosen : head_;
  if (keyPath_[0] != '\0')
    TextStore().SaveActiveLanguage(rootKey_, keyPath_, selected_ ? selected_->fileName : "");
}

void CLangFileList::ReadActiveName(char (&name)[MAX_PATH]) const {
  name[0] = '\0';
  if (keyPath_[0] == '\0') return;
  kx::RegKey key;
  if (OpenKey64OrDefault(rootKey_, keyPath_, KEY_READ, key) != ERROR_SUCCESS) return;
  char value[MAX_PATH + 1];
  DWORD type = 0;
  DWORD size = MAX_PATH;
  if (RegQueryValueExA(key.Get(), kActiveValue, nullptr, &type, reinterpret_cast<BYTE*>(value),
                       &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return;
  // The stored text need not be terminated.
  value[size < MAX_PATH ? size : MAX_PATH] = '\0';
  // Only a name inside the folder: a damaged value must not lead elsewhere.
  if (std::strpbrk(value, "\\/:") != nullptr) return;
  CopyText(name, sizeof(name), value);
}

CLangFileList& LangFiles() {
  static CLangFileList list;
  return list;
}

bool CMLVC::LoadLanguageFile(const char* path) {
  kx::FileHandle file(CreateFileA(path ? path : "", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  // Only a file on disk: a device name would block the reader.
  if (!file || GetFileType(file.Get()) != FILE_TYPE_DISK) {
    LoadLanguage(LangFileInput{});
    return false;
  }
  LangFileInput input;
  input.read = &ReadFromFile;
  input.readContext = file.Get();
  input.toAnsi = &AnsiFromUtf16;
  LoadLanguage(input);
  return true;
}

bool CMLVC::LoadActiveLanguage() {
  CLangFileList& list = LangFiles();
  char name[MAX_PATH] = "";
  const LangFileInfo* selected = list.Selected();
  if (selected != nullptr && selected->fileName[0] != '\0')
    CopyText(name, sizeof(name), selected->fileName);
  else
    list.ReadActiveName(name);
  char path[MAX_PATH];
  if (name[0] == '\0' || list.LangFolder()[0] == '\0' ||
      !JoinPath(path, list.LangFolder(), name)) {
    LoadLanguage(LangFileInput{});
    return false;
  }
  return LoadLanguageFile(path);
}
