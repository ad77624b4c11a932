// The exported entries of mpegdll.dll. One stream at a time, as the player
// uses it; every entry records its own outcome for LastError, so LastError
// always reports the call just made. Entries are called from one thread.
#include <mpg123.h>

#include "Decoder.h"

using namespace vanta;
using namespace vanta::mpegdll;

namespace {

int32_t gLastError = mpeglib::kErrNone;
TDecoder* gDecoder = nullptr;

// Created on first use and kept: the library is never unloaded while a
// process plays.
TDecoder& Decoder() {
  if (!gDecoder) gDecoder = new TDecoder();
  return *gDecoder;
}

int32_t Done(int32_t err) {
  gLastError = err;
  return err;
}

}  // namespace

extern "C" {

int32_t __stdcall init() {
  if (mpg123_init() != MPG123_OK) {
    Done(mpeglib::kErrDecoder);
    return 0;
  }
  Decoder();
  Done(mpeglib::kErrNone);
  return 1;
}

void __stdcall deinit() {
  if (gDecoder) gDecoder->Close();
  Done(mpeglib::kErrNone);
}

int32_t __stdcall Open(const char* fileName, int32_t fromStream, mpeglib::TOpenStreamProc open,
                       mpeglib::TCloseStreamProc close, mpeglib::TRestartStreamProc restart,
                       mpeglib::TReadStreamProc read, mpeglib::TSeekStreamProc seek,
                       mpeglib::TGetStreamSizeProc size, void* self) {
  if (fromStream) {
    TStreamCallbacks cb;
    cb.open = open;
    cb.close = close;
    cb.restart = restart;
    cb.read = read;
    cb.seek = seek;
    cb.size = size;
    cb.self = self;
    return Done(Decoder().OpenStream(cb));
  }
  return Done(Decoder().OpenFile(fileName));
}

void __stdcall Pause(int32_t resume) { Done(Decoder().Pause(resume == 0)); }
void __stdcall Restart() { Done(Decoder().Restart()); }
void __stdcall Stop() { Done(Decoder().Stop()); }

void __stdcall SetPriority(int32_t priority) {
  Decoder().SetPriority(priority);
  Done(mpeglib::kErrNone);
}

void __stdcall SetOutputDevice(int32_t device, const char* outFileName) {
  Done(Decoder().SetOutput(device, outFileName));
}

int32_t __stdcall Play(int32_t startPos, int32_t endPos, uint8_t* playEnded) {
  return Done(Decoder().Play(startPos, endPos, playEnded)) == mpeglib::kErrNone ? 0 : 1;
}

void __stdcall Close() {
  Decoder().Close();
  Done(mpeglib::kErrNone);
}

int32_t __stdcall GetFrequency() {
  Done(mpeglib::kErrNone);
  return Decoder().Frequency();
}

int32_t __stdcall GetBitrate() {
  Done(mpeglib::kErrNone);
  return Decoder().Bitrate();
}

int32_t __stdcall GetLayer() {
  Done(mpeglib::kErrNone);
  return Decoder().Layer();
}

int32_t __stdcall GetPlayerMode() {
  Done(mpeglib::kErrNone);
  return Decoder().Mode();
}

int32_t __stdcall GetCurrentPos() {
  Done(mpeglib::kErrNone);
  return Decoder().PositionMs();
}

int32_t __stdcall GetLength() {
  Done(mpeglib::kErrNone);
  return Decoder().LengthMs();
}

void __stdcall ResetPlayerMode() {
  Decoder().ResetMode();
  Done(mpeglib::kErrNone);
}

int32_t __stdcall Seek(int32_t position) { return Done(Decoder().Seek(position)) == mpeglib::kErrNone ? 0 : 1; }

int32_t __stdcall LastError() { return gLastError; }

}  // extern "C"
