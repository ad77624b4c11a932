// Resampling for pictures that move while they are shown: a window of the
// source, in fractional pixels, drawn into a rectangle of the destination.
// Shrinking averages the area that each target pixel covers (a tent as wide
// as the target pixel), so a slow zoom out does not shimmer; enlarging
// interpolates bilinearly. A window of
// the rectangle's own size at whole-pixel offsets copies the pixels exactly,
// so a picture standing still looks as it did before it could move.
//
// Separable and in fixed point: a horizontal pass over the source rows that
// the target rows need, then a vertical pass. The weight tables and the
// intermediate rows are kept between frames.
#pragma once
#include <cstdint>
#include <vector>

#include "base/Bitmap.h"
#include "base/Rect.h"

namespace vanta {

// A part of a picture in its own pixel coordinates (right and bottom
// exclusive, as rectangles are). Parts outside the picture repeat its edge.
struct TSourceWindow {
  double Left = 0, Top = 0, Right = 0, Bottom = 0;
  double Width() const { return Right - Left; }
  double Height() const { return Bottom - Top; }
  friend constexpr bool operator==(const TSourceWindow&, const TSourceWindow&) = default;
};

// The weights of one axis: target pixel i reads source pixels First[i] ..
// First[i] + Count[i] - 1 with Weights[i * Taps ..], which add up to
// kWeightOne exactly.
struct TResampleAxis {
  static constexpr int kWeightBits = 14;
  static constexpr int32_t kWeightOne = 1 << kWeightBits;
  std::vector<int32_t> First, Count;
  std::vector<int16_t> Weights;
  int Taps = 0;
};

// Weights for `targetCount` pixels over [from, to) of an axis of
// `sourceCount` pixels.
TResampleAxis MakeResampleAxis(double from, double to, int targetCount, int sourceCount);

class TResampler {
 public:
  // Draws `window` of `src` into `target` of `dst` (clipped to dst). An empty
  // source or window draws nothing.
  void Draw(TBitmap24& dst, const TRect& target, const TBitmap24& src, const TSourceWindow& window);

 private:
  void ResampleRow(const uint8_t* in, uint8_t* out, int x0, int x1) const;

  TResampleAxis columns_, rows_;
  std::vector<uint8_t> across_;  // the horizontal pass, one row per source row needed
  std::vector<int32_t> acc_;
};

}  // namespace vanta
