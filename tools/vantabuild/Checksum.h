// XXH64, the payload's checksum of the index and of every file. Its job is
// to catch damage (a broken download, a bad disk) before the setup changes
// anything: an unkeyed checksum in the same file is no defence against
// tampering whatever its strength, since whoever alters the file can
// recompute it; signing is that defence. Every byte of a setup is hashed
// when it is built and when it installs, and this one runs at memory speed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vanta::build {

using TChecksum = uint64_t;

class TXxh64 {
 public:
  TXxh64();
  void Update(const void* data, size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  TChecksum Finish() const;

 private:
  uint64_t lane_[4];
  uint8_t buffer_[32];
  size_t buffered_ = 0;
  uint64_t total_ = 0;
};

TChecksum Xxh64(std::string_view bytes);

}  // namespace vanta::build
