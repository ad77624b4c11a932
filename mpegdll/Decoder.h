// One MPEG audio stream: its input (a file or the caller's stream
// callbacks), the libmpg123 decoder, and a thread of its own that decodes
// and feeds the output (the wave mapper or a raw PCM file: 16-bit
// little-endian, interleaved, at the stream's own rate and channels).
//
// Every public method runs on the caller's thread and returns a library
// error code (0 = none). The decoding thread only reads the decoder and
// writes the output; at the end of the stream it sets the caller's end
// flag. A decoding error mid-stream ends the stream the same way: what was
// decoded has played, and the caller sees the end.
#pragma once
#include <windows.h>
#include <mmsystem.h>

#include <cstdint>

#include "music/MPEGLibrary.h"

struct mpg123_handle_struct;

namespace vanta::mpegdll {

struct TStreamCallbacks {
  mpeglib::TOpenStreamProc open = nullptr;
  mpeglib::TCloseStreamProc close = nullptr;
  mpeglib::TRestartStreamProc restart = nullptr;
  mpeglib::TReadStreamProc read = nullptr;
  mpeglib::TSeekStreamProc seek = nullptr;
  mpeglib::TGetStreamSizeProc size = nullptr;
  void* self = nullptr;
};

class TDecoder {
 public:
  TDecoder();
  ~TDecoder();

  int32_t OpenFile(const char* name);
  int32_t OpenStream(const TStreamCallbacks& callbacks);
  void Close();

  int32_t SetOutput(int32_t device, const char* fileName);
  void SetPriority(int32_t priority);
  int32_t Play(int32_t startMs, int32_t endMs, uint8_t* endFlag);
  int32_t Restart();
  int32_t Pause(bool pause);
  int32_t Stop();
  int32_t Seek(int32_t ms);

  int32_t Mode() const { return mode_; }
  void ResetMode();
  int32_t PositionMs() const;
  int32_t LengthMs() const { return lengthMs_; }
  int32_t Frequency() const { return rate_; }
  int32_t Bitrate() const { return bitrate_; }
  int32_t Layer() const { return layer_; }

  // The reader of the decoder: the file or the stream callbacks.
  long ReadInput(void* buffer, size_t bytes);
  long SeekInput(long offset, int whence);

 private:
  static DWORD WINAPI ThreadMain(void* self);
  void Decode();
  int32_t OpenDecoder(long streamSize);
  int32_t StartThread();
  void JoinThread();
  bool OpenOutput();
  void CloseOutput();
  bool WriteOutput(const unsigned char* data, size_t bytes);
  void DrainOutput();
  void SubmitBuffer();
  int32_t StartPlayback();

  mpg123_handle_struct* mh_ = nullptr;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  bool fromStream_ = false;
  bool nonSeekable_ = false;
  bool fresh_ = false;  // opened, nothing decoded for playback yet
  int32_t bitrate_ = 0;
  int32_t layer_ = 0;
  TStreamCallbacks stream_;
  void* streamContext_ = nullptr;
  long rate_ = 0;
  int channels_ = 0;
  int32_t lengthMs_ = 0;

  int32_t device_ = mpeglib::kDeviceWaveMapper;
  char outName_[mpeglib::kOutFileNameBuffer] = {};
  int32_t priority_ = 0;
  int32_t startMs_ = 0;
  int32_t endMs_ = 0;

  HANDLE thread_ = nullptr;
  HANDLE wake_ = nullptr;  // pause, resume and stop wake the thread
  volatile LONG stop_ = 0;
  volatile LONG paused_ = 0;
  volatile LONG mode_ = mpeglib::kModeClosed;
  volatile LONG samplesOut_ = 0;  // frames handed to the output since the start position
  uint8_t* endFlag_ = nullptr;

  // Wave output: a ring of buffers, each about a tenth of a second, so
  // about a second and a half is queued ahead of what is heard.
  static constexpr int kWaveBuffers = 16;
  HWAVEOUT wave_ = nullptr;
  HANDLE waveDone_ = nullptr;
  WAVEHDR headers_[kWaveBuffers] = {};
  char* waveMemory_ = nullptr;
  size_t waveBufferBytes_ = 0;
  int nextHeader_ = 0;
  size_t fill_ = 0;  // bytes already in the current buffer
  HANDLE pcm_ = INVALID_HANDLE_VALUE;
};

}  // namespace vanta::mpegdll
