#include "setting_dialog/DistributeConfig.h"

#include <algorithm>
#include <array>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {
namespace {

// The sixteen colours every display can show, in 0x00BBGGRR form.
constexpr std::array<TNamedColor, 16> kNamedColors{{
    {0x000000, "Black"},
    {0x000080, "Maroon"},
    {0x008000, "Green"},
    {0x008080, "Olive"},
    {0x800000, "Navy"},
    {0x800080, "Purple"},
    {0x808000, "Teal"},
    {0x808080, "Gray"},
    {0xC0C0C0, "Silver"},
    {0x0000FF, "Red"},
    {0x00FF00, "Lime"},
    {0x00FFFF, "Yellow"},
    {0xFF0000, "Blue"},
    {0xFF00FF, "Fuchsia"},
    {0xFFFF00, "Aqua"},
    {0xFFFFFF, "White"},
}};

}  // namespace

std::span<const TNamedColor> NamedColors() { return kNamedColors; }

std::string CustomColorText(TColor color) {
  return "Custom " + std::to_string(color & 0xFF) + ", " + std::to_string((color >> 8) & 0xFF) + ", " +
         std::to_string((color >> 16) & 0xFF);
}

TColorList ColorListFor(TColor color) {
  TColorList list;
  std::optional<size_t> selected;
  for (const TNamedColor& c : kNamedColors) {
    if (c.Color == color) selected = list.Items.size();
    list.Items.push_back({c.Color, c.Name, false});
  }
  if (!selected) {
    // The colour is kept exactly as loaded, whatever its high byte, so OK
    // without a change writes back the same value.
    selected = list.Items.size();
    list.Items.push_back({color, CustomColorText(color), false});
  }
  list.Items.push_back({0, kOtherColorText, true});
  list.Selected = *selected;
  return list;
}

TSettingControls LoadControls(TSettingControls c, const TSaverSetting& s, const std::string& instanceName,
                              const std::optional<std::string>& readme) {
  c.Author = s.Author;
  c.Website = s.Website;
  c.Title = instanceName;
  if (readme) c.Readme = *readme;
  const TImageSizing sizing = ImageSizingOf(s);
  c.OriginalRadio = sizing == TImageSizing::Original;
  c.FitRadio = sizing == TImageSizing::Fit;
  c.FillRadio = sizing == TImageSizing::Fill;
  c.StretchRadio = sizing == TImageSizing::Stretch;
  c.NormalizeRadio = !s.RandomImage;
  c.RandomizeRadio = s.RandomImage;
  c.Backcolor = s.BackgroundColor;
  c.Interval = kIntervalRange.Clamp(s.ImageInterval);
  c.Speed = kSpeedRange.Clamp(s.EffectSpeed);
  c.Screens = s.MultiScreen;
  c.Motion = static_cast<int32_t>(s.PanZoom);
  c.PlayMusicEnabled = !s.Music.empty();
  c.CaptionEnabled = s.CaptionPosition != cpOff;
  if (c.CaptionEnabled) c.CaptionChecked = !s.ForceHide;
  if (c.PlayMusicEnabled) c.PlayMusicChecked = s.PlayMusic;
  return c;
}

void StoreControls(const TSettingControls& c, TSaverSetting& s) {
  s.BackgroundColor = c.Backcolor;
  s.ImageInterval = kIntervalRange.Clamp(c.Interval);
  SetImageSizing(s, c.FitRadio       ? TImageSizing::Fit
                    : c.FillRadio    ? TImageSizing::Fill
                    : c.StretchRadio ? TImageSizing::Stretch
                                     : TImageSizing::Original);
  s.RandomImage = c.RandomizeRadio;
  s.EffectSpeed = kSpeedRange.Clamp(c.Speed);
  s.PlayMusic = c.PlayMusicChecked;
  s.ForceHide = !c.CaptionChecked;
  s.MultiScreen = MultiScreenOf(c.Screens);
  s.PanZoom = PanZoomOf(c.Motion);
}

std::optional<std::string> ReadReadme(const std::string& installFolder) {
  if (installFolder.empty() || (installFolder.size() == 1 && IsPathDelimiter(installFolder[0])))
    return std::nullopt;
  std::string text;
  if (platform::ReadWholeFile(IncludeTrailingDelimiter(installFolder) + kReadmeName, text, kMaxReadmeBytes) !=
      platform::TReadResult::Ok)
    return std::nullopt;
  return MemoText(text);
}

}  // namespace vanta
