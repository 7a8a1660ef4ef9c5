// The German file that ships in Lang\: complete, and every text fit to take
// the place of the English one (same placeholders, references that resolve,
// one access key where the English has one).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lang/english_texts.h"
#include "lang/lang_file_parser.h"
#include "lang/text_store.h"

namespace {

std::string SourcePath(const char* relative) {
  std::string path = std::string(KX_SOURCE_DIR) + "/" + relative;
#ifdef _WIN32
  // A path of the build machine, which Wine shows under Z:.
  for (char& c : path)
    if (c == '/') c = '\\';
  path = "Z:" + path;
#endif
  return path;
}

size_t ReadFile(void* context, void* buffer, size_t capacity) {
  return std::fread(buffer, 1, capacity, static_cast<std::FILE*>(context));
}

struct Entry {
  std::string section, key, value;
};

void Collect(void* context, const char* section, const char* key, const char* value) {
  static_cast<std::vector<Entry>*>(context)->push_back({section, key, value});
}

std::vector<Entry> ReadShippedFile(bool load) {
  std::vector<Entry> entries;
  std::FILE* file = std::fopen(SourcePath("res/lang/German.ini").c_str(), "rb");
  EXPECT_TRUE(file);
  if (!file) return entries;
  LangFileInput input;
  input.read = ReadFile;
  input.readContext = file;
  if (load) {
    TextStore().LoadLanguage(input);
  } else {
    ParseLangFile(input, Collect, &entries);
  }
  std::fclose(file);
  return entries;
}

std::vector<std::string> Placeholders(const std::string& text) {
  std::vector<std::string> found;
  for (size_t i = 0; i + 1 < text.size(); ++i)
    if (text[i] == '%' && (text[i + 1] == '1' || text[i + 1] == '2')) found.push_back(text.substr(i, 2));
  return found;
}

size_t AccessKeys(const std::string& text) {
  size_t n = 0;
  for (size_t i = 0; i < text.size(); ++i)
    if (text[i] == '&') ++n, ++i;
  return n;
}

const std::set<std::pair<std::string, std::string>> kExtraDescriptions = {
    {"Menu", "OptionsInfo"}, {"Menu", "HelpContentInfo"}, {"Menu", "AboutInfo"}, {"Menu", "LanguageInfo"}};

class ShippedTranslation : public ::testing::Test {
 protected:
  void SetUp() override {
    TextStore().Reset();
    RegisterEnglishTexts("6.0.2");
  }
  void TearDown() override { TextStore().Reset(); }
};

TEST_F(ShippedTranslation, TranslatesEveryTextOnce) {
  const auto entries = ReadShippedFile(false);
  std::set<std::pair<std::string, std::string>> seen;
  int translated = 0;
  for (const Entry& e : entries) {
    EXPECT_TRUE(seen.insert({e.section, e.key}).second) << "twice: " << e.section << "/" << e.key;
    EXPECT_FALSE(e.value.empty()) << e.section << "/" << e.key;
    if (kExtraDescriptions.count({e.section, e.key})) continue;
    const MLVCEntry* english = TextStore().FindEntry(e.key.c_str(), e.section.c_str());
    ASSERT_TRUE(english) << "no such text: " << e.section << "/" << e.key;
    EXPECT_FALSE(english->fixed) << e.section << "/" << e.key;
    ++translated;
  }
  // Every text but the two fixed ones (product name and version).
  EXPECT_EQ(translated, kEnglishTextCount - 2);
}

TEST_F(ShippedTranslation, KeepsPlaceholdersReferencesAndAccessKeys) {
  // The English texts as the program shows them, before the file is loaded.
  const auto entries = ReadShippedFile(false);
  std::vector<std::string> english;
  for (const Entry& e : entries) {
    const char* text = TextStore().GetText(e.key.c_str(), e.section.c_str());
    english.push_back(text ? text : "");
  }
  ReadShippedFile(true);
  for (size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    const char* text = TextStore().GetText(e.key.c_str(), e.section.c_str());
    ASSERT_TRUE(text) << e.section << "/" << e.key;
    const std::string german = text;
    // A reference that did not resolve stays visible as %...%.
    for (const char* reference : {"%Name%", "%[Menu]Tasks%", "%[DeleteDlg]Start%", "%[Global]Ver%"})
      EXPECT_EQ(german.find(reference), std::string::npos) << e.section << "/" << e.key << ": " << german;
    if (kExtraDescriptions.count({e.section, e.key})) continue;
    EXPECT_EQ(Placeholders(german), Placeholders(english[i])) << e.section << "/" << e.key;
    EXPECT_EQ(AccessKeys(german), AccessKeys(english[i])) << e.section << "/" << e.key;
  }
  EXPECT_STREQ(TextStore().GetText("Info", "Welcome"),
               "Willkommen bei Karvex.\r\n\r\nUm Dateien oder Ordner zu l\xC3\xB6schen oder Datentr\xC3\xA4ger zu "
               "leeren, klicken Sie auf einen Eintrag der Gruppe Aufgaben.");
  EXPECT_STREQ(TextStore().GetText("Ver", "AboutDlg"), "Version 6.0.2");
}

}  // namespace
