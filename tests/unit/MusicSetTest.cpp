#include <gtest/gtest.h>

#include <filesystem>

#include "FakeMpegLibrary.h"
#include "TempDir.h"
#include "base/Random.h"
#include "music/MusicSet.h"
#include "fakes/FakePlatform.h"
#include "platform/headless/HeadlessScheduler.h"

namespace vanta {
namespace {

using test::FakeMpeg;
using Names = std::vector<std::string>;

class MusicSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallFakeMpeg(libraries);
    NewSet();
  }
  void TearDown() override {
    set.reset();  // its players' timers go with it
    EXPECT_EQ(sched.TimerCount(), 0u);
  }
  void NewSet() {
    set.reset();
    set = std::make_unique<TMusicSet>(sched, libraries, devices.Factory());
  }
  TMusicSet& M() { return *set; }

  // A file the fake devices accept: wave and MIDI by their magic, MP3 as is.
  std::string Track(const std::string& name) {
    std::string ext = name.substr(name.find_last_of('.'));
    for (auto& ch : ext) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return dir.Write(name, ext == ".wav" ? "RIFFdata" : ext == ".mid" ? "MThddata" : "mp3data");
  }

  // Tracks started so far, by either player, in order (names without folder).
  Names Started() {
    Names out;
    for (const auto& s : started) out.push_back(std::filesystem::path(s).filename().string());
    return out;
  }

  // Ends whatever plays, as each player reports it: the MCI notification,
  // or the MPEG library's flag followed by the poll timer.
  void EndTrack() {
    RecordStarts();
    devices.FinishPlays();
    devices.Deliver();
    FakeMpeg().EndStream();
    sched.AdvanceTime(1000);
    RecordStarts();
  }
  // Collects opens of both players since the last look.
  void RecordStarts() {
    const auto& log = devices.Log();
    for (; mciSeen < log.size(); ++mciSeen) {
      if (log[mciSeen].rfind("open ", 0) == 0) started.push_back(log[mciSeen].substr(5));
    }
    const auto& calls = FakeMpeg().calls;
    for (; mpegSeen < calls.size(); ++mpegSeen) {
      if (calls[mpegSeen] == "Play" || calls[mpegSeen] == "Restart") started.push_back(FakeMpeg().openedName);
    }
  }
  Names Run(int ends) {
    RecordStarts();
    for (int i = 0; i < ends; ++i) EndTrack();
    return Started();
  }

  platform::THeadlessScheduler sched;
  test::TFakeLibraries libraries;
  test::TFakeMediaDevices devices;
  std::unique_ptr<TMusicSet> set;  // after what it uses: it goes first
  test::TTempDir dir;
  Names started;
  size_t mciSeen = 0, mpegSeen = 0;
};

TEST_F(MusicSetTest, ListOrderOnceOrInALoop) {
  const Names list = {Track("a.wav"), Track("b.mid"), Track("c.wav")};
  M().SetMusicList(list, false, false);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(5), (Names{"a.wav", "b.mid", "c.wav"}));
  EXPECT_EQ(M().State().Index, -1);
  EXPECT_EQ(M().State().CurrentMusic, "");

  // A later call starts a fresh run.
  M().PlayMusicFile("");
  EXPECT_EQ(Run(0), (Names{"a.wav", "b.mid", "c.wav", "a.wav"}));

  // Ended for good as the callers do it: the aborted play finds no list.
  M().ClearMusicList();
  M().StopMusic();
  EXPECT_EQ(devices.Deliver(), 1);
  started.clear();
  M().SetMusicList(list, false, true);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(4), (Names{"a.wav", "b.mid", "c.wav", "a.wav", "b.mid"}));
}

TEST_F(MusicSetTest, RandomOrderMakesExactlyNPicksWithoutLoop) {
  const Names list = {Track("a.wav"), Track("b.wav"), Track("c.wav")};
  M().SetMusicList(list, true, false);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(6).size(), 3u);
  EXPECT_EQ(M().State().PlayedCount, -1);
  EXPECT_EQ(M().State().Index, -1);

  M().PlayMusicFile("");  // n new picks
  EXPECT_EQ(Run(6).size(), 6u);

  started.clear();
  M().SetMusicList(list, true, true);
  M().PlayMusicFile("");
  const Names picks = Run(20);
  EXPECT_EQ(picks.size(), 21u);
  for (const auto& p : picks) EXPECT_TRUE(p == "a.wav" || p == "b.wav" || p == "c.wav") << p;
}

TEST_F(MusicSetTest, RandomPicksFollowTheSharedGenerator) {
  const Names list = {Track("a.wav"), Track("b.wav"), Track("c.wav"), Track("d.wav")};
  M().SetMusicList(list, true, true);
  const uint32_t seed = RandSeed();
  Names expected;
  for (int i = 0; i < 8; ++i) expected.push_back(std::filesystem::path(list[Random(4)]).filename().string());
  SetRandSeed(seed);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(7), expected);
}

TEST_F(MusicSetTest, NothingWithoutAPlaylist) {
  M().PlayMusicFile("");
  EXPECT_EQ(M().State().Index, 0);
  EXPECT_EQ(M().State().PlayedCount, 0);
  EXPECT_FALSE(M().State().MusicPlayer);
  EXPECT_FALSE(M().State().MediaPlayer);
}

TEST_F(MusicSetTest, ExtensionsChooseThePlayerAfterUpperCasing) {
  struct Case { std::string name; std::string player; };
  const Case cases[] = {
      {"x.mp3", "mpeg"}, {"x.Mp3", "mpeg"}, {"x.MP3", "mpeg"}, {"x.wav", "mci"}, {"x.WaV", "mci"},
      {"x.mid", "mci"},  {"x.MID", "mci"},  {"x.midi", ""},    {"x.rmi", ""},     {"x.mpg", ""},
      {"noext", ""},     {"dir.mp3/x", ""},
  };
  for (const Case& c : cases) {
    test::InstallFakeMpeg(libraries);
    NewSet();
    const std::string path = dir.Write(c.name, c.player == "mci" ? "RIFF" : "data");
    M().SetMusicList({path, Track("after.wav")}, false, false);
    M().PlayMusicFile("");
    const auto& s = M().State();
    const bool mpeg = s.MusicPlayer && FakeMpeg().Count("Play") == 1;
    const bool mci = s.MediaPlayer && s.MediaPlayer->IsPlaying();
    EXPECT_EQ(mpeg ? "mpeg" : mci ? "mci" : "", c.player) << c.name;
    if (c.player.empty()) {
      // Nothing started, so no end arrives: the list halts here.
      devices.Deliver();
      sched.AdvanceTime(5000);
      EXPECT_EQ(s.Index, 0) << c.name;
    }
  }
}

TEST_F(MusicSetTest, AMissingEntryHaltsTheList) {
  const Names list = {Track("a.wav"), dir.Path("gone.wav"), Track("c.wav")};
  M().SetMusicList(list, false, false);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(3), (Names{"a.wav"}));
  EXPECT_EQ(M().State().Index, 1);
}

TEST_F(MusicSetTest, AnEntryThatWillNotOpenHaltsTheList) {
  const Names list = {Track("a.wav"), dir.Write("bad.wav", "not a wave"), Track("c.wav")};
  M().SetMusicList(list, false, true);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(3), (Names{"a.wav"}));
}

TEST_F(MusicSetTest, ANamedFileEndsThePlaylist) {
  M().SetMusicList({Track("a.wav"), Track("b.wav")}, false, true);
  M().PlayMusicFile("");
  M().PlayMusicFile(Track("solo.mp3"));
  EXPECT_TRUE(M().State().Files->empty());
  EXPECT_EQ(M().State().Index, 0);  // left as it was
  // The wave device still plays a.wav; both ends arrive, nothing follows.
  EXPECT_EQ(Run(3), (Names{"a.wav", "solo.mp3"}));
  EXPECT_EQ(M().State().CurrentMusic, "");
}

TEST_F(MusicSetTest, ClearMusicListDoesNotSilenceTheTrack) {
  M().SetMusicList({Track("a.wav"), Track("b.wav")}, false, false);
  M().PlayMusicFile("");
  M().ClearMusicList();
  EXPECT_TRUE(M().State().MediaPlayer->IsPlaying());
  EXPECT_EQ(Run(2), (Names{"a.wav"}));
}

TEST_F(MusicSetTest, WithoutTheLibraryMp3EntriesHalt) {
  libraries.Clear();
  M().SetMusicList({Track("a.mp3"), Track("b.wav")}, false, false);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(2), Names{});
  ASSERT_TRUE(M().State().MusicPlayer);
  EXPECT_FALSE(M().State().MusicPlayer->LibraryLoaded());

  // WAV first: it plays, then the list halts at the MP3; the library is not
  // tried again, even once it would be there.
  test::InstallFakeMpeg(libraries);
  M().SetMusicList({Track("b.wav"), Track("a.mp3"), Track("c.wav")}, false, false);
  M().PlayMusicFile("");
  EXPECT_EQ(Run(3), (Names{"b.wav"}));
  EXPECT_EQ(FakeMpeg().Count("init"), 0);
}

TEST_F(MusicSetTest, Mp3TracksFollowEachOtherThroughThePlayersTimer) {
  M().SetMusicList({Track("a.mp3"), Track("b.mp3"), Track("c.wav")}, false, false);
  M().PlayMusicFile("");
  const TMPEGPlayer& p = *M().State().MusicPlayer;
  EXPECT_TRUE(p.UseTimer());
  EXPECT_EQ(p.TimerFreq(), 1000);
  EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);
  EXPECT_EQ(p.PlayerPriority(), TPlayPriority::Normal);
  EXPECT_FALSE(p.AutoPlay());
  EXPECT_FALSE(p.FromStream());

  EXPECT_EQ(Run(3), (Names{"a.mp3", "b.mp3", "c.wav"}));
  EXPECT_EQ(FakeMpeg().Count("init"), 1);
  EXPECT_EQ(libraries.Loaded(), 1);
}

TEST_F(MusicSetTest, TheMp3PlayersTimerIsOnItsSchedulerUntilTheSetGoes) {
  M().PlayMusicFile(Track("a.mp3"));
  ASSERT_TRUE(M().State().MusicPlayer);
  EXPECT_TRUE(M().State().MusicPlayer->Playing());
  EXPECT_EQ(sched.TimerCount(), 1u);
  set.reset();
  EXPECT_EQ(sched.TimerCount(), 0u);
}

TEST_F(MusicSetTest, StopMusicStopsOnlyWhatPlays) {
  M().SetMusicList({Track("a.mp3"), Track("b.wav")}, false, false);
  M().PlayMusicFile("");
  M().StopMusic();
  EXPECT_EQ(FakeMpeg().Count("Stop"), 1);
  EXPECT_EQ(FakeMpeg().Count("Close"), 1);
  EXPECT_EQ(M().State().CurrentMusic, "");
  sched.AdvanceTime(5000);  // a stopped MP3 raises no end
  EXPECT_EQ(Run(0), (Names{"a.mp3"}));

  // An MP3 that reached its end is left open.
  M().ClearMusicList();
  M().PlayMusicFile(Track("c.mp3"));
  FakeMpeg().EndStream();
  sched.AdvanceTime(1000);
  FakeMpeg().calls.clear();
  M().StopMusic();
  EXPECT_EQ(FakeMpeg().calls, (std::vector<std::string>{"GetPlayerMode"}));
}

TEST_F(MusicSetTest, StoppingAWaveAdvancesAListThatStillHoldsEntries) {
  M().SetMusicList({Track("a.wav"), Track("b.wav")}, false, false);
  M().PlayMusicFile("");
  M().StopMusic();
  devices.Deliver();  // the aborted play is notified
  EXPECT_EQ(Run(0), (Names{"a.wav", "b.wav"}));

  // Ending for good: clear first, then stop.
  M().ClearMusicList();
  M().StopMusic();
  devices.Deliver();
  EXPECT_EQ(Run(0), (Names{"a.wav", "b.wav"}));
  EXPECT_FALSE(M().State().MediaPlayer->IsPlaying());
}

TEST_F(MusicSetTest, StartingOverAPlayingWaveSkipsOnlyOnce) {
  // The builder previews a wave; the show then starts its own list.
  M().PlayMusicFile(Track("preview.wav"));
  M().StopMusic();  // the stopped preview is notified once, after the list starts
  M().SetMusicList({Track("a.wav"), Track("b.wav"), Track("c.wav")}, false, false);
  M().PlayMusicFile("");
  // That one notification advances the list; closing the playing "a.wav"
  // to start "b.wav" must not advance it again, and again.
  EXPECT_EQ(devices.Deliver(), 1);
  EXPECT_EQ(devices.Deliver(), 0);
  EXPECT_EQ(Run(1), (Names{"preview.wav", "a.wav", "b.wav", "c.wav"}));
}

TEST_F(MusicSetTest, SetMusicListCopiesAndResets) {
  Names list = {Track("a.wav")};
  M().SetMusicList(list, true, true);
  list.push_back("later.wav");
  const auto& s = M().State();
  EXPECT_EQ(s.Files->size(), 1u);
  EXPECT_TRUE(s.RandomOrder);
  EXPECT_TRUE(s.Loop);
  EXPECT_EQ(s.Index, -1);
  EXPECT_EQ(s.PlayedCount, -1);
  EXPECT_FALSE(s.MediaPlayer);  // starts nothing
}

}  // namespace
}  // namespace vanta
