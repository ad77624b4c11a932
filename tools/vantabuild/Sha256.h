// SHA-256, for the payload's checksum over all packed data and each file's
// own checksum. Ours because the setup links nothing it does not need.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vanta::build {

using TDigest = std::array<uint8_t, 32>;

class TSha256 {
 public:
  TSha256();
  void Update(const void* data, size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  TDigest Finish();  // the object is spent afterwards

 private:
  void Block(const uint8_t* p);
  uint32_t h_[8];
  uint8_t buffer_[64];
  size_t buffered_ = 0;
  uint64_t total_ = 0;
};

TDigest Sha256(std::string_view bytes);
std::string DigestHex(const TDigest& d);

}  // namespace vanta::build
