#include "base/registry_view.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/registry.h"

namespace {

// HKLM\Software is one of the keys that differ between the two views, so a
// key made there shows which view it went to.
const std::string kScratch = "Software\\KarvexTest-view-" + std::to_string(GetCurrentProcessId());

class RegistryView : public ::testing::Test {
 protected:
  void TearDown() override {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY})
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kScratch.c_str(), view, 0);
  }
};

TEST_F(RegistryView, KeysGoToTheSixtyFourBitViewAndAreFoundThere) {
  {
    kx::RegKey key;
    ASSERT_EQ(CreateKey64OrDefault(HKEY_LOCAL_MACHINE, kScratch.c_str(), KEY_WRITE, key),
              ERROR_SUCCESS);
    const char text[] = "shared";
    ASSERT_EQ(RegSetValueExA(key.Get(), "Value", 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                             sizeof text),
              ERROR_SUCCESS);
  }
  EXPECT_TRUE(kxtest::KeyExists(HKEY_LOCAL_MACHINE, kScratch, KEY_WOW64_64KEY));
  EXPECT_FALSE(kxtest::KeyExists(HKEY_LOCAL_MACHINE, kScratch, KEY_WOW64_32KEY));
  EXPECT_EQ(kxtest::RegString(HKEY_LOCAL_MACHINE, kScratch, "Value", KEY_WOW64_64KEY), "shared");

  kx::RegKey key;
  ASSERT_EQ(OpenKey64OrDefault(HKEY_LOCAL_MACHINE, kScratch.c_str(), KEY_READ, key), ERROR_SUCCESS);
  char value[16] = "";
  DWORD size = sizeof value - 1;
  EXPECT_EQ(RegQueryValueExA(key.Get(), "Value", nullptr, nullptr, reinterpret_cast<BYTE*>(value),
                             &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(value, "shared");
}

TEST_F(RegistryView, AMissingKeyIsReportedAsMissing) {
  kx::RegKey key;
  EXPECT_EQ(OpenKey64OrDefault(HKEY_LOCAL_MACHINE, kScratch.c_str(), KEY_READ, key),
            ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(key);
}

}  // namespace
