// Picture files into bitmaps, for the picture surface and for the
// builder's preview. The file's kind follows its extension, upper-cased:
// ".JPG"/".JPEG" (libjpeg), ".PNG" (libspng), ".WEBP" (libwebp), ".HEIC",
// ".HEIF", ".AVIF" (libheif), ".GIF",
// ".BMP", ".ICO" (our readers), ".WMF", ".EMF" (the platform). Pictures
// that can be transparent or have no pixels of their own (PNG, WebP, GIF,
// icons, metafiles) are put on a background colour; JPEG and BMP are taken
// as they are.
//
// Photos come upright: HEIF's own rotation and mirror properties, and the
// Exif orientation of JPEG, PNG and WebP files
// turns the decoded picture (after the JPEG decoder's own scaling) before
// anything else sees it, so the natural size, the shrink, the padding and
// the caption all work on the upright picture.
//
// Pictures larger than a box are shrunk to fit it keeping their shape; the
// surface then pads each picture to the size of the one before it (or to
// its client area), so that a transition over the new picture also covers
// the margins of the old one.
//
// Every refusal is a TPictureError with a message that says why; nothing
// is decoded beyond kMaxPictureSide a side or kMaxPictureBytes.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "base/Bitmap.h"
#include "base/PictureLimits.h"

namespace vanta {

enum class TPictureKind { Unknown, Jpeg, Gif, Bmp, Ico, Wmf, Emf, Png, Webp, Heif };

struct TPictureSize {
  int Width = 0, Height = 0;
  friend constexpr bool operator==(const TPictureSize&, const TPictureSize&) = default;
};

// Picture files larger than this are refused before they are read.
inline constexpr size_t kMaxPictureFileBytes = size_t{256} << 20;

TPictureKind PictureKindOf(std::string_view fileName);

// The size a width x height picture takes when shrunk to fit a box: the
// box's width by Trunc(height / r) with r = width / box width when the
// picture is relatively wider than the box, else Trunc(width / r) by the
// box's height with r = height / box height. A picture that fits, or a box
// with a side below 1, leaves the size as it is. Computed exactly in
// integers (no rounding error can push a whole result below itself); a
// side that would truncate to 0 is kept at 1 pixel.
TPictureSize ShrinkToFitSize(TPictureSize picture, TPictureSize box);

// Scales a bitmap to the given size, averaging the source pixels each
// target pixel covers (the quality a photo needs when it gets smaller).
TBitmap24 ScaleBitmap(const TBitmap24& src, TPictureSize size);

// Reads and decodes a file (steps "read" and "flatten"): the result,
// upright, and the picture's natural size (upright too). With a positive `shrinkBox`, a JPEG that
// will be shrunk into it may be decoded smaller than its natural size (but
// never smaller than it will be shown).
struct TDecodedPicture {
  TBitmap24 Bitmap;
  TPictureSize Natural;
};
TDecodedPicture ReadPictureFile(const std::string& fileName, TColor color, TPictureSize shrinkBox = {});
// The same for bytes already read.
TDecodedPicture DecodePicture(TPictureKind kind, TBytes data, TColor color, TPictureSize shrinkBox = {});

// The builder's loader: the file into `bitmap` on `color`, shrunk to fit
// the box when both its sides are positive. An empty name does nothing.
// Failures are thrown (TPictureError) and leave `bitmap` as it was.
// Returns the picture's natural (upright) size; {0, 0} for an empty name.
TPictureSize LoadPictureToBitmap(TBitmap24& bitmap, const std::string& fileName, int boxWidth, int boxHeight,
                                 TColor color);

// Padding of a loaded picture to the previous picture's size (or to the
// client area with padToClient). `prevSize` is the previous picture's
// unpadded size (none before the first load) and is updated to this one's.
// Returns the rectangle of the picture inside the padded result.
TRect PadPicture(TBitmap24& picture, std::optional<TPictureSize>& prevSize, bool padToClient,
                 TPictureSize client, TColor color);

// What the picture surface hands to LoadPictureFile: its picture state by
// reference, its settings, and its change handling.
struct TPictureSurfaceState {
  TBitmap24& Picture;
  std::optional<TPictureSize>& PrevPicture;  // only the size of the previous picture is ever used
  TRect& ContentRect;
  TColor Color = 0;
  bool ShrinkToFit = false;
  bool PadToClient = false;
  // True when the control takes the picture's size (AutoSize without
  // alignment): the client size must then be read after each change.
  bool SizeFollowsPicture = false;
  std::function<TPictureSize()> ClientSize;
  std::function<void()> Changed;  // raised after every change of Picture
  // With ShrinkToFit: shrink only until the picture covers the client area.
  bool ShrinkToCover = false;
};

// The surface's LoadPicture: read, shrink, remember, pad. Never throws: a
// failure ends the load where it happened and leaves the picture as the
// last completed step left it (a file that cannot be read or decoded
// leaves it untouched). Returns whether the whole load succeeded.
bool LoadPictureFile(const TPictureSurfaceState& surface, const std::string& fileName) noexcept;

}  // namespace vanta
