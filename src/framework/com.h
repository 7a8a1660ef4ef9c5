#pragma once
// Small COM helpers: an owning interface pointer, memory that COM allocated
// for the caller, and a per-thread COM scope.
#include <objbase.h>

#include "framework/handle.h"

#include <utility>

namespace kx {

// Owns one reference to an interface.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  // For out-parameters: releases what is held first.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

template <typename T>
struct CoTaskMemTraits {
  static T* Invalid() { return nullptr; }
  static void Close(T* p) { CoTaskMemFree(p); }
};
// Memory the system handed over to be freed by the task allocator, as the
// shell's item identifier lists.
template <typename T>
using CoTaskMemPtr = UniqueHandle<T*, CoTaskMemTraits<T>>;

// CoInitializeEx for the scope; uninitialises only when it succeeded.
class ComScope {
 public:
  explicit ComScope(DWORD model = COINIT_APARTMENTTHREADED)
      : hr_(::CoInitializeEx(nullptr, model)) {}
  ~ComScope() {
    if (SUCCEEDED(hr_)) ::CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  HRESULT Result() const { return hr_; }

 private:
  HRESULT hr_;
};

}  // namespace kx
