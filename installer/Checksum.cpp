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

}  // namespace vanta::build
