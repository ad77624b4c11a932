#include "Checksum.h"

#include <cstring>

#if defined(__i386__)
#include <emmintrin.h>
#endif

namespace vanta::build {
namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;

inline uint64_t Rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

// Little-endian whatever the processor; one load where it is that already.
inline uint64_t Read64(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
#else
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return v;
#endif
}

inline uint32_t Read32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

inline uint64_t Round(uint64_t acc, uint64_t input) { return Rotl(acc + input * kPrime2, 31) * kPrime1; }

inline uint64_t Merge(uint64_t acc, uint64_t lane) { return (acc ^ Round(0, lane)) * kPrime1 + kPrime4; }

#if defined(__i386__)
// A 32-bit processor multiplies 64-bit numbers in three steps each; SSE2
// (which every processor Windows still runs on has) takes two lanes at a
// time with the same three steps. The same numbers as Round, two by two.
__attribute__((target("sse2"))) inline __m128i Multiply(__m128i x, uint64_t c) {
  const __m128i low = _mm_set1_epi64x(int64_t(c & 0xFFFFFFFF)), high = _mm_set1_epi64x(int64_t(c >> 32));
  const __m128i cross = _mm_add_epi64(_mm_mul_epu32(_mm_srli_epi64(x, 32), low), _mm_mul_epu32(x, high));
  return _mm_add_epi64(_mm_mul_epu32(x, low), _mm_slli_epi64(cross, 32));
}

__attribute__((target("sse2"))) inline __m128i Round2(__m128i acc, __m128i input) {
  acc = _mm_add_epi64(acc, Multiply(input, kPrime2));
  acc = _mm_or_si128(_mm_slli_epi64(acc, 31), _mm_srli_epi64(acc, 33));
  return Multiply(acc, kPrime1);
}

// Whole stripes of 32 bytes; returns the bytes taken.
__attribute__((target("sse2"))) size_t Stripes(uint64_t* lane, const uint8_t* p, size_t size) {
  __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane));
  __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lane + 2));
  size_t done = 0;
  for (; size - done >= 32; done += 32) {
    a = Round2(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done)));
    b = Round2(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + done + 16)));
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lane), a);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(lane + 2), b);
  return done;
}
#else
size_t Stripes(uint64_t* lane, const uint8_t* p, size_t size) {
  uint64_t v0 = lane[0], v1 = lane[1], v2 = lane[2], v3 = lane[3];
  size_t done = 0;
  for (; size - done >= 32; done += 32) {
    v0 = Round(v0, Read64(p + done));
    v1 = Round(v1, Read64(p + done + 8));
    v2 = Round(v2, Read64(p + done + 16));
    v3 = Round(v3, Read64(p + done + 24));
  }
  lane[0] = v0, lane[1] = v1, lane[2] = v2, lane[3] = v3;
  return done;
}
#endif

}  // namespace

TXxh64::TXxh64() : lane_{kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1} {}

void TXxh64::Update(const void* data, size_t size) {
  const uint8_t* p = static_cast<const uint8_t*>(data);
  total_ += size;
  if (buffered_ > 0) {
    const size_t take = size < 32 - buffered_ ? size : 32 - buffered_;
    std::memcpy(buffer_ + buffered_, p, take);
    buffered_ += take;
    p += take;
    size -= take;
    if (buffered_ < 32) return;
    Stripes(lane_, buffer_, 32);
    buffered_ = 0;
  }
  const size_t done = Stripes(lane_, p, size);
  p += done;
  size -= done;
  std::memcpy(buffer_, p, size);
  buffered_ = size;
}

TChecksum TXxh64::Finish() const {
  uint64_t h;
  if (total_ >= 32) {
    h = Rotl(lane_[0], 1) + Rotl(lane_[1], 7) + Rotl(lane_[2], 12) + Rotl(lane_[3], 18);
    for (uint64_t lane : lane_) h = Merge(h, lane);
  } else {
    h = kPrime5;
  }
  h += total_;
  const uint8_t* p = buffer_;
  size_t n = buffered_;
  for (; n >= 8; p += 8, n -= 8) h = Rotl(h ^ Round(0, Read64(p)), 27) * kPrime1 + kPrime4;
  if (n >= 4) {
    h = Rotl(h ^ (uint64_t(Read32(p)) * kPrime1), 23) * kPrime2 + kPrime3;
    p += 4;
    n -= 4;
  }
  for (; n > 0; ++p, --n) h = Rotl(h ^ (*p * kPrime5), 11) * kPrime1;
  h ^= h >> 33;
  h *= kPrime2;
  h ^= h >> 29;
  h *= kPrime3;
  h ^= h >> 32;
  return h;
}

TChecksum Xxh64(std::string_view bytes) {
  TXxh64 x;
  x.Update(bytes);
  return x.Finish();
}

}  // namespace vanta::build
