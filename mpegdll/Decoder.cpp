#include "Decoder.h"

#include <mpg123.h>

#include <climits>
#include <cstring>

namespace vanta::mpegdll {
namespace {

using namespace mpeglib;

ssize_t ReadProc(void* self, void* buffer, size_t bytes) { return static_cast<TDecoder*>(self)->ReadInput(buffer, bytes); }
off_t SeekProc(void* self, off_t offset, int whence) { return static_cast<TDecoder*>(self)->SeekInput(offset, whence); }

int32_t SamplesToMs(int64_t samples, long rate) { return rate > 0 ? static_cast<int32_t>(samples * 1000 / rate) : 0; }

}  // namespace

TDecoder::TDecoder() {
  wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  waveDone_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

TDecoder::~TDecoder() {
  Close();
  CloseHandle(wake_);
  CloseHandle(waveDone_);
}

int32_t TDecoder::OpenFile(const char* name) {
  Close();
  if (!name || strnlen(name, kStreamNameBuffer) >= static_cast<size_t>(kStreamNameBuffer)) return kErrInput;
  // Shared for deletion too: a file removed while it plays keeps being read
  // to its end instead of failing under the decoder.
  file_ = CreateFileA(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ == INVALID_HANDLE_VALUE) return kErrInput;
  LARGE_INTEGER size{};
  GetFileSizeEx(file_, &size);
  const int32_t err = OpenDecoder(size.QuadPart > 0 && size.QuadPart < LONG_MAX ? static_cast<long>(size.QuadPart) : 0);
  if (err != kErrNone) Close();
  return err;
}

int32_t TDecoder::OpenStream(const TStreamCallbacks& callbacks) {
  Close();
  fromStream_ = true;
  stream_ = callbacks;
  uint8_t nonSeekable = 0;
  void* context = nullptr;
  if (stream_.open) stream_.open(stream_.self, &nonSeekable, &context);
  streamContext_ = context;
  nonSeekable_ = nonSeekable != 0;
  int32_t size = -1;
  if (stream_.size) stream_.size(stream_.self, streamContext_, &size);
  const int32_t err = OpenDecoder(size > 0 ? size : 0);
  if (err != kErrNone) Close();
  return err;
}

int32_t TDecoder::OpenDecoder(long streamSize) {
  int err = MPG123_OK;
  mh_ = mpg123_new(nullptr, &err);
  if (!mh_) return kErrDecoder;
  mpg123_param(mh_, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  // Whatever the stream's rate and channels, decode to 16-bit signed.
  mpg123_format_none(mh_);
  const long* rates = nullptr;
  size_t count = 0;
  mpg123_rates(&rates, &count);
  for (size_t i = 0; i < count; ++i) mpg123_format(mh_, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_replace_reader_handle(mh_, &ReadProc, &SeekProc, nullptr) != MPG123_OK) return kErrDecoder;
  if (mpg123_open_handle(mh_, this) != MPG123_OK) return kErrInput;
  if (streamSize > 0) mpg123_set_filesize(mh_, streamSize);
  int encoding = 0;
  // The first frame has to be found and understood: garbage ends here.
  if (mpg123_getformat(mh_, &rate_, &channels_, &encoding) != MPG123_OK || rate_ <= 0 || channels_ <= 0) {
    return kErrInput;
  }
  if (!fromStream_ || !nonSeekable_) mpg123_scan(mh_);  // exact length
  mpg123_frameinfo info{};
  if (mpg123_info(mh_, &info) == MPG123_OK) {
    bitrate_ = info.bitrate;
    layer_ = info.layer;
  }
  const off_t samples = mpg123_length(mh_);
  lengthMs_ = samples > 0 ? SamplesToMs(samples, rate_) : 0;
  fresh_ = true;
  mode_ = kModeOpen;
  return kErrNone;
}

void TDecoder::Close() {
  JoinThread();
  CloseOutput();
  if (mh_) {
    mpg123_close(mh_);
    mpg123_delete(mh_);
    mh_ = nullptr;
  }
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  if (fromStream_ && stream_.close) stream_.close(stream_.self, streamContext_);
  fromStream_ = false;
  nonSeekable_ = false;
  stream_ = {};
  streamContext_ = nullptr;
  rate_ = 0;
  channels_ = 0;
  lengthMs_ = 0;
  bitrate_ = 0;
  layer_ = 0;
  endFlag_ = nullptr;
  samplesOut_ = 0;
  mode_ = kModeClosed;
}

int32_t TDecoder::SetOutput(int32_t device, const char* fileName) {
  if (device != kDeviceWaveMapper && device != kDevicePcmFile) return kErrOutput;
  const size_t n = fileName ? strnlen(fileName, kOutFileNameBuffer) : 0;
  if (n >= static_cast<size_t>(kOutFileNameBuffer)) return kErrOutput;
  if (device == kDevicePcmFile && n == 0) return kErrOutput;
  device_ = device;
  std::memset(outName_, 0, sizeof outName_);
  if (n) std::memcpy(outName_, fileName, n);
  return kErrNone;
}

void TDecoder::SetPriority(int32_t priority) {
  priority_ = priority;
  if (thread_) SetThreadPriority(thread_, priority_);
}

int32_t TDecoder::Play(int32_t startMs, int32_t endMs, uint8_t* endFlag) {
  if (!mh_) return kErrMode;
  if (startMs < 0 || (endMs != 0 && endMs <= startMs)) return kErrInput;
  JoinThread();
  CloseOutput();
  startMs_ = startMs;
  endMs_ = endMs;
  endFlag_ = endFlag;
  return StartPlayback();
}

int32_t TDecoder::Restart() {
  if (!mh_ || !endFlag_) return kErrMode;
  JoinThread();
  CloseOutput();
  return StartPlayback();
}

int32_t TDecoder::StartPlayback() {
  // Freshly opened at the start position: the decoder is already there and
  // a stream that cannot seek needs no seek.
  if (!(fresh_ && startMs_ == 0)) {
    const off_t at = static_cast<off_t>(static_cast<int64_t>(startMs_) * rate_ / 1000);
    if (mpg123_seek(mh_, at, SEEK_SET) < 0) {
      uint8_t restarted = 0;
      if (!(fromStream_ && startMs_ == 0 && stream_.restart)) return kErrNonSeekable;
      stream_.restart(stream_.self, streamContext_, &restarted);
      if (!restarted) return kErrNonSeekable;
      // The caller's stream is back at its start: decode it anew.
      mpg123_close(mh_);
      mpg123_delete(mh_);
      mh_ = nullptr;
      const int32_t err = OpenDecoder(0);
      if (err != kErrNone) return err;
    }
  }
  fresh_ = false;
  if (!OpenOutput()) return kErrOutput;
  samplesOut_ = 0;
  stop_ = 0;
  paused_ = 0;
  if (endFlag_) *reinterpret_cast<volatile uint8_t*>(endFlag_) = 0;
  mode_ = kModePlaying;
  thread_ = CreateThread(nullptr, 0, &ThreadMain, this, 0, nullptr);
  if (!thread_) {
    CloseOutput();
    mode_ = kModeOpen;
    return kErrDecoder;
  }
  SetThreadPriority(thread_, priority_);
  return kErrNone;
}

int32_t TDecoder::Pause(bool pause) {
  if (pause) {
    if (mode_ != kModePlaying) return kErrMode;
    paused_ = 1;
    if (wave_) waveOutPause(wave_);
    mode_ = kModePaused;
  } else {
    if (mode_ == kModePlaying) return kErrNone;
    if (mode_ != kModePaused) return kErrMode;
    paused_ = 0;
    if (wave_) waveOutRestart(wave_);
    mode_ = kModePlaying;
    SetEvent(wake_);
  }
  return kErrNone;
}

int32_t TDecoder::Stop() {
  if (!mh_) return kErrMode;
  JoinThread();
  CloseOutput();
  mode_ = kModeOpen;
  return kErrNone;
}

int32_t TDecoder::Seek(int32_t ms) {
  if (!mh_) return kErrMode;
  if (thread_) return kErrMode;  // not while the decoder thread reads
  if (ms < 0 || (lengthMs_ > 0 && ms > lengthMs_)) return kErrInput;
  const off_t at = static_cast<off_t>(static_cast<int64_t>(ms) * rate_ / 1000);
  if (mpg123_seek(mh_, at, SEEK_SET) < 0) return kErrNonSeekable;
  startMs_ = ms;
  fresh_ = false;
  return kErrNone;
}

void TDecoder::ResetMode() {
  if (mode_ == kModeEnded) mode_ = kModeOpen;
}

int32_t TDecoder::PositionMs() const {
  if (!mh_) return 0;
  int64_t samples = samplesOut_;
  if (wave_) {
    MMTIME t{};
    t.wType = TIME_SAMPLES;
    if (waveOutGetPosition(wave_, &t, sizeof t) == MMSYSERR_NOERROR && t.wType == TIME_SAMPLES) samples = t.u.sample;
  }
  return startMs_ + SamplesToMs(samples, rate_);
}

long TDecoder::ReadInput(void* buffer, size_t bytes) {
  if (bytes > 0x40000000u) bytes = 0x40000000u;
  if (fromStream_) {
    if (!stream_.read) return -1;
    int32_t got = 0;
    uint8_t ok = 0;
    stream_.read(stream_.self, streamContext_, buffer, static_cast<int32_t>(bytes), &got, &ok);
    if (!ok || got < 0 || static_cast<size_t>(got) > bytes) return -1;
    return got;
  }
  DWORD got = 0;
  if (!ReadFile(file_, buffer, static_cast<DWORD>(bytes), &got, nullptr)) return -1;
  return static_cast<long>(got);
}

long TDecoder::SeekInput(long offset, int whence) {
  if (fromStream_) {
    if (nonSeekable_ || !stream_.seek) return -1;
    int32_t result = -1;
    stream_.seek(stream_.self, streamContext_, offset, whence, &result);
    return result;
  }
  LARGE_INTEGER to{}, at{};
  to.QuadPart = offset;
  const DWORD method = whence == SEEK_CUR ? FILE_CURRENT : whence == SEEK_END ? FILE_END : FILE_BEGIN;
  if (!SetFilePointerEx(file_, to, &at, method) || at.QuadPart > LONG_MAX) return -1;
  return static_cast<long>(at.QuadPart);
}

DWORD WINAPI TDecoder::ThreadMain(void* self) {
  static_cast<TDecoder*>(self)->Decode();
  return 0;
}

void TDecoder::Decode() {
  const size_t frameBytes = static_cast<size_t>(channels_) * 2;
  const int64_t limit = endMs_ > 0 ? static_cast<int64_t>(endMs_ - startMs_) * rate_ / 1000 : INT64_MAX;
  int64_t written = 0;
  unsigned char buf[16384];
  while (!stop_) {
    if (paused_ && !wave_) {
      WaitForSingleObject(wake_, INFINITE);
      continue;
    }
    size_t done = 0;
    const int err = mpg123_read(mh_, buf, sizeof buf, &done);
    if (done > 0) {
      int64_t frames = static_cast<int64_t>(done / frameBytes);
      const bool last = written + frames >= limit;
      if (last) frames = limit - written;
      if (!WriteOutput(buf, static_cast<size_t>(frames) * frameBytes)) break;
      written += frames;
      InterlockedExchange(&samplesOut_, static_cast<LONG>(written));
      if (last) break;
    }
    // A change of format mid-stream keeps the opened output (rare, and the
    // decoder still gives 16-bit samples); any other error ends the stream
    // with what has been decoded.
    if (err == MPG123_NEW_FORMAT || (err == MPG123_OK)) continue;
    break;
  }
  if (stop_) return;
  DrainOutput();
  if (stop_) return;
  mode_ = kModeEnded;
  if (endFlag_) *reinterpret_cast<volatile uint8_t*>(endFlag_) = 1;
}

void TDecoder::JoinThread() {
  if (!thread_) return;
  stop_ = 1;
  SetEvent(wake_);
  if (wave_) waveOutReset(wave_);  // hands back every queued buffer, so a waiting thread wakes
  SetEvent(waveDone_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  thread_ = nullptr;
  stop_ = 0;
  paused_ = 0;
}

bool TDecoder::OpenOutput() {
  if (device_ == kDevicePcmFile) {
    pcm_ = CreateFileA(outName_, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return pcm_ != INVALID_HANDLE_VALUE;
  }
  WAVEFORMATEX fmt{};
  fmt.wFormatTag = WAVE_FORMAT_PCM;
  fmt.nChannels = static_cast<WORD>(channels_);
  fmt.nSamplesPerSec = static_cast<DWORD>(rate_);
  fmt.wBitsPerSample = 16;
  fmt.nBlockAlign = static_cast<WORD>(channels_ * 2);
  fmt.nAvgBytesPerSec = fmt.nSamplesPerSec * fmt.nBlockAlign;
  ResetEvent(waveDone_);
  if (waveOutOpen(&wave_, WAVE_MAPPER, &fmt, reinterpret_cast<DWORD_PTR>(waveDone_), 0, CALLBACK_EVENT) !=
      MMSYSERR_NOERROR) {
    wave_ = nullptr;
    return false;
  }
  waveBufferBytes_ = (fmt.nAvgBytesPerSec / 10 + fmt.nBlockAlign - 1) / fmt.nBlockAlign * fmt.nBlockAlign;
  waveMemory_ = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, waveBufferBytes_ * kWaveBuffers));
  if (!waveMemory_) {
    waveOutClose(wave_);
    wave_ = nullptr;
    return false;
  }
  for (int i = 0; i < kWaveBuffers; ++i) {
    headers_[i] = WAVEHDR{};
    headers_[i].lpData = waveMemory_ + i * waveBufferBytes_;
    headers_[i].dwBufferLength = static_cast<DWORD>(waveBufferBytes_);
    waveOutPrepareHeader(wave_, &headers_[i], sizeof(WAVEHDR));
  }
  nextHeader_ = 0;
  fill_ = 0;
  return true;
}

void TDecoder::CloseOutput() {
  if (pcm_ != INVALID_HANDLE_VALUE) {
    CloseHandle(pcm_);
    pcm_ = INVALID_HANDLE_VALUE;
  }
  if (wave_) {
    waveOutReset(wave_);
    for (int i = 0; i < kWaveBuffers; ++i) waveOutUnprepareHeader(wave_, &headers_[i], sizeof(WAVEHDR));
    waveOutClose(wave_);
    wave_ = nullptr;
    HeapFree(GetProcessHeap(), 0, waveMemory_);
    waveMemory_ = nullptr;
  }
}

bool TDecoder::WriteOutput(const unsigned char* data, size_t bytes) {
  if (pcm_ != INVALID_HANDLE_VALUE) {
    while (bytes > 0) {
      DWORD put = 0;
      if (!WriteFile(pcm_, data, static_cast<DWORD>(bytes), &put, nullptr) || put == 0) return false;
      data += put;
      bytes -= put;
    }
    return true;
  }
  while (bytes > 0) {
    WAVEHDR& h = headers_[nextHeader_];
    // Wait for this buffer to come back from the device.
    while (h.dwFlags & WHDR_INQUEUE) {
      if (stop_) return false;
      WaitForSingleObject(waveDone_, 100);
    }
    const size_t take = bytes < waveBufferBytes_ - fill_ ? bytes : waveBufferBytes_ - fill_;
    std::memcpy(h.lpData + fill_, data, take);
    fill_ += take;
    data += take;
    bytes -= take;
    if (fill_ == waveBufferBytes_) SubmitBuffer();
  }
  return true;
}

void TDecoder::SubmitBuffer() {
  WAVEHDR& h = headers_[nextHeader_];
  h.dwBufferLength = static_cast<DWORD>(fill_);
  h.dwFlags &= ~WHDR_DONE;
  waveOutWrite(wave_, &h, sizeof(WAVEHDR));
  nextHeader_ = (nextHeader_ + 1) % kWaveBuffers;
  fill_ = 0;
}

void TDecoder::DrainOutput() {
  if (!wave_) return;
  if (fill_ > 0) SubmitBuffer();
  for (;;) {
    bool queued = false;
    for (const WAVEHDR& h : headers_) queued |= (h.dwFlags & WHDR_INQUEUE) != 0;
    if (!queued || stop_) return;
    WaitForSingleObject(waveDone_, 100);
  }
}

}  // namespace vanta::mpegdll
