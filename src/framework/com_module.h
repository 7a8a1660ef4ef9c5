#pragma once
// The count that decides whether an in-process COM server may be unloaded:
// every live object and every LockServer(TRUE) holds one. Each DLL that links
// this library gets its own count.
#include <windows.h>

#include <atomic>

namespace kx::com {

class ModuleCount {
 public:
  static void Lock() { count_.fetch_add(1, std::memory_order_relaxed); }
  static void Unlock() { count_.fetch_sub(1, std::memory_order_relaxed); }
  static bool InUse() { return count_.load(std::memory_order_relaxed) != 0; }
  // What DllCanUnloadNow answers.
  static HRESULT CanUnloadNow() { return InUse() ? S_FALSE : S_OK; }

 private:
  static inline std::atomic<long> count_{0};
};

}  // namespace kx::com
