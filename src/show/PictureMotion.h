// The slow pan and zoom of the picture that stands between transitions.
// Each picture gets its own path (a random direction, in or out), drawn
// from a copy of the picture as loaded for the screen; the new picture comes
// in on its first framing, so a transition neither starts nor ends with a
// jump. Frames are paced on the scheduler
// by how far the picture moves on the surface: a small preview draws few.
#pragma once
#include <cstdint>

#include "base/Bitmap.h"
#include "engine/PanZoom.h"
#include "engine/Vantascreen.h"
#include "platform/Scheduler.h"

namespace vanta {

class TPictureMotion {
 public:
  static constexpr uint32_t kRefreshMs = 16;

  TPictureMotion(TVantascreen& surface, platform::IScheduler& scheduler) : surface_(surface), scheduler_(scheduler) {}
  ~TPictureMotion() { Halt(); }
  TPictureMotion(const TPictureMotion&) = delete;
  TPictureMotion& operator=(const TPictureMotion&) = delete;

  // After the surface loaded its next picture: a path for it, and the
  // picture turned into its first framing. Off leaves the picture as loaded
  // and nothing moves.
  void Prepare(TPanZoom strength);
  // The picture stands: move it along its path over `durationMs`.
  void Begin(uint32_t durationMs);
  // A transition is coming: stop drawing (what is on screen stays).
  void Halt();

  bool Moving() const { return timerId_ != 0; }
  uint32_t FrameIntervalMs() const { return intervalMs_; }
  const TPanZoomPath& Path() const { return path_; }

 private:
  void Tick();

  TVantascreen& surface_;
  platform::IScheduler& scheduler_;
  TBitmap24 source_;  // the picture's content as loaded
  TPanZoomPath path_;
  bool ready_ = false;
  uint32_t timerId_ = 0, intervalMs_ = 0, durationMs_ = 0, startTick_ = 0;
};

}  // namespace vanta
