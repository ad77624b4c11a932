#include "Checksum.h"

#include <gtest/gtest.h>

#include <random>

namespace vanta::build {
namespace {

std::string Bytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(gen());
  return s;
}

// The published XXH3_64bits value of no input, seed 0: the library linked
// is XXH3 (natively and in the 32-bit programs alike).
TEST(Checksum, EmptyInputIsTheReferenceValue) {
  EXPECT_EQ(Xxh3(""), 0x2D06800538D394C2ULL);
  EXPECT_EQ(TXxh3().Finish(), 0x2D06800538D394C2ULL);
}

// Pieces in any cut give the one-shot value, across XXH3's length classes
// (up to 16, 128 and 240 bytes, stripes of 64, blocks of 1024).
TEST(Checksum, SplitUpdatesGiveTheOneShotChecksum) {
  const std::string data = Bytes(2200, 5);
  for (size_t length : {0u, 1u, 16u, 17u, 128u, 129u, 240u, 241u, 1023u, 1024u, 1025u, 2200u}) {
    const std::string_view whole(data.data(), length);
    const TChecksum expected = Xxh3(whole);
    for (size_t cut = 0; cut <= length; cut += 1 + length / 40) {
      for (size_t cut2 = cut; cut2 <= length; cut2 += 63) {
        TXxh3 x;
        x.Update(whole.substr(0, cut));
        x.Update(whole.substr(cut, cut2 - cut));
        x.Update(whole.substr(cut2));
        ASSERT_EQ(x.Finish(), expected) << "length " << length << " cuts " << cut << " " << cut2;
      }
    }
  }
}

TEST(Checksum, EveryFlippedBitAndEveryLengthChangesIt) {
  for (size_t n : {7u, 97u, 300u}) {
    const std::string data = Bytes(n, unsigned(n));
    const TChecksum good = Xxh3(data);
    for (size_t i = 0; i < data.size() * 8; ++i) {
      std::string bad = data;
      bad[i / 8] = char(bad[i / 8] ^ (1 << (i % 8)));
      ASSERT_NE(Xxh3(bad), good) << n << " bytes, bit " << i;
    }
    EXPECT_NE(Xxh3(data + '\0'), good) << n;
    EXPECT_NE(Xxh3(std::string_view(data).substr(1)), good) << n;
  }
}

// The published SHA-256 values, whole and in pieces: natively nettle's,
// in the 32-bit programs the system's CNG.
TEST(Checksum, Sha256GivesThePublishedDigests) {
  EXPECT_EQ(DigestText(Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(DigestText(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  const std::string million(1000000, 'a');
  TSha256 h;
  for (size_t at = 0; at < million.size(); at += 999) h.Update(std::string_view(million).substr(at, 999));
  EXPECT_EQ(DigestText(h.Finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
  EXPECT_EQ(DigestFromText(DigestText(Sha256("abc"))), Sha256("abc"));
  EXPECT_EQ(DigestFromText("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"), std::nullopt);
  EXPECT_EQ(DigestFromText("ba78"), std::nullopt);
}

}  // namespace
}  // namespace vanta::build
