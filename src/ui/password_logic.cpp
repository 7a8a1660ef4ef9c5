#include "ui/password_logic.h"

#include <cstring>

#include "base/md5.h"

void DigestPassword(const char* text, size_t length, uint8_t out[kPasswordDigestSize]) {
  if (text == nullptr || length == 0) {
    std::memset(out, 0, kPasswordDigestSize);
    return;
  }
  Md5(text, length, out);
}

bool DigestsEqual(const uint8_t a[kPasswordDigestSize], const uint8_t b[kPasswordDigestSize]) {
  volatile uint8_t difference = 0;
  for (size_t i = 0; i < kPasswordDigestSize; ++i) difference = difference | (a[i] ^ b[i]);
  return difference == 0;
}

void WipeBytes(void* data, size_t size) {
  volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) p[i] = 0;
}

size_t SecretText::Length() const {
  size_t n = 0;
  while (n < sizeof text_ && text_[n] != '\0') ++n;
  return n;
}

bool SecretText::SameAs(const SecretText& other) const {
  const size_t length = Length();
  return length == other.Length() && std::memcmp(text_, other.text_, length) == 0;
}

NewPasswordVerdict CheckNewPassword(const SecretText& password, const SecretText& confirmation) {
  if (!password.SameAs(confirmation)) return NewPasswordVerdict::kNotSame;
  if (password.Empty()) return NewPasswordVerdict::kEmpty;
  return NewPasswordVerdict::kAccept;
}
