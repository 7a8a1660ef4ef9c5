// The language list, the remembered choice and loading files, for real: a
// scratch Lang folder and a scratch registry key, both removed afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "framework/handle.h"
#include "lang/english_texts.h"
#include "lang/lang_file_list.h"
#include "lang/text_store.h"

namespace {

const std::string kGerman =
    "[Info]\r\nName=Deutsch\r\nAuthor=Someone\r\nDesc=Texts in German\r\nVersion=0x2\r\n"
    "[Menu]\r\nTasks=Aufgaben\r\nAbout=Info zu %Name%\r\n"
    "[Welcome]\r\nInfo=Willkommen bei %Name%.\\r\\nGruppe %[Menu]Tasks%.\r\n";

std::string Utf16(const std::string& ascii, bool byteOrderMark) {
  std::string wide = byteOrderMark ? std::string("\xFF\xFE", 2) : std::string();
  for (char c : ascii) {
    wide.push_back(c);
    wide.push_back('\0');
  }
  return wide;
}

class LangFileListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    folder_ = std::string(temp) + "kxlang-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(GetTickCount());
    ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
    // A key of its own: the settings tests keep theirs below Software\KarvexTest.
    keyPath_ = "Software\\KarvexTest-lang-" + std::to_string(GetCurrentProcessId());
    LangFiles().SetLangFolder(folder_.c_str());
    LangFiles().SetRegistryKey(HKEY_CURRENT_USER, keyPath_.c_str());
    TextStore().Reset();
    RegisterEnglishTexts("6.0.2");
  }

  void TearDown() override {
    for (const std::string& name : written_) {
      std::string path = folder_ + "\\" + name;
      if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
    }
    RemoveDirectoryA(folder_.c_str());
    RegDeleteTreeA(HKEY_CURRENT_USER, keyPath_.c_str());
    LangFiles().GetLanguageList(true);  // forget entries of the scratch folder
    TextStore().Reset();
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = folder_ + "\\" + name;
    kx::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(file.Valid()) << path;
    DWORD done = 0;
    WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &done, nullptr);
    written_.insert(name);
    return path;
  }

  // Value "Active" as seen in the 64-bit view, or "<none>".
  std::string Active() {
    kx::RegKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                      key.Put()) != ERROR_SUCCESS)
      return "<none>";
    char value[MAX_PATH + 1] = "";
    DWORD type = 0;
    DWORD size = MAX_PATH;
    LONG rc = RegQueryValueExA(key.Get(), "Active", nullptr, &type, reinterpret_cast<BYTE*>(value),
                               &size);
    return rc == ERROR_SUCCESS && type == REG_SZ ? value : "<none>";
  }
  void SetActive(const std::string& name) {
    kx::RegKey key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath_.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, key.Put(), nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key.Get(), "Active", 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(name.c_str()), DWORD(name.size() + 1)),
              ERROR_SUCCESS);
  }

  static std::string Text(const char* key, const char* section) {
    const char* text = TextStore().GetText(key, section);
    return text ? text : "<none>";
  }

  std::string folder_;
  std::string keyPath_;
  std::set<std::string> written_;
};

TEST_F(LangFileListTest, ScanListsNamedFilesAndSelectsTheRememberedOne) {
  Write("Deutsch.ini", kGerman);
  Write("Wide.ini", Utf16("[Info]\r\nName=Wide one\r\n[Menu]\r\nTasks=W\r\n", true));
  Write("Nameless.ini", "[Info]\r\nAuthor=Nobody\r\n[Menu]\r\nTasks=x\r\n");
  Write("notes.txt", "[Info]\r\nName=Not a language\r\n");
  Write(".hidden.ini", "[Info]\r\nName=Hidden\r\n");
  ASSERT_TRUE(CreateDirectoryA((folder_ + "\\Folder.ini").c_str(), nullptr));
  written_.insert("Folder.ini");

  const LangFileInfo* first = LangFiles().GetLanguageList(true);
  ASSERT_NE(first, nullptr);
  EXPECT_STREQ(first->displayName, "Internal English");
  EXPECT_STREQ(first->fileName, "");
  EXPECT_EQ(LangFiles().Selected(), first);
  std::set<std::string> listed;
  for (const LangFileInfo* info = first->next; info; info = info->next) {
    listed.insert(std::string(info->fileName) + ":" + info->displayName);
    if (std::string(info->fileName) == "Deutsch.ini") {
      EXPECT_STREQ(info->author, "Someone");
      EXPECT_STREQ(info->description, "Texts in German");
    }
  }
  EXPECT_EQ(listed, (std::set<std::string>{"Deutsch.ini:Deutsch", "Wide.ini:Wide one"}));

  SetActive("DEUTSCH.INI");
  LangFiles().GetLanguageList(true);
  ASSERT_NE(LangFiles().Selected(), nullptr);
  EXPECT_STREQ(LangFiles().Selected()->fileName, "Deutsch.ini");
  SetActive("Gone.ini");
  first = LangFiles().GetLanguageList(true);
  EXPECT_EQ(LangFiles().Selected(), first);

  // No folder at all: only the built-in English.
  LangFiles().SetLangFolder((folder_ + "\\Missing").c_str());
  first = LangFiles().GetLanguageList(true);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->next, nullptr);
  EXPECT_EQ(LangFiles().Selected(), first);
}

TEST_F(LangFileListTest, SelectingWritesAndDeletesTheRememberedName) {
  Write("Deutsch.ini", kGerman);
  LangFiles().GetLanguageList(true);
  EXPECT_EQ(Active(), "<none>");

  LangFiles().SelectLanguage("deutsch");  // by display name
  EXPECT_EQ(Active(), "Deutsch.ini");
  EXPECT_TRUE(TextStore().LoadActiveLanguage());
  EXPECT_EQ(Text("Tasks", "Menu"), "Aufgaben");

  LangFiles().SelectLanguage("");
  EXPECT_EQ(Active(), "<none>");
  EXPECT_FALSE(TextStore().LoadActiveLanguage());
  EXPECT_EQ(Text("Tasks", "Menu"), "Tasks");

  LangFiles().SelectLanguage("Deutsch.ini");
  LangFiles().SelectLanguage("No such language");
  EXPECT_EQ(Active(), "<none>");
  EXPECT_STREQ(LangFiles().Selected()->displayName, "Internal English");
}

TEST_F(LangFileListTest, StartUpLoadsTheRememberedFileInEveryEncoding) {
  const std::string ansi = Write("Deutsch.ini", kGerman);
  Write("Bom.ini", Utf16(kGerman, true));
  Write("NoBom.ini", Utf16(kGerman, false));
  for (const char* name : {"Deutsch.ini", "Bom.ini", "NoBom.ini"}) {
    SCOPED_TRACE(name);
    SetActive(name);
    // At start-up nothing is selected yet: the registry names the file.
    LangFiles().SetLangFolder(folder_.c_str());
    ASSERT_TRUE(LangFiles().Selected() == nullptr || LangFiles().Selected()->fileName[0] == '\0');
    EXPECT_TRUE(TextStore().LoadActiveLanguage());
    EXPECT_EQ(Text("Tasks", "Menu"), "Aufgaben");
    EXPECT_EQ(Text("About", "Menu"), "Info zu Karvex");
    EXPECT_EQ(Text("Info", "Welcome"), "Willkommen bei Karvex.\r\nGruppe Aufgaben.");
  }
  // A damaged value that leads out of the folder loads nothing.
  SetActive("..\\" + folder_.substr(folder_.rfind('\\') + 1) + "\\Deutsch.ini");
  EXPECT_FALSE(TextStore().LoadActiveLanguage());
  EXPECT_EQ(Text("Tasks", "Menu"), "Tasks");
  EXPECT_TRUE(TextStore().LoadLanguageFile(ansi.c_str()));
  EXPECT_EQ(Text("Tasks", "Menu"), "Aufgaben");
}

TEST_F(LangFileListTest, FileHeldOpenWithoutSharingLoadsNothing) {
  const std::string path = Write("Deutsch.ini", kGerman);
  ASSERT_TRUE(TextStore().LoadLanguageFile(path.c_str()));
  ASSERT_EQ(Text("Tasks", "Menu"), "Aufgaben");

  kx::FileHandle held(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held.Valid());
  EXPECT_FALSE(TextStore().LoadLanguageFile(path.c_str()));
  EXPECT_EQ(Text("Tasks", "Menu"), "Tasks");
  EXPECT_EQ(Text("About", "Menu"), "About Karvex");
  EXPECT_FALSE(TextStore().LoadLanguageFile((folder_ + "\\Missing.ini").c_str()));
}

}  // namespace
