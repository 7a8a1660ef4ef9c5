#include "shellext/menu_ext.h"

#include <cstring>
#include <new>
#include <string>

#include "base/ansi_text.h"
#include "base/context_menu_state.h"
#include "base/folder_test.h"
#include "base/handoff_block.h"
#include "base/menu_ext_names.h"
#include "base/path_utils.h"
#include "framework/handle.h"
#include "framework/module.h"
#include "shellext/drop_list.h"
#include "shellext/handoff_send.h"
#include "shellext/shellext_ids.h"

namespace {

constexpr UINT kSeparatorId = 0xFFFF;
constexpr DWORD kMaxValueBytes = 260;

// Reads a string value into a 261-byte buffer; empty when it is missing or
// does not fit. Whatever the stored type, the result is terminated.
void ReadStringValue(HKEY key, const char* name, char (&out)[261]) {
  DWORD size = kMaxValueBytes;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(out), &size) !=
          ERROR_SUCCESS ||
      size > kMaxValueBytes) {
    out[0] = '\0';
    return;
  }
  out[size] = '\0';
}

// Only the main program is ever started: a full path (drive or share) whose
// file is called KXer.exe and is an existing file, not a folder.
bool IsMainProgram(const char* path) {
  const bool drive = path[0] != '\0' && path[1] == ':' && path[2] == '\\';
  const bool share = path[0] == '\\' && path[1] == '\\';
  if (!drive && !share) return false;
  if (lstrcmpiA(PathName(path), kMainProgramName) != 0) return false;
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The item is offered for an ordinary menu, for Explorer's tree and for a
// menu without a default; not when only the default verb or only verbs are
// asked for.
bool WantsItem(UINT flags) {
  return (flags & 0x000F) == CMF_NORMAL || (flags & CMF_EXPLORE) != 0 ||
         (flags & CMF_NODEFAULT) != 0;
}

// The program works with file-system redirection off, so a 32-bit host's
// System32 (its SysWOW64) is handed over by the name the program reaches it
// by; a 64-bit host's names are their own.
void AddToBlock(const char* path, void* context) {
  AddHandOffPath(*static_cast<HandOffWriter*>(context), UnredirectedName(path).c_str());
}

}  // namespace

CKXMenuExt::CKXMenuExt(IUnknown* outer) : ComObject(outer) {
  exePath_[0] = '\0';
  caption_[0] = '\0';
  // Systems before version 6 draw menus with the smaller, flatter image.
  const BYTE major = LOBYTE(LOWORD(GetVersion()));
  const WORD bitmap = major < 6 ? IDB_MENU_BROOM13 : IDB_MENU_BROOM15;
  menuBitmap_.Reset(LoadImageA(kx::ModuleInstance(), MAKEINTRESOURCEA(bitmap), IMAGE_BITMAP, 0, 0,
                               LR_CREATEDIBSECTION));
  ReadSettings();
}

CKXMenuExt::~CKXMenuExt() { ReleaseBlock(); }

std::span<const kx::com::InterfaceEntry<CKXMenuExt>> CKXMenuExt::Interfaces() {
  using kx::com::Entry;
  static const kx::com::InterfaceEntry<CKXMenuExt> table[] = {
      Entry<CKXMenuExt, IKXMenuExt>(IID_IKXMenuExt),
      Entry<CKXMenuExt, IShellExtInit>(IID_IShellExtInit),
      Entry<CKXMenuExt, IContextMenu>(IID_IContextMenu),
  };
  return table;
}

// Read at creation, so that a change made by the main program shows at the
// next context menu.
void CKXMenuExt::ReadSettings() {
  kx::RegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, kMenuExtClassKey, 0, KEY_READ, key.Put()) == ERROR_SUCCESS) {
    ReadStringValue(key.Get(), kMenuCaptionValue, caption_);
  }
  // The program to start comes from the machine's registration only: the
  // merged classes view lets any program of the user plant a key of its own
  // above it, which an elevated Explorer would then start.
  kx::RegKey machine;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kMenuExtMachineClassKey, 0, KEY_READ, machine.Put()) ==
      ERROR_SUCCESS) {
    ReadStringValue(machine.Get(), kExePathValue, exePath_);
  }
  // A path stored in quotes names no file either, and so falls through to
  // the program beside the extension.
  if (exePath_[0] != '\0' && !IsMainProgram(exePath_)) exePath_[0] = '\0';
  if (caption_[0] == '\0') std::strcpy(caption_, kDefaultMenuCaption);

  if (exePath_[0] == '\0') {
    char path[261];
    const DWORD n = GetModuleFileNameA(kx::ModuleInstance(), path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    if (!PathParent(path) || !PathJoin(path, sizeof path, kMainProgramName)) return;
    if (IsMainProgram(path)) std::strcpy(exePath_, path);
  }
}

void CKXMenuExt::ReleaseBlock() {
  delete[] block_;
  block_ = nullptr;
  blockSize_ = 0;
  blockCapacity_ = 0;
}

STDMETHODIMP CKXMenuExt::Initialize(PCIDLIST_ABSOLUTE, IDataObject* data, HKEY) {
  if (data == nullptr || exePath_[0] == '\0' || caption_[0] == '\0') return E_FAIL;
  ReleaseBlock();

  FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium = {};
  if (FAILED(data->GetData(&format, &medium))) return E_FAIL;
  kx::ScopeExit releaseMedium([&] { ReleaseStgMedium(&medium); });
  if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr) return E_FAIL;

  const void* drop = GlobalLock(medium.hGlobal);
  if (drop == nullptr) return E_FAIL;
  kx::ScopeExit unlock([&] { GlobalUnlock(medium.hGlobal); });
  const size_t dropSize = GlobalSize(medium.hGlobal);

  const size_t count = CountDropPaths(drop, dropSize);
  if (count == 0) return E_FAIL;
  const size_t capacity = HandOffCapacity(count);
  if (capacity == 0) return E_OUTOFMEMORY;
  uint8_t* block = new (std::nothrow) uint8_t[capacity];
  if (block == nullptr) return E_OUTOFMEMORY;

  POINT cursor = {};
  GetCursorPos(&cursor);
  HandOffWriter writer;
  BeginHandOff(writer, block, capacity, cursor.x, cursor.y);
  // Every selected item is either in the list or counted in the trailer, so
  // that the program can tell the user which part of the selection stays.
  // A selection of which nothing can be handed over still gets its menu item
  // and its block: the program then says so instead of nothing happening.
  const size_t handedOn = ReadDropPaths(drop, dropSize, &ShellPathToAnsi, &AddToBlock, &writer);
  PassOverHandOffItems(writer, handedOn < count ? count - handedOn : 0);
  const size_t size = FinishHandOff(writer);
  if (size == 0) {
    delete[] block;
    return E_FAIL;
  }
  block_ = block;
  blockSize_ = size;
  blockCapacity_ = capacity;
  return S_OK;
}

STDMETHODIMP CKXMenuExt::QueryContextMenu(HMENU menu, UINT index, UINT firstCommand,
                                          UINT lastCommand, UINT flags) {
  if (exePath_[0] == '\0' || caption_[0] == '\0') return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  if (!WantsItem(flags) || firstCommand > lastCommand) return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);

  InsertMenuA(menu, index, MF_BYPOSITION | MF_SEPARATOR, kSeparatorId, nullptr);
  if (!InsertMenuA(menu, index + 1, MF_BYPOSITION | MF_STRING, firstCommand, caption_)) {
    DeleteMenu(menu, index, MF_BYPOSITION);
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0);
  }
  if (menuBitmap_) {
    HBITMAP image = static_cast<HBITMAP>(menuBitmap_.Get());
    SetMenuItemBitmaps(menu, index + 1, MF_BYPOSITION, image, image);
  }
  InsertMenuA(menu, index + 2, MF_BYPOSITION | MF_SEPARATOR, kSeparatorId, nullptr);
  return MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1);
}

// Explorer offers one command, so any offset is ours; a verb given as text
// names no command of this extension. The whole pointer is tested, not just
// its low 32 bits, so that a 64-bit string pointer is never taken for an
// offset.
STDMETHODIMP CKXMenuExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
  if (info == nullptr || !IS_INTRESOURCE(info->lpVerb)) return S_OK;
  SendHandOff(exePath_, block_, blockSize_, blockCapacity_);
  return S_OK;
}

STDMETHODIMP CKXMenuExt::GetCommandString(UINT_PTR, UINT, UINT*, CHAR*, UINT) { return S_OK; }
