#include "setting_dialog/DistributeConfig.h"

#include <algorithm>

#include "base/Text.h"
#include "platform/Files.h"

namespace vanta {

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
