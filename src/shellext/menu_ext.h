#pragma once
// The Explorer context-menu extension: one object per context menu that
// Explorer prepares. It reads its two settings when it is created, takes the
// selection in Initialize, adds its one command in QueryContextMenu and hands
// the selection to the main program when the command is picked.
#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "framework/com_object.h"
#include "framework/handle.h"

// {E181CDB0-FDFD-4C52-997D-FDF496DCC9CB}
inline constexpr CLSID CLSID_KXMenuExt = {
    0xE181CDB0, 0xFDFD, 0x4C52, {0x99, 0x7D, 0xFD, 0xF4, 0x96, 0xDC, 0xC9, 0xCB}};
// {2616170F-390A-4895-9348-65E5542E0365}
inline constexpr IID IID_IKXMenuExt = {
    0x2616170F, 0x390A, 0x4895, {0x93, 0x48, 0x65, 0xE5, 0x54, 0x2E, 0x03, 0x65}};
// {06781E52-0A94-40D7-B79E-001579B9AF11}, version 2.0
inline constexpr GUID LIBID_KXMenuExtLib = {
    0x06781E52, 0x0A94, 0x40D7, {0xB7, 0x9E, 0x00, 0x15, 0x79, 0xB9, 0xAF, 0x11}};

// The class's own interface: an identity without methods.
struct IKXMenuExt : public IUnknown {};

class CKXMenuExt final : public IKXMenuExt,
                         public IShellExtInit,
                         public IContextMenu,
                         public kx::com::ComObject<CKXMenuExt> {
 public:
  explicit CKXMenuExt(IUnknown* outer);
  ~CKXMenuExt() override;

  static std::span<const kx::com::InterfaceEntry<CKXMenuExt>> Interfaces();
  KX_COM_FORWARD_UNKNOWN

  // IShellExtInit
  STDMETHODIMP Initialize(PCIDLIST_ABSOLUTE folder, IDataObject* data, HKEY progIdKey) override;
  // IContextMenu
  STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT firstCommand, UINT lastCommand,
                                UINT flags) override;
  STDMETHODIMP InvokeCommand(CMINVOKECOMMANDINFO* info) override;
  STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, CHAR* name,
                                UINT size) override;

 private:
  void ReadSettings();
  void ReleaseBlock();

  char exePath_[261];  // empty: no program to start, no menu item
  char caption_[261];
  kx::GdiObject menuBitmap_;
  uint8_t* block_ = nullptr;
  size_t blockSize_ = 0;      // bytes of block_ that are sent
  size_t blockCapacity_ = 0;  // bytes allocated for block_
};
