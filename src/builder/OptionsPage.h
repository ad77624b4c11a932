// The Options page (Win32): four sub-pages under a tab control (the
// picture and its caption, music, effects, how a show ends), each control
// carrying one setting, the caption font's sample and the colour list.
#pragma once
#include <windows.h>

#include <string_view>

#include "builder/BuilderPage.h"
#include "forms/ColorCombo.h"
#include "forms/PageHost.h"

namespace vanta {

class TOptionsPage final : public TBuilderPageBase {
 public:
  static constexpr TSpinRange kCaptionRange = SettingRange(&TSaverSetting::CaptionX);
  static constexpr TSpinRange kIntervalRange = SettingRange(&TSaverSetting::ImageInterval);

  // shell: the font and colour dialogs.
  TOptionsPage(IBuilderFrame& frame, platform::IShell& shell);
  ~TOptionsPage() override;

  void Write(const TConfigControls& c) override;
  void Read(TConfigControls& c) const override;
  void Reopened() override;
  void BackgroundChanged() override;

 protected:
  std::vector<std::pair<int, int>> SubPages() const override;
  std::span<const TPlace> Layout() const override;
  void SetUp() override;
  bool Command(int id, int code, HWND control) override;
  INT_PTR PageMessage(HWND window, UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void SelectSubPage(int index);
  void SetFontSample(const TFontSample& sample);
  void FontClick();
  void ColorChange();
  void DrawFontSample(const DRAWITEMSTRUCT& d) const;

  form::TTabPages tabs_;
  platform::IShell& shell_;
  TColorCombo backcolorCb_;
  HFONT sampleFont_ = nullptr;
};

// The resource number of the Options check box that carries the rules'
// check of that name (OptionChecks), or 0.
int OptionCheckControl(std::string_view name);

}  // namespace vanta
