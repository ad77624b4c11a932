// What each caption of the effect tree promises: a kind of motion and where
// it happens. EffectTableTest checks every promise on composed frames.
#pragma once
#include <string_view>

namespace vanta::test {

// Where a motion starts (bits): the edges, the corners, the vertical and the
// horizontal centre line, the centre. For the enlarging kinds, which cover
// the screen at once, it is what the picture shrinks onto instead.
enum TWhere : unsigned {
  kL = 1, kR = 2, kT = 4, kB = 8,
  kTL = 16, kTR = 32, kBL = 64, kBR = 128,
  kVMid = 256, kHMid = 512, kMid = 1024,
};
inline constexpr unsigned kEdges = kL | kR | kT | kB, kCorners = kTL | kTR | kBL | kBR;

enum class TKind {
  Wipe,      // uncovered in place, straight fronts
  Scroll,    // moves in at true size
  Squeeze,   // the whole picture squeezed into what grows
  Zoom,      // covers the screen enlarged and shrinks onto its anchor
  Smear,     // uncovered in place; ahead of the front a strip stretched to the far edge
  Fold,      // uncovered in place; ahead of the front a mirrored fold
  Arc,       // curved front
  Diagonal,  // straight slanted fronts
  Wave,      // ragged front, new every frame
  Band,      // stripes five pixels wide
  Swarm,     // front with loose blocks ahead, new every frame
  Turn,      // swings in about a corner
  Grid,      // small triangles growing in every cell of a grid
  Flash,     // the two pictures mixed
  Dissolve,  // squares scattered over the whole picture
};

// Stripes come in two sets; the second set follows the first the same way,
// comes back from the other side, or there is no second pass.
enum class TPass { None, Same, Back };

struct TPromise {
  std::string_view Group, Caption;
  TKind Kind;
  unsigned Where;
  TPass Second = TPass::None;
};

using enum TKind;
inline constexpr TPromise kPromises[] = {
    {"Arc Wiping", "Left", Arc, kR},
    {"Arc Wiping", "Right", Arc, kL},
    {"Arc Wiping", "Up", Arc, kB},
    {"Arc Wiping", "Down", Arc, kT},
    {"Arc Wiping", "TopLeft", Arc, kBR},
    {"Arc Wiping", "TopRight", Arc, kBL},
    {"Arc Wiping", "BottomLeft", Arc, kTR},
    {"Arc Wiping", "BottomRight", Arc, kTL},
    {"Arc Wiping", "Round Out", Arc, kMid},
    {"Arc Wiping", "Round In", Arc, kCorners},

    {"Regular Wiping", "Left", Wipe, kR},
    {"Regular Wiping", "Right", Wipe, kL},
    {"Regular Wiping", "Up", Wipe, kB},
    {"Regular Wiping", "Down", Wipe, kT},
    {"Regular Wiping", "Stretch Left", Squeeze, kR},
    {"Regular Wiping", "Stretch Right", Squeeze, kL},
    {"Regular Wiping", "Scroll Right", Scroll, kL},
    {"Regular Wiping", "Scroll Left", Scroll, kR},
    {"Regular Wiping", "Scroll Down", Scroll, kT},
    {"Regular Wiping", "Scroll Up", Scroll, kB},

    {"Cross Wiping", "UpLeft", Diagonal, kBR},
    {"Cross Wiping", "UpRight", Diagonal, kBL},
    {"Cross Wiping", "DownLeft", Diagonal, kTR},
    {"Cross Wiping", "DownRight", Diagonal, kTL},
    {"Cross Wiping", "LeftRight", Diagonal, kL | kR},
    {"Cross Wiping", "UpDown", Diagonal, kT | kB},
    {"Cross Wiping", "WindMill", Diagonal, kCorners | kMid},  // four blades about the centre

    {"Slide Wiping", "Stretch Left", Smear, kR},
    {"Slide Wiping", "Stretch Right", Smear, kL},
    {"Slide Wiping", "Extend Left", Fold, kR},
    {"Slide Wiping", "Extend Right", Fold, kL},
    {"Slide Wiping", "Stretch Up", Smear, kB},
    {"Slide Wiping", "Stretch Down", Smear, kT},
    {"Slide Wiping", "Extend Up", Fold, kB},
    {"Slide Wiping", "Extend Down", Fold, kT},

    // Two directions: two fronts at once, each from its own edge.
    {"Random Wave", "Left", Wave, kR},
    {"Random Wave", "Right", Wave, kL},
    {"Random Wave", "Up", Wave, kB},
    {"Random Wave", "Down", Wave, kT},
    {"Random Wave", "UpLeft", Wave, kR | kB},
    {"Random Wave", "UpRight", Wave, kL | kB},
    {"Random Wave", "DownLeft", Wave, kR | kT},
    {"Random Wave", "DownRight", Wave, kL | kT},
    {"Random Wave", "LeftRightUp", Wave, kVMid | kB},
    {"Random Wave", "LeftRightDown", Wave, kVMid | kT},
    {"Random Wave", "UpDownLeft", Wave, kHMid | kR},
    {"Random Wave", "UpDownRight", Wave, kHMid | kL},
    {"Random Wave", "LeftRight Out", Wave, kVMid},
    {"Random Wave", "LeftRight In", Wave, kL | kR},
    {"Random Wave", "UpDown Out", Wave, kHMid},
    {"Random Wave", "UpDown In", Wave, kT | kB},
    {"Random Wave", "Cross Out", Wave, kVMid | kHMid},
    {"Random Wave", "Rectangle In", Wave, kEdges},

    {"Box Line", "UpLeft", Band, kR | kB, TPass::Same},
    {"Box Line", "UpRight", Band, kL | kB, TPass::Same},
    {"Box Line", "DownLeft", Band, kR | kT, TPass::Same},
    {"Box Line", "DownRight", Band, kL | kT, TPass::Same},
    {"Box Line", "UpLeft Flex", Band, kR | kB, TPass::Back},
    {"Box Line", "UpRight Flex", Band, kL | kB, TPass::Back},
    {"Box Line", "DownLeft Flex", Band, kR | kT, TPass::Back},
    {"Box Line", "DownRight Flex", Band, kL | kT, TPass::Back},
    // "LeftRight" and "UpDown" stripes: from both sides at once.
    {"Box Line", "LeftRightUp Flex", Band, kL | kR | kB},
    {"Box Line", "LeftRightDown Flex", Band, kL | kR | kT},
    {"Box Line", "UpDownLeft Flex", Band, kT | kB | kR},
    {"Box Line", "UpDownRight Flex", Band, kT | kB | kL},
    {"Box Line", "Cross Flex", Band, kEdges},
    {"Box Line", "Alternation", Band, kTR | kBL},  // checks where two opposite corners' stripes meet

    {"Splash Show", "Left", Turn, kR},
    {"Splash Show", "Right", Turn, kL},
    {"Splash Show", "Up", Turn, kB},
    {"Splash Show", "Down", Turn, kT},

    {"Swarm Show", "Left", Swarm, kR},
    {"Swarm Show", "Right", Swarm, kL},
    {"Swarm Show", "Up", Swarm, kB},
    {"Swarm Show", "Down", Swarm, kT},

    {"Blind Show", "Left Line", Band, kR, TPass::Same},
    {"Blind Show", "Right Line", Band, kL, TPass::Same},
    {"Blind Show", "Up Line", Band, kB, TPass::Same},
    {"Blind Show", "Down Line", Band, kT, TPass::Same},
    {"Blind Show", "Left Flex", Band, kR, TPass::Back},
    {"Blind Show", "Right Flex", Band, kL, TPass::Back},
    {"Blind Show", "Down Flex", Band, kT, TPass::Back},
    {"Blind Show", "Up Flex", Band, kB, TPass::Back},
    {"Blind Show", "UpDown", Band, kT | kB},
    {"Blind Show", "LeftRight Cross", Band, kL | kR},

    {"Expand Show", "LeftRight Out", Wipe, kVMid},
    {"Expand Show", "LeftRight In", Wipe, kL | kR},
    {"Expand Show", "UpDown Out", Wipe, kHMid},
    {"Expand Show", "UpDown In", Wipe, kT | kB},
    {"Expand Show", "Extend Four Sides Out", Wipe, kMid},
    {"Expand Show", "Extend Four Sides In", Wipe, kEdges},
    {"Expand Show", "LeftRight Cover In", Zoom, kVMid},
    {"Expand Show", "UpDown Cover In", Zoom, kHMid},
    {"Expand Show", "Corners Cross In", Wipe, kCorners},
    {"Expand Show", "Oblong Cross In", Scroll, kEdges},  // the quarters, each from its own side
    {"Expand Show", "Stretch Cross In", Squeeze, kCorners},
    {"Expand Show", "Stretch LeftRight Out", Squeeze, kVMid},
    {"Expand Show", "Stretch LeftRight In", Squeeze, kL | kR},
    {"Expand Show", "Stretch Four Sides Out", Squeeze, kMid},
    {"Expand Show", "Stretch Four Sides In", Zoom, kMid},
    {"Expand Show", "Stretch Up", Squeeze, kB},
    {"Expand Show", "Stretch Down", Squeeze, kT},
    // Every corner effect belongs to Corner Slide: these four shrink onto
    // one edge of their corner, going round: left, top, right, bottom.
    {"Expand Show", "Stretch TopLeft", Zoom, kL},
    {"Expand Show", "Stretch TopRight", Zoom, kT},
    {"Expand Show", "Stretch BottomRight", Zoom, kR},
    {"Expand Show", "Stretch BottomLeft", Zoom, kB},
    {"Expand Show", "Stretch UpDown In", Squeeze, kT | kB},
    {"Expand Show", "Stretch UpDown Out", Squeeze, kHMid},

    {"Corner Slide", "TopLeft", Scroll, kBR},
    {"Corner Slide", "TopRight", Scroll, kBL},
    {"Corner Slide", "BottomLeft", Scroll, kTR},
    {"Corner Slide", "BottomRight", Scroll, kTL},
    {"Corner Slide", "Stretch TopLeft", Squeeze, kBR},
    {"Corner Slide", "Stretch TopRight", Squeeze, kBL},
    {"Corner Slide", "Stretch BottomLeft", Squeeze, kTR},
    {"Corner Slide", "Stretch BottomRight", Squeeze, kTL},
    {"Corner Slide", "Extend TopLeft", Wipe, kBR},
    {"Corner Slide", "Extend TopRight", Wipe, kBL},
    {"Corner Slide", "Extend BottomLeft", Wipe, kTR},
    {"Corner Slide", "Extend BottomRight", Wipe, kTL},
    {"Corner Slide", "Shrink TopLeft", Zoom, kTL},
    {"Corner Slide", "Shrink TopRight", Zoom, kTR},
    {"Corner Slide", "Shrink BottomLeft", Zoom, kBL},
    {"Corner Slide", "Shrink BottomRight", Zoom, kBR},

    {"Miscellaneous", "Triangle", Grid, 0},
    {"Miscellaneous", "Flash", Flash, 0},
    {"Miscellaneous", "Dissolve", Dissolve, 0},
};

}  // namespace vanta::test
