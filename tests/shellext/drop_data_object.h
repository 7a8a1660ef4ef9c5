#pragma once
// A minimal data object that offers a file list as CF_HDROP, the way
// Explorer hands a selection to a context-menu extension.
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace kxtest {

// The bytes of a CF_HDROP list: the 20-byte header and the paths, each with
// its NUL, closed by an empty string.
inline std::vector<unsigned char> DropBytes(const std::vector<std::string>& paths) {
  std::vector<unsigned char> bytes(sizeof(DROPFILES));
  for (const std::string& path : paths) bytes.insert(bytes.end(), path.c_str(), path.c_str() + path.size() + 1);
  bytes.push_back(0);
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes;
}

inline std::vector<unsigned char> DropBytes(const std::vector<std::wstring>& paths) {
  std::vector<unsigned char> bytes(sizeof(DROPFILES));
  auto put = [&](wchar_t c) {
    bytes.push_back(static_cast<unsigned char>(c & 0xFF));
    bytes.push_back(static_cast<unsigned char>(c >> 8));
  };
  for (const std::wstring& path : paths) {
    for (wchar_t c : path) put(c);
    put(0);
  }
  put(0);
  DROPFILES header = {};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  std::memcpy(bytes.data(), &header, sizeof header);
  return bytes;
}

class DropDataObject final : public IDataObject {
 public:
  explicit DropDataObject(std::vector<unsigned char> drop) : drop_(std::move(drop)) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDataObject)) return E_NOINTERFACE;
    AddRef();
    *out = static_cast<IDataObject*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, drop_.size());
    if (!copy) return E_OUTOFMEMORY;
    std::memcpy(GlobalLock(copy), drop_.data(), drop_.size());
    GlobalUnlock(copy);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = copy;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  STDMETHODIMP QueryGetData(FORMATETC* format) override {
    if (!format) return E_INVALIDARG;
    return format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK
                                                                            : DV_E_FORMATETC;
  }
  STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  ~DropDataObject() = default;
  std::vector<unsigned char> drop_;
  std::atomic<ULONG> refs_{1};
};

}  // namespace kxtest
