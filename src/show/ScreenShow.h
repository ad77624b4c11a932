// The full-screen show on all monitors: one window (a surface host) over
// the virtual screen, a show driver (TRunVantascreen) per surface of the
// layout, and the gaps between monitors in the background colour.
//
// Each monitor its own picture: the sequences take turns at one picture
// deck, none given a picture that another shows now while the list has
// enough, and start a little apart so their transitions do not fall on the
// same frames. The same picture everywhere: the primary's sequence leads and
// the others follow it at each change. Spanned and primary-only are one
// sequence. The music is the first sequence's alone.
#pragma once
#include <memory>
#include <vector>

#include "show/PictureDeck.h"
#include "show/RunVantascreen.h"
#include "show/ScreenLayout.h"
#include "show/ShowCounter.h"

namespace vanta {

// A part of the window no monitor's picture covers: background colour.
class TGapFill final : public platform::IPaintable {
 public:
  TGapFill(platform::ISurfaceHost& host, const TRect& area, TColor color);
  ~TGapFill() override;
  TGapFill(const TGapFill&) = delete;
  TGapFill& operator=(const TGapFill&) = delete;
  TRect BoundsRect() const override { return area_; }
  void Paint() override;

 private:
  platform::ISurfaceHost& host_;
  TRect area_;
  TBitmap24 fill_;
};

class TScreenShow {
 public:
  // Between the first pictures of neighbouring monitors.
  static constexpr uint32_t kStaggerMs = 350;

  // setting must outlive the show. The host's window covers layout.Window.
  // placeFile: where the show keeps its place between runs (ShowPlace.h), or empty.
  // music: what StartMusic plays (it must outlive the show), or none.
  // logFile: where it writes its frame and processor rates (ShowCounter.h), or empty.
  TScreenShow(platform::ISurfaceHost& host, platform::IScheduler& scheduler, const TSaverSetting& setting,
              TScreenLayout layout, std::string placeFile = {}, TMusicSet* music = nullptr,
              std::string logFile = {});
  ~TScreenShow();
  TScreenShow(const TScreenShow&) = delete;
  TScreenShow& operator=(const TScreenShow&) = delete;

  // A display change: the surfaces again for the new layout, the music
  // going on; false (and nothing done) when the layout is the same, unless
  // forced (the record changed: a new showing).
  bool Relayout(TScreenLayout layout, bool force = false);

  const TScreenLayout& Layout() const { return layout_; }
  size_t Count() const { return sequences_.size(); }
  TRunVantascreen& Sequence(size_t i) { return *sequences_.at(i); }

  void StartMusic() { sequences_.front()->StartMusic(); }
  // Frames every surface presented since the show began, layouts before included.
  uint64_t FramesPresented() const;
  const TShowCounter* Counter() const { return counter_.get(); }
  // A hidden show's surfaces stopped, its timers off.
  void Stop();

 private:
  void Build();
  void StartCounter();
  size_t Deal(size_t sequence, std::ptrdiff_t current);

  platform::ISurfaceHost& host_;
  platform::IScheduler& scheduler_;
  const TSaverSetting& setting_;
  TScreenLayout layout_;
  std::vector<std::unique_ptr<TGapFill>> gaps_;
  std::vector<std::unique_ptr<TRunVantascreen>> sequences_;
  std::string placeFile_;
  TMusicSet* music_;
  std::unique_ptr<TPictureDeck> deck_;
  uint64_t deckKey_ = 0;
  std::vector<std::ptrdiff_t> showing_;  // each sequence's picture index now
  std::string logFile_;
  uint64_t framesBefore_ = 0;  // of the surfaces of earlier layouts
  std::unique_ptr<TShowCounter> counter_;
};

}  // namespace vanta
