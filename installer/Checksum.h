// What protects what in a setup. A signed setup's .exe is covered by its
// signature, and the .exe holds the index; the index holds a SHA-256 of
// every file's stored bytes, so the data, in the .exe or in the parts that
// travel beside it unsigned, cannot be swapped for other bytes without the
// setup refusing them. The XXH3 checksums (64 bits, from the xxHash
// library: libxxhash-dev natively, the same source cross-built for Windows)
// only catch damage fast: of the index against its tail, and of a packed
// file's unpacked bytes; anyone who alters a file can make them match.
// SHA-256 comes from a well-kept library, OpenSSL's libcrypto: Debian's
// natively, the same source cross-built for Windows. Every stored byte
// goes through both as it is read, once.
#pragma once
#include <cstddef>
#include <cstdint>
#include <array>
#include <memory>
#include <optional>
#include <string>
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

using TDigest = std::array<uint8_t, 32>;

// SHA-256 over pieces given in turn.
class TSha256 {
 public:
  TSha256();
  ~TSha256();
  TSha256(const TSha256&) = delete;
  TSha256& operator=(const TSha256&) = delete;
  void Update(const void* data, size_t size);
  void Update(std::string_view bytes) { Update(bytes.data(), bytes.size()); }
  TDigest Finish();  // once

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

TDigest Sha256(std::string_view bytes);
// Lower-case hexadecimal, and back (nullopt unless exactly 64 such digits).
std::string DigestText(const TDigest& d);
std::optional<TDigest> DigestFromText(std::string_view text);

}  // namespace vanta::build
