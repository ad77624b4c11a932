#include "Sha256.h"

#include <gtest/gtest.h>

namespace vanta::build {
namespace {

struct TVector {
  std::string input;
  const char* digest;
};

// FIPS 180-2 examples and the empty message.
const TVector kVectors[] = {
    {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
};

TEST(Sha256, KnownDigests) {
  for (const TVector& v : kVectors) EXPECT_EQ(DigestHex(Sha256(v.input)), v.digest) << v.input.size() << " bytes";
}

// Lengths around the 55/56/64-byte padding edges, fed in every split.
TEST(Sha256, SplitUpdatesGiveTheOneShotDigest) {
  std::string data;
  for (int i = 0; i < 130; ++i) data += char(i * 7 + 3);
  for (size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 130u}) {
    const std::string_view whole(data.data(), length);
    const TDigest expected = Sha256(whole);
    for (size_t cut = 0; cut <= length; ++cut) {
      TSha256 s;
      s.Update(whole.substr(0, cut));
      s.Update(whole.substr(cut));
      ASSERT_EQ(s.Finish(), expected) << "length " << length << " cut " << cut;
    }
  }
}

}  // namespace
}  // namespace vanta::build
