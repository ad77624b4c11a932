#include "FakeMpegLibrary.h"

#include "platform/DynamicLibrary.h"

namespace vanta::test {
namespace {

TFakeMpegLibrary gLib;

void Called(const char* name) {
  gLib.calls.emplace_back(name);
  auto it = gLib.errors.find(name);
  gLib.lastError = it == gLib.errors.end() ? 0 : it->second;
}

int32_t VANTA_STDCALL Init() { Called("init"); return gLib.initResult; }
void VANTA_STDCALL Deinit() { Called("deinit"); }
int32_t VANTA_STDCALL Open(const char* name, int32_t fromStream, mpeglib::TOpenStreamProc o,
                           mpeglib::TCloseStreamProc c, mpeglib::TRestartStreamProc r, mpeglib::TReadStreamProc rd,
                           mpeglib::TSeekStreamProc s, mpeglib::TGetStreamSizeProc z, void* self) {
  Called("Open");
  gLib.openedName = name ? name : "<null>";
  gLib.fromStream = fromStream;
  gLib.openProc = o, gLib.closeProc = c, gLib.restartProc = r, gLib.readProc = rd, gLib.seekProc = s,
  gLib.sizeProc = z, gLib.self = self;
  if (gLib.lastError == 0) gLib.mode = mpeglib::kModeOpen;
  return 0;
}
void VANTA_STDCALL Pause(int32_t resume) { Called(resume ? "Pause(resume)" : "Pause(pause)"); }
void VANTA_STDCALL Restart() {
  Called("Restart");
  gLib.mode = mpeglib::kModePlaying;
}
void VANTA_STDCALL Stop() {
  Called("Stop");
  gLib.mode = mpeglib::kModeOpen;
}
void VANTA_STDCALL SetPriority(int32_t p) {
  Called("SetPriority");
  gLib.priority = p;
}
void VANTA_STDCALL SetOutputDevice(int32_t device, const char* name) {
  Called("SetOutputDevice");
  gLib.device = device;
  gLib.outName = name ? name : "<null>";
}
int32_t VANTA_STDCALL Play(int32_t, int32_t, uint8_t* flag) {
  Called("Play");
  gLib.endFlag = flag;
  if (gLib.lastError == 0 && gLib.playResult == 0) gLib.mode = mpeglib::kModePlaying;
  return gLib.playResult;
}
void VANTA_STDCALL Close() {
  Called("Close");
  gLib.endFlag = nullptr;
  gLib.mode = mpeglib::kModeClosed;
}
int32_t VANTA_STDCALL GetFrequency() { Called("GetFrequency"); return 44100; }
int32_t VANTA_STDCALL GetBitrate() { Called("GetBitrate"); return 128; }
int32_t VANTA_STDCALL GetLayer() { Called("GetLayer"); return 3; }
int32_t VANTA_STDCALL GetPlayerMode() { Called("GetPlayerMode"); return gLib.mode; }
int32_t VANTA_STDCALL GetCurrentPos() { Called("GetCurrentPos"); return gLib.position; }
int32_t VANTA_STDCALL GetLength() { Called("GetLength"); return gLib.length; }
void VANTA_STDCALL ResetPlayerMode() { Called("ResetPlayerMode"); }
int32_t VANTA_STDCALL Seek(int32_t) { Called("Seek"); return 0; }
// Reports, does not reset: the player asks once after each call.
int32_t VANTA_STDCALL LastError() { return gLib.lastError; }

}  // namespace

TFakeMpegLibrary& FakeMpeg() { return gLib; }

void InstallFakeMpeg(TFakeLibraries& libraries, const std::string& path, const std::string& without) {
  gLib = TFakeMpegLibrary{};
  std::map<std::string, void*> entries = {
      {"init", reinterpret_cast<void*>(&Init)},
      {"deinit", reinterpret_cast<void*>(&Deinit)},
      {"Open", reinterpret_cast<void*>(&Open)},
      {"Pause", reinterpret_cast<void*>(&Pause)},
      {"Restart", reinterpret_cast<void*>(&Restart)},
      {"Stop", reinterpret_cast<void*>(&Stop)},
      {"SetPriority", reinterpret_cast<void*>(&SetPriority)},
      {"SetOutputDevice", reinterpret_cast<void*>(&SetOutputDevice)},
      {"Play", reinterpret_cast<void*>(&Play)},
      {"Close", reinterpret_cast<void*>(&Close)},
      {"GetFrequency", reinterpret_cast<void*>(&GetFrequency)},
      {"GetBitrate", reinterpret_cast<void*>(&GetBitrate)},
      {"GetLayer", reinterpret_cast<void*>(&GetLayer)},
      {"GetPlayerMode", reinterpret_cast<void*>(&GetPlayerMode)},
      {"GetCurrentPos", reinterpret_cast<void*>(&GetCurrentPos)},
      {"GetLength", reinterpret_cast<void*>(&GetLength)},
      {"ResetPlayerMode", reinterpret_cast<void*>(&ResetPlayerMode)},
      {"Seek", reinterpret_cast<void*>(&Seek)},
      {"LastError", reinterpret_cast<void*>(&LastError)},
  };
  entries.erase(without);
  libraries.Register(path, std::move(entries));
}

}  // namespace vanta::test
