#include "lang/text_store.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "lang/lang_file_parser.h"
#include "lang/text_compare.h"

namespace {

constexpr char kGlobalSection[] = "Global";
constexpr size_t kFirstCapacity = 32;
// Expanding one text may first expand the texts it refers to. Real files chain
// a few levels; a hostile one could chain thousands, so deeper references stay
// as written instead of growing the stack.
constexpr int kMaxExpansionDepth = 32;

ActiveLanguageWriter g_activeLanguageWriter = nullptr;

uint32_t HashName(const char* key, size_t keyLength, const char* section, size_t sectionLength) {
  uint32_t hash = 0;
  for (size_t i = 0; i < keyLength; ++i)
    hash = hash * 33 + static_cast<uint32_t>(static_cast<signed char>(AsciiUpper(key[i])));
  for (size_t i = 0; i < sectionLength; ++i)
    hash = hash * 33 + static_cast<uint32_t>(static_cast<signed char>(AsciiUpper(section[i])));
  return hash;
}

void NormaliseSection(const char*& section, size_t& length) {
  if (section == nullptr || length == 0) {
    section = kGlobalSection;
    length = sizeof(kGlobalSection) - 1;
  }
}

bool IsNameBreak(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\\'; }

// A growing byte buffer that reports a failed allocation instead of throwing.
class TextBuilder {
 public:
  TextBuilder() = default;
  ~TextBuilder() { std::free(data_); }
  TextBuilder(const TextBuilder&) = delete;
  TextBuilder& operator=(const TextBuilder&) = delete;

  bool Append(const char* text, size_t length) {
    if (length == 0) return true;
    if (length_ + length > capacity_) {
      size_t capacity = capacity_ ? capacity_ : 64;
      while (capacity < length_ + length) capacity *= 2;
      char* grown = static_cast<char*>(std::realloc(data_, capacity));
      if (grown == nullptr) return false;
      data_ = grown;
      capacity_ = capacity;
    }
    std::memcpy(data_ + length_, text, length);
    length_ += length;
    return true;
  }
  const char* Data() const { return data_ ? data_ : ""; }
  size_t Length() const { return length_; }

 private:
  char* data_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

StoredText& TextOf(MLVCEntry& entry, TextKind kind) {
  return kind == TextKind::Default ? entry.defaultText : entry.languageText;
}
uint8_t& ExpandedFlagOf(MLVCEntry& entry, TextKind kind) {
  return kind == TextKind::Default ? entry.defaultExpanded : entry.languageExpanded;
}

bool AssignDecoded(StoredText& target, const char* text) {
  size_t length = std::strlen(text);
  char* decoded = static_cast<char*>(std::malloc(length + 1));
  if (decoded == nullptr) return false;
  size_t decodedLength = DecodeTextEscapes(text, length, decoded);
  bool ok = target.Assign(decoded, decodedLength);
  std::free(decoded);
  return ok;
}

}  // namespace

// Expands the references of one kind of text. Each text is rebuilt into a new
// buffer in one pass, so the work stays linear in its length however many
// references it holds; the entry keeps its old text until the new one is done.
class TextExpander {
 public:
  TextExpander(const CMLVC& store, TextKind kind) : store_(store), kind_(kind) {}

  void Expand(MLVCEntry& entry, int depth) {
    uint8_t& started = ExpandedFlagOf(entry, kind_);
    if (started) return;
    started = 1;
    StoredText& text = TextOf(entry, kind_);
    if (text.Empty()) return;

    const char* source = text.Get();
    const size_t length = text.Length();
    TextBuilder result;
    size_t copied = 0;  // source[0, copied) is already in result
    size_t pos = 0;
    bool changed = false;
    while (pos < length) {
      const void* found = std::memchr(source + pos, '%', length - pos);
      if (found == nullptr) break;
      size_t open = static_cast<const char*>(found) - source;
      while (open + 1 < length && source[open + 1] == '%') ++open;
      size_t close = open + 1;
      while (close < length && source[close] != '%' && !IsNameBreak(source[close])) ++close;
      if (close >= length) break;
      if (source[close] != '%') {
        pos = close + 1;
        continue;
      }
      size_t replacementLength = 0;
      const char* replacement =
          Resolve(entry, source + open + 1, close - open - 1, depth, replacementLength);
      // Length of the text as it stands, with this reference replaced.
      size_t newLength =
          result.Length() + (length - copied) - (close + 1 - open) + replacementLength;
      if (replacementLength != 0 && newLength <= kMaxTextLength) {
        if (!result.Append(source + copied, open - copied) ||
            !result.Append(replacement, replacementLength))
          return;
        copied = close + 1;
        changed = true;
      }
      pos = close + 1;
    }
    if (!changed) return;
    if (!result.Append(source + copied, length - copied)) return;
    text.Assign(result.Data(), result.Length());
  }

 private:
  const char* Resolve(MLVCEntry& self, const char* name, size_t nameLength, int depth,
                      size_t& resultLength) {
    resultLength = 0;
    MLVCEntry* target = nullptr;
    const void* bracket = name[0] == '[' ? std::memchr(name, ']', nameLength) : nullptr;
    if (bracket != nullptr) {
      const char* sectionEnd = static_cast<const char*>(bracket);
      const char* key = sectionEnd + 1;
      const char* end = name + nameLength;
      while (key < end && *key == ' ') ++key;
      target = store_.FindEntry(key, end - key, name + 1, sectionEnd - (name + 1));
    } else {
      target = store_.FindEntry(name, nameLength, self.section, std::strlen(self.section));
      if (target == nullptr) target = store_.FindEntry(name, nameLength, nullptr, 0);
    }
    if (target == nullptr || target == &self) return nullptr;
    if (target->fixed) {
      resultLength = target->defaultText.Length();
      return target->defaultText.Get();
    }
    if (!ExpandedFlagOf(*target, kind_)) {
      if (depth + 1 >= kMaxExpansionDepth) return nullptr;
      Expand(*target, depth + 1);
    }
    // A text whose expansion is still running (a cycle) lends its text as
    // it was before.
    const StoredText& text = TextOf(*target, kind_);
    resultLength = text.Length();
    return text.Get();
  }

  const CMLVC& store_;
  TextKind kind_;
};

namespace {

// While a job runs, its worker and progress threads may still show a text
// they were handed before the user picked another language. Texts replaced
// meanwhile are kept, and are freed once no job runs.
struct RetiredTexts {
  std::mutex lock;
  unsigned holds = 0;
  std::vector<char*> texts;
};

RetiredTexts& Retired() {
  // Never destroyed, like the store whose texts it keeps.
  static RetiredTexts* retired = new RetiredTexts;
  return *retired;
}

bool TextsHeld() {
  RetiredTexts& retired = Retired();
  std::lock_guard<std::mutex> guard(retired.lock);
  return retired.holds != 0;
}

void Retire(char* text) {
  if (text == nullptr) return;
  RetiredTexts& retired = Retired();
  std::lock_guard<std::mutex> guard(retired.lock);
  if (retired.holds == 0) {
    std::free(text);
    return;
  }
  try {
    retired.texts.push_back(text);
  } catch (...) {
    // Kept for good rather than freed under a reader.
  }
}

}  // namespace

void HoldStoredTexts() {
  RetiredTexts& retired = Retired();
  std::lock_guard<std::mutex> guard(retired.lock);
  ++retired.holds;
}

void ReleaseStoredTexts() {
  std::vector<char*> freed;
  {
    RetiredTexts& retired = Retired();
    std::lock_guard<std::mutex> guard(retired.lock);
    if (retired.holds == 0 || --retired.holds != 0) return;
    freed.swap(retired.texts);
  }
  for (char* text : freed) std::free(text);
}

StoredText::~StoredText() { Retire(data_); }

bool StoredText::Assign(const char* text, size_t length) {
  if (length > kMaxTextLength) return false;
  // A held text is never rewritten in place: a reader would see it change.
  if (length + 1 > capacity_ || TextsHeld()) {
    size_t capacity = kFirstCapacity;
    while (capacity < length + 1) capacity *= 2;
    char* fresh = static_cast<char*>(std::malloc(capacity));
    if (fresh == nullptr) return false;
    // The source may be the old buffer (a text that names itself).
    std::memcpy(fresh, text, length);
    fresh[length] = '\0';
    Retire(data_);
    data_ = fresh;
    capacity_ = capacity;
    length_ = length;
    return true;
  }
  std::memmove(data_, text, length);
  data_[length] = '\0';
  length_ = length;
  return true;
}

void StoredText::Clear() {
  Retire(data_);
  data_ = nullptr;
  length_ = 0;
  capacity_ = 0;
}

MLVCEntry::~MLVCEntry() { std::free(names); }

const char* MLVCEntry::EffectiveText() const {
  const StoredText& first = fixed ? defaultText : languageText;
  const StoredText& second = fixed ? languageText : defaultText;
  if (!first.Empty()) return first.Get();
  if (!second.Empty()) return second.Get();
  return "";
}

CMLVC::~CMLVC() { Reset(); }

void CMLVC::Reset() {
  for (MLVCEntry*& head : buckets_) {
    while (head != nullptr) {
      MLVCEntry* next = head->next;
      delete head;
      head = next;
    }
  }
}

MLVCEntry* CMLVC::FindEntry(const char* key, size_t keyLength, const char* section,
                            size_t sectionLength) const {
  if (key == nullptr || keyLength == 0) return nullptr;
  NormaliseSection(section, sectionLength);
  uint32_t hash = HashName(key, keyLength, section, sectionLength);
  for (MLVCEntry* entry = buckets_[hash % kTextBuckets]; entry; entry = entry->next) {
    if (entry->hash == hash && EqualsNoCase(entry->Key(), key, keyLength) &&
        EqualsNoCase(entry->section, section, sectionLength))
      return entry;
  }
  return nullptr;
}

MLVCEntry* CMLVC::FindEntry(const char* key, const char* section) const {
  if (key == nullptr) return nullptr;
  return FindEntry(key, std::strlen(key), section, section ? std::strlen(section) : 0);
}

MLVCEntry* CMLVC::RegisterText(const char* key, const char* section, const char* languageText,
                               const char* defaultText, bool fixed) {
  bool hasLanguage = languageText != nullptr && languageText[0] != '\0';
  bool hasDefault = defaultText != nullptr && defaultText[0] != '\0';
  if (key == nullptr || key[0] == '\0' || (!hasLanguage && !hasDefault)) return nullptr;

  MLVCEntry* entry = FindEntry(key, section);
  if (entry == nullptr) {
    size_t keyLength = std::strlen(key);
    size_t sectionLength = section ? std::strlen(section) : 0;
    NormaliseSection(section, sectionLength);
    entry = new (std::nothrow) MLVCEntry;
    if (entry == nullptr) return nullptr;
    entry->names = static_cast<char*>(std::malloc(keyLength + sectionLength + 2));
    if (entry->names == nullptr) {
      delete entry;
      return nullptr;
    }
    std::memcpy(entry->names, key, keyLength + 1);
    std::memcpy(entry->names + keyLength + 1, section, sectionLength);
    entry->names[keyLength + 1 + sectionLength] = '\0';
    entry->section = entry->names + keyLength + 1;
    entry->hash = HashName(key, keyLength, section, sectionLength);
    MLVCEntry** tail = &buckets_[entry->hash % kTextBuckets];
    while (*tail != nullptr) tail = &(*tail)->next;
    *tail = entry;
  }
  if (hasLanguage && !entry->fixed) AssignDecoded(entry->languageText, languageText);
  if (hasDefault) AssignDecoded(entry->defaultText, defaultText);
  if (fixed) {
    entry->fixed = 1;
    entry->defaultExpanded = 1;
  }
  return entry;
}

const char* CMLVC::GetText(const char* key, const char* section) const {
  const MLVCEntry* entry = FindEntry(key, section);
  return entry ? entry->EffectiveText() : nullptr;
}

void CMLVC::ExpandAll(TextKind which) {
  TextExpander expander(*this, which);
  for (unsigned bucket = kTextBuckets; bucket-- > 0;)
    for (MLVCEntry* entry = buckets_[bucket]; entry; entry = entry->next)
      expander.Expand(*entry, 0);

  // A translation of "Ver" in section "AboutDlg" may say "%Ver%", meaning the
  // global version; a reference to an entry's own key resolves to nothing, so
  // such a text is pointed at the "Global" entry of that name. Done here,
  // once per load, rather than at lookup: lookups come from worker threads too
  // and must never replace a text that another thread may be showing.
  TextExpander language(*this, TextKind::Language);
  for (unsigned bucket = kTextBuckets; bucket-- > 0;) {
    for (MLVCEntry* entry = buckets_[bucket]; entry; entry = entry->next) {
      if (entry->fixed) continue;
      const char* text = entry->EffectiveText();
      const char* open = std::strchr(text, '%');
      if (open == nullptr) continue;
      const char* close = open + 1;
      while (*close != '\0' && *close != '%' && *close != ' ') ++close;
      if (*close != '%' || close == open + 1) continue;
      size_t nameLength = close - open - 1;
      if (!StartsWithNoCase(entry->Key(), open + 1, nameLength)) continue;

      TextBuilder rewritten;
      static constexpr char kGlobalPrefix[] = "%[Global]";
      if (!rewritten.Append(text, open - text) ||
          !rewritten.Append(kGlobalPrefix, sizeof(kGlobalPrefix) - 1) ||
          !rewritten.Append(open + 1, close + 1 - (open + 1)) ||
          !rewritten.Append(close + 1, std::strlen(close + 1)))
        continue;
      if (!entry->languageText.Assign(rewritten.Data(), rewritten.Length())) continue;
      entry->languageExpanded = 0;
      language.Expand(*entry, 0);
    }
  }
}

void CMLVC::ClearLanguageTexts() {
  for (MLVCEntry* head : buckets_) {
    for (MLVCEntry* entry = head; entry; entry = entry->next) {
      entry->languageText.Clear();
      entry->languageExpanded = 0;
    }
  }
}

void CMLVC::LoadLanguage(const LangFileInput& input) {
  ClearLanguageTexts();
  ParseLangFile(
      input,
      [](void* store, const char* section, const char* key, const char* value) {
        static_cast<CMLVC*>(store)->RegisterText(key, section, value, nullptr, false);
      },
      this);
  ExpandAll(TextKind::Language);
}

bool CMLVC::SaveActiveLanguage(void* rootKey, const char* keyPath, const char* fileName) {
  return g_activeLanguageWriter ? g_activeLanguageWriter(rootKey, keyPath, fileName) : false;
}

void CMLVC::SetActiveLanguageWriter(ActiveLanguageWriter writer) {
  g_activeLanguageWriter = writer;
}

CKX_MLVC& TextStore() {
  // Never destroyed: a job's worker thread may still look up a text while the
  // process runs its exit handlers.
  static CKX_MLVC* store = new CKX_MLVC;
  return *store;
}

const char* LangText(const char* key, const char* section) {
  const char* text = TextStore().GetText(key, section);
  return text ? text : "";
}

size_t DecodeTextEscapes(const char* text, size_t length, char* out) {
  size_t written = 0;
  for (size_t i = 0; i < length; ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < length) {
      char decoded = 0;
      switch (text[i + 1]) {
        case '\\':
          decoded = '\\';
          break;
        case 'r':
          decoded = '\r';
          break;
        case 'n':
          decoded = '\n';
          break;
        case 't':
          decoded = '\t';
          break;
        case '"':
          decoded = '"';
          break;
        case '\'':
          decoded = '\'';
          break;
        default:
          break;
      }
      if (decoded != 0) {
        out[written++] = decoded;
        ++i;
        continue;
      }
    }
    out[written++] = c;
  }
  return written;
}
