// Until the region effects are part of the engine, their numbers compose as
// effect 0 does without a handler: nothing is drawn before p = 100.
#include "engine/RegionEffects.h"

namespace vanta {

bool ComposeRegionEffect(uint8_t, const TFrameGeometry&, const TBitmap24&, TBitmap24&, bool) { return false; }

}  // namespace vanta
