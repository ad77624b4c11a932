#include "music/MusicSet.h"

#include <algorithm>
#include <cctype>

#include "base/Random.h"
#include "platform/Files.h"
#include "platform/Scheduler.h"

namespace vanta {
namespace {

// Extension with its dot, upper-cased; empty when the name has none.
std::string UpperExtension(const std::string& fileName) {
  const size_t slash = fileName.find_last_of("\\/:");
  const size_t dot = fileName.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = fileName.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::toupper(c); });
  return ext;
}

}  // namespace

TMusicSet::TMusicSet(platform::IScheduler& scheduler, platform::IDynamicLibraries& libraries,
                     platform::TMediaControlFactory makeDevice)
    : scheduler_(scheduler), libraries_(libraries), makeDevice_(std::move(makeDevice)) {}

TMPEGPlayer& TMusicSet::MusicPlayer() {
  TMyMusicSet& s = state_;
  if (!s.MusicPlayer) {
    s.MusicPlayer = std::make_unique<TMPEGPlayer>(scheduler_, libraries_);
    TMPEGPlayer& p = *s.MusicPlayer;
    p.SetSeekable(false);
    p.SetFromStream(false);
    p.SetPlayerPriority(TPlayPriority::Normal);
    p.SetUseTimer(true);
    p.SetTimerFreq(1000);
    p.SetAutoPlay(false);
    p.SetOutputDevice(TOutputDevice::wavemapper);
    p.SetStartPos(0);
    p.SetEndPos(0);
    p.SetPathToDLL("");
    p.OnPlayEnd = [this](TMPEGPlayer&) { MusicEnded(); };
    // Loaded once: a library that fails here is not tried again, and every
    // later MP3 fails quietly in Open.
    try {
      p.LoadMPEGLibrary();
    } catch (const TMPEGError&) {
    }
  }
  return *s.MusicPlayer;
}

platform::IMediaControl& TMusicSet::MediaPlayer() {
  TMyMusicSet& s = state_;
  if (!s.MediaPlayer) {
    s.MediaPlayer = makeDevice_();
    s.MediaPlayer->OnNotify = [this] { MusicEnded(); };
  }
  return *s.MediaPlayer;
}

void TMusicSet::StartTrack(const std::string& fileName) {
  const std::string ext = UpperExtension(fileName);
  if (ext == ".MP3") {
    TMPEGPlayer& p = MusicPlayer();
    p.SetStreamName(fileName);
    p.Open();
    p.Play();
  } else if (ext == ".WAV" || ext == ".MID") {
    platform::IMediaControl& m = MediaPlayer();
    m.Close();
    m.SetFileName(fileName);
    m.Open();
    m.Play();
  }
}

void TMusicSet::SetMusicList(const std::vector<std::string>& files, bool randomOrder, bool loop) {
  TMyMusicSet& s = state_;
  s.Files = files;
  s.RandomOrder = randomOrder;
  s.Loop = loop;
  Randomize();
  s.CurrentMusic.clear();
  s.Index = -1;
  s.PlayedCount = -1;
}

void TMusicSet::SelectNextMusic() {
  TMyMusicSet& s = state_;
  s.CurrentMusic.clear();
  if (!s.Files || s.Files->empty()) return;
  const auto count = static_cast<int32_t>(s.Files->size());
  if (s.RandomOrder) {
    ++s.PlayedCount;
    if (s.Loop || s.PlayedCount < count) {
      s.Index = static_cast<int32_t>(Random(static_cast<uint32_t>(count)));
    } else {
      s.Index = -1;
    }
  } else if (s.Index == -1) {
    s.Index = 0;
  } else {
    ++s.Index;
    if (s.Index >= count) s.Index = s.Loop ? 0 : -1;
  }
  if (s.Index == -1) {
    s.PlayedCount = -1;
  } else {
    s.CurrentMusic = (*s.Files)[static_cast<size_t>(s.Index)];
  }
}

void TMusicSet::PlayMusicFile(const std::string& fileName) {
  TMyMusicSet& s = state_;
  if (!fileName.empty()) {
    s.CurrentMusic = fileName;
    if (s.Files) s.Files->clear();
  } else {
    SelectNextMusic();
  }
  if (!platform::FileExists(s.CurrentMusic)) return;
  try {
    StartTrack(s.CurrentMusic);
  } catch (const std::exception&) {
    // The show stays silent; the playlist halts at this entry.
  }
}

void TMusicSet::StopMusic() {
  TMyMusicSet& s = state_;
  if (s.MusicPlayer) {
    try {
      if (s.MusicPlayer->GetPlayerMode() == mpeglib::kModePlaying) {
        s.MusicPlayer->Stop();
        s.MusicPlayer->Close();
      }
    } catch (const std::exception&) {
    }
  }
  if (s.MediaPlayer) {
    try {
      if (s.MediaPlayer->IsPlaying()) {
        s.MediaPlayer->Stop();
        s.MediaPlayer->Close();
      }
    } catch (const std::exception&) {
    }
  }
  s.CurrentMusic.clear();
}

void TMusicSet::ClearMusicList() {
  TMyMusicSet& s = state_;
  if (s.Files) s.Files->clear();
  s.CurrentMusic.clear();
  s.Index = -1;
  s.PlayedCount = -1;
}

void TMusicSet::MusicEnded() { PlayMusicFile(""); }

}  // namespace vanta
