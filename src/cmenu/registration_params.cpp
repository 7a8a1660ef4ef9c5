#include "cmenu/registration_params.h"

#include <cstring>
#include <initializer_list>

#include "base/menu_ext_names.h"
#include "base/path_utils.h"

namespace {

// Appends text to out (outSize bytes, terminated); false when it does not fit.
bool Append(char* out, size_t outSize, size_t& used, const char* text) {
  const size_t length = std::strlen(text);
  if (length >= outSize - used) return false;
  std::memcpy(out + used, text, length + 1);
  used += length;
  return true;
}

bool Compose(char* out, size_t outSize, std::initializer_list<const char*> parts) {
  if (out == nullptr || outSize == 0) return false;
  out[0] = '\0';
  size_t used = 0;
  for (const char* part : parts) {
    if (!Append(out, outSize, used, part)) {
      out[0] = '\0';
      return false;
    }
  }
  return true;
}

}  // namespace

const char* ExtensionFileName(bool system64) {
  return system64 ? kExtensionName64 : kExtensionName32;
}

bool ExtensionPathFor(const char* programPath, bool system64, char* out, size_t outSize) {
  if (programPath == nullptr || programPath[0] == '\0') return false;
  if (!Compose(out, outSize, {programPath})) return false;
  if (PathParent(out) && PathJoin(out, outSize, ExtensionFileName(system64)) &&
      QuoteIfNeeded(out, outSize)) {
    return true;
  }
  out[0] = '\0';
  return false;
}

bool RegistrarParameters(bool unregister, const char* dllPath, char* out, size_t outSize) {
  if (dllPath == nullptr || dllPath[0] == '\0') return false;
  return Compose(out, outSize, {" /s ", unregister ? "/u " : "", dllPath});
}

bool ExePathValue(const char* programPath, char* out, size_t outSize) {
  if (programPath == nullptr || programPath[0] == '\0') return false;
  if (Compose(out, outSize, {programPath}) && QuoteIfNeeded(out, outSize)) return true;
  if (outSize > 0) out[0] = '\0';
  return false;
}

void CaptionToRegister(const char* caption, char (&out)[128]) {
  size_t used = 0;
  if (caption != nullptr) {
    // The source may be a full 128-byte buffer without a terminator.
    for (size_t i = 0; i < sizeof out && caption[i] != '\0' && used < kMaxMenuCaption; ++i) {
      if (caption[i] != '"') out[used++] = caption[i];
    }
  }
  out[used] = '\0';
}

bool ElevationParameters(const ContextMenuState& state, char* out, size_t outSize) {
  if (state.enabled == 0) return Compose(out, outSize, {" /UNREGCM"});
  char caption[128];
  CaptionToRegister(state.caption, caption);
  return Compose(out, outSize, {" /REGCM:\"", caption, "\""});
}

int RegistrationExitCode(bool applied, bool lackedRights) {
  if (applied) return 0;
  return lackedRights ? 740 : 1;
}
