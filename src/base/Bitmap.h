// The picture type every layer shares: 24 bits a pixel, three bytes in the order
// blue, green, red, rows top-down and padded to 4 bytes, so that a bitmap
// goes to the screen (SetDIBitsToDevice with a negative height) without a
// copy. No platform code: every effect composes into these.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "base/Types.h"

namespace vanta {

class TBitmap24 {
 public:
  // Larger bitmaps are refused (std::length_error) rather than overflowing
  // a 32-bit size.
  static constexpr size_t kMaxBytes = size_t{1} << 30;

  TBitmap24() = default;
  TBitmap24(int width, int height) { SetSize(width, height); }

  // New size, every pixel black. Negative sizes count as 0.
  void SetSize(int width, int height);
  // New size for a decoder that writes every pixel: the pixels are left as
  // they come (only each row's padding is zeroed), which spares a pass over
  // a picture of hundreds of megabytes.
  void SetSizeForOverwrite(int width, int height);
  void Fill(TColor color);
  void FillRect(const TRect& r, TColor color);  // clipped to the bitmap

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }
  TRect Bounds() const { return {0, 0, width_, height_}; }
  size_t Stride() const { return stride_; }  // bytes per row, a multiple of 4

  uint8_t* Row(int y) { return bits_.data() + static_cast<size_t>(y) * stride_; }
  const uint8_t* Row(int y) const { return bits_.data() + static_cast<size_t>(y) * stride_; }
  uint8_t* Bits() { return bits_.data(); }
  const uint8_t* Bits() const { return bits_.data(); }
  size_t SizeBytes() const { return bits_.size(); }

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Same size and same pixels (padding bytes do not count).
  friend bool operator==(const TBitmap24& a, const TBitmap24& b);

 private:
  // Leaves new bytes uninitialised; SetSize zeroes them itself.
  template <typename T>
  struct TNoInitAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
      using other = TNoInitAllocator<U>;
    };
    template <typename U>
    void construct(U* p) noexcept {
      ::new (static_cast<void*>(p)) U;
    }
    using std::allocator<T>::allocator;
  };

  void Resize(int width, int height);

  int width_ = 0, height_ = 0;
  size_t stride_ = 0;
  std::vector<uint8_t, TNoInitAllocator<uint8_t>> bits_;
};

}  // namespace vanta
