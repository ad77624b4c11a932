#include "show/ScreenShow.h"

#include "show/ShowPlace.h"

namespace vanta {

TGapFill::TGapFill(platform::ISurfaceHost& host, const TRect& area, TColor color) : host_(host), area_(area) {
  fill_.SetSize(area.Width(), area.Height());
  fill_.Fill(color);
  host_.Attach(*this);
  host_.InvalidateArea(area_);
}

TGapFill::~TGapFill() { host_.Detach(*this); }

void TGapFill::Paint() { host_.PresentBuffer(fill_, {area_.Left, area_.Top}); }

TScreenShow::TScreenShow(platform::ISurfaceHost& host, platform::IScheduler& scheduler, const TSaverSetting& setting,
                         TScreenLayout layout, std::string placeFile, TMusicSet* music, std::string logFile)
    : host_(host),
      scheduler_(scheduler),
      setting_(setting),
      layout_(std::move(layout)),
      placeFile_(std::move(placeFile)),
      music_(music),
      logFile_(std::move(logFile)) {
  Build();
  StartCounter();
}

TScreenShow::~TScreenShow() {
  counter_.reset();
  sequences_.clear();
  gaps_.clear();
}

uint64_t TScreenShow::FramesPresented() const {
  uint64_t frames = framesBefore_;
  for (const auto& s : sequences_) frames += s->Surface().Presented();
  return frames;
}

void TScreenShow::StartCounter() {
  if (logFile_.empty()) return;
  if (counter_) counter_->Restart(sequences_.size());
  else counter_ = std::make_unique<TShowCounter>(scheduler_, [this] { return FramesPresented(); }, sequences_.size(), logFile_);
}

void TScreenShow::Build() {
  framesBefore_ = FramesPresented();
  sequences_.clear();
  gaps_.clear();
  showing_.assign(layout_.Surfaces.size(), -1);
  for (const TRect& gap : layout_.Gaps) gaps_.push_back(std::make_unique<TGapFill>(host_, gap, setting_.BackgroundColor));
  for (size_t i = 0; i < layout_.Surfaces.size(); ++i) {
    const TRect& r = layout_.Surfaces[i];
    sequences_.push_back(std::make_unique<TRunVantascreen>(
        TShowParent{host_, scheduler_, r.Width(), r.Height(), r.Left, r.Top}, setting_, TShowMouseHandlers{}, false,
        false, 1, layout_.Surfaces.size() == 1 ? placeFile_ : std::string{}, i == 0 ? music_ : nullptr));
    // Each monitor's frames composed on its own worker, beside the others'.
    sequences_.back()->Surface().ComposeOnWorker = true;
  }
  if (sequences_.size() < 2) return;
  TRunVantascreen& leader = *sequences_.front();
  if (setting_.MultiScreen == msSamePicture) {
    for (size_t i = 1; i < sequences_.size(); ++i) {
      TRunVantascreen& follower = *sequences_[i];
      follower.SetShowTimerEnabled(false);
      // The leader's timer alone moves the show on; the picture moves by itself.
      follower.Surface().OnComplete = [&follower](TCustomVantascreen&) { follower.BeginMotion(); };
    }
    leader.OnTransitionStarted = [this](TRunVantascreen& l) {
      for (size_t i = 1; i < sequences_.size(); ++i) sequences_[i]->Follow(l);
    };
    return;
  }
  for (size_t i = 0; i < sequences_.size(); ++i) {
    sequences_[i]->DealPicture = [this, i](std::ptrdiff_t current) { return Deal(i, current); };
    sequences_[i]->DelayFirstTick(static_cast<uint32_t>(i) * kStaggerMs);
  }
}

size_t TScreenShow::Deal(size_t sequence, std::ptrdiff_t current) {
  // One deck for every monitor, kept between runs as a single monitor's is.
  const size_t n = setting_.Pictures.size();
  const uint64_t key = PictureListKey(setting_.Pictures, setting_.RandomImage);
  if (!deck_ || key != deckKey_) {
    deck_ = std::make_unique<TPictureDeck>(SamePictures(setting_.Pictures), setting_.RandomImage);
    deckKey_ = key;
    if (const auto place = LoadShowPlace(placeFile_, key)) deck_->Resume(*place);
  }
  std::vector<size_t> elsewhere;
  for (size_t i = 0; i < showing_.size(); ++i)
    if (i != sequence && showing_[i] >= 0) elsewhere.push_back(static_cast<size_t>(showing_[i]));
  // Exactly as many pictures as monitors: a monitor keeps its own rather
  // than show one that is on screen elsewhere.
  const bool tight = n == showing_.size();
  const size_t next = deck_->Next(elsewhere, tight ? -1 : current);
  if (!placeFile_.empty()) SaveShowPlace(placeFile_, key, deck_->Place());
  showing_[sequence] = static_cast<std::ptrdiff_t>(next);
  return next;
}

bool TScreenShow::Relayout(TScreenLayout layout, bool force) {
  if (layout == layout_ && !force) return false;
  layout_ = std::move(layout);
  Build();
  StartCounter();
  host_.InvalidateArea({0, 0, layout_.Window.Width(), layout_.Window.Height()});
  return true;
}

void TScreenShow::Stop() {
  counter_.reset();  // a hidden show has nothing to measure
  for (auto& s : sequences_) {
    try {
      s->Surface().Stop();
    } catch (...) {
    }
    s->SetShowTimerEnabled(false);
  }
}

}  // namespace vanta
