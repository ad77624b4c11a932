// A picture drawn centred in a rectangle on its background colour: the
// builder's thumbnail panel and the picture-open dialog's preview draw the
// same way.
#pragma once
#include <windows.h>

#include "base/Bitmap.h"

namespace vanta::platform {

inline void DrawPictureCentered(HDC dc, const RECT& r, const TBitmap24& picture, TColor background) {
  HBRUSH brush = CreateSolidBrush(background & 0xFFFFFF);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (picture.Empty()) return;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = picture.Width();
  bi.bmiHeader.biHeight = -picture.Height();  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  bi.bmiHeader.biCompression = BI_RGB;
  const int x = (r.right - r.left - picture.Width()) / 2;
  const int y = (r.bottom - r.top - picture.Height()) / 2;
  SetDIBitsToDevice(dc, r.left + x, r.top + y, picture.Width(), picture.Height(), 0, 0, 0, picture.Height(),
                    picture.Bits(), &bi, DIB_RGB_COLORS);
}

}  // namespace vanta::platform
