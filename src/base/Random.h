// The one pseudo-random generator of the process.
//
// The show's picture order, its effect choice, the music set and the region
// effects all draw from it, so a frame or a shuffle is reproducible from the
// seed alone. It is a linear congruential generator, and Random(n) is the
// high part of seed * n, which keeps every result in 0..n-1 without modulo
// bias toward small values. Each draw takes one step of the seed at once, so
// frames composed on several animation threads may draw from it together.
#pragma once
#include <cstdint>

namespace vanta {

// 0..n-1; 0 when n is 0. Advances the seed once per call.
uint32_t Random(uint32_t n);

// Seeds from the clock (done when a show, the full-screen window or a music
// list is set up).
void Randomize();

uint32_t RandSeed();
void SetRandSeed(uint32_t seed);

}  // namespace vanta
