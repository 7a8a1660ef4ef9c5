// Any bytes as a language file: reading, registering and expanding them must
// stay in bounds, end, and leave every text within its limit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "lang/english_texts.h"
#include "lang_test_support.h"

namespace {

struct Parsed {
  std::vector<std::string> sections, keys;
};

void Check(const char* text) {
  if (text != nullptr && std::strlen(text) > kMaxTextLength) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // A fresh store each time, so that a finding replays on its own.
  TextStore().Reset();
  RegisterEnglishTexts("6.0.2");
  // The first byte picks how many bytes each read answers (0: all at once).
  size_t chunk = data[0] ? data[0] : size;
  std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

  Parsed parsed;
  MemoryFile file{bytes, chunk};
  LangFileInput input;
  input.read = &MemoryFile::Read;
  input.readContext = &file;
  input.toAnsi = &Latin1FromUtf16;
  ParseLangFile(
      input,
      [](void* context, const char* section, const char* key, const char* value) {
        if (std::strlen(section) >= kLangLineBuffer || std::strlen(key) >= kLangLineBuffer ||
            std::strlen(value) >= kLangLineBuffer || key[0] == '\0' || value[0] == '\0')
          std::abort();
        auto* parsed = static_cast<Parsed*>(context);
        parsed->sections.push_back(section);
        parsed->keys.push_back(key);
      },
      &parsed);

  LoadFromMemory(TextStore(), bytes, chunk);
  for (size_t i = 0; i < parsed.keys.size(); ++i) {
    const char* text = TextStore().GetText(parsed.keys[i].c_str(), parsed.sections[i].c_str());
    Check(text);
  }
  Check(TextStore().GetText("Info", "Welcome"));
  Check(TextStore().GetText("Ver", "AboutDlg"));
  if (std::strcmp(TextStore().GetText("Name", nullptr), "Karvex") != 0) std::abort();
  return 0;
}
