#include "engine/file_streams.h"

#include "engine/handle_ops.h"
#include "framework/handle.h"

namespace engine {

namespace {

using FindFirstStream = HANDLE(WINAPI*)(LPCWSTR, STREAM_INFO_LEVELS, LPVOID, DWORD);
using FindNextStream = BOOL(WINAPI*)(HANDLE, LPVOID);

// A stream name as the listing gives it: ":name:$DATA".
bool IsNamedDataStream(const wchar_t* name) {
  const std::wstring text(name);
  const std::wstring suffix = L":$DATA";
  return text.size() > suffix.size() + 1 && text[0] == L':' && text[1] != L':' &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

bool StreamsUnsupported(DWORD code) {
  return code == ERROR_CALL_NOT_IMPLEMENTED || code == ERROR_NOT_SUPPORTED ||
         code == ERROR_INVALID_FUNCTION || code == ERROR_INVALID_PARAMETER ||
         code == ERROR_PROC_NOT_FOUND;
}

DWORD StreamAccess::List(const std::wstring& file, std::vector<std::wstring>& streams,
                         bool& guessed) {
  streams.clear();
  guessed = false;
  // Not there before Windows Server 2003 and Vista; looked up rather than
  // linked so that the program still starts there.
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto first = kernel ? reinterpret_cast<FindFirstStream>(reinterpret_cast<void*>(
                                  GetProcAddress(kernel, "FindFirstStreamW")))
                            : nullptr;
  const auto next = kernel ? reinterpret_cast<FindNextStream>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "FindNextStreamW")))
                           : nullptr;
  DWORD code = ERROR_PROC_NOT_FOUND;
  if (first && next) {
    WIN32_FIND_STREAM_DATA data;
    kx::FindHandle find(
        Unredirected([&] { return first(file.c_str(), FindStreamInfoStandard, &data, 0); }));
    if (find) {
      do {
        if (IsNamedDataStream(data.cStreamName)) streams.emplace_back(data.cStreamName);
      } while (next(find.Get(), &data));
      code = GetLastError();
      return code == ERROR_HANDLE_EOF ? ERROR_SUCCESS : LastErrorOr(ERROR_READ_FAULT);
    }
    code = LastErrorOr(ERROR_READ_FAULT);
  }
  // Not even the main stream listed (a volume without streams, and Wine,
  // say so): the listing tells nothing.
  if (!StreamsUnsupported(code) && code != ERROR_HANDLE_EOF) return code;
  // Without its type: file systems that take stream names but not types
  // find it all the same.
  streams.emplace_back(L":Zone.Identifier");
  guessed = true;
  return ERROR_SUCCESS;
}

HANDLE StreamAccess::Open(const std::wstring& file, const std::wstring& stream) {
  const std::wstring path = file + stream;
  return Unredirected([&] {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                       nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  });
}

bool StreamAccess::SameFile(HANDLE file, HANDLE stream) {
  return IdentityOf(file) == IdentityOf(stream);
}

}  // namespace engine
