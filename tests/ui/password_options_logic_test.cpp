// The decisions of the password and options panels, without windows.
#include <gtest/gtest.h>

#include <cstring>

#include "ui/options_logic.h"
#include "ui/password_logic.h"

namespace {

void Fill(SecretText& secret, const char* text) { std::strcpy(secret.Buffer(), text); }

TEST(PasswordLogic, DigestIsPlainMd5AndEmptyMeansNone) {
  uint8_t digest[16];
  DigestPassword("abc", 3, digest);
  const uint8_t md5abc[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                              0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
  EXPECT_EQ(std::memcmp(digest, md5abc, 16), 0);
  DigestPassword("", 0, digest);
  const uint8_t zero[16] = {};
  EXPECT_EQ(std::memcmp(digest, zero, 16), 0);
}

TEST(PasswordLogic, DigestsCompareOverAllBytes) {
  uint8_t a[16] = {}, b[16] = {};
  EXPECT_TRUE(DigestsEqual(a, b));
  b[15] = 1;
  EXPECT_FALSE(DigestsEqual(a, b)) << "a difference in the last byte counts";
  b[15] = 0;
  b[0] = 0x80;
  EXPECT_FALSE(DigestsEqual(a, b));
}

TEST(PasswordLogic, NewPasswordsAreComparedExactly) {
  SecretText a, b;
  Fill(a, "Secret");
  Fill(b, "secret");
  EXPECT_EQ(CheckNewPassword(a, b), NewPasswordVerdict::kNotSame) << "letter case counts";
  Fill(b, "");
  EXPECT_EQ(CheckNewPassword(a, b), NewPasswordVerdict::kNotSame) << "an empty confirmation";
  Fill(b, "Secret");
  EXPECT_EQ(CheckNewPassword(a, b), NewPasswordVerdict::kAccept);
  Fill(a, "");
  Fill(b, "");
  EXPECT_EQ(CheckNewPassword(a, b), NewPasswordVerdict::kEmpty);
}

TEST(PasswordLogic, SecretTextIsWipedWhole) {
  SecretText secret;
  Fill(secret, "hunter2");
  secret.Wipe();
  for (int i = 0; i < SecretText::kCapacity; ++i) EXPECT_EQ(secret.Text()[i], '\0');
  EXPECT_TRUE(secret.Empty());
  EXPECT_TRUE(SetPassOkEnabled(true, true));
  EXPECT_FALSE(SetPassOkEnabled(false, true));
}

ConfigRecord Defaults() {
  ConfigRecord r;
  ResetConfig(r);
  return r;
}

TEST(OptionsLogic, StoredPatternsMapToTheirEntries) {
  ConfigRecord r = Defaults();
  EXPECT_EQ(StoredFillChoice(r), kFillDefault);
  r.fillPattern[0] = 'A';
  EXPECT_EQ(StoredFillChoice(r), kFillCustom) << "one character is a custom string";
  EXPECT_EQ(StoredCustomString(r), "A");
  r.fillLength = 0;
  EXPECT_EQ(StoredFillChoice(r), kFillZero);
  r.fillLength = 5;
  r.fillPattern[0] = 0;
  EXPECT_EQ(StoredFillChoice(r), kFillZero);
  std::memset(r.fillPattern, 'z', sizeof r.fillPattern);
  EXPECT_EQ(StoredCustomString(r).size(), 127u) << "an unterminated pattern is cut, not overrun";
}

TEST(OptionsLogic, PeriodTextsBecomeClampedNumbers) {
  EXPECT_EQ(ParsePeriod(""), 0);
  EXPECT_EQ(ParsePeriod("abc"), 0);
  EXPECT_EQ(ParsePeriod("300"), 300);
  EXPECT_EQ(ParsePeriod("65535"), 65535);
  EXPECT_EQ(ParsePeriod("99999"), 65535);
  EXPECT_EQ(ParsePeriod("99999999999999999999"), 65535) << "no overflow on long input";
}

TEST(OptionsLogic, ChangesAndOkFollowTheStoredRecord) {
  const ConfigRecord stored = Defaults();
  OptionsView view{"200", false, kFillDefault, ""};
  EXPECT_FALSE(OptionsOkEnabled(stored, view));
  view.period = "300";
  EXPECT_TRUE(OptionsOkEnabled(stored, view));
  view.period = "200";
  view.fill = kFillCustom;
  EXPECT_FALSE(OptionsOkEnabled(stored, view)) << "empty custom string";
  view.custom = "ABC";
  EXPECT_TRUE(OptionsOkEnabled(stored, view));

  ConfigRecord custom = Defaults();
  std::strcpy(reinterpret_cast<char*>(custom.fillPattern), "ABC");
  custom.fillLength = 3;
  EXPECT_FALSE(OptionsChanged(custom, view));
  view.custom = "abc";
  EXPECT_TRUE(OptionsChanged(custom, view)) << "case counts";
}

TEST(OptionsLogic, ApplyWritesTheChoiceOrNothing) {
  ConfigRecord r = Defaults();
  EXPECT_FALSE(ApplyOptions(r, {"5", true, kFillCustom, ""}));
  EXPECT_EQ(r.updatePeriodMs, 200) << "an empty custom string saves nothing";
  EXPECT_FALSE(ApplyOptions(r, {"5", true, 7, ""}));
  ASSERT_TRUE(ApplyOptions(r, {"5", true, kFillCustom, "ABCDEF"}));
  EXPECT_EQ(r.fillLength, 6);
  EXPECT_EQ(r.updatePeriodMs, 5);
  EXPECT_EQ(r.skipErrors, 1);
  ASSERT_TRUE(ApplyOptions(r, {"5", false, kFillDefault, ""}));
  EXPECT_EQ(r.fillLength, 1);
  EXPECT_EQ(r.fillPattern[0], 0xFE);
  EXPECT_EQ(r.fillPattern[1], 'B') << "later bytes stay, unused";
  ASSERT_TRUE(ApplyOptions(r, {"5", false, kFillZero, ""}));
  EXPECT_EQ(r.fillLength, 0);
  EXPECT_EQ(r.fillPattern[1], 0);
  ASSERT_TRUE(ApplyOptions(r, {"5", false, kFillCustom, std::string(200, 'q')}));
  EXPECT_EQ(r.fillLength, 127);
  EXPECT_EQ(r.fillPattern[127], 0) << "stays terminated";
}

TEST(OptionsLogic, RandomAndVerifyLiveBesideTheRecordAndLeaveItsFillAsItWas) {
  ConfigRecord r = Defaults();
  ASSERT_TRUE(ApplyOptions(r, {"5", false, kFillCustom, "ABC"}));
  const ConfigRecord before = r;
  EXPECT_FALSE(ApplyOptions(r, {"5", false, kFillRandom, ""})) << "nowhere to keep Random";
  ShredOptions options{};
  ASSERT_TRUE(ApplyOptions(r, {"7", false, kFillRandom, "", true}, &options));
  EXPECT_EQ(options.randomFill, 1);
  EXPECT_EQ(options.verify, 1);
  EXPECT_EQ(r.updatePeriodMs, 7);
  EXPECT_EQ(r.fillLength, before.fillLength) << "an earlier version still finds its fill";
  EXPECT_EQ(std::memcmp(r.fillPattern, before.fillPattern, sizeof r.fillPattern), 0);
  EXPECT_EQ(ShownFillChoice(r, options), kFillRandom);
  EXPECT_EQ(StoredFillChoice(r), kFillCustom);

  // Shown as stored: nothing changed; Verify or the fill alone is a change.
  OptionsView view{"7", false, kFillRandom, "ABC", true};
  EXPECT_FALSE(OptionsOkEnabled(r, view, options));
  view.verify = false;
  EXPECT_TRUE(OptionsOkEnabled(r, view, options));
  view.verify = true;
  view.fill = kFillCustom;
  EXPECT_TRUE(OptionsOkEnabled(r, view, options)) << "back to the string kept under Random";
  ASSERT_TRUE(ApplyOptions(r, view, &options));
  EXPECT_EQ(options.randomFill, 0);
  EXPECT_EQ(options.verify, 1);
  EXPECT_FALSE(OptionsChanged(r, view, options));
}

}  // namespace
