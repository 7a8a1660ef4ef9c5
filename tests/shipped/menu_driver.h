#pragma once
// Does with the context-menu extension what Explorer does: creates its
// object, hands it a selection, builds the popup menu and picks the command.
// Shared by the 64-bit tests and the 32-bit host they start, so both widths
// of the extension are driven the same way.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "framework/com.h"
#include "shellext/drop_data_object.h"

namespace kxtest {

const CLSID kMenuExtClsid = {
    0xE181CDB0, 0xFDFD, 0x4C52, {0x99, 0x7D, 0xFD, 0xF4, 0x96, 0xDC, 0xC9, 0xCB}};

// The extension's object straight from its file, as COM makes it from a
// registration; the module stays loaded for the rest of the process.
inline kx::ComPtr<IShellExtInit> ExtensionFromFile(const std::string& dll) {
  kx::ComPtr<IShellExtInit> init;
  HMODULE module = LoadLibraryA(dll.c_str());
  using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = module ? reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(
                                     GetProcAddress(module, "DllGetClassObject")))
                               : nullptr;
  kx::ComPtr<IClassFactory> factory;
  if (getClassObject &&
      SUCCEEDED(getClassObject(kMenuExtClsid, IID_IClassFactory, factory.PutVoid())))
    factory->CreateInstance(nullptr, IID_IShellExtInit, init.PutVoid());
  return init;
}

// What became of one pick of the command.
struct MenuPick {
  std::string itemText;  // the one item the extension added, or empty
  HRESULT invoked = E_FAIL;
};

inline MenuPick PickTheCommand(IShellExtInit* init, const std::vector<std::string>& paths) {
  MenuPick pick;
  kx::ComPtr<IDataObject> selection;
  *selection.Put() = new DropDataObject(DropBytes(paths));
  kx::ComPtr<IContextMenu> menu;
  if (!init || FAILED(init->Initialize(nullptr, selection.Get(), nullptr)) ||
      FAILED(init->QueryInterface(IID_IContextMenu, menu.PutVoid())))
    return pick;
  HMENU popup = CreatePopupMenu();
  if (menu->QueryContextMenu(popup, 0, 1, 10, CMF_NORMAL) == 1) {
    char text[300] = "";
    GetMenuStringA(popup, 1, text, sizeof text, MF_BYCOMMAND);
    pick.itemText = text;
    CMINVOKECOMMANDINFO info = {sizeof info};
    pick.invoked = menu->InvokeCommand(&info);
  }
  DestroyMenu(popup);
  return pick;
}

}  // namespace kxtest
