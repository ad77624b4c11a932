// The slide show driver: runs a show on a picture surface inside a window
// or panel. A cycle: the show timer ticks -> the next picture is loaded and
// its caption composed -> an effect and a direction are drawn and the
// transition starts, the timer stopped -> the surface completes -> the
// timer runs again for the picture interval. It only reads the record it is
// given: the saver's settings, or a builder preview's unsaved record.
//
// Used by the full-screen show, the control panel's preview and the
// builder's previews; a preview fits pictures into its small area and has
// no caption and no music; the effect demonstration alternates the two
// sample pictures with one chosen effect.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "engine/Vantascreen.h"
#include "platform/Scheduler.h"
#include "platform/SurfaceHost.h"
#include "settings/SaverSettings.h"
#include "show/PictureDeck.h"
#include "show/PictureMotion.h"

namespace vanta {

class TMusicSet;

// Where a show runs: the window's drawing host, its scheduler, and the
// surface's size and place in the window (one monitor's area of it).
struct TShowParent {
  platform::ISurfaceHost& Host;
  platform::IScheduler& Scheduler;
  int ClientWidth = 0;
  int ClientHeight = 0;
  int Left = 0;
  int Top = 0;
};

struct TShowMouseHandlers {
  TCustomVantascreen::TMouseEvent OnMouseMove, OnMouseDown, OnMouseUp;
};

// Step and Delay of the surface for each effect speed 1 (fastest) .. 5.
struct TSpeed {
  uint16_t Step, Delay;
};
inline constexpr TSpeed kEffectSpeeds[5] = {{10, 1}, {6, 20}, {4, 30}, {2, 30}, {1, 30}};

inline constexpr const char* kSamplePicture1 = "t1.jpg";
inline constexpr const char* kSamplePicture2 = "t2.jpg";

class TRunVantascreen {
 public:
  static constexpr uint32_t kFirstTickMs = 100;

  // setting must outlive the driver, which reads it as the show goes on.
  // placeFile: where the show keeps its place between runs (ShowPlace.h);
  // empty for previews, which neither continue nor leave a place. music:
  // the music set StartMusic plays (it must outlive the driver); of several
  // drivers of one show only one has it, and previews have none.
  TRunVantascreen(const TShowParent& parent, const TSaverSetting& setting, TShowMouseHandlers mouse, bool preview,
                  bool demo, int32_t demoStyle, std::string placeFile = {}, TMusicSet* music = nullptr);
  ~TRunVantascreen();
  TRunVantascreen(const TRunVantascreen&) = delete;
  TRunVantascreen& operator=(const TRunVantascreen&) = delete;

  // The record's look (stretch, colour, speed, caption) onto the surface.
  void ApplySettings();
  void NextPicture();
  void StartTransition();
  void StartMusic();
  void UpdateCaption();
  void ShowTimerTick();
  void TransitionFinished();
  // The picture that now stands starts moving (with PanZoom on).
  void BeginMotion();

  TVantascreen& Surface() { return *surface_; }
  const TPictureMotion& Motion() const { return *motion_; }

  // The show timer: stopped while a transition runs. A period of 0 never
  // fires, so an interval of 0 keeps the first picture on screen.
  void SetShowTimerEnabled(bool enabled);
  bool ShowTimerEnabled() const { return timerEnabled_; }
  uint32_t ShowTimerInterval() const { return timerInterval_; }
  // The first tick that much later (a monitor's sequence starting apart).
  void DelayFirstTick(uint32_t ms);

  // Several monitors: when set, the index of the next picture of the list
  // (given this sequence's index now, or -1) instead of the show's own order.
  std::function<size_t(std::ptrdiff_t current)> DealPicture;
  // Called when a transition has started.
  std::function<void(TRunVantascreen&)> OnTransitionStarted;
  // The leader's picture, effect and direction here too, started now.
  void Follow(const TRunVantascreen& leader);

  std::string CurrentFile;
  int32_t SequenceIndex = -1;
  std::ptrdiff_t PictureIndex = -1;  // of CurrentFile in the list, -1 before the first
  bool Preview = false;
  bool Demo = false;
  int32_t DemoStyle = 1;
  // Where Demo finds its two sample pictures (LocateMediaFile).
  TMediaFolders SampleFolders;

 private:
  void KillTimer();
  // The entry to show next; the deck follows the record's list as it changes.
  size_t NextPictureIndex(const std::vector<std::string>& pictures);
  void ShowFile(const std::string& file);

  TShowParent parent_;
  const TSaverSetting& setting_;
  TMusicSet* music_;
  std::unique_ptr<TVantascreen> surface_;
  std::unique_ptr<TPictureMotion> motion_;  // after the surface: it draws on it
  uint32_t timerInterval_ = kFirstTickMs;
  bool timerEnabled_ = false;
  uint32_t timerId_ = 0;
  std::string placeFile_;
  std::unique_ptr<TPictureDeck> deck_;
  uint64_t deckKey_ = 0;
};

// How the surface places pictures for the record's ImageFit.
TFitMode FitModeOf(const TSaverSetting& s);

// The caption of a picture by the settings (no repaint): the additional
// text, then the file name with its folder and extension as configured.
std::string ComposeCaption(const TSaverSetting& s, const std::string& fileName);

}  // namespace vanta
