// The picture surface: shows one picture on a background and changes to the
// next through a transition, frame by frame, each frame composed from an
// image of what the surface showed before (OldImage) and the new picture.
//
// It is windowless: a host window (platform/SurfaceHost.h) repaints the
// surface's bounds by calling Paint, which composes the whole client area
// into PaintBuffer and presents it; each frame invalidates only what its
// effect changed. Stepping in time runs on a worker (TAnimateThread) or in
// a loop on the calling thread; every frame is drawn on the main thread.
//
// Pictures come in through SetPicture (a 24-bit bitmap, copied); picture
// loading builds on it and uses ShrinkToFit, PadToClient, ContentRect and
// PrevPicture.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/Bitmap.h"
#include "engine/AnimateThread.h"
#include "engine/FitRule.h"
#include "engine/Effects.h"
#include "engine/PictureLoader.h"
#include "engine/Resample.h"
#include "platform/Scheduler.h"
#include "platform/SurfaceHost.h"

namespace vanta {

using TShowStyle = uint8_t;
enum TBackgroundMode : uint8_t { bmNone, bmTiled, bmStretched, bmCentered };
enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
using platform::TCaptionFont;

constexpr TColor kWindowColor = 0xFFFFFF;  // the system's default window colour

class TCustomVantascreen : public platform::IPaintable {
 public:
  using TNotifyEvent = std::function<void(TCustomVantascreen& sender)>;
  using TCustomDrawEvent =
      std::function<void(TCustomVantascreen& sender, const TBitmap24& picture, TBitmap24& screen)>;

  TCustomVantascreen(platform::ISurfaceHost& host, platform::IScheduler& scheduler);
  ~TCustomVantascreen() override;
  TCustomVantascreen(const TCustomVantascreen&) = delete;
  TCustomVantascreen& operator=(const TCustomVantascreen&) = delete;

  // Bounds in the parent's client coordinates; a new surface is 100 x 100.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  TRect ClientRect() const { return {0, 0, width_, height_}; }
  TRect BoundsRect() const override { return {left_, top_, left_ + width_, top_ + height_}; }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign a) { align_ = a; }

  // The picture the next transition brings in. Setting copies it; an empty
  // bitmap (or ClearPicture) clears it. Each change raises the change handling.
  const TBitmap24& Picture() const { return picture_; }
  void SetPicture(const TBitmap24& picture);
  void SetPicture(TBitmap24&& picture);
  void ClearPicture() { SetPicture(TBitmap24{}); }
  // For a loader that changed Picture in steps.
  void PictureChanged();

  const TBitmap24& BgPicture() const { return bgPicture_; }
  void SetBgPicture(const TBitmap24& picture);
  TBackgroundMode BgMode() const { return bgMode_; }
  void SetBgMode(TBackgroundMode mode);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  // Fit or Fill places the picture's content (ContentRect) by FitRule on
  // the client area and scales the screen bitmap with it; None leaves the
  // display rectangle to Stretch.
  TFitMode FitMode() const { return fitMode_; }
  void SetFitMode(TFitMode mode);
  bool StretchFine() const { return stretchFine_; }
  void SetStretchFine(bool v);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  uint16_t Step() const { return step_; }
  void SetStep(unsigned v);  // 0 stores 1, above 100 stores 100
  bool Manual() const { return manual_; }
  void SetManual(bool v);

  TShowStyle Style = 101;
  std::atomic<uint16_t> Delay{30};  // minimum milliseconds a frame
  std::atomic<bool> Reverse{false};
  bool Threaded = true;
  // The worker composes each frame itself and the main thread only shows it,
  // so the surfaces of several monitors compose on cores of their own. Not
  // with OnBeforeNewFrame or OnCustomDraw, whose handlers run on the main
  // thread: their frames are composed there as always.
  bool ComposeOnWorker = false;
  TThreadPriority ThreadPriority = TThreadPriority::tpNormal;

  // Set by the show driver and the loader.
  bool ShrinkToFit = false;
  bool ShrinkToCover = false;  // with ShrinkToFit: only down to covering the client area
  bool PadToClient = false;
  TRect ContentRect;                         // the real picture inside a padded one
  std::optional<TPictureSize> PrevPicture;   // size of the previous picture, unpadded
  std::string Caption;
  uint8_t CaptionPos = cpOff;
  int32_t CaptionLeft = 0, CaptionTop = 0;
  TCaptionFont CaptionFont;

  uint8_t Progress() const { return progress_; }
  bool Running() const { return running_; }
  bool Stopping() const { return stopping_; }

  TNotifyEvent OnChange, OnProgress, OnComplete, OnMouseEnter, OnMouseLeave;
  // Mouse input over the surface, in its own coordinates, from its window.
  using TMouseEvent = std::function<void(TCustomVantascreen& sender, TPoint at)>;
  TMouseEvent OnMouseMove, OnMouseDown, OnMouseUp;

  // Loads a picture file as the next picture: the kind by its extension,
  // shrunk to the client area with ShrinkToFit, padded to the previous
  // picture (or the client area with PadToClient). A file that cannot be
  // loaded leaves the picture as it was; the result says whether it loaded.
  bool LoadPicture(const std::string& fileName);
  // Motion: `window` of `source` drawn over the picture's content
  // (ContentRect) of the next picture, or over the content of the picture
  // standing on the screen. Neither draws while a transition runs.
  void DrawPictureFrom(const TBitmap24& source, const TSourceWindow& window);
  void DrawStandingFrom(const TBitmap24& source, const TSourceWindow& window);
  // How many threads share the rows of a motion frame (the machine's cores
  // unless set; 1 draws on the calling thread alone).
  void SetMotionThreads(int threads) { resampler_ = std::make_unique<TResampler>(threads); }
  TCustomDrawEvent OnCustomDraw, OnBeforeNewFrame, OnAfterNewFrame;

  void Start();
  void Stop();
  void ClearScreen();
  void SetProgress(unsigned value);
  void TransitionDone();
  void PrepareTransition();
  void UpdatePlacement();
  TRect FitRect(const TRect& r) const;
  TRect DisplayRect() const;
  void InvalidatePictureRect(TRect r);
  void Invalidate();
  void Paint() override;
  void DrawCaption();
  void DrawFrame();
  void RunTransition();
  uint8_t NextProgress() const;
  bool AtEnd() const;  // the end condition of the run's direction

  // Canvas locks of the screen bitmap: ClearScreen refuses while held.
  bool TryLockScreen();
  void UnlockScreen();

  // From the host.
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseInput(TMouseAction action, TPoint at) override;

  // Frames handed to the host so far (each Paint presents one).
  uint64_t Presented() const { return presented_; }
  const TBitmap24& ScreenBitmap() const { return screen_; }
  const TBitmap24& PaintBuffer() const { return paintBuffer_; }
  const TBitmap24* OldImage() const { return oldImage_.get(); }
  const TBitmap24* NewImage() const { return newImage_.get(); }
  TRect PlaceRect() const { return placeRect_; }

  // One step of the worker, on the main thread.
  void StepFromWorker();
  // The worker's part of a step with ComposeOnWorker: the next frame, composed
  // into the screen bitmap ahead of StepFromWorker.
  void ComposeAhead();
  // The worker's end handling, on the main thread: sawManual when it ended
  // because Manual was switched on.
  void WorkerEnded(TAnimateThread* worker, bool sawManual);

 private:
  void AdjustSize();
  void Resize();
  bool Scaled() const { return stretch_ || fitMode_ != TFitMode::None; }
  void RunLoop();
  void ReapWorkers();
  struct TComposed {
    uint8_t From = 0, Progress = 0;
    TFrameResult Result;
    std::vector<TRect> Invalid;  // of the intermediate copies
  };
  void ShowComposed(const TComposed& c);
  // After paints that presented the screen bitmap itself: the buffer holds it again.
  void SyncPaintBuffer();

  platform::ISurfaceHost& host_;
  platform::IScheduler& scheduler_;
  int left_ = 0, top_ = 0, width_ = 100, height_ = 100;
  TAlign align_ = TAlign::alNone;
  TBitmap24 picture_, bgPicture_;
  TBackgroundMode bgMode_ = bmTiled;
  TColor color_ = kWindowColor;
  bool center_ = false, stretch_ = false, stretchFine_ = false, autoSize_ = true;
  std::atomic<uint16_t> step_{4};
  std::atomic<bool> manual_{false};
  std::atomic<uint8_t> progress_{0};
  std::atomic<bool> running_{false}, stopping_{false}, forcedEnd_{false};
  bool painting_ = false, destroying_ = false, loopActive_ = false, inWorkerStep_ = false;
  int screenLocks_ = 0;
  uint64_t presented_ = 0;
  bool screenPresented_ = false;  // the last paint presented screen_, not paintBuffer_
  TBitmap24 screen_, paintBuffer_;
  std::unique_ptr<TBitmap24> oldImage_, newImage_;
  TRect placeRect_;
  TFitMode fitMode_ = TFitMode::None;
  TRect shownContent_;  // ContentRect of the picture on the screen bitmap
  std::unique_ptr<TAnimateThread> thread_;
  std::vector<std::unique_ptr<TAnimateThread>> retired_;
  // Guards the screen bitmap and the two images against a worker's composing.
  mutable std::mutex composeMutex_;
  std::optional<TComposed> composed_;
  std::unique_ptr<TResampler> resampler_ = std::make_unique<TResampler>(TResampler::SurfaceThreads());
};

// The form-level surface: everything of TCustomVantascreen, published.
class TVantascreen : public TCustomVantascreen {
 public:
  using TCustomVantascreen::TCustomVantascreen;
};

}  // namespace vanta
