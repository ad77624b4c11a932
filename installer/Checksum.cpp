#include "Checksum.h"

#include <xxhash.h>

#include <new>

namespace vanta::build {

void TXxh3::TFree::operator()(XXH3_state_s* s) const { XXH3_freeState(s); }

TXxh3::TXxh3() : state_(XXH3_createState()) {
  if (!state_ || XXH3_64bits_reset(state_.get()) != XXH_OK) throw std::bad_alloc();
}

void TXxh3::Update(const void* data, size_t size) {
  // Fails only on a null pointer with a size, which a caller never passes.
  if (size > 0) XXH3_64bits_update(state_.get(), data, size);
}

TChecksum TXxh3::Finish() const { return XXH3_64bits_digest(state_.get()); }

TChecksum Xxh3(std::string_view bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

TDigest Sha256(std::string_view bytes) {
  TSha256 h;
  h.Update(bytes);
  return h.Finish();
}

std::string DigestText(const TDigest& d) {
  static const char kHex[] = "0123456789abcdef";
  std::string s;
  for (uint8_t b : d) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

std::optional<TDigest> DigestFromText(std::string_view text) {
  if (text.size() != 64) return std::nullopt;
  TDigest d{};
  for (size_t i = 0; i < 64; ++i) {
    const char c = text[i];
    const int v = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (v < 0) return std::nullopt;
    d[i / 2] = uint8_t(d[i / 2] << 4 | v);
  }
  return d;
}

}  // namespace vanta::build
