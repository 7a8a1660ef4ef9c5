// Another program that holds files open without sharing, for the fault
// campaign: file_holder <ready event> <release event> <file>...
// It opens every file, signals the ready event and keeps them until the
// release event is signalled (or a minute has passed).
#include <windows.h>

#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) return 1;
  std::vector<HANDLE> held;
  for (int i = 3; i < argc; ++i) {
    HANDLE file = CreateFileA(argv[i], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) held.push_back(file);
  }
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
  if (ready) SetEvent(ready);
  if (release) WaitForSingleObject(release, 60000);
  for (HANDLE file : held) CloseHandle(file);
  return 0;
}
