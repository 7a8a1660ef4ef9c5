#pragma once
// What the password prompt and the password panel decide without a window:
// the digest that is kept instead of the password, its comparison, and the
// buffer that holds a typed password only as long as it is needed.
#include <cstddef>
#include <cstdint>

constexpr size_t kPasswordDigestSize = 16;
// Both password fields take at most this many characters.
constexpr int kMaxPasswordLength = 32;

// MD5 of the password's bytes as typed (no terminator, no salt); an empty
// password gives sixteen zero bytes, which stand for "no password".
void DigestPassword(const char* text, size_t length, uint8_t out[kPasswordDigestSize]);

// Compares all sixteen bytes whatever they hold, so the time taken does not
// tell how many leading bytes of a guess were right.
bool DigestsEqual(const uint8_t a[kPasswordDigestSize], const uint8_t b[kPasswordDigestSize]);

// Overwrites memory with zeros in a way the compiler may not drop as a dead
// store.
void WipeBytes(void* data, size_t size);

// A typed password: a fixed buffer, never copied, wiped when it goes.
class SecretText {
 public:
  SecretText() = default;
  ~SecretText() { Wipe(); }
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;

  char* Buffer() { return text_; }
  // Room for the longest password, its terminator and one byte to tell a
  // longer text from a full one.
  static constexpr int kCapacity = kMaxPasswordLength + 2;
  const char* Text() const { return text_; }
  size_t Length() const;
  bool Empty() const { return text_[0] == '\0'; }
  bool SameAs(const SecretText& other) const;
  void Digest(uint8_t out[kPasswordDigestSize]) const { DigestPassword(text_, Length(), out); }
  void Wipe() { WipeBytes(text_, sizeof text_); }

 private:
  char text_[kCapacity] = {};
};

// What OK of the password panel does with the two fields.
enum class NewPasswordVerdict { kAccept, kNotSame, kEmpty };
NewPasswordVerdict CheckNewPassword(const SecretText& password, const SecretText& confirmation);

// OK of the panel: removing needs nothing typed, setting a new password
// needs the first field (the confirmation is checked on OK).
inline bool SetPassOkEnabled(bool remove, bool newFieldEmpty) { return remove || !newFieldEmpty; }
