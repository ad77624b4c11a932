// Dropping files from the system's file manager onto a window (Win32):
// TQELOLEDrop registers its target control as an OLE drop target, and its
// TMyDragDrop answers the drag and reads the dropped data. The builder puts
// one on each of its two lists and takes only the dropped files.
//
// Which format decides a drag, which effect answers it and how texts are
// read from the formats' blocks are the portable rules of DropRules.h. The
// effects never let a source move what it dragged: files are copied, as the
// cursor showed. Every storage medium read is released, and the target is
// revoked before it is let go, so the system never calls a freed target.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "builder/DropRules.h"

namespace vanta {

class TMyDragDrop;

// The component's events. Each receives the drop object as its sender.
struct TDropEvents {
  std::function<void(TMyDragDrop& sender, IDataObject* data, DWORD keys, POINTL at, DWORD& effect, HRESULT& result)>
      OnOLEDragEnter;
  std::function<void(TMyDragDrop& sender, HRESULT& result)> OnOLEDragLeave;
  std::function<void(TMyDragDrop& sender, DWORD keys, POINTL at, DWORD& effect, HRESULT& result, TDropType& types)>
      OnOLEDragOver;
  std::function<void(TMyDragDrop& sender, IDataObject* data, DWORD keys, POINTL at, DWORD& effect, HRESULT& result)>
      OnOLEDrop;
  std::function<void(TMyDragDrop& sender, const std::string& url, const std::string& urlScript)> OnDropURL;
  std::function<void(TMyDragDrop& sender, const std::vector<std::string>& fileNames)> OnDropFiles;
  std::function<void(TMyDragDrop& sender, const std::string& url, const std::vector<std::string>& htmlDoc,
                     const std::string& selText)>
      OnDropHTML;
  std::function<void(TMyDragDrop& sender, const std::string& text)> OnDropText;
};

// The OLE drop target: IDropTarget, reference counted, one per component.
class TMyDragDrop final : public IDropTarget {
 public:
  explicit TMyDragDrop(TDropEvents events);
  TMyDragDrop(const TMyDragDrop&) = delete;
  TMyDragDrop& operator=(const TMyDragDrop&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override;
  HRESULT STDMETHODCALLTYPE DragLeave() override;
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override;

  // The kinds the last DragOver found.
  TDropType DropTypes = 0;
  // The component lets go: no event is raised any more.
  void Detach() { events_ = {}; }

 private:
  ~TMyDragDrop();
  bool Offers(TDropFormat format) const;
  std::string FormatText(CLIPFORMAT format) const;  // "" when absent
  bool ReadFormat(CLIPFORMAT format, std::string& block) const;
  std::vector<std::string> DroppedFiles() const;
  CLIPFORMAT FormatOf(TDropFormat format) const;
  void ReleaseData();

  IDataObject* dataObject_ = nullptr;  // held from DragEnter to DragLeave or Drop
  LONG refCount_ = 1;
  std::array<CLIPFORMAT, 5> formats_{};
  std::vector<std::string> fileNames_;
  std::vector<std::string> htmlDoc_;
  TDropEvents events_;
  bool oleStarted_ = false;
};

class TQELOLEDrop {
 public:
  TQELOLEDrop() = default;
  ~TQELOLEDrop();
  TQELOLEDrop(const TQELOLEDrop&) = delete;
  TQELOLEDrop& operator=(const TQELOLEDrop&) = delete;

  // The window that receives the drops, and the events, both taken when
  // the component is loaded: events set later are not seen.
  HWND TargetControl = nullptr;
  TDropEvents Events;
  void Loaded();

  TMyDragDrop* DropTarget() const { return dropTarget_; }
  bool Registered() const { return registered_; }

 private:
  TMyDragDrop* dropTarget_ = nullptr;
  bool registered_ = false;
};

}  // namespace vanta
