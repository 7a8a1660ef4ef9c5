#pragma once
// A class factory for a ComObject class T, whose constructor takes the outer
// IUnknown (null when not aggregated). One static instance per class lives
// as long as the module; holding it keeps the module loaded.
#include <windows.h>

#include <new>

#include "framework/com_module.h"

namespace kx::com {

template <class T>
class ClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    ModuleCount::Lock();
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    ModuleCount::Unlock();
    return 1;
  }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    // An aggregated object must hand its inner IUnknown to the outer one.
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    T* object = new (std::nothrow) T(outer);
    if (!object) return E_OUTOFMEMORY;
    IUnknown* inner = object->Inner();
    inner->AddRef();
    const HRESULT hr = inner->QueryInterface(iid, out);
    inner->Release();  // deletes the object when the interface was refused
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock) {
      ModuleCount::Lock();
    } else {
      ModuleCount::Unlock();
    }
    return S_OK;
  }
};

}  // namespace kx::com
