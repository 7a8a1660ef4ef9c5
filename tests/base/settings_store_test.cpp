// The settings store against the real registry, in a scratch key per test.
#include "base/settings_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/folder_test.h"

namespace {

constexpr char kScratchParent[] = "Software\\KarvexTest";

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    scratch_ = std::string(kScratchParent) + "\\" + info->name() + "-" +
               std::to_string(GetCurrentProcessId());
    SetSettingsKeyPath(scratch_.c_str());
    RemoveScratch();
  }
  void TearDown() override {
    RemoveScratch();
    SetSettingsKeyPath(nullptr);
  }
  void RemoveScratch() {
    RegDeleteTreeA(HKEY_CURRENT_USER, scratch_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, scratch_.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, scratch_.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, scratch_.c_str());
    // The common parent goes with the last test that used it.
    RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kScratchParent);
  }
  void WriteValue(HKEY root, const std::string& subkey, const char* name, DWORD type,
                  const void* data, DWORD size) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyA(root, (scratch_ + subkey).c_str(), &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static ConfigRecord Defaults() {
    ConfigRecord record;
    ResetConfig(record);
    return record;
  }
  static ConfigRecord Garbage() {
    ConfigRecord record;
    std::memset(&record, 0xA5, sizeof record);
    return record;
  }

  std::string scratch_;
};

bool Same(const ConfigRecord& a, const ConfigRecord& b) { return !std::memcmp(&a, &b, sizeof a); }

}  // namespace

TEST_F(SettingsStore, ConfigRoundTripAndDefaultsWhenMissing) {
  ConfigRecord record = Garbage();
  EXPECT_FALSE(LoadConfig(record));  // no key at all
  EXPECT_TRUE(Same(record, Defaults()));
  WriteValue(HKEY_CURRENT_USER, "", "Other", REG_DWORD, "\0\0\0", 4);
  record = Garbage();
  EXPECT_FALSE(LoadConfig(record));  // key without the value
  EXPECT_TRUE(Same(record, Defaults()));

  ConfigRecord saved = Defaults();
  saved.updatePeriodMs = 0;
  saved.skipErrors = 1;
  saved.fillLength = 6;
  std::memcpy(saved.fillPattern, "secret", 7);
  saved.passwordDigest[0] = 0x42;
  ASSERT_TRUE(SaveConfig(saved));
  record = Garbage();
  EXPECT_TRUE(LoadConfig(record));
  EXPECT_TRUE(Same(record, saved));
  EXPECT_TRUE(HasPassword(record));
}

TEST_F(SettingsStore, ConfigOfAnotherSizeGivesTheDefaults) {
  uint8_t bytes[149];
  std::memset(bytes, 0x11, sizeof bytes);
  for (DWORD size : {147u, 149u, 0u}) {
    WriteValue(HKEY_CURRENT_USER, "", "Config", REG_BINARY, bytes, size);
    ConfigRecord record = Garbage();
    EXPECT_FALSE(LoadConfig(record)) << size;
    EXPECT_TRUE(Same(record, Defaults())) << size;
  }
}

TEST_F(SettingsStore, FillLengthBeyondThePatternIsClamped) {
  ConfigRecord saved = Defaults();
  saved.fillLength = 128;
  std::memset(saved.fillPattern, 'p', sizeof saved.fillPattern);
  ASSERT_TRUE(SaveConfig(saved));
  ConfigRecord record;
  ASSERT_TRUE(LoadConfig(record));
  EXPECT_EQ(record.fillLength, 128);  // the whole pattern: still in range
  saved.fillLength = 255;
  ASSERT_TRUE(SaveConfig(saved));
  ASSERT_TRUE(LoadConfig(record));
  EXPECT_EQ(record.fillLength, 127);
}

TEST_F(SettingsStore, ShredOptionsRoundTripBesideAnUntouchedConfig) {
  ShredOptions options{1, 1};
  LoadShredOptions(options);
  EXPECT_EQ(options.randomFill, 0);  // no key at all: both off
  EXPECT_EQ(options.verify, 0);

  ConfigRecord saved = Defaults();
  saved.fillLength = 3;
  std::memcpy(saved.fillPattern, "abc", 3);
  ASSERT_TRUE(SaveConfig(saved));
  for (ShredOptions stored :
       {ShredOptions{1, 0}, ShredOptions{0, 1}, ShredOptions{1, 1}, ShredOptions{0, 0}}) {
    ASSERT_TRUE(SaveShredOptions(stored));
    ShredOptions loaded{9, 9};
    LoadShredOptions(loaded);
    EXPECT_EQ(loaded.randomFill, stored.randomFill);
    EXPECT_EQ(loaded.verify, stored.verify);
  }
  // An earlier version reads "Config" alone: it must still hold the 148
  // bytes it wrote.
  HKEY key;
  ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, scratch_.c_str(), &key), ERROR_SUCCESS);
  uint8_t raw[200];
  DWORD size = sizeof raw;
  DWORD type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Config", nullptr, &type, raw, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  ASSERT_EQ(size, sizeof(ConfigRecord));
  EXPECT_EQ(std::memcmp(raw, &saved, sizeof saved), 0);
}

TEST_F(SettingsStore, DamagedShredOptionsReadAsOff) {
  const DWORD on = 1;
  const uint8_t wide[8] = {1, 0, 0, 0, 0, 0, 0, 0};
  struct Case {
    DWORD type;
    const void* data;
    DWORD size;
  } cases[] = {
      {REG_BINARY, &on, 4},   // right size, wrong type
      {REG_SZ, "1", 2},       // text
      {REG_QWORD, wide, 8},   // a wider number
      {REG_DWORD, wide, 2},   // too short for a DWORD (Wine keeps what it is given)
      {REG_BINARY, wide, 8},  // neither
  };
  for (const Case& c : cases) {
    WriteValue(HKEY_CURRENT_USER, "", "RandomFill", c.type, c.data, c.size);
    WriteValue(HKEY_CURRENT_USER, "", "Verify", c.type, c.data, c.size);
    ShredOptions loaded{1, 1};
    LoadShredOptions(loaded);
    EXPECT_EQ(loaded.randomFill, 0) << c.type << "/" << c.size;
    EXPECT_EQ(loaded.verify, 0) << c.type << "/" << c.size;
  }
  const DWORD other = 7;  // any DWORD but 0 is on
  WriteValue(HKEY_CURRENT_USER, "", "Verify", REG_DWORD, &other, 4);
  ShredOptions loaded{};
  LoadShredOptions(loaded);
  EXPECT_EQ(loaded.verify, 1);
  EXPECT_EQ(loaded.randomFill, 0);
}

TEST_F(SettingsStore, VersionTextFromTheMachineKey) {
  EXPECT_EQ(ReadVersionText(), "6.0.2");  // no key
  DWORD version = 0x70103;
  WriteValue(HKEY_LOCAL_MACHINE, "", "InternalVersion", REG_DWORD, &version, 4);
  EXPECT_EQ(ReadVersionText(), "7.1.3");
  version = 0x60001;
  WriteValue(HKEY_LOCAL_MACHINE, "", "InternalVersion", REG_DWORD, &version, 4);
  EXPECT_EQ(ReadVersionText(), "6.0.2");
  WriteValue(HKEY_LOCAL_MACHINE, "", "InternalVersion", REG_BINARY, "\x03\x01\x07", 3);
  EXPECT_EQ(ReadVersionText(), "6.0.2");
}

TEST_F(SettingsStore, WindowStateRoundTripTakesOnly28Bytes) {
  WindowStateRecord saved;
  InitWindowState(saved, kMainWindowStateName);
  saved.normalRect = {10, 20, 610, 520};
  saved.maximized = 1;
  saved.groupCollapsed[9] = 1;
  ASSERT_TRUE(SaveWindowState(saved));

  WindowStateRecord record;
  InitWindowState(record, kMainWindowStateName);
  EXPECT_TRUE(LoadWindowState(record));
  EXPECT_EQ(std::memcmp(&record, &saved, sizeof record), 0);

  WindowStateRecord other;
  InitWindowState(other, kDeleteDlgStateName);
  EXPECT_FALSE(LoadWindowState(other));  // no value of that name
  WindowStateRecord zero;
  InitWindowState(zero, kDeleteDlgStateName);
  EXPECT_EQ(std::memcmp(&other, &zero, sizeof other), 0);

  uint8_t bytes[29];
  std::memset(bytes, 0x7F, sizeof bytes);
  for (DWORD size : {27u, 29u}) {
    WriteValue(HKEY_CURRENT_USER, "\\States", "DeleteDlg", REG_BINARY, bytes, size);
    EXPECT_FALSE(LoadWindowState(other)) << size;
    EXPECT_EQ(std::memcmp(&other, &zero, sizeof other), 0) << size;
  }
}

TEST_F(SettingsStore, WindowStateWithoutNameIsNeitherReadNorWritten) {
  WindowStateRecord record;
  InitWindowState(record, "");
  record.normalRect = {1, 2, 3, 4};
  EXPECT_FALSE(SaveWindowState(record));
  HKEY key;
  EXPECT_NE(RegOpenKeyA(HKEY_CURRENT_USER, (scratch_ + "\\States").c_str(), &key), ERROR_SUCCESS);
  EXPECT_FALSE(LoadWindowState(record));

  // A name that fills all 64 bytes is cut, not read past.
  std::memset(record.name, 'N', sizeof record.name);
  EXPECT_TRUE(SaveWindowState(record));
  EXPECT_TRUE(LoadWindowState(record));
}

TEST(IsFolder, MissingFilesAndFolders) {
  char temp[MAX_PATH];
  ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
  std::string folder = std::string(temp) + "kx-isfolder-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  std::string file = folder + "\\file.txt";
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);

  EXPECT_TRUE(IsFolder(folder.c_str()));
  EXPECT_FALSE(IsFolder(file.c_str()));
  EXPECT_FALSE(IsFolder((folder + "\\missing").c_str()));
  EXPECT_FALSE(IsFolder(""));
  EXPECT_FALSE(IsFolder(nullptr));

  DeleteFileA(file.c_str());
  RemoveDirectoryA(folder.c_str());
}

// A 32-bit process sees the 32-bit system folder under the name system32
// unless redirection is off; the folder test must look at the real one, and
// put redirection back afterwards.
TEST(IsFolder, LooksPastRedirectionAndRestoresIt) {
  char system[MAX_PATH];
  ASSERT_NE(GetSystemDirectoryA(system, sizeof system), 0u);
  std::string probe = std::string(system) + "\\kx-redirect-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(probe.c_str(), nullptr));  // redirected for 32 bits

  EXPECT_EQ(IsFolder(probe.c_str()), !IsWow64());
  EXPECT_FALSE(IsFolder((probe + "-missing").c_str()));
  // Redirection is back: the ordinary call still finds the probe.
  DWORD attributes = GetFileAttributesA(probe.c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);

  RemoveDirectoryA(probe.c_str());
}
