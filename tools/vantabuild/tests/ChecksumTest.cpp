#include "Checksum.h"

#include <gtest/gtest.h>
#include <zstd.h>

#include <random>

namespace vanta::build {
namespace {

std::string Bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen());
  return s;
}

TEST(Checksum, EmptyInput) { EXPECT_EQ(Xxh64(""), 0xEF46DB3751D8E999ULL); }

// zstd ends a frame with the low 32 bits of the same checksum of its
// content: an independent implementation to agree with, on every length
// class (under and over a stripe, every tail of 0-31 bytes).
TEST(Checksum, AgreesWithZstdFrameChecksums) {
  ZSTD_CCtx* cctx = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(cctx, ZSTD_c_checksumFlag, 1);
  for (size_t n : {0u, 1u, 3u, 4u, 7u, 8u, 15u, 31u, 32u, 33u, 63u, 64u, 65u, 100u, 1000u, 4099u, 100003u}) {
    const std::string in = Bytes(n, unsigned(n));
    std::string frame(ZSTD_compressBound(n), '\0');
    const size_t size = ZSTD_compress2(cctx, frame.data(), frame.size(), in.data(), n);
    ASSERT_FALSE(ZSTD_isError(size));
    uint32_t stored = 0;
    for (int i = 3; i >= 0; --i) stored = stored << 8 | uint8_t(frame[size - 4 + i]);
    EXPECT_EQ(uint32_t(Xxh64(in)), stored) << n << " bytes";
  }
  ZSTD_freeCCtx(cctx);
}

TEST(Checksum, SplitUpdatesGiveTheOneShotChecksum) {
  const std::string data = Bytes(200, 5);
  for (size_t length : {0u, 31u, 32u, 33u, 64u, 100u, 200u}) {
    const std::string_view whole(data.data(), length);
    const TChecksum expected = Xxh64(whole);
    for (size_t cut = 0; cut <= length; ++cut) {
      for (size_t cut2 = cut; cut2 <= length; cut2 += 7) {
        TXxh64 x;
        x.Update(whole.substr(0, cut));
        x.Update(whole.substr(cut, cut2 - cut));
        x.Update(whole.substr(cut2));
        ASSERT_EQ(x.Finish(), expected) << "length " << length << " cuts " << cut << " " << cut2;
      }
    }
  }
}

TEST(Checksum, EveryFlippedBitChangesIt) {
  const std::string data = Bytes(97, 6);
  const TChecksum good = Xxh64(data);
  for (size_t i = 0; i < data.size() * 8; ++i) {
    std::string bad = data;
    bad[i / 8] = char(bad[i / 8] ^ (1 << (i % 8)));
    ASSERT_NE(Xxh64(bad), good) << i;
  }
}

}  // namespace
}  // namespace vanta::build
