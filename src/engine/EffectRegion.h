// The clip region of each region effect (58..117 and 123..127), built from
// the frame's geometry alone. Effects with random edges draw from the shared
// generator in a fixed order, so a frame follows from the generator's seed.
#pragma once
#include <cstdint>

#include "engine/RegionBuilder.h"
#include "engine/RegionEffects.h"

namespace vanta {

bool HasEffectRegion(uint8_t style);

// The frame's region, clipped to (0, 0, W, H). False, with an empty region
// and no numbers drawn, for a style without a region.
bool BuildEffectRegion(uint8_t style, const TFrameGeometry& g, TRegion& region);

}  // namespace vanta
