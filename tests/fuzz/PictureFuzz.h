// Shared by the picture fuzz targets: whatever the bytes, a reader returns
// a bitmap within the bound or throws a TPictureError; anything else
// (another exception, a crash, a sanitizer report) is a finding.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta::fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

template <typename Decode>
void Run(Decode decode) {
  try {
    const TBitmap24 b = decode();
    Check(!b.Empty() && b.Width() <= kMaxPictureSide && b.Height() <= kMaxPictureSide);
    Check(b.SizeBytes() <= kMaxPictureBytes);
    // Touch every row: a short buffer shows up under the address sanitizer.
    volatile uint8_t sum = 0;
    for (int y = 0; y < b.Height(); ++y) sum = sum + b.Row(y)[b.Width() * 3 - 1];
  } catch (const TPictureError&) {
  }
}

}  // namespace vanta::fuzz
