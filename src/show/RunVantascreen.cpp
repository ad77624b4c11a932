#include "show/RunVantascreen.h"

#include <algorithm>

#include "base/MulDiv.h"
#include "base/Random.h"
#include "base/Text.h"
#include "music/MusicSet.h"
#include "platform/Files.h"
#include "settings/SaverSettings.h"
#include "show/ShowPlace.h"

namespace vanta {

namespace {
constexpr int kPointsPerInch = 72;
constexpr int kPixelsPerInch = 96;

std::ptrdiff_t IndexOf(const std::vector<std::string>& pictures, const std::string& file) {
  if (file.empty()) return -1;
  const auto it = std::find(pictures.begin(), pictures.end(), file);
  return it == pictures.end() ? -1 : it - pictures.begin();
}
}  // namespace

TRunVantascreen::TRunVantascreen(const TShowParent& parent, const TSaverSetting& setting, TShowMouseHandlers mouse,
                                 bool preview, bool demo, int32_t demoStyle, std::string placeFile,
                                 TMusicSet* music)
    : parent_(parent), setting_(setting), music_(music), placeFile_(std::move(placeFile)) {
  Randomize();
  surface_ = std::make_unique<TVantascreen>(parent.Host, parent.Scheduler);
  motion_ = std::make_unique<TPictureMotion>(*surface_, parent.Scheduler);
  TVantascreen& s = *surface_;
  s.SetColor(0);
  s.SetBounds(parent.Left, parent.Top, parent.ClientWidth, parent.ClientHeight);
  s.SetAlign(TAlign::alClient);
  s.SetAutoSize(false);
  s.SetBgMode(bmNone);
  s.SetCenter(true);
  s.SetStretchFine(false);
  ApplySettings();
  Preview = preview;
  Demo = demo;
  if (Preview) {
    s.ShrinkToFit = true;
    s.PadToClient = true;
  }
  s.OnComplete = [this](TCustomVantascreen&) { TransitionFinished(); };
  s.OnMouseMove = std::move(mouse.OnMouseMove);
  s.OnMouseDown = std::move(mouse.OnMouseDown);
  s.OnMouseUp = std::move(mouse.OnMouseUp);
  CurrentFile.clear();
  SequenceIndex = -1;
  DemoStyle = demoStyle;
  timerInterval_ = kFirstTickMs;
  SetShowTimerEnabled(true);
}

TRunVantascreen::~TRunVantascreen() {
  KillTimer();
  if (surface_) {
    surface_->OnComplete = nullptr;  // the driver is going; a stop must not restart its timer
    try {
      surface_->Stop();
    } catch (...) {
    }
  }
}

void TRunVantascreen::ApplySettings() {
  const TSaverSetting& s = setting_;
  TVantascreen& v = *surface_;
  v.SetStretch(s.StretchImage);
  // Fitted pictures are loaded no larger than they are shown and padded to
  // the whole surface, so each transition covers all of the last picture.
  const TFitMode fit = FitModeOf(s);
  v.SetFitMode(fit);
  v.ShrinkToFit = Preview || fit != TFitMode::None;
  v.ShrinkToCover = fit == TFitMode::Fill;
  v.PadToClient = Preview || fit != TFitMode::None;
  v.SetColor(s.BackgroundColor);
  if (s.EffectSpeed >= 1 && s.EffectSpeed <= 5) {
    const TSpeed speed = kEffectSpeeds[s.EffectSpeed - 1];
    v.SetStep(speed.Step);
    v.Delay = speed.Delay;
  }
  v.CaptionPos = s.CaptionPosition;
  v.CaptionLeft = s.CaptionX;
  v.CaptionTop = s.CaptionY;
  TCaptionFont font;
  font.Name = s.FontName;
  font.Height = MulDiv(s.FontSize, kPixelsPerInch, kPointsPerInch);
  font.Color = s.FontColor;
  font.Bold = s.FontBold;
  font.Italic = s.FontItalic;
  font.Underline = s.FontUnderline;
  font.Strikeout = s.FontStrikeout;
  v.CaptionFont = font;
}

void TRunVantascreen::SetShowTimerEnabled(bool enabled) {
  timerEnabled_ = enabled;
  KillTimer();
  if (enabled && timerInterval_ > 0)
    timerId_ = parent_.Scheduler.SetTimer(timerInterval_, [this] { ShowTimerTick(); });
}

void TRunVantascreen::DelayFirstTick(uint32_t ms) {
  if (CurrentFile.empty() && timerInterval_ == kFirstTickMs) {
    timerInterval_ += ms;
    SetShowTimerEnabled(timerEnabled_);
    timerInterval_ = kFirstTickMs;  // the period the tick replaces anyway
  }
}

void TRunVantascreen::KillTimer() {
  if (timerId_ != 0) parent_.Scheduler.KillTimer(timerId_);
  timerId_ = 0;
}

void TRunVantascreen::ShowTimerTick() {
  SetShowTimerEnabled(false);
  motion_->Halt();
  // Negative intervals read as 0: never again.
  timerInterval_ = static_cast<uint32_t>(std::max<int64_t>(0, int64_t{setting_.ImageInterval} * 1000));
  NextPicture();
  StartTransition();
}

void TRunVantascreen::TransitionFinished() {
  SetShowTimerEnabled(true);
  BeginMotion();
}

void TRunVantascreen::BeginMotion() {
  motion_->Begin(static_cast<uint32_t>(std::max<int64_t>(0, int64_t{setting_.ImageInterval} * 1000)));
}

void TRunVantascreen::NextPicture() {
  try {
    const std::vector<std::string>& pictures = setting_.Pictures;
    if (Demo) {
      std::string candidate = LowerCase(ExtractFileName(CurrentFile)) == kSamplePicture1 ? kSamplePicture2
                                                                                          : kSamplePicture1;
      if (LocateMediaFile(SampleFolders, candidate)) CurrentFile = candidate;
    } else if (!pictures.empty()) {
      const size_t index = DealPicture ? std::min<size_t>(DealPicture(PictureIndex), pictures.size() - 1)
                                       : NextPictureIndex(pictures);
      if (!setting_.RandomImage) SequenceIndex = static_cast<int32_t>(index);
      CurrentFile = pictures[index];
      PictureIndex = static_cast<std::ptrdiff_t>(index);
    }
    ShowFile(CurrentFile);
  } catch (...) {
    // A picture that cannot be had keeps the one on screen.
  }
}

size_t TRunVantascreen::NextPictureIndex(const std::vector<std::string>& pictures) {
  const bool shuffle = setting_.RandomImage;
  const uint64_t key = PictureListKey(pictures, shuffle);
  if (!deck_ || key != deckKey_) {
    // A new list (or the first): a fresh deck, continued from the place
    // kept for this very list, if any.
    deck_ = std::make_unique<TPictureDeck>(SamePictures(pictures), shuffle);
    deckKey_ = key;
    if (const auto place = LoadShowPlace(placeFile_, key)) deck_->Resume(*place);
  }
  const size_t index = deck_->Next({}, IndexOf(pictures, CurrentFile));
  if (!placeFile_.empty()) SaveShowPlace(placeFile_, key, deck_->Place());
  return index;
}

void TRunVantascreen::ShowFile(const std::string& file) {
  if (!platform::FileExists(file)) return;
  if (surface_->LoadPicture(file)) motion_->Prepare(setting_.PanZoom);
  UpdateCaption();
}

void TRunVantascreen::Follow(const TRunVantascreen& leader) {
  try {
    TVantascreen& v = *surface_;
    if (v.Running()) v.Stop();
    CurrentFile = leader.CurrentFile;
    PictureIndex = leader.PictureIndex;
    ShowFile(CurrentFile);
    v.Style = leader.surface_->Style;
    v.Reverse = leader.surface_->Reverse.load();
    // As the leader: painted empty before the transition takes its old image.
    if (setting_.ClearOldImage) {
      v.ClearScreen();
      parent_.Host.UpdateNow();
    }
    v.Start();
  } catch (...) {
  }
}

void TRunVantascreen::StartTransition() {
  try {
    const TSaverSetting& s = setting_;
    if (s.Pictures.empty()) return;
    TVantascreen& v = *surface_;
    if (v.Running()) {
      v.Stop();
      NextPicture();
    }
    int32_t style = 0;
    if (Demo) {
      style = DemoStyle;
    } else {
      TEffectSet usable = s.Transitions;
      usable.reset(0);
      if (usable.any()) {
        do style = static_cast<int32_t>(Random(127)) + 1;
        while (!usable.test(static_cast<size_t>(style)));
      }
    }
    v.Style = static_cast<TShowStyle>(style);
    if (s.AllowReverseTransition) v.Reverse = Random(3) == 0;
    if (s.ClearOldImage) {
      v.ClearScreen();
      parent_.Host.UpdateNow();
    }
    v.Start();
    if (OnTransitionStarted) OnTransitionStarted(*this);
  } catch (...) {
    // The next tick tries again.
  }
}

TFitMode FitModeOf(const TSaverSetting& s) {
  switch (s.ImageFit) {
    case ifFit: return TFitMode::Fit;
    case ifFill: return TFitMode::Fill;
    default: return TFitMode::None;
  }
}

std::string ComposeCaption(const TSaverSetting& s, const std::string& fileName) {
  std::string text;
  if (s.IncludeFilename) {
    text = FileBaseName(fileName);
    if (s.Filepath) text = ExtractFilePath(fileName) + text;
    if (s.FileExt) text += ExtractFileExt(fileName);
  }
  if (s.IncludeAdditionalText) text = s.AdditionalText + text;
  return text;
}

void TRunVantascreen::UpdateCaption() {
  TVantascreen& v = *surface_;
  v.Caption.clear();
  const TSaverSetting& s = setting_;
  if (s.ForceHide || s.CaptionPosition == cpOff || Preview) return;
  v.Caption = ComposeCaption(s, CurrentFile);
  if (!v.Caption.empty()) {
    v.Invalidate();
    parent_.Host.UpdateNow();
  }
}

void TRunVantascreen::StartMusic() {
  const TSaverSetting& s = setting_;
  if (!music_ || !s.PlayMusic || s.Music.empty() || Preview) return;
  try {
    music_->StopMusic();
    music_->SetMusicList(s.Music, s.RandomMusic, s.LoopMusic);
    music_->PlayMusicFile("");
  } catch (...) {
  }
}

}  // namespace vanta
