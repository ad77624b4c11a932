// The Images page (Win32): the picture list with its buttons and drop
// target, the thumbnail of the selected picture and the small preview that
// runs in its place.
#pragma once
#include <windows.h>

#include <memory>

#include "base/Bitmap.h"
#include "builder/BuilderPage.h"
#include "builder/CheckListView.h"
#include "builder/QELOLEDrop.h"

namespace vanta {

class TRunVantascreen;
namespace platform {
class TWin32SurfaceHost;
}

class TImagesPage final : public TBuilderPageBase {
 public:
  // Posted by a drop: the thumbnail (and the error box of a picture that
  // cannot be shown) after the drop has returned, so the source's drag
  // loop is never held up by the box.
  static constexpr UINT kDroppedPictureMessage = WM_APP + 31;

  // The preview runs on scheduler; shell asks for files and folders.
  TImagesPage(IBuilderFrame& frame, platform::IScheduler& scheduler, platform::IShell& shell);
  ~TImagesPage() override;

  void Write(const TConfigControls& c) override;
  void Dropping() override;
  void Settled() override;

  TQELOLEDrop* DropTarget() const { return drop_.get(); }
  const TBitmap24& Thumbnail() const { return thumbnail_; }
  HWND PreviewWindow() const;
  // The picture panel is painted in the background colour.
  void BackgroundChanged() override;

 protected:
  std::span<const TPlace> Layout() const override;
  std::span<const TAnchor> Anchors() const override;
  void SetUp() override;
  bool Command(int id, int code, HWND control) override;
  INT_PTR PageMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Changed(bool redraw);  // the list was edited: shown again
  void AddClick();
  void AddFolderClick();  // "Add Folder..."
  void ShowCount();       // "N pictures"
  void DropFilesOn(const std::vector<std::string>& names);
  void PreviewClick();
  void DrawThumbnail();
  void BlankThumbnail();
  void HidePreview();
  void DrawPanel(const DRAWITEMSTRUCT& d) const;

  platform::IScheduler& scheduler_;
  platform::IShell& shell_;
  TCheckListView view_;
  TBitmap24 thumbnail_;  // Image1's picture; empty while blank
  SIZE panelSize_{};     // the picture panel's as the last settled size left it
  // Revoked while the list still exists: before the window goes.
  std::unique_ptr<TQELOLEDrop> drop_;
  std::string leftOut_;  // what a folder drop could not add, told once it returned
  // The drivers before the windows they draw on.
  std::unique_ptr<platform::TWin32SurfaceHost> previewHost_;
  std::unique_ptr<TRunVantascreen> previewRunner_;  // ImagePreviewRunner
};

}  // namespace vanta
