// Which way up a photo was stored. Cameras store the sensor's rows as they
// came and say in the Exif block (TIFF tag 0x0112 in the first IFD) how to
// turn them: 1 as stored, 2 mirrored left-right, 3 turned half round, 4
// mirrored top-bottom, 5 mirrored along the main diagonal, 6 turned a
// quarter clockwise, 7 mirrored along the other diagonal, 8 turned a
// quarter anticlockwise. A missing, malformed or out-of-range tag counts as
// 1: the picture is shown as stored.
//
// JPEG carries the block in an APP1 segment ("Exif\0\0" then TIFF), PNG in
// its eXIf chunk and WebP in its EXIF chunk (plain TIFF, sometimes with the
// "Exif\0\0" prefix too). Every reader hands the TIFF bytes to
// ExifOrientation; the loader turns the decoded picture with OrientBitmap
// after any decoder scaling, before it is fitted into a box.
#pragma once
#include <string>

#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

inline constexpr int kOrientationAsStored = 1;

// A decoded picture as it was stored, and how to turn it upright.
struct TStoredPicture {
  TBitmap24 Bitmap;
  int Orientation = kOrientationAsStored;
};

// The orientation tag of a TIFF block (both byte orders; an "Exif\0\0"
// prefix is skipped). Never throws: anything unreadable gives 1.
int ExifOrientation(TBytes tiff) noexcept;

// When the photo was taken: DateTimeOriginal (0x9003, in the Exif IFD that
// tag 0x8769 of the first IFD points to) as "YYYY:MM:DD HH:MM:SS", else
// DateTime (0x0132) of the first IFD; empty when neither is readable.
// Never throws.
std::string ExifDateTaken(TBytes tiff) noexcept;
// The TIFF block of a JPEG file's APP1 "Exif" segment, from the bytes
// before its picture data; empty when there is none.
TBytes JpegExifBlock(TBytes jpeg) noexcept;

// Whether the orientation swaps width and height (5 to 8).
constexpr bool OrientationSwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The picture turned upright. Orientation 1 or out of range: unchanged.
TBitmap24 OrientBitmap(TBitmap24 stored, int orientation);

// Turns a picture while it is decoded: the decoder hands over the stored
// rows in order, a strip at a time, and they go straight to their upright
// places, so no stored-size picture is ever made (a sideways 24-megapixel
// photo costs little more than an upright one). Orientations 2 to 8.
class TUprightWriter {
 public:
  TUprightWriter(int storedWidth, int storedHeight, int orientation);
  // Stored rows [first, first + count), `stride` bytes apart.
  void Put(int first, int count, const uint8_t* rows, size_t stride);
  TBitmap24 Take() { return std::move(upright_); }

 private:
  int width_, height_, orientation_;  // of the stored picture
  TBitmap24 upright_;
};

}  // namespace vanta
