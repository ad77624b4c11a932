#include "music/MPEGPlay.h"

#include <cstring>
#include <vector>

namespace vanta {
namespace {

// NUL-terminated copy in a buffer of the library's fixed size; a name that
// does not fit is refused rather than cut, so the library never opens or
// writes a different file than the one named.
std::vector<char> FixedBuffer(const std::string& text, size_t size, int32_t refuseCode) {
  if (text.size() >= size) {
    throw TMPEGError(MPEGErrorMessages[refuseCode], static_cast<uint8_t>(refuseCode));
  }
  std::vector<char> buf(size, '\0');
  std::memcpy(buf.data(), text.data(), text.size());
  return buf;
}

}  // namespace

int32_t PriorityNumber(TPlayPriority p) {
  return platform::PlatformPriority(static_cast<platform::TThreadPriority>(p));
}

TPlayPriority PriorityFromNumber(int32_t v) {
  const auto p = platform::PriorityOfLevel(v);
  return p ? static_cast<TPlayPriority>(*p) : TPlayPriority::Normal;
}

TMPEGPlayer::TMPEGPlayer(platform::IScheduler& scheduler, platform::IDynamicLibraries& libraries)
    : scheduler_(scheduler), libraries_(libraries) {}

TMPEGPlayer::~TMPEGPlayer() {
  StopTimer();
  // The library keeps the address of our end flag while a stream is open;
  // close the stream so its thread never writes into a freed player. The
  // library itself stays loaded.
  if (library_ && opened_) entries_.close();
}

void TMPEGPlayer::SetPlayerPriority(TPlayPriority p) {
  priorityValue_ = PriorityNumber(p);
  if (library_) {
    entries_.setPriority(priorityValue_);
    CheckLastError();
  }
}

void TMPEGPlayer::SetTimerFreq(int32_t ms) {
  timerFreq_ = ms;
  if (ms == 0) useTimer_ = false;
}

void TMPEGPlayer::SetStreamName(const std::string& name) {
  streamName_ = name;
  if (opened_) Close();
}

void TMPEGPlayer::SetOutputDevice(TOutputDevice d) {
  deviceCode_ = d == TOutputDevice::pcmfile && !outFilename_.empty() ? mpeglib::kDevicePcmFile
                                                                       : mpeglib::kDeviceWaveMapper;
}

void TMPEGPlayer::CheckLibrary() const {
  if (!library_) throw TMPEGError(MPEGErrorMessages[0], 0);
}

void TMPEGPlayer::RaiseCode(int32_t code) {
  if (code >= 0 && code < static_cast<int32_t>(MPEGErrorMessages.size())) {
    throw TMPEGError(MPEGErrorMessages[code], static_cast<uint8_t>(code));
  }
  // Codes without a message of their own still say which code it was.
  throw TMPEGError("MPEG library error " + std::to_string(code),
                   static_cast<uint8_t>(code > 0 && code < 255 ? code : 255));
}

void TMPEGPlayer::RaiseModeError() { RaiseCode(mpeglib::kErrMode); }

void TMPEGPlayer::TakeLastError() { lastErrorCode_ = entries_.lastError ? entries_.lastError() : 0; }

void TMPEGPlayer::CheckLastError() {
  TakeLastError();
  if (lastErrorCode_ > 0) RaiseCode(lastErrorCode_);
}

void TMPEGPlayer::LoadMPEGLibrary() {
  std::string path = pathToDLL_;
  if (!path.empty() && path.back() != '\\' && path.back() != ':') path += '\\';
  path += "mpegdll.dll";

  platform::TLibraryHandle lib = libraries_.Load(path);
  if (!lib) throw TMPEGError(kCantLoadMPEGLibrary, 0);

  void* found[19];
  for (int i = 0; i < 19; ++i) {
    found[i] = libraries_.Entry(lib, mpeglib::kEntryNames[i]);
    if (!found[i]) {
      libraries_.Free(lib);
      library_ = nullptr;
      entries_ = {};
      throw TMPEGError(MPEGErrorMessages[0], 0);
    }
  }
  TEntries e;
  e.init = reinterpret_cast<mpeglib::TInitProc>(found[0]);
  e.deinit = reinterpret_cast<mpeglib::TDeinitProc>(found[1]);
  e.open = reinterpret_cast<mpeglib::TOpenProc>(found[2]);
  e.pause = reinterpret_cast<mpeglib::TPauseProc>(found[3]);
  e.restart = reinterpret_cast<mpeglib::TVoidProc>(found[4]);
  e.stop = reinterpret_cast<mpeglib::TVoidProc>(found[5]);
  e.setPriority = reinterpret_cast<mpeglib::TSetPriorityProc>(found[6]);
  e.setOutputDevice = reinterpret_cast<mpeglib::TSetOutputDeviceProc>(found[7]);
  e.play = reinterpret_cast<mpeglib::TPlayProc>(found[8]);
  e.close = reinterpret_cast<mpeglib::TVoidProc>(found[9]);
  e.getFrequency = reinterpret_cast<mpeglib::TQueryProc>(found[10]);
  e.getBitrate = reinterpret_cast<mpeglib::TQueryProc>(found[11]);
  e.getLayer = reinterpret_cast<mpeglib::TQueryProc>(found[12]);
  e.getPlayerMode = reinterpret_cast<mpeglib::TQueryProc>(found[13]);
  e.getCurrentPos = reinterpret_cast<mpeglib::TQueryProc>(found[14]);
  e.getLength = reinterpret_cast<mpeglib::TQueryProc>(found[15]);
  e.resetPlayerMode = reinterpret_cast<mpeglib::TVoidProc>(found[16]);
  e.seek = reinterpret_cast<mpeglib::TSeekProc>(found[17]);
  e.lastError = reinterpret_cast<mpeglib::TQueryProc>(found[18]);
  library_ = lib;
  entries_ = e;

  if ((entries_.init() & 0xFF) == 0) {
    TakeLastError();
    // A library that cannot start is of no use; a later load starts afresh.
    libraries_.Free(library_);
    library_ = nullptr;
    const int32_t code = lastErrorCode_;
    entries_ = {};
    RaiseCode(code > 0 ? code : 0);
  }

  StopTimer();
  timerPeriod_ = useTimer_ && timerFreq_ > 0 ? static_cast<uint32_t>(timerFreq_) : 0;
  streamLength_ = 0;
}

void TMPEGPlayer::Open() {
  CheckLibrary();
  if (opened_) Close();
  opened_ = false;
  if (fromStream_) {
    entries_.open(nullptr, 1, &StreamOpen, &StreamClose, &StreamRestart, &StreamRead, &StreamSeek,
                  &StreamGetSize, this);
    TakeLastError();
  } else {
    if (streamName_.empty()) throw TMPEGError(kCantPlayNonSpecifiedStream, kNonSpecifiedStreamCode);
    const std::vector<char> name = FixedBuffer(streamName_, mpeglib::kStreamNameBuffer, mpeglib::kErrInput);
    entries_.open(name.data(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    TakeLastError();
  }
  if (lastErrorCode_ > 0) RaiseCode(lastErrorCode_);
  opened_ = true;
  playedXTimes_ = 1;
  streamLength_ = GetLength();
  if (autoPlay_) Play();
}

void TMPEGPlayer::Play() {
  CheckLibrary();
  if (paused_) {
    Pause(false);
    return;
  }
  if (playing_) return;
  if (!opened_) {
    Open();
    if (!opened_) return;
    // With AutoPlay, Open has just started the stream: starting it again
    // would restart it at once.
    if (playing_) return;
  }
  if (playedXTimes_ > 1) {
    Restart();
    return;
  }
  entries_.setPriority(priorityValue_);
  CheckLastError();
  {
    const std::vector<char> out = FixedBuffer(outFilename_, mpeglib::kOutFileNameBuffer, mpeglib::kErrOutput);
    entries_.setOutputDevice(deviceCode_, out.data());
    CheckLastError();
  }
  const int32_t started = entries_.play(startPos_, endPos_, const_cast<uint8_t*>(&playEnded_));
  TakeLastError();
  if (started != 0 || lastErrorCode_ > 0) RaiseCode(lastErrorCode_ > 0 ? lastErrorCode_ : 0);
  playing_ = true;
  ++playedXTimes_;
  StartTimer();
}

void TMPEGPlayer::StartTimer() {
  if (useTimer_ && timerPeriod_ != 0) {
    StopTimer();  // a start begins a fresh period
    timerId_ = scheduler_.SetTimer(timerPeriod_, [this] { CheckPosition(); });
    CheckPosition();
  }
}

void TMPEGPlayer::StopTimer() {
  if (timerId_ != 0) scheduler_.KillTimer(timerId_);
  timerId_ = 0;
}

void TMPEGPlayer::Pause(bool pause) {
  CheckLibrary();
  if (!playing_ || playEnded_ != 0) {
    paused_ = false;
    if (pause) RaiseModeError();
    return;
  }
  entries_.pause(pause ? 0 : 1);
  CheckLastError();
  paused_ = pause;
}

void TMPEGPlayer::Stop() {
  if (!playing_ || playEnded_ != 0) RaiseModeError();
  CheckLibrary();
  entries_.stop();
  CheckLastError();
  playing_ = false;
  paused_ = false;
}

void TMPEGPlayer::Restart() {
  CheckLibrary();
  if (!opened_) RaiseModeError();
  playEnded_ = 0;
  entries_.restart();
  CheckLastError();
  playing_ = true;
  ++playedXTimes_;
  StartTimer();
}

void TMPEGPlayer::Close() {
  CheckLibrary();
  opened_ = false;
  paused_ = false;
  playing_ = false;
  playedXTimes_ = 0;
  entries_.close();
  CheckLastError();
}

int32_t TMPEGPlayer::GetPlayerMode() {
  CheckLibrary();
  const int32_t r = entries_.getPlayerMode();
  CheckLastError();
  return r;
}

int32_t TMPEGPlayer::GetCurrentPos() {
  CheckLibrary();
  const int32_t r = entries_.getCurrentPos();
  CheckLastError();
  return r;
}

int32_t TMPEGPlayer::GetLength() {
  CheckLibrary();
  const int32_t r = entries_.getLength();
  CheckLastError();
  return r;
}

void TMPEGPlayer::CheckPosition() {
  if (!opened_ || !playing_) {
    StopTimer();
    return;
  }
  int32_t pos = GetCurrentPos();
  if (pos > streamLength_) pos = 0;
  if (OnPosUpdate) OnPosUpdate(pos, streamLength_);
  if (playEnded_ != 0) {
    StopTimer();
    playing_ = false;
    if (OnPlayEnd) {
      playEnded_ = 0;
      OnPlayEnd(*this);
    }
  }
}

// The stream callbacks: self is always the player that opened the stream.

void VANTA_STDCALL TMPEGPlayer::StreamOpen(void* self, uint8_t* nonSeekable, void** context) {
  auto* p = static_cast<TMPEGPlayer*>(self);
  if (p->OnOpenStream) {
    bool ns = nonSeekable && *nonSeekable != 0;
    void* ctx = context ? *context : nullptr;
    p->OnOpenStream(ns, ctx);
    if (nonSeekable) *nonSeekable = ns ? 1 : 0;
    if (context) *context = ctx;
  } else if (context) {
    *context = nullptr;
  }
}

void VANTA_STDCALL TMPEGPlayer::StreamClose(void* self, void* context) {
  auto* p = static_cast<TMPEGPlayer*>(self);
  if (p->OnCloseStream) p->OnCloseStream(context);
}

void VANTA_STDCALL TMPEGPlayer::StreamRestart(void* self, void* context, uint8_t* result) {
  auto* p = static_cast<TMPEGPlayer*>(self);
  bool res = false;
  if (p->OnRestartStream) {
    res = result && *result != 0;
    p->OnRestartStream(context, res);
  }
  if (result) *result = res ? 1 : 0;
}

void VANTA_STDCALL TMPEGPlayer::StreamRead(void* self, void* context, void* buffer, int32_t toRead, int32_t* read,
                                           uint8_t* result) {
  auto* p = static_cast<TMPEGPlayer*>(self);
  bool res = false;
  if (p->OnReadStream) {
    int32_t n = read ? *read : 0;
    res = result && *result != 0;
    p->OnReadStream(context, buffer, toRead, n, res);
    if (read) *read = n;
  }
  if (result) *result = res ? 1 : 0;
}

void VANTA_STDCALL TMPEGPlayer::StreamSeek(void* self, void* context, int32_t numBytes, int32_t moveMethod,
                                           int32_t* result) {
  auto* p = static_cast<TMPEGPlayer*>(self);
  int32_t res = -1;
  if (p->OnSeekStream) {
    res = result ? *result : -1;
    p->OnSeekStream(context, numBytes, moveMethod, res);
  }
  if (result) *result = res;
}

void VANTA_STDCALL TMPEGPlayer::StreamGetSize(void* self, void* context, int32_t* result) {
  auto* p = static_cast<TMPEGPlayer*>(self);
  int32_t res = -1;
  if (p->OnGetStreamSize) {
    res = result ? *result : -1;
    p->OnGetStreamSize(context, res);
  }
  if (result) *result = res;
}

}  // namespace vanta
