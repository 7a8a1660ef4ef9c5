// Text building of the prompts: patterns from language files are data.
#include <gtest/gtest.h>

#include "ui/prompt_text.h"

namespace {

TEST(PromptPattern, NameAndReasonFillTheirPlaceholdersInOnePass) {
  EXPECT_EQ(FillPromptPattern("Cannot delete '%1':\r\n\r\n%2", "locked.dat", "Access is denied."),
            "Cannot delete 'locked.dat':\r\n\r\nAccess is denied.");
  // A reason or name holding placeholders is not filled again.
  EXPECT_EQ(FillPromptPattern("'%1': %2", "a%2b", "see %1"), "'a%2b': see %1");
  EXPECT_EQ(FillPromptPattern("%1 and %1", "x", nullptr), "x and x");
  // An absent name leaves nothing in its place.
  EXPECT_EQ(FillPromptPattern("Delete '%1'?", nullptr, nullptr), "Delete ''?");
  EXPECT_EQ(FillPromptPattern(nullptr, "x", "y"), "");
}

TEST(PromptPattern, LanguageTextIsNeverUsedAsAFormat) {
  // Without %1 one %s takes the name; every other % stays as written.
  EXPECT_EQ(FillPromptPattern("Delete %s now? 100%", "a.txt", nullptr), "Delete a.txt now? 100%");
  EXPECT_EQ(FillPromptPattern("%s %s %n %d %x %", "a", nullptr), "a %s %n %d %x %");
  // With %1 present, %s is plain text.
  EXPECT_EQ(FillPromptPattern("%1 (%s)", "a", nullptr), "a (%s)");
  // Without a name, %s stays.
  EXPECT_EQ(FillPromptPattern("%s", nullptr, nullptr), "%s");
  // Without %1 and without a reason, %2 stays as written.
  EXPECT_EQ(FillPromptPattern("50%2 done", nullptr, nullptr), "50%2 done");
  EXPECT_EQ(FillPromptPattern("%s: %2", "n", "why"), "n: why");
}

TEST(PromptPattern, ConfirmationKeyFollowsCountAndKind) {
  EXPECT_STREQ(ConfirmKey(1, false), "ConfirmFile");
  EXPECT_STREQ(ConfirmKey(1, true), "ConfirmFolder");
  EXPECT_STREQ(ConfirmKey(0, false), "ConfirmFile");
  EXPECT_STREQ(ConfirmKey(2, true), "ConfirmMulti");
}

TEST(QuestionLayout, ShortQuestionCentresOnTheIconTallOneGrowsTheDialog) {
  Rect text{54, 11, 402, 74};  // 63 high
  Rect icon{11, 11, 43, 43};   // 32 high
  QuestionLayout one = FitQuestion(13, text, icon);
  EXPECT_EQ(one.grow, 0);
  EXPECT_EQ(one.text.top, 11 + (32 - 13) / 2);
  EXPECT_EQ(one.text.Height(), 13);
  EXPECT_EQ(one.text.left, 54);
  EXPECT_EQ(one.text.right, 402);

  QuestionLayout fits = FitQuestion(52, text, icon);
  EXPECT_EQ(fits.grow, 0);
  EXPECT_EQ(fits.text.top, text.top);
  EXPECT_EQ(fits.text.bottom, text.bottom);

  QuestionLayout tall = FitQuestion(100, text, icon);
  EXPECT_EQ(tall.grow, 37);
  EXPECT_EQ(tall.text.top, 11);
  EXPECT_EQ(tall.text.Height(), 100);
}

}  // namespace
