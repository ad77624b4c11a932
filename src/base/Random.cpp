#include "base/Random.h"

#include <atomic>
#include <chrono>

namespace vanta {
namespace {
std::atomic<uint32_t> gSeed{0};
}

uint32_t Random(uint32_t n) {
  uint32_t seed = gSeed.load(std::memory_order_relaxed), next;
  do next = seed * 134775813u + 1u;
  while (!gSeed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
  return static_cast<uint32_t>((static_cast<uint64_t>(next) * n) >> 32);
}

void Randomize() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  const auto ticks = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  gSeed = static_cast<uint32_t>(ticks ^ (ticks >> 32));
}

uint32_t RandSeed() { return gSeed; }
void SetRandSeed(uint32_t seed) { gSeed = seed; }

}  // namespace vanta
