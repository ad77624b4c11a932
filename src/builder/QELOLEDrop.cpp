#include "builder/QELOLEDrop.h"

#include <shellapi.h>

#include <utility>

namespace vanta {
namespace {

// Every format is asked for as an HGLOBAL of its content.
FORMATETC FormatEtc(CLIPFORMAT format) { return {format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}; }

std::string Utf8(const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

TMyDragDrop::TMyDragDrop(TDropEvents events) : events_(std::move(events)) {
  fileNames_.reserve(16);
  const HRESULT ole = OleInitialize(nullptr);
  oleStarted_ = SUCCEEDED(ole);  // S_FALSE too: each start is matched by an end
  for (size_t i = 0; i < formats_.size(); ++i)
    formats_[i] = static_cast<CLIPFORMAT>(RegisterClipboardFormatA(kRegisteredFormatNames[i]));
}

TMyDragDrop::~TMyDragDrop() {
  ReleaseData();
  if (oleStarted_) OleUninitialize();
}

HRESULT STDMETHODCALLTYPE TMyDragDrop::QueryInterface(REFIID id, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(id, IID_IDropTarget) || IsEqualIID(id, IID_IUnknown)) {
    *object = static_cast<IDropTarget*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE TMyDragDrop::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }

ULONG STDMETHODCALLTYPE TMyDragDrop::Release() {
  const LONG count = InterlockedDecrement(&refCount_);
  if (count == 0) delete this;
  return static_cast<ULONG>(count);
}

CLIPFORMAT TMyDragDrop::FormatOf(TDropFormat f) const {
  switch (f) {
    case TDropFormat::Text: return CF_TEXT;
    case TDropFormat::Dib: return CF_DIB;
    case TDropFormat::HDrop: return CF_HDROP;
    default: return formats_[static_cast<size_t>(f)];
  }
}

bool TMyDragDrop::ReadFormat(CLIPFORMAT format, std::string& block) const {
  if (!dataObject_) return false;
  FORMATETC fe = FormatEtc(format);
  STGMEDIUM medium{};
  if (dataObject_->GetData(&fe, &medium) != S_OK) return false;
  bool read = false;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    if (const void* p = GlobalLock(medium.hGlobal)) {
      block.assign(static_cast<const char*>(p), GlobalSize(medium.hGlobal));
      GlobalUnlock(medium.hGlobal);
      read = true;
    }
  }
  ReleaseStgMedium(&medium);
  return read;
}

bool TMyDragDrop::Offers(TDropFormat format) const {
  // Asked as the data would be read; an error counts as the format missing.
  std::string ignored;
  return ReadFormat(FormatOf(format), ignored);
}

std::string TMyDragDrop::FormatText(CLIPFORMAT format) const {
  std::string block;
  return ReadFormat(format, block) ? BlockText(block) : std::string();
}

std::vector<std::string> TMyDragDrop::DroppedFiles() const {
  std::vector<std::string> names;
  if (!dataObject_) return names;
  FORMATETC fe = FormatEtc(CF_HDROP);
  STGMEDIUM medium{};
  if (dataObject_->GetData(&fe, &medium) != S_OK) return names;
  if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
    HDROP drop = static_cast<HDROP>(medium.hGlobal);
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
      // Each name whole, however long: a cut name would be another file.
      std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
      name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
      names.push_back(Utf8(name));
    }
  }
  ReleaseStgMedium(&medium);
  return names;
}

void TMyDragDrop::ReleaseData() {
  if (dataObject_) dataObject_->Release();
  dataObject_ = nullptr;
}

HRESULT STDMETHODCALLTYPE TMyDragDrop::DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
  try {
    HRESULT result = S_OK;
    if (events_.OnOLEDragEnter) events_.OnOLEDragEnter(*this, data, keys, at, *effect, result);
    if (result != S_OK) return result;
    ReleaseData();
    if (data) data->AddRef();
    dataObject_ = data;
    // The cursor tells at once what a drop would do, as DragOver will, and
    // a drop before any move delivers what this drag holds.
    const TDragAnswer answer = AnswerDrag([this](TDropFormat f) { return Offers(f); }, *effect);
    *effect = answer.Effect;
    DropTypes = answer.Kinds;
    return S_OK;
  } catch (...) {
    return E_UNEXPECTED;  // nothing may unwind into the system's drag loop
  }
}

HRESULT STDMETHODCALLTYPE TMyDragDrop::DragOver(DWORD keys, POINTL at, DWORD* effect) {
  try {
    DropTypes = 0;
    const TDragAnswer answer = AnswerDrag([this](TDropFormat f) { return Offers(f); }, *effect);
    *effect = answer.Effect;
    if (!answer.Known) return S_FALSE;
    DropTypes = answer.Kinds;
    HRESULT result = S_OK;
    if (events_.OnOLEDragOver) events_.OnOLEDragOver(*this, keys, at, *effect, result, DropTypes);
    return result;
  } catch (...) {
    *effect = DROPEFFECT_NONE;
    return E_UNEXPECTED;
  }
}

HRESULT STDMETHODCALLTYPE TMyDragDrop::DragLeave() {
  ReleaseData();
  HRESULT result = S_OK;
  try {
    if (events_.OnOLEDragLeave) events_.OnOLEDragLeave(*this, result);
  } catch (...) {
    result = E_UNEXPECTED;
  }
  return result;
}

HRESULT STDMETHODCALLTYPE TMyDragDrop::Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) {
  HRESULT result = S_OK;
  const DWORD allowed = *effect;
  try {
    if (!dataObject_ && data) {  // a drop the system did not announce
      data->AddRef();
      dataObject_ = data;
    }
    if (events_.OnOLEDrop) events_.OnOLEDrop(*this, data, keys, at, *effect, result);
    // What the source is told: the effect a drag of these kinds answers, never
    // a move; and a drop it is told "none" takes nothing.
    *effect = AnswerDrag([this](TDropFormat f) { return Offers(f); }, allowed).Effect;
    if (*effect == DROPEFFECT_NONE) DropTypes = 0;
    if ((DropTypes & dkText) && events_.OnDropText) events_.OnDropText(*this, FormatText(CF_TEXT));
    if ((DropTypes & dkUrl) && events_.OnDropURL) {
      std::string address = FormatText(FormatOf(TDropFormat::Url));
      if (address.empty()) address = FormatText(FormatOf(TDropFormat::NetscapeBookmark));
      std::string descriptor;
      const std::string name =
          ReadFormat(FormatOf(TDropFormat::FileGroupDescriptor), descriptor) ? DescriptorFileName(descriptor) : "";
      events_.OnDropURL(*this, address, name);
    }
    if ((DropTypes & dkFiles) && events_.OnDropFiles) {
      fileNames_ = DroppedFiles();
      events_.OnDropFiles(*this, fileNames_);
    }
    if ((DropTypes & dkHtml) && events_.OnDropHTML) {
      const std::string selection = FormatText(CF_TEXT);
      std::string html;
      if (ReadFormat(FormatOf(TDropFormat::Html), html)) htmlDoc_ = SplitLines(BlockText(html));
      events_.OnDropHTML(*this, HtmlSourceAddress(htmlDoc_), htmlDoc_, selection);
    }
  } catch (...) {
    result = E_UNEXPECTED;
  }
  ReleaseData();
  return result;
}

TQELOLEDrop::~TQELOLEDrop() {
  // Revoked first, so that the system lets go of the target before we do.
  if (registered_) RevokeDragDrop(TargetControl);
  if (dropTarget_) {
    dropTarget_->Detach();
    dropTarget_->Release();
  }
}

void TQELOLEDrop::Loaded() {
  if (!TargetControl || dropTarget_) return;
  dropTarget_ = new TMyDragDrop(Events);
  // A window that cannot be registered simply receives no drops.
  registered_ = SUCCEEDED(RegisterDragDrop(TargetControl, dropTarget_));
}

}  // namespace vanta
