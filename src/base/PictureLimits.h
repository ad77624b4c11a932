// What every picture reader shares: the error it throws and the bound on
// what it may decode. A file from anywhere either becomes a bitmap within
// the bound or is refused with a TPictureError that says why; no reader
// allocates before its header has been checked against the bound.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>

namespace vanta {

class TPictureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A decoded picture may be at most this many pixels a side ...
inline constexpr int kMaxPictureSide = 16384;
// ... and take at most this many bytes at 24 bits a pixel. The fuzz
// targets use a smaller bound: a few hundred megabytes allocated and filled
// under the sanitizers cost seconds per input and find nothing new.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
inline constexpr uint64_t kMaxPictureBytes = uint64_t{32} << 20;
#else
inline constexpr uint64_t kMaxPictureBytes = uint64_t{512} << 20;
#endif

// Throws TPictureError unless width x height is a non-empty size within the
// bound. `what` names the reader in the message ("GIF", "BMP" ...).
void CheckPictureSize(int64_t width, int64_t height, const char* what);

[[noreturn]] void RefusePicture(const char* what, const std::string& why);

using TBytes = std::span<const uint8_t>;

// Little-endian field readers on a checked span: reading past the end is a
// refusal ("truncated"), never a read out of bounds.
class TByteReader {
 public:
  TByteReader(TBytes data, const char* what) : data_(data), what_(what) {}
  size_t Pos() const { return pos_; }
  size_t Left() const { return data_.size() - pos_; }
  bool AtEnd() const { return pos_ >= data_.size(); }
  void Seek(size_t pos) {
    if (pos > data_.size()) RefusePicture(what_, "truncated file");
    pos_ = pos;
  }
  void Skip(size_t n) { Seek(Need(n) + n); }
  uint8_t U8() { return data_[Need(1)]; }
  uint16_t U16() {
    const size_t p = Need(2);
    return static_cast<uint16_t>(data_[p] | data_[p + 1] << 8);
  }
  uint32_t U32() {
    const size_t p = Need(4);
    return static_cast<uint32_t>(data_[p]) | static_cast<uint32_t>(data_[p + 1]) << 8 |
           static_cast<uint32_t>(data_[p + 2]) << 16 | static_cast<uint32_t>(data_[p + 3]) << 24;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  TBytes Take(size_t n) {
    const size_t p = Need(n);
    pos_ = p + n;
    return data_.subspan(p, n);
  }

 private:
  // The position of n more bytes, which must exist; advances past them
  // except for Take/Seek which set the position themselves.
  size_t Need(size_t n) {
    if (n > Left()) RefusePicture(what_, "truncated file");
    const size_t p = pos_;
    pos_ += n;
    return p;
  }

  TBytes data_;
  size_t pos_ = 0;
  const char* what_;
};

}  // namespace vanta
