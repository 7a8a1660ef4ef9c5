// The store with the built-in English texts and language files loaded from
// memory: what a dialog gets back from GetText.
#include <gtest/gtest.h>

#include <string>

#include "lang/english_texts.h"
#include "lang_test_support.h"

namespace {

class TextStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TextStore().Reset();
    RegisterEnglishTexts("7.1.3");
  }
  void TearDown() override { TextStore().Reset(); }

  void Load(const std::string& file) { LoadFromMemory(TextStore(), file); }
  std::string Text(const char* key, const char* section) {
    return TextOf(TextStore(), key, section);
  }
};

TEST_F(TextStoreTest, ReferencesResolveToProductNameAndToTheFilesOwnTexts) {
  Load(
      "[Menu]\r\n"
      "Tasks=Aufgaben\r\n"
      "About=Über %Name%\r\n"
      "[Welcome]\r\n"
      "Info=Willkommen bei %Name%. Gruppe %[Menu]Tasks%, Knopf %[DeleteDlg]Start%.\r\n");
  EXPECT_EQ(Text("About", "Menu"), "Über Karvex");
  // Start is not translated: the reference stays as the translator wrote it.
  EXPECT_EQ(Text("Info", "Welcome"),
            "Willkommen bei Karvex. Gruppe Aufgaben, Knopf %[DeleteDlg]Start%.");
  // Untranslated keys keep their expanded English default.
  EXPECT_EQ(Text("DelFileInfo", "Menu"), "Choose one or more files to delete them with Karvex");

  Load("[Welcome]\nInfo=Willkommen in %[Menu]Tasks%\n");
  EXPECT_EQ(Text("Info", "Welcome"), "Willkommen in %[Menu]Tasks%");
  EXPECT_EQ(Text("Tasks", "Menu"), "Tasks");
}

TEST_F(TextStoreTest, PlaceholdersAndStrayPercentSignsAreLeftAlone) {
  Load(
      "[Global]\n"
      "PrepareInfo=%1 gefunden in %2 Dateien, 100% fertig\n"
      "Run=%%Name% und %%%Name%%\n"
      "Open=50%Name\n"
      "Back=%Name\\x% und %Name%\n");
  EXPECT_EQ(Text("PrepareInfo", "Global"), "%1 gefunden in %2 Dateien, 100% fertig");
  EXPECT_EQ(Text("Run", "Global"), "%Karvex und %%Karvex%");
  EXPECT_EQ(Text("Open", "Global"), "50%Name");
  EXPECT_EQ(Text("Back", "Global"), "%Name\\x% und Karvex");
}

TEST_F(TextStoreTest, ReferenceCycleEndsWithOneReferenceLeft) {
  Load("[Loop]\nA=a(%B%)\nB=b(%A%)\nC=%[Loop]A%\n");
  std::string a = Text("A", "Loop");
  std::string b = Text("B", "Loop");
  // Whichever is expanded first takes in the other, which took in the first
  // one's text as it stood: one reference is left (in the other one it names
  // its own key, so it is pointed at section Global, where nothing answers).
  bool aFirst = a == "a(b(a(%B%)))" && b == "b(a(%[Global]B%))";
  bool bFirst = b == "b(a(b(%A%)))" && a == "a(b(%[Global]A%))";
  EXPECT_TRUE(aFirst || bFirst) << a << " / " << b;
  EXPECT_EQ(Text("C", "Loop"), a);
}

TEST_F(TextStoreTest, VersionTextReferringToItselfShowsTheVersion) {
  EXPECT_EQ(Text("Ver", "AboutDlg"), "Version 7.1.3");
  Load("[AboutDlg]\nVer=Versión %Ver% (final)\n");
  EXPECT_EQ(Text("Ver", "AboutDlg"), "Versión 7.1.3 (final)");
  // Stable on every later lookup and load.
  EXPECT_EQ(Text("Ver", "AboutDlg"), "Versión 7.1.3 (final)");
  Load("[aboutdlg]\nver=v%VER%\n");
  EXPECT_EQ(Text("Ver", "AboutDlg"), "v7.1.3");
}

TEST_F(TextStoreTest, FixedTextsIgnoreEveryLanguageFile) {
  const std::string first =
      "[Global]\nName=Andere\nVer=9.9.9\n[Menu]\nAbout=Info %Name% %[Global]Ver%\n";
  const std::string second = "[global]\nNAME=\"Noch eine\"\n";
  for (int round = 0; round < 3; ++round) {
    Load(first);
    EXPECT_EQ(Text("Name", "Global"), "Karvex");
    EXPECT_EQ(Text("Ver", nullptr), "7.1.3");
    EXPECT_EQ(Text("About", "Menu"), "Info Karvex 7.1.3");
    Load(second);
    EXPECT_EQ(Text("Name", nullptr), "Karvex");
    EXPECT_EQ(Text("About", "Menu"), "About Karvex");
  }
}

TEST_F(TextStoreTest, UnknownKeysAnswerNullAndFileOnlyKeysEmptyAfterSwitching) {
  EXPECT_EQ(TextStore().GetText("NoSuchKey", "Global"), nullptr);
  EXPECT_EQ(TextStore().GetText("", "Global"), nullptr);
  EXPECT_EQ(TextStore().GetText(nullptr, nullptr), nullptr);
  Load("[Menu]\nOptionsInfo=Weitere Einstellungen\n");
  EXPECT_EQ(Text("OPTIONSINFO", "menu"), "Weitere Einstellungen");
  Load("");
  ASSERT_NE(TextStore().GetText("OptionsInfo", "Menu"), nullptr);
  EXPECT_STREQ(TextStore().GetText("OptionsInfo", "Menu"), "");
}

// A job's threads keep the texts they were handed while the user switches
// languages; under AddressSanitizer a freed or rewritten text shows at once.
TEST_F(TextStoreTest, TextsHandedToARunningJobOutliveALanguageSwitch) {
  Load("[Global]\nPrepare=Vorbereitung\n[Menu]\nTasks=Aufgaben\n");
  HoldStoredTexts();  // a job starts
  const char* prepare = TextStore().GetText("Prepare", "Global");
  const char* tasks = TextStore().GetText("Tasks", "Menu");
  ASSERT_STREQ(prepare, "Vorbereitung");
  HoldStoredTexts();                 // a second job starts
  Load("[Global]\nPrepare=Prep\n");  // shorter: would fit the old buffer
  EXPECT_EQ(Text("Prepare", "Global"), "Prep");
  EXPECT_EQ(Text("Tasks", "Menu"), "Tasks");
  ReleaseStoredTexts();  // the second job ends; the first still shows its texts
  EXPECT_STREQ(prepare, "Vorbereitung");
  EXPECT_STREQ(tasks, "Aufgaben");
  ReleaseStoredTexts();
  // No job: texts are reused and freed as before, and a stray release is harmless.
  ReleaseStoredTexts();
  Load("[Global]\nPrepare=Noch einmal\n");
  EXPECT_EQ(Text("Prepare", "Global"), "Noch einmal");
}

// Hostile files: whatever they hold, every text stays within its limit and
// expansion neither recurses without bound nor takes quadratic time.
TEST_F(TextStoreTest, HostileReferenceChainsStayBounded) {
  std::string file = "[Chain]\n";
  for (int i = 0; i < 20000; ++i)
    file += "K" + std::to_string(i) + "=%K" + std::to_string(i + 1) + "%\n";
  file += "K20000=end\n[Short]\n";
  for (int i = 0; i < 10; ++i)
    file += "S" + std::to_string(i) + "=%S" + std::to_string(i + 1) + "%\n";
  file += "S10=end\n[Grow]\nD0=0123456789abcdef\n";
  for (int i = 1; i <= 16; ++i) {
    std::string half = "%D" + std::to_string(i - 1) + "%";
    file += "D" + std::to_string(i) + "=" + half + half + "\n";
  }
  std::string many;
  while (many.size() < 4000) many += "%B%";
  file += "Many=" + many + "\nB=" + std::string(1000, 'b') + "\nOpen=%D16\n";
  Load(file);

  // A chain deeper than expansion follows leaves references, never a crash.
  for (int i = 0; i <= 20000; i += 97) {
    std::string key = "K" + std::to_string(i);
    std::string text = Text(key.c_str(), "Chain");
    EXPECT_TRUE(text == "end" || (text.front() == '%' && text.back() == '%')) << text;
  }
  EXPECT_EQ(Text("S0", "Short"), "end");

  const std::string d10 = Text("D10", "Grow");
  EXPECT_EQ(d10.size(), 16u << 10);
  // The second copy would pass the limit, so it stays a reference.
  EXPECT_EQ(Text("D11", "Grow"), d10 + "%D10%");
  for (int i = 0; i <= 16; ++i) {
    std::string key = "D" + std::to_string(i);
    EXPECT_LE(Text(key.c_str(), "Grow").size(), kMaxTextLength);
  }
  std::string full = Text("Many", "Grow");
  EXPECT_LE(full.size(), kMaxTextLength);
  EXPECT_GT(full.size(), kMaxTextLength - 1000);
  EXPECT_EQ(Text("Open", "Grow"), "%D16");
}

}  // namespace
