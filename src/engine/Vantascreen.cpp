#include "engine/Vantascreen.h"

#include <algorithm>

#include "base/MulDiv.h"
#include "engine/Blit.h"
#include "engine/Effects.h"

namespace vanta {

namespace {

// Sets a flag for a scope, clearing it on every way out.
class TFlagScope {
 public:
  template <class F>
  explicit TFlagScope(F& flag) : clear_([&flag] { flag = false; }) {
    flag = true;
  }
  ~TFlagScope() { clear_(); }

 private:
  std::function<void()> clear_;
};

}  // namespace

TCustomVantascreen::TCustomVantascreen(platform::ISurfaceHost& host, platform::IScheduler& scheduler)
    : host_(host), scheduler_(scheduler) {
  host_.Attach(*this);
}

TCustomVantascreen::~TCustomVantascreen() {
  destroying_ = true;
  if (thread_) {
    thread_->Terminate();
    thread_->WaitFor();  // its end handling runs meanwhile and retires it
  }
  for (auto& t : retired_) t->WaitFor();
  retired_.clear();
  thread_.reset();
  host_.Detach(*this);
}

// ---- properties ----

void TCustomVantascreen::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  const bool resized = width != width_ || height != height_;
  if (!resized && left == left_ && top == top_) return;
  if (!destroying_) host_.InvalidateArea(BoundsRect());
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();  // the new area, as any window's move or resize does
  if (resized) Resize();
}

void TCustomVantascreen::Resize() {
  if (picture_.Empty()) return;
  UpdatePlacement();
  if (!screen_.Empty() && !painting_) Invalidate();
}

void TCustomVantascreen::SetPicture(const TBitmap24& picture) {
  picture_ = picture;
  PictureChanged();
}

void TCustomVantascreen::SetPicture(TBitmap24&& picture) {
  picture_ = std::move(picture);
  PictureChanged();
}

bool TCustomVantascreen::LoadPicture(const std::string& fileName) {
  return LoadPictureFile(
      TPictureSurfaceState{picture_, PrevPicture, ContentRect, color_, ShrinkToFit, PadToClient,
                           autoSize_ && align_ == TAlign::alNone, [this] { return TPictureSize{width_, height_}; },
                           [this] { PictureChanged(); }, ShrinkToCover},
      fileName);
}

void TCustomVantascreen::DrawPictureFrom(const TBitmap24& source, const TSourceWindow& window) {
  const TRect target = IntersectRect(ContentRect, picture_.Bounds());
  if (running_ || target.IsEmpty()) return;
  resampler_->Draw(picture_, target, source, window);
  PictureChanged();
}

void TCustomVantascreen::DrawStandingFrom(const TBitmap24& source, const TSourceWindow& window) {
  if (running_ || screen_.Empty()) return;
  const TRect target = IntersectRect(shownContent_, screen_.Bounds());
  if (target.IsEmpty()) return;
  {
    std::lock_guard<std::mutex> lock(composeMutex_);
    ++screenLocks_;
    resampler_->Draw(screen_, target, source, window);
    --screenLocks_;
  }
  InvalidatePictureRect(target);
  if (!painting_) host_.UpdateNow();
  DrawCaption();
}

void TCustomVantascreen::PictureChanged() {
  if (destroying_) return;
  if (!picture_.Empty() && autoSize_) AdjustSize();
  if (OnChange) OnChange(*this);
}

void TCustomVantascreen::AdjustSize() {
  if (picture_.Empty() || align_ != TAlign::alNone) return;
  SetBounds(left_, top_, picture_.Width(), picture_.Height());
}

void TCustomVantascreen::SetBgPicture(const TBitmap24& picture) {
  bgPicture_ = picture;
  if (bgMode_ != bmNone && !painting_) Invalidate();
}

void TCustomVantascreen::SetBgMode(TBackgroundMode mode) {
  if (mode == bgMode_) return;
  bgMode_ = mode;
  if (!bgPicture_.Empty()) Invalidate();
}

void TCustomVantascreen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Invalidate();
}

void TCustomVantascreen::SetCenter(bool v) {
  if (v == center_) return;
  center_ = v;
  if (!picture_.Empty()) {
    UpdatePlacement();
    Invalidate();
  }
}

void TCustomVantascreen::SetStretch(bool v) {
  if (v == stretch_) return;
  stretch_ = v;
  if (!screen_.Empty()) Invalidate();
}

void TCustomVantascreen::SetFitMode(TFitMode mode) {
  if (mode == fitMode_) return;
  fitMode_ = mode;
  if (!screen_.Empty()) Invalidate();
}

void TCustomVantascreen::SetStretchFine(bool v) {
  if (v == stretchFine_) return;
  stretchFine_ = v;
  if (!screen_.Empty()) Invalidate();
}

void TCustomVantascreen::SetAutoSize(bool v) {
  if (v == autoSize_) return;
  autoSize_ = v;
  if (v) AdjustSize();
}

void TCustomVantascreen::SetStep(unsigned v) { step_ = static_cast<uint16_t>(std::clamp(v, 1u, 100u)); }

void TCustomVantascreen::SetManual(bool v) {
  if (v == manual_) return;
  manual_ = v;
  if (!running_) {
    progress_ = Reverse ? 100 : 0;
    return;
  }
  // Switched off during a transition: step on from the current progress,
  // unless the stepping that was running has not yet noticed the switch.
  if (!v && !thread_ && !loopActive_) RunTransition();
}

// ---- transition ----

void TCustomVantascreen::Start() {
  // A picture without area has no extents to scale by.
  if (running_ || picture_.Empty()) return;
  running_ = true;
  try {
    PrepareTransition();
    if (!manual_) RunTransition();
  } catch (...) {
    oldImage_.reset();
    newImage_.reset();
    running_ = false;
    throw;
  }
}

void TCustomVantascreen::Stop() {
  if (!running_ || stopping_) return;
  TFlagScope stopping(stopping_);
  if (thread_ && inWorkerStep_) {
    // Called from inside the worker's own step: the worker waits for this
    // call, so it cannot be waited for. It ends after the step and finds
    // the transition already done.
    thread_->Terminate();
  } else if (thread_) {
    TAnimateThread* worker = thread_.get();
    worker->Terminate();
    worker->WaitFor();  // its end handling runs TransitionDone meanwhile
    ReapWorkers();
  }
  if (running_) TransitionDone();
}

void TCustomVantascreen::StepFromWorker() {
  TFlagScope step(inWorkerStep_);
  std::optional<TComposed> c;
  {
    std::lock_guard<std::mutex> lock(composeMutex_);
    c.swap(composed_);
  }
  // A frame composed from the progress that still stands is shown as it is.
  if (c && running_ && newImage_ && c->From == progress_) ShowComposed(*c);
  else SetProgress(NextProgress());
}

void TCustomVantascreen::ComposeAhead() {
  if (!ComposeOnWorker || OnBeforeNewFrame || OnCustomDraw || !running_ || stopping_ || manual_) return;
  std::lock_guard<std::mutex> lock(composeMutex_);
  if (!newImage_ || !oldImage_ || composed_) return;
  TComposed c;
  c.From = progress_;
  c.Progress = static_cast<uint8_t>(std::min<unsigned>(NextProgress(), 100));
  if (c.Progress == c.From) return;
  TFrameHooks hooks;
  hooks.Invalidate = [&c](const TRect& r) { c.Invalid.push_back(r); };
  c.Result = ComposeFrame(*oldImage_, *newImage_, screen_, c.Progress, step_, Style, hooks);
  composed_ = std::move(c);
}

// What SetProgress and DrawFrame do with a frame, the composing done.
void TCustomVantascreen::ShowComposed(const TComposed& c) {
  if (c.Progress < progress_ && !painting_) InvalidatePictureRect(newImage_->Bounds());
  progress_ = c.Progress;
  for (const TRect& r : c.Invalid) InvalidatePictureRect(r);
  if (c.Result.ForceComplete) {
    progress_ = 100;
    forcedEnd_ = true;
  }
  if (c.Result.Composed) {
    InvalidatePictureRect(c.Result.Invalid);
    if (OnAfterNewFrame) OnAfterNewFrame(*this, *newImage_, screen_);
    if (!painting_) host_.UpdateNow();
    DrawCaption();
  }
  if (!destroying_ && OnProgress) OnProgress(*this);
}

void TCustomVantascreen::WorkerEnded(TAnimateThread* worker, bool sawManual) {
  if (thread_.get() == worker) retired_.push_back(std::move(thread_));
  // Manual went on and off again before this worker ended: keep stepping.
  if (sawManual && running_ && !manual_ && !stopping_ && !destroying_) {
    RunTransition();
    return;
  }
  TransitionDone();
}

void TCustomVantascreen::TransitionDone() {
  if (thread_) retired_.push_back(std::move(thread_));
  if (!running_) return;
  if (!stopping_ && manual_) return;  // the application drives it from here
  running_ = false;
  {
    std::lock_guard<std::mutex> lock(composeMutex_);
    oldImage_.reset();
    newImage_.reset();
    composed_.reset();
  }
  if (!destroying_ && !stopping_ && OnComplete) OnComplete(*this);
}

void TCustomVantascreen::ReapWorkers() {
  // Only ended workers: one that is still inside its end handling (which
  // may be what called us) would never end while we wait for it.
  std::erase_if(retired_, [](const std::unique_ptr<TAnimateThread>& t) { return t->Finished(); });
}

void TCustomVantascreen::RunTransition() {
  ReapWorkers();
  if (Threaded) thread_ = std::make_unique<TAnimateThread>(*this, scheduler_, ThreadPriority);
  else RunLoop();
}

void TCustomVantascreen::RunLoop() {
  TFlagScope active(loopActive_);
  auto go = [&] { return running_ && !manual_ && !stopping_; };
  while (!AtEnd() && go()) {
    const uint32_t t0 = scheduler_.TickCount();
    SetProgress(NextProgress());
    if (AtEnd()) break;
    while (go()) {
      const uint32_t elapsed = scheduler_.TickCount() - t0;
      if (elapsed > Delay) break;
      scheduler_.ProcessMessages(Delay + 1 - elapsed);
    }
  }
  if (AtEnd() && running_) TransitionDone();
}

uint8_t TCustomVantascreen::NextProgress() const {
  const int p = progress_, s = step_;
  if (Reverse) return static_cast<uint8_t>(p < s ? 0 : p - s);
  return static_cast<uint8_t>(std::min(p + s, 200));
}

bool TCustomVantascreen::AtEnd() const {
  // Effect 0 without a handler shows the whole new picture at once; a
  // reverse run of it would otherwise never reach 0.
  if (Reverse) return progress_ == 0 || forcedEnd_;
  return progress_ == 100;
}

void TCustomVantascreen::PrepareTransition() {
  SyncPaintBuffer();  // before the screen bitmap changes size
  const int pw = picture_.Width(), ph = picture_.Height();
  // The screen bitmap takes the picture's size; what survives stays at the
  // top-left, new area is Color.
  std::unique_lock<std::mutex> lock(composeMutex_);
  composed_.reset();
  if (screen_.Width() != pw || screen_.Height() != ph) {
    TBitmap24 grown(pw, ph);
    grown.Fill(color_);
    CopyRect(grown, 0, 0, screen_, screen_.Bounds());
    screen_ = std::move(grown);
  }
  lock.unlock();
  // Where the picture will stand on the control.
  UpdatePlacement();
  shownContent_ = ContentRect;
  // The old image: what was last painted where the picture will appear, at its size.
  lock.lock();
  oldImage_ = std::make_unique<TBitmap24>(pw, ph);
  oldImage_->Fill(color_);  // where nothing was painted yet
  StretchCopy(*oldImage_, oldImage_->Bounds(), paintBuffer_, DisplayRect());
  // The new image: the picture itself.
  newImage_ = std::make_unique<TBitmap24>(picture_);
  lock.unlock();
  forcedEnd_ = false;
  // A forward run starts from nothing of the new picture, a reverse one from all of it.
  SetProgress(Reverse ? 100 : 0);
}

void TCustomVantascreen::SetProgress(unsigned value) {
  value = std::min(value, 100u);
  if (!running_ || value == progress_ || !newImage_) return;
  if (value < progress_ && !painting_) InvalidatePictureRect(newImage_->Bounds());
  progress_ = static_cast<uint8_t>(value);
  DrawFrame();
  if (!destroying_ && OnProgress) OnProgress(*this);
}

void TCustomVantascreen::DrawFrame() {
  if (!newImage_ || !oldImage_) return;
  TFrameHooks hooks;
  if (OnBeforeNewFrame) hooks.BeforeNewFrame = [this] { OnBeforeNewFrame(*this, *newImage_, screen_); };
  hooks.Invalidate = [this](const TRect& r) { InvalidatePictureRect(r); };
  if (OnCustomDraw) hooks.CustomDraw = [this] { OnCustomDraw(*this, *newImage_, screen_); };
  ++screenLocks_;
  TFrameResult r;
  try {
    r = ComposeFrame(*oldImage_, *newImage_, screen_, progress_, step_, Style, hooks);
  } catch (...) {
    --screenLocks_;
    throw;
  }
  --screenLocks_;
  if (r.ForceComplete) {
    progress_ = 100;
    forcedEnd_ = true;
  }
  if (!r.Composed) return;
  InvalidatePictureRect(r.Invalid);
  if (OnAfterNewFrame) OnAfterNewFrame(*this, *newImage_, screen_);
  if (!painting_) host_.UpdateNow();
  DrawCaption();
}

void TCustomVantascreen::ClearScreen() {
  if (running_ || screen_.Empty()) return;
  if (!TryLockScreen()) return;
  UnlockScreen();
  SyncPaintBuffer();  // the buffer keeps what was painted last
  screen_ = TBitmap24{};
  Invalidate();
}

bool TCustomVantascreen::TryLockScreen() {
  if (screenLocks_ > 0) return false;
  ++screenLocks_;
  return true;
}

void TCustomVantascreen::UnlockScreen() {
  if (screenLocks_ > 0) --screenLocks_;
}

// ---- placement and painting ----

void TCustomVantascreen::UpdatePlacement() {
  if (screen_.Empty()) return;
  placeRect_ = screen_.Bounds();
  if (center_) placeRect_ = OffsetRect(placeRect_, (width_ - screen_.Width()) / 2, (height_ - screen_.Height()) / 2);
}

TRect TCustomVantascreen::FitRect(const TRect& r) const {
  const int pw = placeRect_.Width(), ph = placeRect_.Height(), rw = r.Width(), rh = r.Height();
  if (pw <= 0 || ph <= 0) return r;
  int w, h;
  if (static_cast<double>(rh) / ph > static_cast<double>(rw) / pw) {
    w = rw;
    h = MulDiv(ph, rw, pw);
  } else {
    w = MulDiv(pw, rh, ph);
    h = rh;
  }
  const int x = r.Left + (rw - w) / 2, y = r.Top + (rh - h) / 2;
  return {x, y, x + w, y + h};
}

TRect TCustomVantascreen::DisplayRect() const {
  if (fitMode_ != TFitMode::None) {
    const int pw = placeRect_.Width(), ph = placeRect_.Height();
    TRect c = IntersectRect(shownContent_, {0, 0, pw, ph});
    if (c.IsEmpty()) c = {0, 0, pw, ph};
    if (c.IsEmpty()) return ClientRect();
    // The content lands on the fitted rectangle; padding scales with it.
    const TRect t = FitPictureRect({c.Width(), c.Height()}, ClientRect(), fitMode_);
    const int tw = t.Width(), th = t.Height(), cw = c.Width(), ch = c.Height();
    return {t.Left - MulDiv(c.Left, tw, cw), t.Top - MulDiv(c.Top, th, ch), t.Left + MulDiv(pw - c.Left, tw, cw),
            t.Top + MulDiv(ph - c.Top, th, ch)};
  }
  if (!stretch_) return placeRect_;
  if (stretchFine_) return FitRect(ClientRect());
  return ClientRect();
}

void TCustomVantascreen::InvalidatePictureRect(TRect r) {
  if (painting_) return;  // a paint in progress covers it
  const TRect p = placeRect_;
  if (Scaled()) {
    const TRect t = DisplayRect();
    if (p.Width() <= 0 || p.Height() <= 0) return;
    r = {t.Left + MulDiv(r.Left, t.Width(), p.Width()), t.Top + MulDiv(r.Top, t.Height(), p.Height()),
         t.Left + MulDiv(r.Right, t.Width(), p.Width()), t.Top + MulDiv(r.Bottom, t.Height(), p.Height())};
  } else {
    if (center_) r = OffsetRect(r, p.Left, p.Top);
    r = IntersectRect(r, p);
  }
  if (destroying_) return;
  host_.InvalidateArea(OffsetRect(r, left_, top_));
}

void TCustomVantascreen::Invalidate() {
  if (!destroying_) host_.InvalidateArea(BoundsRect());
}

void TCustomVantascreen::Paint() {
  if (painting_ || !scheduler_.OnMainThread()) return;
  TFlagScope painting(painting_);
  const TRect shown = screen_.Empty() ? TRect{} : Scaled() ? DisplayRect() : placeRect_;
  // A standing (or moving) picture that fills the control one to one goes to
  // the window as it is: no copy through the buffer.
  if (!running_ && shown == ClientRect() && screen_.Width() == width_ && screen_.Height() == height_) {
    std::lock_guard<std::mutex> lock(composeMutex_);
    host_.PresentBuffer(screen_, {left_, top_});
    screenPresented_ = true;
    ++presented_;
    return;
  }
  SyncPaintBuffer();
  // The buffer at the control's size, in the background colour, unless the
  // screen bitmap covers all of it.
  if (paintBuffer_.Width() != width_ || paintBuffer_.Height() != height_) paintBuffer_.SetSize(width_, height_);
  const bool covered = shown.Left <= 0 && shown.Top <= 0 && shown.Right >= width_ && shown.Bottom >= height_ &&
                       !shown.IsEmpty();
  if (!covered) paintBuffer_.Fill(color_);
  // The background picture, as its mode places it.
  if (!bgPicture_.Empty() && !covered) {
    const int bw = bgPicture_.Width(), bh = bgPicture_.Height();
    switch (bgMode_) {
      case bmTiled:
        for (int j = 0; j <= height_ / bh; ++j)
          for (int i = 0; i <= width_ / bw; ++i) CopyRect(paintBuffer_, i * bw, j * bh, bgPicture_, bgPicture_.Bounds());
        break;
      case bmStretched: StretchCopy(paintBuffer_, ClientRect(), bgPicture_, bgPicture_.Bounds()); break;
      case bmCentered:
        CopyRect(paintBuffer_, (width_ - bw) / 2, (height_ - bh) / 2, bgPicture_, bgPicture_.Bounds());
        break;
      case bmNone: break;
    }
  }
  // The screen bitmap, at its place or stretched over the display rectangle.
  if (!screen_.Empty()) {
    std::lock_guard<std::mutex> lock(composeMutex_);  // not while a worker composes
    ++screenLocks_;
    if (!Scaled()) CopyRect(paintBuffer_, placeRect_.Left, placeRect_.Top, screen_, screen_.Bounds());
    else StretchCopy(paintBuffer_, DisplayRect(), screen_, screen_.Bounds());
    --screenLocks_;
  }
  // Only now does the window see it, in one piece.
  host_.PresentBuffer(paintBuffer_, {left_, top_});
  ++presented_;
}

void TCustomVantascreen::SyncPaintBuffer() {
  if (!screenPresented_) return;
  screenPresented_ = false;
  std::lock_guard<std::mutex> lock(composeMutex_);
  if (screen_.Width() == width_ && screen_.Height() == height_) paintBuffer_ = screen_;
}

void TCustomVantascreen::DrawCaption() {
  if (Caption.empty() || CaptionPos == cpOff) return;
  const TPoint size = host_.MeasureText(CaptionFont, Caption);
  const int tw = size.X, th = size.Y;
  int x, y;
  if (CaptionPos == cpFixed) {
    x = std::max(CaptionLeft, 0);
    y = std::max(CaptionTop, 0);
    if (x > width_) x = width_ - tw;
    if (y > height_) y = height_ - th;
  } else {
    x = (width_ - tw) / 2;
    const int ch = ContentRect.Height(), top = (height_ - ch) / 2;
    switch (CaptionPos) {
      case cpBelowImage: y = top + ch + 10; break;
      case cpAboveImage: y = top - (th + 10); break;
      case cpTopOfScreen: y = 10; break;
      default: y = height_ - (th + 10); break;
    }
    y = std::max(y, 10);
    x = std::max(x, 0);
  }
  host_.DrawText({left_ + x, top_ + y}, Caption, CaptionFont);
}

void TCustomVantascreen::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(*this);
}

void TCustomVantascreen::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(*this);
}

void TCustomVantascreen::MouseInput(TMouseAction action, TPoint at) {
  const TMouseEvent& handler = action == TMouseAction::Move ? OnMouseMove
                               : action == TMouseAction::Down ? OnMouseDown
                                                              : OnMouseUp;
  if (handler) handler(*this, at);
}

}  // namespace vanta
