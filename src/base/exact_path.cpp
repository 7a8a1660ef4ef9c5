#include "base/exact_path.h"

namespace {

constexpr std::u16string_view kPrefix = u"\\\\?\\";
constexpr std::u16string_view kUncPrefix = u"\\\\?\\UNC\\";

}  // namespace

std::u16string WithLongPathPrefix(std::u16string_view path) {
  if (path.substr(0, kPrefix.size()) == kPrefix) return std::u16string(path);
  if (path.size() > 2 && path[0] == u'\\' && path[1] == u'\\')
    return std::u16string(kUncPrefix).append(path.substr(2));
  return std::u16string(kPrefix).append(path);
}

std::u16string_view WithoutLongPathPrefix(std::u16string_view path, std::u16string& storage) {
  if (path.substr(0, kUncPrefix.size()) == kUncPrefix) {
    storage = u"\\\\";
    storage.append(path.substr(kUncPrefix.size()));
    return storage;
  }
  if (path.substr(0, kPrefix.size()) == kPrefix) return path.substr(kPrefix.size());
  return path;
}

AnsiPathForm PickAnsiPath(std::u16string_view path, std::u16string_view shortPath,
                          ExactConvert convert, char* out, size_t outSize) {
  if (path.empty() || !convert) return AnsiPathForm::kNone;
  if (convert(path.data(), path.size(), out, outSize)) return AnsiPathForm::kExact;
  std::u16string longStorage, shortStorage;
  const std::u16string_view plainLong = WithoutLongPathPrefix(path, longStorage);
  const std::u16string_view plainShort = WithoutLongPathPrefix(shortPath, shortStorage);
  if (plainShort.empty() || plainShort == plainLong) return AnsiPathForm::kNone;
  if (convert(plainShort.data(), plainShort.size(), out, outSize)) return AnsiPathForm::kShortName;
  return AnsiPathForm::kNone;
}
