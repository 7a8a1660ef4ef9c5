// The in-process server entry points of KXMExt.dll / KXMExt64.dll.
#include <windows.h>
#include <olectl.h>

#include "framework/class_factory.h"
#include "framework/com_module.h"
#include "framework/module.h"
#include "shellext/menu_ext.h"
#include "shellext/registration.h"

namespace {

// The module: its one class factory, and whether registration goes to the
// current user ("user" given to DllInstall) for the rest of the process.
class CKXMExtModule {
 public:
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_KXMenuExt)) return CLASS_E_CLASSNOTAVAILABLE;
    return factory_.QueryInterface(iid, out);
  }
  HRESULT Register() { return RegisterExtension(kx::ModuleInstance(), perUser_); }
  HRESULT Unregister() { return UnregisterExtension(kx::ModuleInstance(), perUser_); }
  void SetPerUser() { perUser_ = true; }

 private:
  kx::com::ClassFactory<CKXMenuExt> factory_;
  bool perUser_ = false;
};

CKXMExtModule theModule;

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* out) {
  return theModule.GetClassObject(clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return kx::com::ModuleCount::CanUnloadNow(); }

STDAPI DllRegisterServer() { return theModule.Register(); }

STDAPI DllUnregisterServer() { return theModule.Unregister(); }

STDAPI DllInstall(BOOL install, LPCWSTR commandLine) {
  if (commandLine != nullptr && lstrcmpiW(commandLine, L"user") == 0) theModule.SetPerUser();
  if (!install) return theModule.Unregister();
  const HRESULT hr = theModule.Register();
  if (FAILED(hr)) theModule.Unregister();
  return hr;
}

}  // extern "C"
