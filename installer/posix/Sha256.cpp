// SHA-256 natively: nettle's, which uses the CPU's SHA instructions where
// there are any.
#include <nettle/sha2.h>

#include "../Checksum.h"

namespace vanta::build {

struct TSha256::TState {
  sha256_ctx ctx;
};

TSha256::TSha256() : state_(std::make_unique<TState>()) { sha256_init(&state_->ctx); }
TSha256::~TSha256() = default;

void TSha256::Update(const void* data, size_t size) {
  sha256_update(&state_->ctx, size, static_cast<const uint8_t*>(data));
}

TDigest TSha256::Finish() {
  TDigest d;
  sha256_digest(&state_->ctx, d.size(), d.data());
  return d;
}

}  // namespace vanta::build
