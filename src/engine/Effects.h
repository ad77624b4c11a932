// Composing one frame of a transition.
//
// A frame is a pure function of the old picture, the new picture, the
// progress p (0..100), Step, the effect number and the shared random
// generator's state (used only by the region effects). Every frame starts
// again from the old picture, so frames can be drawn in any order. The
// picture surface calls ComposeFrame from DrawFrame; vanta-render and the
// benchmarks call it directly.
//
// Which numbers make which family is the table in base/EffectFamilies.h; the
// region effects' frames are RegionEffects.h. Numbers above 127 draw only
// the old picture.
#pragma once
#include <cstdint>
#include <functional>

#include "base/Bitmap.h"
#include "base/EffectFamilies.h"
#include "engine/RegionEffects.h"

namespace vanta {

// The quantities of one frame for a W x H picture at progress p: the longer
// side is scaled by p and the other follows it.
TFrameGeometry FrameGeometry(int w, int h, int progress, int step);

struct TFrameHooks {
  // Raised once the old picture is on the screen bitmap.
  std::function<void()> BeforeNewFrame;
  // The destination of every intermediate copy, at once after it is made.
  std::function<void(const TRect&)> Invalidate;
  // Effect 0's drawing handler; empty when none is assigned.
  std::function<void()> CustomDraw;
};

struct TFrameResult {
  bool Composed = false;       // false only for numbers outside the table
  TRect Invalid;               // what the frame changed (may reach outside the picture)
  bool ForceComplete = false;  // effect 0 without a handler: the run ends with this frame
};

// Composes the frame into screen, which must have the new picture's size
// (it is given that size when it has another). oldImage has the same size.
TFrameResult ComposeFrame(const TBitmap24& oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress,
                          int step, int style, const TFrameHooks& hooks = {});

// The pixel effects on their own, for tests and benchmarks: screen holds the
// old picture and is changed in place.
void CrossFade(TBitmap24& screen, const TBitmap24& newImage, int progress);
// The same from the old picture into screen (all three of one size), in one pass.
void CrossFadeFrom(const TBitmap24& oldImage, const TBitmap24& newImage, TBitmap24& screen, int progress);
void Rotate(TBitmap24& screen, const TBitmap24& newImage, int progress, int style);

}  // namespace vanta
