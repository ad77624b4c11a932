// Apart from the writer, so that the setup, which only decodes, does not
// take the writer's compressor in with it.
#include <cstring>

#include "Payload.h"

namespace vanta::build {

void TDeltaFilter::Encode(const uint8_t* in, uint8_t* out, size_t size) {
  const size_t d = distance_;
  size_t i = 0;
  for (; i < size && i < d; ++i) out[i] = uint8_t(in[i] - history_[i]);
  for (; i < size; ++i) out[i] = uint8_t(in[i] - in[i - d]);
  if (size >= d) {
    std::memcpy(history_, in + size - d, d);
  } else {
    std::memmove(history_, history_ + size, d - size);
    std::memcpy(history_ + d - size, in, size);
  }
}

void TDeltaFilter::Decode(uint8_t* data, size_t size) {
  const size_t d = distance_;
  size_t i = 0;
  for (; i < size && i < d; ++i) data[i] = uint8_t(data[i] + history_[i]);
  for (; i < size; ++i) data[i] = uint8_t(data[i] + data[i - d]);
  if (size >= d) {
    std::memcpy(history_, data + size - d, d);
  } else {
    std::memmove(history_, history_ + size, d - size);
    std::memcpy(history_ + d - size, data, size);
  }
}

}  // namespace vanta::build
