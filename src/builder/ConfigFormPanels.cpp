// The builder's panels: the picture list's thumbnail and preview, the
// other panels' background, the caption font's sample.
#include <windows.h>

#include <exception>
#include <string>

#include "builder/ConfigFormP.h"
#include "builder/ConfigFormRes.h"
#include "engine/PictureLoader.h"
#include "platform/win32/PictureDrawing.h"
#include "platform/win32/Win32SurfaceHost.h"
#include "saver/FullscreenFormP.h"
#include "show/RunVantascreen.h"

namespace vanta {

void TVantaConfigForm::HideImagePreview() {
  if (!imagePreviewRunner_) return;
  try {
    imagePreviewRunner_->Surface().Stop();
  } catch (...) {
  }
  // Hidden, it shows nothing: no picture is loaded until it shows again.
  imagePreviewRunner_->SetShowTimerEnabled(false);
  ShowWindow(imagePreviewHost_->Window(), SW_HIDE);
}

void TVantaConfigForm::DropPreviews() {
  qelOLEDrop1_.reset();
  qelOLEDrop2_.reset();
  // The drivers before the windows they draw on.
  imagePreviewRunner_.reset();
  imagePreviewHost_.reset();
  effectPreviewRunner_.reset();
  effectPreviewHost_.reset();
  fullscreen_.reset();
}

void TVantaConfigForm::DrawThumbnail() {
  HideImagePreview();
  thumbnail_ = {};
  InvalidateRect(Control(IDC_FSPANEL), nullptr, FALSE);
  if (!imageList_.HasSelection()) return;
  RECT box;
  GetClientRect(Control(IDC_FSPANEL), &box);
  const std::string& file = imageList_.Items[imageList_.Selected].Text;
  try {
    LoadPictureToBitmap(thumbnail_, file, box.right, box.bottom, backcolorCb_.Color());
  } catch (const std::exception& e) {
    // The panel stays blank rather than show the picture before it.
    thumbnail_ = {};
    Fail("The picture \"" + file + "\" cannot be shown.\n\n" + e.what());
  }
}

void TVantaConfigForm::BlankThumbnail() {
  HideImagePreview();
  thumbnail_ = {};
  InvalidateRect(Control(IDC_FSPANEL), nullptr, FALSE);
}

void TVantaConfigForm::DrawPanel(const DRAWITEMSTRUCT& d) const {
  // The other panels are only the background until a preview covers them.
  static const TBitmap24 kNone;
  platform::DrawPictureCentered(d.hDC, d.rcItem, d.CtlID == IDC_FSPANEL ? thumbnail_ : kNone, backcolorCb_.Color());
}

void TVantaConfigForm::DrawFontSample(const DRAWITEMSTRUCT& d) const {
  HBRUSH brush = CreateSolidBrush(backcolorCb_.Color() & 0xFFFFFF);
  FillRect(d.hDC, &d.rcItem, brush);
  DeleteObject(brush);
  HGDIOBJ old = SelectObject(d.hDC, sampleFont_);
  SetBkMode(d.hDC, TRANSPARENT);
  SetTextColor(d.hDC, fontSample_.Color & 0xFFFFFF);
  RECT r = d.rcItem;
  DrawTextA(d.hDC, "Sample", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(d.hDC, old);
}

}  // namespace vanta
