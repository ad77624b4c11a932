// A scripted stand-in for "mpegdll.dll": records every call, answers from
// the script, and keeps the end-flag address so a test can end the stream
// "from the library's side".
#pragma once
#include <map>
#include <string>
#include <vector>

#include "fakes/FakePlatform.h"
#include "music/MPEGLibrary.h"

namespace vanta::test {

struct TFakeMpegLibrary {
  std::vector<std::string> calls;
  std::map<std::string, int32_t> errors;  // entry name -> LastError after it
  int32_t lastError = 0;
  int32_t initResult = 1;
  int32_t playResult = 0;
  int32_t mode = mpeglib::kModeClosed;
  int32_t position = 0;
  int32_t length = 5000;
  uint8_t* endFlag = nullptr;
  std::string openedName;
  int32_t fromStream = -1;
  int32_t device = -1;
  std::string outName;
  int32_t priority = 99;
  // Stream mode: what the player handed to Open.
  mpeglib::TOpenStreamProc openProc = nullptr;
  mpeglib::TCloseStreamProc closeProc = nullptr;
  mpeglib::TRestartStreamProc restartProc = nullptr;
  mpeglib::TReadStreamProc readProc = nullptr;
  mpeglib::TSeekStreamProc seekProc = nullptr;
  mpeglib::TGetStreamSizeProc sizeProc = nullptr;
  void* self = nullptr;

  // Sets the end flag as the library's thread does at the end of a stream.
  void EndStream() {
    mode = mpeglib::kModeEnded;
    if (endFlag) *endFlag = 1;
  }
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& c : calls) n += c == name;
    return n;
  }
};

// The one fake of the process; Install resets it and registers its entries
// in libraries under path (all 19 but `without`).
TFakeMpegLibrary& FakeMpeg();
void InstallFakeMpeg(TFakeLibraries& libraries, const std::string& path = "mpegdll.dll",
                     const std::string& without = "");

}  // namespace vanta::test
