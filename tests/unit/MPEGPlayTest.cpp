#include <gtest/gtest.h>

#include <cstring>

#include "FakeMpegLibrary.h"
#include "music/MPEGPlay.h"
#include "platform/headless/HeadlessScheduler.h"

namespace vanta {
namespace {

using test::FakeMpeg;
using Calls = std::vector<std::string>;

class MPEGPlayTest : public ::testing::Test {
 protected:
  void SetUp() override { test::InstallFakeMpeg(libraries); }
  void TearDown() override {
    // Every player is gone: none may leave a timer calling into it.
    EXPECT_EQ(sched.TimerCount(), 0u);
  }

  // Loaded with a 1000 ms timer, as the music set configures it.
  std::unique_ptr<TMPEGPlayer> Loaded(const std::string& stream = "song.mp3") {
    auto p = std::make_unique<TMPEGPlayer>(sched, libraries);
    p->SetUseTimer(true);
    p->SetTimerFreq(1000);
    p->SetStreamName(stream);
    p->LoadMPEGLibrary();
    FakeMpeg().calls.clear();
    return p;
  }

  platform::THeadlessScheduler sched;
  test::TFakeLibraries libraries;
};

// Runs op and gives the TMPEGError it raised (message, code); fails the test
// when nothing was raised.
std::pair<std::string, int> Raised(const std::function<void()>& op) {
  try {
    op();
  } catch (const TMPEGError& e) {
    return {e.what(), e.ErrorCode};
  }
  ADD_FAILURE() << "no TMPEGError";
  return {"", -1};
}

TEST_F(MPEGPlayTest, LibraryPathFollowsPathToDLL) {
  struct Case { std::string folder, loaded; };
  const Case cases[] = {
      {"", "mpegdll.dll"},
      {"C:\\Saver", "C:\\Saver\\mpegdll.dll"},
      {"C:\\Saver\\", "C:\\Saver\\mpegdll.dll"},
      {"D:", "D:mpegdll.dll"},
  };
  for (const Case& c : cases) {
    libraries.Clear();
    test::InstallFakeMpeg(libraries, c.loaded);
    TMPEGPlayer p(sched, libraries);
    p.SetPathToDLL(c.folder);
    p.LoadMPEGLibrary();
    EXPECT_TRUE(p.LibraryLoaded()) << c.folder;
  }
  libraries.Clear();
  TMPEGPlayer p(sched, libraries);
  EXPECT_EQ(Raised([&] { p.LoadMPEGLibrary(); }), std::make_pair(std::string("Can't load MPEG library"), 0));
  EXPECT_FALSE(p.LibraryLoaded());
}

TEST_F(MPEGPlayTest, LibraryMissingAnyEntryIsRefusedAndUnloaded) {
  // Includes the six entries the player never calls (deinit, Seek, ...).
  for (const char* missing : mpeglib::kEntryNames) {
    libraries.Clear();
    test::InstallFakeMpeg(libraries, "mpegdll.dll", missing);
    TMPEGPlayer p(sched, libraries);
    EXPECT_EQ(Raised([&] { p.LoadMPEGLibrary(); }), std::make_pair(std::string("MPEG library not loaded"), 0))
        << missing;
    EXPECT_FALSE(p.LibraryLoaded());
    EXPECT_EQ(libraries.Loaded(), 0) << missing;
    EXPECT_EQ(FakeMpeg().Count("init"), 0) << missing;
    EXPECT_EQ(Raised([&] { p.Close(); }).first, "MPEG library not loaded");
  }
}

TEST_F(MPEGPlayTest, FailedInitReportsItsCodeAndALaterLoadStartsAfresh) {
  FakeMpeg().initResult = 0x100;  // only the low byte counts: false
  FakeMpeg().errors["init"] = 5;
  TMPEGPlayer p(sched, libraries);
  EXPECT_EQ(Raised([&] { p.LoadMPEGLibrary(); }), std::make_pair(std::string("Output device failure"), 5));
  EXPECT_FALSE(p.LibraryLoaded());
  EXPECT_EQ(p.LastErrorCode(), 5);
  EXPECT_EQ(libraries.Loaded(), 0);

  FakeMpeg().initResult = 1;
  FakeMpeg().errors.clear();
  p.LoadMPEGLibrary();
  EXPECT_TRUE(p.LibraryLoaded());
}

TEST_F(MPEGPlayTest, EveryLibraryErrorCodeGivesItsMessage) {
  struct Case { int32_t code; std::string message; int errorCode; };
  const Case cases[] = {
      {1, "Internal decoder error", 1},      {2, "Incorrect mode", 2},
      {3, "Input stream error", 3},          {4, "Input stream is non-seekable", 4},
      {5, "Output device failure", 5},       {9, "MPEG library error 9", 9},
      {300, "MPEG library error 300", 255},
  };
  for (const Case& c : cases) {
    auto p = Loaded();
    FakeMpeg().errors["Open"] = c.code;
    EXPECT_EQ(Raised([&] { p->Open(); }), std::make_pair(c.message, c.errorCode));
    EXPECT_FALSE(p->Opened());
    EXPECT_EQ(p->PlayedXTimes(), 0);
  }
}

TEST_F(MPEGPlayTest, OpenNeedsANameThatFitsItsBuffer) {
  auto p = Loaded("");
  EXPECT_EQ(Raised([&] { p->Open(); }), std::make_pair(std::string("Can't play non-specified stream"), 254));

  p->SetStreamName(std::string(511, 'a'));
  p->Open();
  EXPECT_EQ(FakeMpeg().openedName.size(), 511u);
  EXPECT_EQ(FakeMpeg().fromStream, 0);

  // One more would not fit with its NUL: refused, never cut to another name.
  p->SetStreamName(std::string(512, 'b'));
  FakeMpeg().calls.clear();
  EXPECT_EQ(Raised([&] { p->Open(); }).second, 3);
  EXPECT_EQ(FakeMpeg().Count("Open"), 0);
  EXPECT_FALSE(p->Opened());
}

TEST_F(MPEGPlayTest, FirstPlayOpensAndStartsThenASecondPlayDoesNothing) {
  auto p = Loaded();
  FakeMpeg().length = 4321;
  p->Play();
  EXPECT_EQ(FakeMpeg().calls,
            (Calls{"Open", "GetLength", "SetPriority", "SetOutputDevice", "Play", "GetCurrentPos"}));
  EXPECT_EQ(FakeMpeg().openedName, "song.mp3");
  EXPECT_EQ(FakeMpeg().priority, 0);
  EXPECT_EQ(FakeMpeg().device, 0);
  EXPECT_TRUE(p->Playing());
  EXPECT_EQ(p->PlayedXTimes(), 2);
  EXPECT_EQ(p->StreamLength(), 4321);

  FakeMpeg().calls.clear();
  p->Play();
  EXPECT_EQ(FakeMpeg().calls, Calls{});
}

TEST_F(MPEGPlayTest, EndIsSeenOnTheNextTickAndAReplayRestarts) {
  auto p = Loaded();
  int ends = 0;
  p->OnPlayEnd = [&](TMPEGPlayer& sender) {
    EXPECT_EQ(&sender, p.get());
    ++ends;
  };
  p->Play();
  FakeMpeg().EndStream();
  EXPECT_TRUE(p->Playing());  // two steps: the player has not looked yet
  // Stop between the flag and the tick is refused.
  EXPECT_EQ(Raised([&] { p->Stop(); }), std::make_pair(std::string("Incorrect mode"), 2));
  EXPECT_EQ(Raised([&] { p->Pause(true); }).second, 2);
  sched.AdvanceTime(999);
  EXPECT_EQ(ends, 0);
  sched.AdvanceTime(1);
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(p->Playing());
  EXPECT_TRUE(p->Opened());
  EXPECT_FALSE(p->PlayEnded());
  sched.AdvanceTime(5000);
  EXPECT_EQ(ends, 1);

  FakeMpeg().calls.clear();
  p->Play();
  EXPECT_EQ(FakeMpeg().calls, (Calls{"Restart", "GetCurrentPos"}));
  EXPECT_EQ(p->PlayedXTimes(), 3);
  EXPECT_TRUE(p->Playing());
}

TEST_F(MPEGPlayTest, WithoutAHandlerTheEndFlagStaysSet) {
  auto p = Loaded();
  p->Play();
  FakeMpeg().EndStream();
  sched.AdvanceTime(1000);
  EXPECT_FALSE(p->Playing());
  EXPECT_TRUE(p->PlayEnded());
}

TEST_F(MPEGPlayTest, WithoutTheTimerTheEndIsNeverReported) {
  for (int32_t freq : {0, 1000}) {
    auto p = std::make_unique<TMPEGPlayer>(sched, libraries);
    p->SetUseTimer(true);
    p->SetTimerFreq(freq);
    if (freq) p->SetUseTimer(false);
    EXPECT_FALSE(p->UseTimer());
    p->SetStreamName("a.mp3");
    p->LoadMPEGLibrary();
    int ends = 0;
    p->OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
    p->Play();
    FakeMpeg().EndStream();
    sched.AdvanceTime(10000);
    EXPECT_EQ(ends, 0);
    EXPECT_TRUE(p->Playing());
  }
}

TEST_F(MPEGPlayTest, TimerPeriodIsTakenOnlyAtLoad) {
  auto p = Loaded();
  p->SetTimerFreq(100);
  int ticks = 0;
  p->OnPosUpdate = [&](int32_t, int32_t) { ++ticks; };
  p->Play();  // one check at once
  sched.AdvanceTime(3000);
  EXPECT_EQ(ticks, 1 + 3);
}

TEST_F(MPEGPlayTest, AFailingPollIsDroppedAndPollingGoesOn) {
  auto p = Loaded();
  int ends = 0;
  p->OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
  p->Play();
  FakeMpeg().errors["GetCurrentPos"] = 1;  // each poll now raises before it looks at the flag
  FakeMpeg().EndStream();
  sched.AdvanceTime(3000);
  EXPECT_EQ(FakeMpeg().Count("GetCurrentPos"), 1 + 3);
  EXPECT_EQ(ends, 0);
  EXPECT_TRUE(p->Playing());
  FakeMpeg().errors.clear();
  sched.AdvanceTime(1000);
  EXPECT_EQ(ends, 1);
}

TEST_F(MPEGPlayTest, ThePollTimerLivesOnlyWhilePlaying) {
  auto p = Loaded();
  EXPECT_EQ(sched.TimerCount(), 0u);  // loading sets none
  p->Play();
  EXPECT_EQ(sched.TimerCount(), 1u);
  p->Stop();
  sched.AdvanceTime(1000);  // the next poll finds it stopped
  EXPECT_EQ(sched.TimerCount(), 0u);
  p->Play();  // a restart
  p->Restart();
  EXPECT_EQ(sched.TimerCount(), 1u);  // each start replaces the timer
  FakeMpeg().EndStream();
  sched.AdvanceTime(1000);
  EXPECT_EQ(sched.TimerCount(), 0u);
  p->Play();
  p.reset();  // destroyed while playing
  EXPECT_EQ(sched.TimerCount(), 0u);
}

TEST_F(MPEGPlayTest, PositionsPastTheLengthAreReportedAsZero) {
  struct Case { int32_t pos, reported; };
  const Case cases[] = {{0, 0}, {2500, 2500}, {5000, 5000}, {5001, 0}, {-7, -7}};
  for (const Case& c : cases) {
    auto p = Loaded();
    std::vector<std::pair<int32_t, int32_t>> seen;
    p->OnPosUpdate = [&](int32_t pos, int32_t len) { seen.emplace_back(pos, len); };
    FakeMpeg().position = c.pos;
    p->Play();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(c.reported, 5000)) << c.pos;
  }
}

TEST_F(MPEGPlayTest, PauseAndResume) {
  auto p = Loaded();
  FakeMpeg().calls.clear();
  p->Pause(false);  // idle: accepted, nothing called
  EXPECT_EQ(FakeMpeg().calls, Calls{});
  EXPECT_EQ(Raised([&] { p->Pause(true); }), std::make_pair(std::string("Incorrect mode"), 2));

  p->Play();
  FakeMpeg().calls.clear();
  p->Pause(true);
  EXPECT_TRUE(p->Paused());
  p->Play();  // Play on a paused stream resumes it
  EXPECT_FALSE(p->Paused());
  EXPECT_EQ(FakeMpeg().calls, (Calls{"Pause(pause)", "Pause(resume)"}));
}

TEST_F(MPEGPlayTest, StopAndCloseAndTheirModeRules) {
  auto p = Loaded();
  EXPECT_EQ(Raised([&] { p->Stop(); }).second, 2);
  EXPECT_EQ(Raised([&] { p->Restart(); }), std::make_pair(std::string("Incorrect mode"), 2));
  p->Close();  // nothing open: still calls the library
  EXPECT_EQ(FakeMpeg().Count("Close"), 1);

  p->Play();
  p->Pause(true);
  p->Stop();
  EXPECT_FALSE(p->Playing());
  EXPECT_FALSE(p->Paused());
  EXPECT_TRUE(p->Opened());
  p->Close();
  EXPECT_FALSE(p->Opened());
  EXPECT_EQ(p->PlayedXTimes(), 0);
}

TEST_F(MPEGPlayTest, FailingStartLeavesTheFlags) {
  struct Case { int32_t playResult, error; std::string message; };
  const Case cases[] = {{0, 5, "Output device failure"}, {1, 0, "MPEG library not loaded"}, {1, 1, "Internal decoder error"}};
  for (const Case& c : cases) {
    auto p = Loaded();
    FakeMpeg().playResult = c.playResult;
    FakeMpeg().errors["Play"] = c.error;
    EXPECT_EQ(Raised([&] { p->Play(); }).first, c.message);
    EXPECT_TRUE(p->Opened());
    EXPECT_FALSE(p->Playing());
    EXPECT_EQ(p->PlayedXTimes(), 1);
  }
}

TEST_F(MPEGPlayTest, OutputDeviceNeedsTheFileNameFirst) {
  TMPEGPlayer p(sched, libraries);
  p.SetOutputDevice(TOutputDevice::pcmfile);
  EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);
  p.SetOutFilename("out.pcm");
  EXPECT_EQ(p.OutputDevice(), TOutputDevice::wavemapper);
  p.SetOutputDevice(TOutputDevice::pcmfile);
  EXPECT_EQ(p.OutputDevice(), TOutputDevice::pcmfile);

  auto q = Loaded();
  q->SetOutFilename(std::string(259, 'o'));
  q->SetOutputDevice(TOutputDevice::pcmfile);
  q->Play();
  EXPECT_EQ(FakeMpeg().device, 2);
  EXPECT_EQ(FakeMpeg().outName.size(), 259u);

  auto r = Loaded();
  r->SetOutFilename(std::string(260, 'o'));
  r->SetOutputDevice(TOutputDevice::pcmfile);
  EXPECT_EQ(Raised([&] { r->Play(); }).second, 5);
  EXPECT_EQ(FakeMpeg().Count("Play"), 0);
  EXPECT_FALSE(r->Playing());
}

TEST_F(MPEGPlayTest, PriorityNumbersAndTheirImmediateHandOver) {
  const std::pair<TPlayPriority, int32_t> table[] = {
      {TPlayPriority::Idle, -15},       {TPlayPriority::Lowest, -2},  {TPlayPriority::BelowNormal, -1},
      {TPlayPriority::Normal, 0},       {TPlayPriority::AboveNormal, 1}, {TPlayPriority::Highest, 2},
      {TPlayPriority::TimeCritical, 15},
  };
  auto p = Loaded();
  for (auto [prio, number] : table) {
    p->SetPlayerPriority(prio);
    EXPECT_EQ(FakeMpeg().priority, number);
    EXPECT_EQ(p->PlayerPriority(), prio);
  }
  EXPECT_EQ(PriorityFromNumber(7), TPlayPriority::Normal);

  TMPEGPlayer unloaded(sched, libraries);  // stored only
  unloaded.SetPlayerPriority(TPlayPriority::Highest);
  EXPECT_EQ(unloaded.PlayerPriority(), TPlayPriority::Highest);
}

TEST_F(MPEGPlayTest, NewStreamNameClosesTheOpenStream) {
  auto p = Loaded();
  p->SetStreamName("b.mp3");  // nothing open: no call
  EXPECT_EQ(FakeMpeg().Count("Close"), 0);
  p->Play();
  p->SetStreamName("c.mp3");
  EXPECT_EQ(FakeMpeg().Count("Close"), 1);
  EXPECT_FALSE(p->Opened());
}

TEST_F(MPEGPlayTest, AutoPlayStartsOnceFromPlay) {
  auto p = Loaded();
  p->SetAutoPlay(true);
  p->Play();
  EXPECT_EQ(FakeMpeg().Count("Play"), 1);
  EXPECT_EQ(FakeMpeg().Count("Restart"), 0);
  EXPECT_EQ(p->PlayedXTimes(), 2);
}

TEST_F(MPEGPlayTest, DestroyingAPlayingPlayerReleasesTheEndFlag) {
  auto p = Loaded();
  p->Play();
  ASSERT_NE(FakeMpeg().endFlag, nullptr);
  p.reset();
  EXPECT_EQ(FakeMpeg().endFlag, nullptr);  // the library no longer holds it
  EXPECT_EQ(libraries.Loaded(), 1);  // and stays loaded
}

TEST_F(MPEGPlayTest, StreamModeDefaultsAndEvents) {
  auto p = Loaded();
  p->SetFromStream(true);
  p->Open();
  auto& lib = FakeMpeg();
  EXPECT_EQ(lib.openedName, "<null>");
  EXPECT_EQ(lib.fromStream, 1);
  ASSERT_EQ(lib.self, p.get());

  uint8_t nonSeekable = 0, flag = 1;
  void* ctx = &flag;
  int32_t n = 7, res = 0;
  char buf[4];
  lib.openProc(lib.self, &nonSeekable, &ctx);
  EXPECT_EQ(ctx, nullptr);
  lib.restartProc(lib.self, nullptr, &flag);
  EXPECT_EQ(flag, 0);
  flag = 1;
  lib.readProc(lib.self, nullptr, buf, 4, &n, &flag);
  EXPECT_EQ(flag, 0);
  lib.seekProc(lib.self, nullptr, 10, 0, &res);
  EXPECT_EQ(res, -1);
  res = 0;
  lib.sizeProc(lib.self, nullptr, &res);
  EXPECT_EQ(res, -1);
  lib.closeProc(lib.self, nullptr);  // no handler: nothing

  int marker = 0;
  std::vector<std::string> seen;
  p->OnOpenStream = [&](bool& ns, void*& c) { ns = true; c = &marker; };
  p->OnReadStream = [&](void* c, void* b, int32_t want, int32_t& got, bool& ok) {
    EXPECT_EQ(c, &marker);
    std::memcpy(b, "ID3", 3);
    got = want - 1;
    ok = true;
  };
  p->OnSeekStream = [&](void*, int32_t bytes, int32_t method, int32_t& r) { r = bytes * 10 + method; };
  p->OnGetStreamSize = [&](void*, int32_t& r) { r = 1234; };
  p->OnRestartStream = [&](void*, bool& ok) { ok = true; };
  p->OnCloseStream = [&](void* c) { seen.push_back(c == &marker ? "close" : "close?"); };
  lib.openProc(lib.self, &nonSeekable, &ctx);
  EXPECT_EQ(nonSeekable, 1);
  EXPECT_EQ(ctx, &marker);
  lib.readProc(lib.self, ctx, buf, 4, &n, &flag);
  EXPECT_EQ(n, 3);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(std::string(buf, 3), "ID3");
  lib.seekProc(lib.self, ctx, 12, 2, &res);
  EXPECT_EQ(res, 122);
  lib.sizeProc(lib.self, ctx, &res);
  EXPECT_EQ(res, 1234);
  flag = 0;
  lib.restartProc(lib.self, ctx, &flag);
  EXPECT_EQ(flag, 1);
  lib.closeProc(lib.self, ctx);
  EXPECT_EQ(seen, Calls{"close"});
}

TEST_F(MPEGPlayTest, OperationsWithoutALibraryFail) {
  TMPEGPlayer p(sched, libraries);
  p.SetStreamName("a.mp3");
  const std::function<void()> ops[] = {
      [&] { p.Open(); }, [&] { p.Play(); }, [&] { p.Pause(false); }, [&] { p.Restart(); },
      [&] { p.Close(); }, [&] { p.GetPlayerMode(); }, [&] { p.GetCurrentPos(); }, [&] { p.GetLength(); },
  };
  for (const auto& op : ops) EXPECT_EQ(Raised(op), std::make_pair(std::string("MPEG library not loaded"), 0));
}

}  // namespace
}  // namespace vanta
