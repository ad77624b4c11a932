// The payload's checksum of the index and of every file: XXH3, 64 bits, from
// the xxHash library (libxxhash-dev natively, the same source cross-built
// for Windows). Its job is to catch damage (a broken download, a bad disk)
// before the setup changes anything: an unkeyed checksum in the same file is
// no defence against tampering whatever its strength, since whoever alters
// the file can recompute it; signing is that defence. Every byte of a setup
// is hashed when it is built and when it installs: XXH3 runs at memory speed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

struct XXH3_state_s;

namespace vanta::build {

using TChecksum = uint64_t;

// XXH3_64bits over pieces given in turn.
class TXxh3 {
 public:
  TXxh3();
  void Update(const void* data, size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  TChecksum Finish() const;

 private:
  struct TFree {
    void operator()(XXH3_state_s* s) const;
  };
  std::unique_ptr<XXH3_state_s, TFree> state_;
};

TChecksum Xxh3(std::string_view bytes);

}  // namespace vanta::build
