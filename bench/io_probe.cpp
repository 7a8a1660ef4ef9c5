// Times single file-system calls under Wine, to show where the time of a
// file's destruction goes. Not a test; bench/run does not need it.
//
//   io_probe overwrite <file>   overwrites the file in place several ways
//   io_probe steps <folder>     times each step of a small file's destruction
//                               on the files f0.bin, f1.bin, ... in the folder
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

double Now() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void Overwrite(const char* path, DWORD flags, DWORD chunk, bool positioned, const char* label) {
  static std::vector<char> buffer;
  buffer.assign(1 << 20, '\xFE');
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            flags | FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::printf("%s: cannot open (%lu)\n", label, GetLastError());
    return;
  }
  LARGE_INTEGER size;
  GetFileSizeEx(file, &size);
  const double start = Now();
  uint64_t done = 0;
  while (done < static_cast<uint64_t>(size.QuadPart)) {
    DWORD part = static_cast<DWORD>(std::min<uint64_t>(chunk, size.QuadPart - done));
    DWORD written = 0;
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(done);
    at.OffsetHigh = static_cast<DWORD>(done >> 32);
    WriteFile(file, buffer.data(), part, &written, positioned ? &at : nullptr);
    done += part;
  }
  const double written = Now();
  FlushFileBuffers(file);
  const double flushed = Now();
  CloseHandle(file);
  std::printf("%-44s writes %.3fs flush %.3fs total %.3fs\n", label, written - start,
              flushed - written, flushed - start);
}

template <typename F>
void Step(const char* label, int count, F step) {
  const double start = Now();
  for (int i = 0; i < count; ++i) step(i);
  std::printf("%-44s %8.1f us per file\n", label, (Now() - start) * 1e6 / count);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  if (std::strcmp(argv[1], "overwrite") == 0) {
    const char* path = argv[2];
    Overwrite(path, 0, 0xFE00, true, "buffered, 0xFE00 at offsets");
    Overwrite(path, FILE_FLAG_NO_BUFFERING, 0xFE00, true, "FILE_FLAG_NO_BUFFERING, 0xFE00");
    Overwrite(path, FILE_FLAG_WRITE_THROUGH, 0xFE00, true, "FILE_FLAG_WRITE_THROUGH, 0xFE00");
    Overwrite(path, 0, 0xFE00, false, "buffered, 0xFE00 in sequence");
    Overwrite(path, FILE_FLAG_NO_BUFFERING, 0xFE00, false,
              "FILE_FLAG_NO_BUFFERING, 0xFE00 in sequence");
    Overwrite(path, 0, 0x10000, true, "buffered, 64 KiB");
    Overwrite(path, 0, 1 << 20, true, "buffered, 1 MiB");
    return 0;
  }
  const std::string folder = argv[2];
  std::vector<std::string> files;
  for (int i = 0;; ++i) {
    std::string path = folder + "\\f" + std::to_string(i) + ".bin";
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) break;
    files.push_back(path);
  }
  const int n = static_cast<int>(files.size());
  if (n == 0) return 1;
  std::vector<char> data(4096, '\xFE');
  std::vector<std::string> temps(n);
  Step("GetFileAttributesA", n, [&](int i) { GetFileAttributesA(files[i].c_str()); });
  Step("SetFileAttributesA", n,
       [&](int i) { SetFileAttributesA(files[i].c_str(), FILE_ATTRIBUTE_NORMAL); });
  Step("Wow64 redirection off and on", n, [&](int) {
    void* old = nullptr;
    Wow64DisableWow64FsRedirection(&old);
    Wow64RevertWow64FsRedirection(old);
  });
  Step("CreateFileA + GetFileInformationByHandle + CloseHandle", n, [&](int i) {
    HANDLE f = CreateFileA(files[i].c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, FILE_FLAG_NO_BUFFERING, nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    GetFileInformationByHandle(f, &info);
    CloseHandle(f);
  });
  Step("open, write 4 KiB, close (no flush)", n, [&](int i) {
    HANDLE f = CreateFileA(files[i].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written;
    WriteFile(f, data.data(), 4096, &written, nullptr);
    CloseHandle(f);
  });
  Step("open, write 4 KiB, FlushFileBuffers, close", n, [&](int i) {
    HANDLE f = CreateFileA(files[i].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD written;
    WriteFile(f, data.data(), 4096, &written, nullptr);
    FlushFileBuffers(f);
    CloseHandle(f);
  });
  Step("open, cut to 0, FlushFileBuffers, close", n, [&](int i) {
    HANDLE f = CreateFileA(files[i].c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetEndOfFile(f);
    FlushFileBuffers(f);
    CloseHandle(f);
  });
  Step("GetTempFileNameA + DeleteFileA", n, [&](int i) {
    char temp[MAX_PATH + 1];
    GetTempFileNameA(folder.c_str(), "KX", 0, temp);
    DeleteFileA(temp);
    temps[i] = temp;
  });
  Step("MoveFileA to the temporary name", n,
       [&](int i) { MoveFileA(files[i].c_str(), temps[i].c_str()); });
  Step("DeleteFileA", n, [&](int i) { DeleteFileA(temps[i].c_str()); });
  return 0;
}
