#pragma once
// The language files in the "Lang" folder beside the program, the one in use,
// and the choice remembered in the registry (value "Active").
#include <windows.h>

#include <cstdint>

struct LangFileInfo {
  // Display name, author and description share one 260-byte block.
  const char* displayName = nullptr;
  const char* author = nullptr;
  const char* description = nullptr;
  LangFileInfo* next = nullptr;
  // Name part only, e.g. "Deutsch.ini"; empty for the built-in English.
  char fileName[MAX_PATH] = {};
  char block[MAX_PATH] = {};
};

class CLangFileList {
 public:
  // Folder: the program's folder and "\Lang"; key: HKCU, "Software\Morvane\Karvex\Lang".
  CLangFileList();
  ~CLangFileList();
  CLangFileList(const CLangFileList&) = delete;
  CLangFileList& operator=(const CLangFileList&) = delete;

  // The first entry ("Internal English" first, then the files in folder
  // order). Scans when asked to or when the list is still empty. Entries live
  // until the next scan.
  const LangFileInfo* GetLanguageList(bool rescan);
  // Rebuilds the list from the folder and selects the entry the registry names.
  void ScanLanguageFiles();
  // Selects the entry with this file name, else this display name, else the
  // built-in English (both compared ignoring case), and remembers its file
  // name in the registry ("Internal English" deletes the value).
  void SelectLanguage(const char* name);
  const LangFileInfo* Selected() const { return selected_; }

  // The file name that "Active" holds; empty when it is missing, not text,
  // or not a plain file name.
  void ReadActiveName(char (&name)[MAX_PATH]) const;

  const char* LangFolder() const { return langFolder_; }
  const char* KeyPath() const { return keyPath_; }
  HKEY RootKey() const { return rootKey_; }
  // For tests: another folder, another key.
  void SetLangFolder(const char* folder);
  void SetRegistryKey(HKEY root, const char* keyPath);

 private:
  void FreeList();
  LangFileInfo* ReadFileInfo(const char* fileName) const;

  uint32_t requiredVersion_ = 0;  // 0 admits every file
  char langFolder_[MAX_PATH + 1] = {};
  char keyPath_[MAX_PATH + 1] = {};
  HKEY rootKey_ = HKEY_CURRENT_USER;
  LangFileInfo* head_ = nullptr;
  LangFileInfo* selected_ = nullptr;
};

// The process-wide list.
CLangFileList& LangFiles();
