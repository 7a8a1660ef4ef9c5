#pragma once
// The IUnknown half of a COM object without ATL: a reference count, the
// inner (non-delegating) IUnknown that makes the object aggregatable, and a
// QueryInterface that answers from the class's table of interfaces.
//
// A class derives from its interfaces and from ComObject<itself>, puts
// KX_COM_FORWARD_UNKNOWN in its body, and defines
//   static std::span<const kx::com::InterfaceEntry<T>> Interfaces();
// listing every interface it answers besides IUnknown.
#include <windows.h>

#include <atomic>
#include <span>

#include "framework/com_module.h"

namespace kx::com {

template <class T>
struct InterfaceEntry {
  const IID* iid;
  IUnknown* (*cast)(T*);
};

// The table entry for interface I of class T.
template <class T, class I>
constexpr InterfaceEntry<T> Entry(const IID& iid) {
  return {&iid, [](T* object) -> IUnknown* { return static_cast<I*>(object); }};
}

template <class T>
class ComObject {
 public:
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  // The identity of the object when it stands alone; what an aggregating
  // outer object holds when it is aggregated.
  IUnknown* Inner() { return &inner_; }
  // Where the IUnknown methods of every interface go.
  IUnknown* Outer() const { return outer_; }

 protected:
  explicit ComObject(IUnknown* outer) : inner_(*this), outer_(outer ? outer : &inner_) {
    ModuleCount::Lock();
  }
  virtual ~ComObject() { ModuleCount::Unlock(); }

 private:
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(ComObject& owner) : owner_(owner) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
      if (!out) return E_POINTER;
      *out = nullptr;
      IUnknown* found = nullptr;
      if (IsEqualIID(iid, IID_IUnknown)) {
        found = this;
      } else {
        T* self = static_cast<T*>(&owner_);
        for (const InterfaceEntry<T>& entry : T::Interfaces()) {
          if (IsEqualIID(iid, *entry.iid)) {
            found = entry.cast(self);
            break;
          }
        }
      }
      if (!found) return E_NOINTERFACE;
      // An interface other than this one counts on the outer object.
      found->AddRef();
      *out = found;
      return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
      const ULONG left = --refs_;
      if (left == 0) delete &owner_;
      return left;
    }

   private:
    ComObject& owner_;
    std::atomic<ULONG> refs_{0};
  };

  InnerUnknown inner_;
  IUnknown* const outer_;
};

}  // namespace kx::com

// The IUnknown methods that every interface of the class shares.
#define KX_COM_FORWARD_UNKNOWN                                              \
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {           \
    return Outer()->QueryInterface(iid, out);                              \
  }                                                                        \
  STDMETHODIMP_(ULONG) AddRef() override { return Outer()->AddRef(); }     \
  STDMETHODIMP_(ULONG) Release() override { return Outer()->Release(); }
