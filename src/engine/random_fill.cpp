#include "engine/random_fill.h"

#include <windows.h>
#include <bcrypt.h>
#include <winternl.h>

bool SystemRandom(uint8_t* buffer, uint32_t size) {
  const NTSTATUS status = BCryptGenRandom(nullptr, buffer, size, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  if (NT_SUCCESS(status)) return true;
  const ULONG code = RtlNtStatusToDosError(status);
  SetLastError(code != 0 ? code : ERROR_GEN_FAILURE);
  return false;
}
