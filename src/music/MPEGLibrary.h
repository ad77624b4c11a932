// The call surface of the MPEG audio library "mpegdll.dll": the 19 entries
// the player resolves by name, shared by the player and by our own build of
// the library (mpegdll) so the two cannot drift apart.
//
// Every entry and every stream callback uses the stdcall convention of
// 32-bit Windows; integers are 32-bit signed, strings NUL-terminated bytes.
#pragma once
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define VANTA_STDCALL __attribute__((stdcall))
#else
#define VANTA_STDCALL
#endif

namespace vanta::mpeglib {

// Player modes: only kModePlaying is relied on by callers.
inline constexpr int32_t kModeClosed = 0;
inline constexpr int32_t kModeOpen = 1;
inline constexpr int32_t kModePaused = 2;
inline constexpr int32_t kModePlaying = 3;
inline constexpr int32_t kModeEnded = 4;

// Output device codes.
inline constexpr int32_t kDeviceWaveMapper = 0;
inline constexpr int32_t kDevicePcmFile = 2;

// Error codes of LastError.
inline constexpr int32_t kErrNone = 0;
inline constexpr int32_t kErrDecoder = 1;
inline constexpr int32_t kErrMode = 2;
inline constexpr int32_t kErrInput = 3;
inline constexpr int32_t kErrNonSeekable = 4;
inline constexpr int32_t kErrOutput = 5;

// Buffers of the player: the stream name and the output file name must fit
// with their terminating NUL.
inline constexpr int kStreamNameBuffer = 512;
inline constexpr int kOutFileNameBuffer = 260;

// Stream callbacks; the first argument is the context handed to Open.
using TOpenStreamProc = void(VANTA_STDCALL*)(void* self, uint8_t* nonSeekable, void** context);
using TCloseStreamProc = void(VANTA_STDCALL*)(void* self, void* context);
using TRestartStreamProc = void(VANTA_STDCALL*)(void* self, void* context, uint8_t* result);
using TReadStreamProc = void(VANTA_STDCALL*)(void* self, void* context, void* buffer, int32_t toRead,
                                             int32_t* read, uint8_t* result);
using TSeekStreamProc = void(VANTA_STDCALL*)(void* self, void* context, int32_t numBytes, int32_t moveMethod,
                                             int32_t* result);
using TGetStreamSizeProc = void(VANTA_STDCALL*)(void* self, void* context, int32_t* result);

// The entries. init's Boolean is its low byte.
using TInitProc = int32_t(VANTA_STDCALL*)();
using TDeinitProc = void(VANTA_STDCALL*)();
using TOpenProc = int32_t(VANTA_STDCALL*)(const char* fileName, int32_t fromStream, TOpenStreamProc,
                                          TCloseStreamProc, TRestartStreamProc, TReadStreamProc,
                                          TSeekStreamProc, TGetStreamSizeProc, void* self);
using TPauseProc = void(VANTA_STDCALL*)(int32_t resume);
using TVoidProc = void(VANTA_STDCALL*)();
using TSetPriorityProc = void(VANTA_STDCALL*)(int32_t priority);
using TSetOutputDeviceProc = void(VANTA_STDCALL*)(int32_t device, const char* outFileName);
using TPlayProc = int32_t(VANTA_STDCALL*)(int32_t startPos, int32_t endPos, uint8_t* playEnded);
using TQueryProc = int32_t(VANTA_STDCALL*)();
using TSeekProc = int32_t(VANTA_STDCALL*)(int32_t position);

// The names, in the order the player resolves them.
inline constexpr const char* kEntryNames[19] = {
    "init",          "deinit",        "Open",      "Pause",         "Restart",
    "Stop",          "SetPriority",   "SetOutputDevice", "Play",    "Close",
    "GetFrequency",  "GetBitrate",    "GetLayer",  "GetPlayerMode", "GetCurrentPos",
    "GetLength",     "ResetPlayerMode", "Seek",    "LastError",
};

}  // namespace vanta::mpeglib
