// What the "Setting" dialog of a built saver shows and stores, apart from
// its window.
//
// The dialog lets the end user of a built saver change seven settings. The
// window (DistributeConfigFormP, Win32) only moves a TSettingControls in and
// out of its controls; which value each control gets from the settings
// record, the enabled and checked rules, the ranges of the integer editors
// the colour list (forms/ColorList) are decided here, where native tests
// reach them.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "forms/ColorList.h"
#include "settings/SaverSettings.h"

namespace vanta {

// The editors' ranges are the settings' own.
inline constexpr TSpinRange kIntervalRange = SettingRange(&TSaverSetting::ImageInterval);
inline constexpr TSpinRange kSpeedRange = SettingRange(&TSaverSetting::EffectSpeed);

// The states of the dialog's controls. The initial values are the design
// states: black, both "Original size" and "Normalize" checked, both check
// boxes enabled and unchecked.
struct TSettingControls {
  std::string Title;    // TitlePanel
  std::string Author;   // AuthorLabel
  std::string Website;  // WebsiteLabel
  std::string Readme;   // Memo1, lines ending in CR LF
  TColor Backcolor = 0;
  int32_t Interval = kIntervalRange.MinValue;
  int32_t Speed = kSpeedRange.MinValue;
  bool OriginalRadio = true;  // the "Image Size" buttons, one of them checked
  bool FitRadio = false;
  bool FillRadio = false;
  bool StretchRadio = false;
  bool NormalizeRadio = true;
  bool RandomizeRadio = false;
  bool PlayMusicEnabled = true;
  bool PlayMusicChecked = false;
  bool CaptionEnabled = true;
  bool CaptionChecked = false;
  int32_t Screens = msOwnPicture;  // the index of kMultiScreenChoices
  int32_t Motion = 0;              // the index of kPanZoomChoices

  bool operator==(const TSettingControls&) const = default;
};

// The controls as the dialog shows them for setting. The readme replaces
// the memo's text when there is one; without it the memo keeps what it held.
// "Play background music" is usable only when some music was found, and
// "Show Image Caption" only when the caption has a position; a check box
// that is not usable keeps its design state, unchecked.
TSettingControls LoadControls(TSettingControls design, const TSaverSetting& setting,
                              const std::string& instanceName, const std::optional<std::string>& readme);

// Copies the settings the dialog offers (the picture size as its two keys) from the controls into setting;
// the integer editors' values are clamped into their ranges.
void StoreControls(const TSettingControls& controls, TSaverSetting& setting);

// The text of installFolder + "readme.txt" as the memo shows it, or nullopt
// when there is no such file. An unknown install folder (a lone delimiter)
// has no readme: the file in the root of the current drive would belong to
// someone else.
std::optional<std::string> ReadReadme(const std::string& installFolder);
inline constexpr const char* kReadmeName = "readme.txt";
inline constexpr size_t kMaxReadmeBytes = 16u << 20;

}  // namespace vanta
