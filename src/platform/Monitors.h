// The monitors of the desktop, as the full-screen show lays itself out on
// them: each monitor's rectangle in virtual-screen pixels (the primary's
// top-left is 0,0; others may lie at negative coordinates) and which one is
// the primary. Windows asks the system each time; natively a fixed list
// (platform/headless/FixedMonitors.h) that a test changes to play a display
// change.
#pragma once
#include <vector>

#include "base/Rect.h"

namespace vanta::platform {

struct TMonitor {
  TRect Area;
  bool Primary = false;
  friend bool operator==(const TMonitor&, const TMonitor&) = default;
};

class IMonitors {
 public:
  virtual ~IMonitors() = default;
  // The monitors now, as the system reports them (unchecked); none when
  // they cannot be enumerated.
  virtual std::vector<TMonitor> List() = 0;
  // The primary screen's rectangle, for when no monitor can be had.
  virtual TRect PrimaryScreen() = 0;
};

}  // namespace vanta::platform
