#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/path_utils.h"
#include "cmenu/registration_params.h"

namespace {

std::string ExtensionPath(const char* program, bool system64) {
  char out[kQuotedPathSize];
  return ExtensionPathFor(program, system64, out, sizeof out) ? out : "<refused>";
}

std::string RegistrarArgs(bool unregister, const char* dll) {
  char out[kQuotedPathSize + 8];
  return RegistrarParameters(unregister, dll, out, sizeof out) ? out : "<refused>";
}

std::string Elevation(int enabled, const char* caption) {
  ContextMenuState state{};
  state.enabled = enabled;
  std::strncpy(state.caption, caption, sizeof state.caption - 1);
  char out[160];
  return ElevationParameters(state, out, sizeof out) ? out : "<refused>";
}

std::string Registered(const char* caption) {
  char out[128];
  CaptionToRegister(caption, out);
  return out;
}

TEST(RegistrarCommand, ExtensionMatchesTheSystemAndIsQuotedForABlank) {
  EXPECT_EQ(ExtensionPath("C:\\Karvex\\KXer.exe", true), "C:\\Karvex\\KXMExt64.dll");
  EXPECT_EQ(ExtensionPath("C:\\Karvex\\KXer.exe", false), "C:\\Karvex\\KXMExt.dll");
  EXPECT_EQ(ExtensionPath("C:\\Program Files\\Karvex\\KXer.exe", true),
            "\"C:\\Program Files\\Karvex\\KXMExt64.dll\"");
  EXPECT_EQ(ExtensionPath("C:\\KXer.exe", false), "C:\\KXMExt.dll");
  EXPECT_EQ(ExtensionPath("\\\\server\\share\\KXer.exe", false), "\\\\server\\share\\KXMExt.dll");
  // A folder that leaves no room for the name, or for the quotes.
  const std::string deep = "C:\\" + std::string(248, 'd') + "\\KXer.exe";
  EXPECT_EQ(ExtensionPath(deep.c_str(), true), "<refused>");
  const std::string blank = "C:\\" + std::string(240, 'd') + " x\\KXer.exe";
  const std::string quoted = ExtensionPath(blank.c_str(), true);
  EXPECT_EQ(quoted.size(), 2 + 3 + 242 + 1 + 12u);
  EXPECT_EQ(quoted.front(), '"');
  EXPECT_EQ(ExtensionPath("", true), "<refused>");
  EXPECT_EQ(ExtensionPath(nullptr, true), "<refused>");
}

TEST(RegistrarCommand, ParametersAreSilentAndUnregisterWhenAsked) {
  EXPECT_EQ(RegistrarArgs(false, "C:\\Karvex\\KXMExt64.dll"), " /s C:\\Karvex\\KXMExt64.dll");
  EXPECT_EQ(RegistrarArgs(true, "\"C:\\Program Files\\Karvex\\KXMExt.dll\""),
            " /s /u \"C:\\Program Files\\Karvex\\KXMExt.dll\"");
  EXPECT_EQ(RegistrarArgs(true, ""), "<refused>");
  char small[8];
  EXPECT_FALSE(RegistrarParameters(false, "C:\\KXMExt.dll", small, sizeof small));
  EXPECT_STREQ(small, "");
}

TEST(RegistrarCommand, ExePathIsQuotedOnlyForABlank) {
  char out[kQuotedPathSize];
  ASSERT_TRUE(ExePathValue("C:\\Karvex\\KXer.exe", out, sizeof out));
  EXPECT_STREQ(out, "C:\\Karvex\\KXer.exe");
  ASSERT_TRUE(ExePathValue("C:\\Program Files\\Karvex\\KXer.exe", out, sizeof out));
  EXPECT_STREQ(out, "\"C:\\Program Files\\Karvex\\KXer.exe\"");
  // The longest program path with a blank still fits with its quotes.
  const std::string longest = "C:\\a b\\" + std::string(260 - 7 - 4, 'p') + ".exe";
  ASSERT_EQ(longest.size(), 260u);
  ASSERT_TRUE(ExePathValue(longest.c_str(), out, sizeof out));
  EXPECT_EQ(std::strlen(out), 262u);
}

TEST(ElevatedStart, ParametersCarryTheCaptionInQuotes) {
  EXPECT_EQ(Elevation(1, "Shred Now"), " /REGCM:\"Shred Now\"");
  EXPECT_EQ(Elevation(1, ""), " /REGCM:\"\"");
  EXPECT_EQ(Elevation(0, "Shred Now"), " /UNREGCM");
  const std::string longest(127, 'c');
  EXPECT_EQ(Elevation(1, longest.c_str()), " /REGCM:\"" + longest + "\"");
}

TEST(ElevatedStart, ACaptionWithQuotesCannotBreakOutOfItsValue) {
  // What the elevated copy reads back from its command line is exactly what
  // an administrator's own run registers.
  const char* captions[] = {"Say \"hi\"", "\" /UNREGCM \"", "end\"", "\"\"\"", "a \" /REGCM:x"};
  for (const char* caption : captions) {
    SCOPED_TRACE(caption);
    const std::string line = "C:\\Karvex\\KXer.exe" + Elevation(1, caption);
    char value[261];
    ASSERT_TRUE(SwitchValue(line.c_str(), "/REGCM:", value, sizeof value));
    EXPECT_EQ(std::string(value), Registered(caption));
    EXPECT_EQ(Registered(caption).find('"'), std::string::npos);
    char ignored[261];
    EXPECT_TRUE(SwitchValue(line.c_str(), "/REGCM", ignored, sizeof ignored));
  }
  EXPECT_EQ(Registered("Say \"hi\""), "Say hi");
}

TEST(ElevatedStart, RegisteredCaptionStaysWithinItsBuffer) {
  // A state whose caption fills its buffer without a terminator.
  ContextMenuState state{};
  state.enabled = 1;
  std::memset(state.caption, 'z', sizeof state.caption);
  EXPECT_EQ(Registered(state.caption), std::string(127, 'z'));
  char out[160];
  ASSERT_TRUE(ElevationParameters(state, out, sizeof out));
  EXPECT_EQ(std::string(out), " /REGCM:\"" + std::string(127, 'z') + "\"");
  EXPECT_FALSE(ElevationParameters(state, out, 20));
  EXPECT_EQ(Registered(nullptr), "");
}

TEST(RegistrarCommand, RegistrationRunTellsSuccessAndLackOfRightsApart) {
  EXPECT_EQ(RegistrationExitCode(true, false), 0);
  EXPECT_EQ(RegistrationExitCode(false, true), 740);
  EXPECT_EQ(RegistrationExitCode(false, false), 1);
}

}  // namespace
