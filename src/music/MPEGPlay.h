// TMPEGPlayer: plays MPEG audio through the external library "mpegdll.dll".
//
// The player loads the library at run time, keeps a small state machine
// (opened, playing, paused, ended) around its calls, turns every error the
// library reports into a TMPEGError with a fixed message, and polls the
// playback on a scheduler timer so it can raise OnPlayEnd when the library
// sets the end flag it was given. The library plays on a thread of its own;
// the player itself runs on the main thread only, its timer on the
// scheduler it was made with.
//
// The end of a stream comes in two steps: the library sets the end flag
// (the player still counts as playing: Stop and Pause(true) now fail with
// "Incorrect mode"), and the next CheckPosition moves to Open and raises
// OnPlayEnd.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

#include "music/MPEGLibrary.h"
#include "platform/DynamicLibrary.h"
#include "platform/Scheduler.h"

namespace vanta {

class TMPEGError : public std::runtime_error {
 public:
  TMPEGError(const std::string& message, uint8_t code) : std::runtime_error(message), ErrorCode(code) {}
  uint8_t ErrorCode;
};

// Messages by the library's error code.
inline constexpr std::array<const char*, 6> MPEGErrorMessages = {
    "MPEG library not loaded", "Internal decoder error",       "Incorrect mode",
    "Input stream error",      "Input stream is non-seekable", "Output device failure",
};
inline constexpr const char* kCantLoadMPEGLibrary = "Can't load MPEG library";
inline constexpr const char* kCantPlayNonSpecifiedStream = "Can't play non-specified stream";
inline constexpr uint8_t kNonSpecifiedStreamCode = 254;

// Thread priorities handed to the library: the scheduler's, under the
// player's names, so the library gets the platform's levels.
enum class TPlayPriority {
  Idle = static_cast<int>(platform::TThreadPriority::tpIdle),
  Lowest = static_cast<int>(platform::TThreadPriority::tpLowest),
  BelowNormal = static_cast<int>(platform::TThreadPriority::tpLower),
  Normal = static_cast<int>(platform::TThreadPriority::tpNormal),
  AboveNormal = static_cast<int>(platform::TThreadPriority::tpHigher),
  Highest = static_cast<int>(platform::TThreadPriority::tpHighest),
  TimeCritical = static_cast<int>(platform::TThreadPriority::tpTimeCritical),
};
enum class TOutputDevice { wavemapper, pcmfile };

// The library's number for a priority, and back (unknown numbers: Normal).
int32_t PriorityNumber(TPlayPriority p);
TPlayPriority PriorityFromNumber(int32_t v);

class TMPEGPlayer {
 public:
  // The poll timer runs on scheduler, and mpegdll.dll comes from libraries;
  // both must outlive the player.
  TMPEGPlayer(platform::IScheduler& scheduler, platform::IDynamicLibraries& libraries);
  ~TMPEGPlayer();
  TMPEGPlayer(const TMPEGPlayer&) = delete;
  TMPEGPlayer& operator=(const TMPEGPlayer&) = delete;

  // Stored only.
  bool Seekable() const { return seekable_; }
  void SetSeekable(bool v) { seekable_ = v; }
  // Open reads through the stream callbacks instead of StreamName.
  bool FromStream() const { return fromStream_; }
  void SetFromStream(bool v) { fromStream_ = v; }
  // Passed on to the library at once when it is loaded.
  TPlayPriority PlayerPriority() const { return PriorityFromNumber(priorityValue_); }
  void SetPlayerPriority(TPlayPriority p);
  bool UseTimer() const { return useTimer_; }
  void SetUseTimer(bool v) { useTimer_ = v; }
  // Milliseconds; 0 also turns UseTimer off. The timer takes the period
  // only in LoadMPEGLibrary.
  int32_t TimerFreq() const { return timerFreq_; }
  void SetTimerFreq(int32_t ms);
  bool AutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool v) { autoPlay_ = v; }
  // Setting it closes a stream that is open.
  const std::string& StreamName() const { return streamName_; }
  void SetStreamName(const std::string& name);
  // pcmfile sticks only when OutFilename is already set.
  TOutputDevice OutputDevice() const { return deviceCode_ != 0 ? TOutputDevice::pcmfile : TOutputDevice::wavemapper; }
  void SetOutputDevice(TOutputDevice d);
  const std::string& OutFilename() const { return outFilename_; }
  void SetOutFilename(const std::string& name) { outFilename_ = name; }
  // Folder of the library; empty: the bare name through the search order.
  const std::string& PathToDLL() const { return pathToDLL_; }
  void SetPathToDLL(const std::string& path) { pathToDLL_ = path; }
  int32_t StartPos() const { return startPos_; }
  void SetStartPos(int32_t v) { startPos_ = v; }
  int32_t EndPos() const { return endPos_; }
  void SetEndPos(int32_t v) { endPos_ = v; }
  // 1 after Open, +1 per start (first Play or Restart), 0 after Close.
  int32_t PlayedXTimes() const { return playedXTimes_; }

  // Stream callbacks; they run on whatever thread the library calls from.
  std::function<void(bool& Nonseekable, void*& Context)> OnOpenStream;
  std::function<void(void* Context)> OnCloseStream;
  std::function<void(void* Context, bool& res)> OnRestartStream;
  std::function<void(void* Context, int32_t& res)> OnGetStreamSize;
  std::function<void(void* Context, int32_t numbytes, int32_t MoveMethod, int32_t& res)> OnSeekStream;
  std::function<void(void* Context, void* read_buffer, int32_t nNumberOfBytesToRead,
                     int32_t& nNumberOfBytesRead, bool& res)>
      OnReadStream;
  // Each timer tick during playback.
  std::function<void(int32_t Pos, int32_t Len)> OnPosUpdate;
  // Once when the library reports the end of the stream.
  std::function<void(TMPEGPlayer& Sender)> OnPlayEnd;

  void LoadMPEGLibrary();
  void Open();
  void Play();
  void Pause(bool pause);
  void Stop();
  void Restart();
  void Close();
  int32_t GetPlayerMode();
  int32_t GetCurrentPos();
  int32_t GetLength();
  // The timer's handler; also run once at each start.
  void CheckPosition();

  // State, for the music set and for tests.
  bool LibraryLoaded() const { return library_ != nullptr; }
  bool Opened() const { return opened_; }
  bool Playing() const { return playing_; }
  bool Paused() const { return paused_; }
  bool PlayEnded() const { return playEnded_ != 0; }
  int32_t LastErrorCode() const { return lastErrorCode_; }
  int32_t StreamLength() const { return streamLength_; }

 private:
  struct TEntries {
    mpeglib::TInitProc init;
    mpeglib::TDeinitProc deinit;
    mpeglib::TOpenProc open;
    mpeglib::TPauseProc pause;
    mpeglib::TVoidProc restart;
    mpeglib::TVoidProc stop;
    mpeglib::TSetPriorityProc setPriority;
    mpeglib::TSetOutputDeviceProc setOutputDevice;
    mpeglib::TPlayProc play;
    mpeglib::TVoidProc close;
    mpeglib::TQueryProc getFrequency;
    mpeglib::TQueryProc getBitrate;
    mpeglib::TQueryProc getLayer;
    mpeglib::TQueryProc getPlayerMode;
    mpeglib::TQueryProc getCurrentPos;
    mpeglib::TQueryProc getLength;
    mpeglib::TVoidProc resetPlayerMode;
    mpeglib::TSeekProc seek;
    mpeglib::TQueryProc lastError;
  };

  void CheckLibrary() const;
  [[noreturn]] static void RaiseCode(int32_t code);
  [[noreturn]] static void RaiseModeError();
  // LastErrorCode := LastError; raises for a positive code.
  void TakeLastError();
  void CheckLastError();
  void StartTimer();
  void StopTimer();

  // The stream callbacks handed to the library.
  static void VANTA_STDCALL StreamOpen(void* self, uint8_t* nonSeekable, void** context);
  static void VANTA_STDCALL StreamClose(void* self, void* context);
  static void VANTA_STDCALL StreamRestart(void* self, void* context, uint8_t* result);
  static void VANTA_STDCALL StreamRead(void* self, void* context, void* buffer, int32_t toRead, int32_t* read,
                                       uint8_t* result);
  static void VANTA_STDCALL StreamSeek(void* self, void* context, int32_t numBytes, int32_t moveMethod,
                                       int32_t* result);
  static void VANTA_STDCALL StreamGetSize(void* self, void* context, int32_t* result);

  bool seekable_ = false;
  bool fromStream_ = false;
  bool useTimer_ = false;
  int32_t timerFreq_ = 0;
  bool autoPlay_ = false;
  std::string streamName_;
  std::string outFilename_;
  std::string pathToDLL_;
  int32_t startPos_ = 0;
  int32_t endPos_ = 0;
  int32_t playedXTimes_ = 0;

  platform::TLibraryHandle library_ = nullptr;
  TEntries entries_{};
  bool opened_ = false;
  bool playing_ = false;
  bool paused_ = false;
  // Written by the library's thread; one byte, read without a lock.
  volatile uint8_t playEnded_ = 0;
  int32_t priorityValue_ = 0;
  int32_t deviceCode_ = 0;
  int32_t streamLength_ = 0;
  int32_t lastErrorCode_ = 0;
  platform::IScheduler& scheduler_;
  platform::IDynamicLibraries& libraries_;
  uint32_t timerPeriod_ = 0;  // taken at load; 0: no polling
  uint32_t timerId_ = 0;      // 0 while not polling
};

}  // namespace vanta
