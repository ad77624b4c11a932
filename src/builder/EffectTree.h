// The builder's effect tree: twelve groups and their effect captions, in the
// order the tree shows them. The effect number behind each caption is not
// here: it is read from VantaSaver.001 beside the program (section = group
// caption, key = effect caption).
#pragma once
#include <span>
#include <string_view>

namespace vanta {

struct TEffectGroup {
  std::string_view Caption;
  std::span<const std::string_view> Effects;
};

namespace effect_tree {

inline constexpr std::string_view kArcWiping[] = {
    "Left", "Right", "Up", "Down", "TopLeft", "TopRight", "BottomLeft", "BottomRight", "Round Out", "Round In"};
inline constexpr std::string_view kRegularWiping[] = {
    "Left", "Right", "Up", "Down", "Stretch Left", "Stretch Right", "Scroll Right", "Scroll Left", "Scroll Down",
    "Scroll Up"};
inline constexpr std::string_view kCrossWiping[] = {
    "UpLeft", "UpRight", "DownLeft", "DownRight", "LeftRight", "UpDown", "WindMill"};
inline constexpr std::string_view kSlideWiping[] = {
    "Stretch Left", "Stretch Right", "Extend Left", "Extend Right", "Stretch Up", "Stretch Down", "Extend Up",
    "Extend Down"};
inline constexpr std::string_view kRandomWave[] = {
    "Left", "Right", "Up", "Down", "UpLeft", "UpRight", "DownLeft", "DownRight", "LeftRightUp", "LeftRightDown",
    "UpDownLeft", "UpDownRight", "LeftRight Out", "LeftRight In", "UpDown Out", "UpDown In", "Cross Out",
    "Rectangle In"};
inline constexpr std::string_view kBoxLine[] = {
    "UpLeft", "UpRight", "DownLeft", "DownRight", "UpLeft Flex", "UpRight Flex", "DownLeft Flex", "DownRight Flex",
    "LeftRightUp Flex", "LeftRightDown Flex", "UpDownLeft Flex", "UpDownRight Flex", "Cross Flex", "Alternation"};
inline constexpr std::string_view kSplashShow[] = {"Left", "Right", "Up", "Down"};
inline constexpr std::string_view kSwarmShow[] = {"Left", "Right", "Up", "Down"};
inline constexpr std::string_view kBlindShow[] = {
    "Left Line", "Right Line", "Up Line", "Down Line", "Left Flex", "Right Flex", "Down Flex", "Up Flex", "UpDown",
    "LeftRight Cross"};
inline constexpr std::string_view kExpandShow[] = {
    "LeftRight Out", "LeftRight In", "UpDown Out", "UpDown In", "Extend Four Sides Out", "Extend Four Sides In",
    "LeftRight Cover In", "UpDown Cover In", "Corners Cross In", "Oblong Cross In", "Stretch Cross In",
    "Stretch LeftRight Out", "Stretch LeftRight In", "Stretch Four Sides Out", "Stretch Four Sides In", "Stretch Up",
    "Stretch Down", "Stretch TopLeft", "Stretch TopRight", "Stretch BottomLeft", "Stretch BottomRight",
    "Stretch UpDown In", "Stretch UpDown Out"};
inline constexpr std::string_view kCornerSlide[] = {
    "TopLeft", "TopRight", "BottomLeft", "BottomRight", "Stretch TopLeft", "Stretch TopRight", "Stretch BottomLeft",
    "Stretch BottomRight", "Extend TopLeft", "Extend TopRight", "Extend BottomLeft", "Extend BottomRight",
    "Shrink TopLeft", "Shrink TopRight", "Shrink BottomLeft", "Shrink BottomRight"};
inline constexpr std::string_view kMiscellaneous[] = {"Triangle", "Flash", "Dissolve"};

}  // namespace effect_tree

inline constexpr TEffectGroup kEffectTree[] = {
    {"Arc Wiping", effect_tree::kArcWiping},     {"Regular Wiping", effect_tree::kRegularWiping},
    {"Cross Wiping", effect_tree::kCrossWiping}, {"Slide Wiping", effect_tree::kSlideWiping},
    {"Random Wave", effect_tree::kRandomWave},   {"Box Line", effect_tree::kBoxLine},
    {"Splash Show", effect_tree::kSplashShow},   {"Swarm Show", effect_tree::kSwarmShow},
    {"Blind Show", effect_tree::kBlindShow},     {"Expand Show", effect_tree::kExpandShow},
    {"Corner Slide", effect_tree::kCornerSlide}, {"Miscellaneous", effect_tree::kMiscellaneous},
};

}  // namespace vanta
