#pragma once
// The text store: every text the user sees, looked up by (key, section).
//
// Each entry holds the built-in English default and the text of the active
// language file. Callers ask for a text with
//
//     const char* text = TextStore().GetText("Prepare", "Global");
//
// and treat a null answer (unknown key) as "". The pointer stays valid until
// the next language load, or while texts are held (HoldStoredTexts) until
// the last release. Texts are bytes in the system's ANSI code page.
//
// Pure logic: no windows.h here, so the store builds and is tested natively.
#include <cstddef>
#include <cstdint>

// A stored text holds at most this many bytes; a change that would make it
// longer fails and leaves the text as it was.
constexpr size_t kMaxTextLength = 32767;
constexpr unsigned kTextBuckets = 128;

// Which of an entry's two texts an operation works on.
enum class TextKind { Default, Language };

// An owned, zero-terminated heap text whose capacity starts at 32 bytes and
// doubles until the text fits.
class StoredText {
 public:
  StoredText() = default;
  ~StoredText();
  StoredText(const StoredText&) = delete;
  StoredText& operator=(const StoredText&) = delete;

  // False (text unchanged) when longer than kMaxTextLength or out of memory.
  bool Assign(const char* text, size_t length);
  void Clear();
  bool Empty() const { return length_ == 0; }
  size_t Length() const { return length_; }
  // Null when nothing was ever stored.
  const char* Get() const { return data_; }

 private:
  char* data_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

struct MLVCEntry {
  MLVCEntry() = default;
  ~MLVCEntry();
  MLVCEntry(const MLVCEntry&) = delete;
  MLVCEntry& operator=(const MLVCEntry&) = delete;

  // Set when reference expansion of that text has started (also stops cycles).
  uint8_t languageExpanded = 0;
  uint8_t defaultExpanded = 0;
  StoredText languageText;
  StoredText defaultText;
  // The default is authoritative: a language file cannot replace it.
  uint8_t fixed = 0;
  MLVCEntry* next = nullptr;
  uint32_t hash = 0;
  const char* section = nullptr;  // points into names
  char* names = nullptr;          // key, '\0', section, '\0'

  const char* Key() const { return names; }
  // The language text, or the default when that is empty; for a fixed entry
  // the other way round. Never null.
  const char* EffectiveText() const;
};

// Reads up to `capacity` bytes into `buffer`; returns how many, 0 at the end
// of the input or on a read failure.
using ByteSourceFn = size_t (*)(void* context, void* buffer, size_t capacity);
// Converts `units` UTF-16 units into the ANSI code page, writing at most
// `outCapacity` bytes (no terminator needed); returns the byte count, 0 when
// the line cannot be converted.
using WideToAnsiFn = size_t (*)(void* context, const char16_t* text, size_t units, char* out,
                                size_t outCapacity);

// Where a language file comes from: a byte stream and a line converter for
// UTF-16 files.
struct LangFileInput {
  ByteSourceFn read = nullptr;
  void* readContext = nullptr;
  WideToAnsiFn toAnsi = nullptr;
  void* toAnsiContext = nullptr;
};

// Writes or deletes the remembered language file name under a registry key.
using ActiveLanguageWriter = bool (*)(void* rootKey, const char* keyPath, const char* fileName);

class CMLVC {
 public:
  CMLVC() = default;
  virtual ~CMLVC();
  CMLVC(const CMLVC&) = delete;
  CMLVC& operator=(const CMLVC&) = delete;

  // Finds or creates the entry of (key, section) (null or "" section means
  // "Global"). A given language text replaces the entry's language text
  // unless the entry is fixed; a given default replaces the default; both
  // have their escapes decoded. `fixed` makes the entry fixed for good.
  // Null when the key is empty, both texts are absent or empty, or memory
  // runs out.
  MLVCEntry* RegisterText(const char* key, const char* section, const char* languageText,
                          const char* defaultText, bool fixed);
  // Case-insensitive on key and section; null when not found.
  MLVCEntry* FindEntry(const char* key, const char* section) const;
  // The effective text of (key, section) with its references expanded; null
  // when there is no such entry. Never changes the store, so worker threads
  // may call it.
  const char* GetText(const char* key, const char* section) const;

  // Expands "%Key%" and "%[Section]Key%" references in one kind of text of
  // every entry, then lets texts that name their own key show the "Global"
  // entry of that name.
  void ExpandAll(TextKind which);
  // Empties every language text; entries stay.
  void ClearLanguageTexts();
  // Clears the language texts, streams one language file through `input`,
  // registers its entries as language texts and expands them.
  void LoadLanguage(const LangFileInput& input);

  // Windows program only (defined in lang_file_list.cpp): open the file for
  // reading without sharing and LoadLanguage it; false when it cannot be
  // opened (the language texts are cleared anyway).
  bool LoadLanguageFile(const char* path);
  // Windows program only: loads the selected list entry's file, or else the
  // one the registry remembers; false when nothing was loaded.
  bool LoadActiveLanguage();

  // Writes the value "Active" (file name present and not empty) or deletes
  // it, under rootKey (an HKEY) and keyPath. False only when the key cannot
  // be opened or created. The registry work is done by the writer that the
  // Windows program installs; without one this answers false.
  virtual bool SaveActiveLanguage(void* rootKey, const char* keyPath, const char* fileName);
  static void SetActiveLanguageWriter(ActiveLanguageWriter writer);

  // Frees every entry: for tests that need an empty store.
  void Reset();

 private:
  friend class TextExpander;
  MLVCEntry* FindEntry(const char* key, size_t keyLength, const char* section,
                       size_t sectionLength) const;

  MLVCEntry* buckets_[kTextBuckets] = {};
};

class CKX_MLVC : public CMLVC {};

// The process-wide store.
CKX_MLVC& TextStore();

// A text of the active language from the process-wide store; "" for an
// unknown key, so that a missing translation shows as an empty text.
const char* LangText(const char* key, const char* section = "Global");

// While held (once per running job), texts that a language load or a change
// replaces stay allocated and unchanged, so a pointer handed to a worker or
// progress thread stays readable; the last release frees them. Both may be
// called from any thread.
void HoldStoredTexts();
void ReleaseStoredTexts();

// Decodes \\ \r \n \t \" \' in place of their two characters; any other
// backslash stays. Writes at most `length` bytes to `out` and returns the new
// length (never longer than the input).
size_t DecodeTextEscapes(const char* text, size_t length, char* out);
