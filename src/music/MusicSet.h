// The music set: a playlist and its two players.
//
// MP3 files go to a TMPEGPlayer, WAV and MIDI files to a media-control
// device; each player is created on first use and kept. The end of a track
// (the MPEG player's poll timer, or the device's completion message) starts
// the next entry, in list or random order, once or in a loop, so a whole
// playlist runs without further calls. Every failure while starting or
// stopping a track is dropped: an entry that does not start halts the
// playlist there, since no end event will follow it. Main thread only.
//
// Start-up makes the one set of the process and hands it to the show driver
// that plays the music and to the builder's Music page.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "music/MPEGPlay.h"
#include "platform/MediaControl.h"

namespace vanta {

struct TMyMusicSet {
  std::optional<std::vector<std::string>> Files;  // absent until the first SetMusicList
  bool RandomOrder = false;
  bool Loop = false;
  std::string CurrentMusic;
  int32_t Index = 0;        // -1 before the first entry and after the end
  int32_t PlayedCount = 0;  // random picks since the list was set; -1 after a reset
  std::unique_ptr<TMPEGPlayer> MusicPlayer;
  std::unique_ptr<platform::IMediaControl> MediaPlayer;
};

class TMusicSet {
 public:
  // The MPEG player's timer runs on scheduler, mpegdll.dll comes from
  // libraries and wave and MIDI devices from makeDevice; all must outlive
  // the set.
  TMusicSet(platform::IScheduler& scheduler, platform::IDynamicLibraries& libraries,
            platform::TMediaControlFactory makeDevice);
  TMusicSet(const TMusicSet&) = delete;
  TMusicSet& operator=(const TMusicSet&) = delete;

  // Copies the list, stores the flags, re-seeds Random; starts nothing.
  void SetMusicList(const std::vector<std::string>& files, bool randomOrder, bool loop);
  // A named file ends the playlist and plays alone; an empty name plays the
  // next entry.
  void PlayMusicFile(const std::string& fileName);
  // Stops whichever player plays; empties CurrentMusic.
  void StopMusic();
  // Forgets the playlist without silencing the track that plays.
  void ClearMusicList();
  // Chooses the next entry into CurrentMusic (empty when there is none).
  void SelectNextMusic();
  // The end of a track: plays the next entry.
  void MusicEnded();

  const TMyMusicSet& State() const { return state_; }

 private:
  TMPEGPlayer& MusicPlayer();
  platform::IMediaControl& MediaPlayer();
  void StartTrack(const std::string& fileName);

  platform::IScheduler& scheduler_;
  platform::IDynamicLibraries& libraries_;
  platform::TMediaControlFactory makeDevice_;
  TMyMusicSet state_;
};

}  // namespace vanta
