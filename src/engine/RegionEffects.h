// The seam between the frame composer and the region effects (58..117 and
// 123..127): a frame's region is built from the frame's geometry alone (and
// the shared random generator, drawn in a fixed order), then the new picture
// is copied onto the screen bitmap clipped to it.
#pragma once
#include <cstdint>

#include "base/Bitmap.h"

namespace vanta {

// Quantities of one frame. W and H are the new picture's size; X and Y the
// horizontal and vertical extents at progress p (the longer side scaled by
// p, the other following it); J = MulDiv(max(W, H), Step, 90).
struct TFrameGeometry {
  int W = 0, H = 0;
  int X = 0, Y = 0;
  int J = 0;
  int Progress = 0;  // 0..100
  int Step = 1;      // 1..100
};

// Builds the region of effect `style` for this frame, drawing its random
// numbers, and when drawNew is set copies newImage onto screen clipped to
// it. False (and nothing drawn or drawn from the generator) for a style
// without a region.
bool ComposeRegionEffect(uint8_t style, const TFrameGeometry& g, const TBitmap24& newImage, TBitmap24& screen,
                         bool drawNew);

// The whole frame of a region effect at 0 < p < 100 in one pass: oldImage
// outside the region, newImage inside (all three of one size). Draws the
// same random numbers and gives the same pixels as copying the old picture
// and then ComposeRegionEffect, at the cost of one frame copy.
bool ComposeRegionFrame(uint8_t style, const TFrameGeometry& g, const TBitmap24& oldImage, const TBitmap24& newImage,
                        TBitmap24& screen);

}  // namespace vanta
