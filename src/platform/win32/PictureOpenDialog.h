// The picture-open dialog's preview: the system's explorer-style open dialog
// with our template beside its file list (PictureOpenDialog.rc) and a hook
// that draws the selected file's thumbnail through the reader the request
// gives (upright, on the background colour, as the builder's thumbnail
// panel) and names its size in pixels. A file that cannot be shown leaves the preview
// blank: no message while the user browses.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "base/Bitmap.h"
#include "platform/Shell.h"

namespace vanta::platform {

// Control IDs of the template.
inline constexpr int kPreviewPictureId = 0x5A01;
inline constexpr int kPreviewSizeId = 0x5A02;
inline constexpr int kPreviewLabelId = 0x5A03;
inline constexpr const char* kPictureOpenTemplate = "VANTAPICTUREOPEN";

// Lives while the dialog runs; the hook finds it through lCustData.
struct TPicturePreviewState {
  TColor Background = 0;
  TPicturePreview Draw;
  TBitmap24 Thumbnail;  // empty: nothing shown
  std::string SizeText;
};

// Adds the template and the hook to an open dialog's structure.
void AttachPicturePreview(OPENFILENAMEA& ofn, TPicturePreviewState& state);

}  // namespace vanta::platform
