// SHA-256 from OpenSSL's libcrypto: natively Debian's (libssl-dev), in the
// Windows programs the same source cross-built (scripts/deps/openssl.sh).
// Both take the CPU's SHA instructions where it has them.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/sha.h>

#include "Checksum.h"

namespace vanta::build {

struct TSha256::TState {
  SHA256_CTX ctx;
};

TSha256::TSha256() : state_(std::make_unique<TState>()) { SHA256_Init(&state_->ctx); }
TSha256::~TSha256() = default;

void TSha256::Update(const void* data, size_t size) { SHA256_Update(&state_->ctx, data, size); }

TDigest TSha256::Finish() {
  TDigest d;
  SHA256_Final(d.data(), &state_->ctx);
  return d;
}

}  // namespace vanta::build
