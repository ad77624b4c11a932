// The real mpegdll.dll, the player over it and the media-control path,
// under Wine. music.sh makes the media at test time (a sweep encoded to
// MP3, a truncated copy, garbage, a short wave file) and starts an audio
// sink, then names the folder in VANTA_MUSIC_DATA.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "Win32TestSupport.h"
#include "music/MPEGLibrary.h"
#include "music/MPEGPlay.h"
#include "music/MusicSet.h"
#include "platform/MediaControl.h"

namespace vanta {
namespace {

std::string Data(const std::string& name) {
  const char* dir = std::getenv("VANTA_MUSIC_DATA");
  return std::string(dir ? dir : "") + name;
}

bool AudioSinkExpected() { return std::getenv("VANTA_AUDIO_SINK") != nullptr; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the message loop until done() or the time is up.
bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return false;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

// Left-channel samples of 16-bit interleaved PCM.
std::vector<int16_t> LeftChannel(const std::string& pcm, int channels) {
  std::vector<int16_t> out(pcm.size() / (2 * channels));
  for (size_t i = 0; i < out.size(); ++i) std::memcpy(&out[i], pcm.data() + i * 2 * channels, 2);
  return out;
}

// The sample data of a RIFF/WAVE file, or empty.
std::string WaveData(const std::string& file) {
  const std::string w = ReadAll(file);
  for (size_t at = 12; at + 8 <= w.size();) {
    uint32_t size;
    std::memcpy(&size, w.data() + at + 4, 4);
    if (w.compare(at, 4, "data") == 0) return w.substr(at + 8, size);
    at += 8 + size + (size & 1);
  }
  return {};
}

// Best normalised correlation of b against a over lags -maxLag..maxLag.
double BestCorrelation(const std::vector<int16_t>& a, const std::vector<int16_t>& b, int maxLag) {
  double best = -1;
  const int n = static_cast<int>(std::min(a.size(), b.size())) - 2 * maxLag;
  for (int lag = -maxLag; lag <= maxLag; ++lag) {
    double ab = 0, aa = 0, bb = 0;
    for (int i = maxLag; i < maxLag + n; ++i) {
      const double x = a[i], y = b[i + lag];
      ab += x * y;
      aa += x * x;
      bb += y * y;
    }
    if (aa > 0 && bb > 0) best = std::max(best, ab / std::sqrt(aa * bb));
  }
  return best;
}

template <class T>
T Entry(HMODULE m, const char* name) {
  return reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

// The entries of a loaded mpegdll.dll that the tests call.
struct TMpegDll {
  HMODULE module = nullptr;
  mpeglib::TOpenProc Open;
  mpeglib::TSetOutputDeviceProc SetOutputDevice;
  mpeglib::TPlayProc Play;
  mpeglib::TVoidProc Close;
  mpeglib::TQueryProc GetLength, GetPlayerMode, LastError;

  explicit TMpegDll(const std::string& path) {
    module = LoadLibraryA(path.c_str());
    if (!module) return;
    Open = Entry<mpeglib::TOpenProc>(module, "Open");
    SetOutputDevice = Entry<mpeglib::TSetOutputDeviceProc>(module, "SetOutputDevice");
    Play = Entry<mpeglib::TPlayProc>(module, "Play");
    Close = Entry<mpeglib::TVoidProc>(module, "Close");
    GetLength = Entry<mpeglib::TQueryProc>(module, "GetLength");
    GetPlayerMode = Entry<mpeglib::TQueryProc>(module, "GetPlayerMode");
    LastError = Entry<mpeglib::TQueryProc>(module, "LastError");
    Entry<mpeglib::TInitProc>(module, "init")();
  }
  int32_t OpenFile(const std::string& name) {
    Open(name.c_str(), 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    return LastError();
  }
  // Decodes the open stream into a PCM file; false when the end flag did
  // not come in time.
  bool DecodeTo(const std::string& out) {
    SetOutputDevice(mpeglib::kDevicePcmFile, out.c_str());
    if (LastError() != 0) return false;
    volatile uint8_t ended = 0;
    if (Play(0, 0, const_cast<uint8_t*>(&ended)) != 0) return false;
    const DWORD start = GetTickCount();
    while (!ended && GetTickCount() - start < 20000) Sleep(5);
    const bool ok = ended != 0;
    Close();
    return ok;
  }
};

class MusicWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("VANTA_MUSIC_DATA")) GTEST_SKIP() << "run through music.sh";
  }
  std::string DllPath() const { return test::ExeFolder() + "mpegdll.dll"; }
  test::TTempDir dir;
  test::TTestMain main;  // the players' timers, and the program's music set
};

TEST_F(MusicWin32, DllLoadsAloneFromAnyFolderWithAllEntries) {
  const std::string copy = dir.Path("mpegdll.dll");
  ASSERT_TRUE(CopyFileA(DllPath().c_str(), copy.c_str(), FALSE));
  HMODULE m = LoadLibraryA(copy.c_str());
  ASSERT_NE(m, nullptr) << GetLastError();
  for (const char* name : mpeglib::kEntryNames) EXPECT_NE(GetProcAddress(m, name), nullptr) << name;
  FreeLibrary(m);
}

TEST_F(MusicWin32, DecodesTheWholeStreamToMatchingPcm) {
  TMpegDll dll(DllPath());
  ASSERT_NE(dll.module, nullptr);
  ASSERT_EQ(dll.OpenFile(Data("sweep.mp3")), 0);
  EXPECT_NEAR(dll.GetLength(), 1000, 30);
  ASSERT_TRUE(dll.DecodeTo(dir.Path("sweep.pcm")));

  const std::string source = WaveData(Data("sweep.wav"));
  const std::string decoded = dir.Read("sweep.pcm");
  ASSERT_EQ(source.size(), 44100u * 4);
  // The encoder's delay and padding are removed by the decoder when the
  // stream says how much there is; allow a frame either way otherwise.
  EXPECT_NEAR(static_cast<double>(decoded.size()) / 4, 44100.0, 1152.0);
  EXPECT_EQ(decoded.size() % 4, 0u);
  const double r = BestCorrelation(LeftChannel(source, 2), LeftChannel(decoded, 2), 1200);
  EXPECT_GT(r, 0.95);
  std::printf("decoded %zu frames of 44100, correlation %.4f\n", decoded.size() / 4, r);
}

TEST_F(MusicWin32, BadStreamsEndWithAnErrorNotACrash) {
  TMpegDll dll(DllPath());
  ASSERT_NE(dll.module, nullptr);
  for (const char* name : {"garbage.mp3", "empty.mp3", "missing.mp3"}) {
    EXPECT_EQ(dll.OpenFile(Data(name)), mpeglib::kErrInput) << name;
    volatile uint8_t ended = 0;
    EXPECT_NE(dll.Play(0, 0, const_cast<uint8_t*>(&ended)), 0) << name;
    EXPECT_EQ(dll.LastError(), mpeglib::kErrMode) << name;
  }
  // A stream cut in the middle plays what is there and ends.
  ASSERT_EQ(dll.OpenFile(Data("truncated.mp3")), 0);
  ASSERT_TRUE(dll.DecodeTo(dir.Path("cut.pcm")));
  const size_t frames = dir.Read("cut.pcm").size() / 4;
  EXPECT_GT(frames, 10000u);
  EXPECT_LT(frames, 40000u);
}

TEST_F(MusicWin32, NamesThatDoNotFitAreRefused) {
  TMpegDll dll(DllPath());
  ASSERT_NE(dll.module, nullptr);
  EXPECT_EQ(dll.OpenFile(std::string(600, 'a')), mpeglib::kErrInput);
  ASSERT_EQ(dll.OpenFile(Data("sweep.mp3")), 0);
  dll.SetOutputDevice(mpeglib::kDevicePcmFile, std::string(300, 'b').c_str());
  EXPECT_EQ(dll.LastError(), mpeglib::kErrOutput);
  dll.SetOutputDevice(mpeglib::kDevicePcmFile, "");
  EXPECT_EQ(dll.LastError(), mpeglib::kErrOutput);
  dll.Close();
}

TEST_F(MusicWin32, PlayerOverTheRealLibraryEndsOnce) {
  TMPEGPlayer p(main.scheduler, platform::SystemLibraries());
  p.SetPathToDLL(test::ExeFolder());
  p.SetUseTimer(true);
  p.SetTimerFreq(50);
  p.LoadMPEGLibrary();
  p.SetOutFilename(dir.Path("player.pcm"));
  p.SetOutputDevice(TOutputDevice::pcmfile);
  p.SetStreamName(Data("sweep.mp3"));
  int ends = 0;
  p.OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
  p.Play();
  EXPECT_TRUE(PumpUntil([&] { return ends > 0; }, 20000));
  PumpUntil([] { return false; }, 300);  // no second end
  EXPECT_EQ(ends, 1);
  EXPECT_FALSE(p.Playing());
  p.Close();
  EXPECT_NEAR(static_cast<double>(dir.Read("player.pcm").size()) / 4, 44100.0, 1152.0);

  p.SetStreamName(Data("garbage.mp3"));
  try {
    p.Open();
    ADD_FAILURE() << "garbage opened";
  } catch (const TMPEGError& e) {
    EXPECT_EQ(e.ErrorCode, 3);
    EXPECT_STREQ(e.what(), "Input stream error");
  }
}

TEST_F(MusicWin32, StreamModeReadsThroughTheEvents) {
  // The handlers run on the library's thread; they only touch this stream.
  std::ifstream in(Data("sweep.mp3"), std::ios::binary);
  ASSERT_TRUE(in.good());
  in.seekg(0, std::ios::end);
  const int32_t size = static_cast<int32_t>(in.tellg());
  in.seekg(0);
  int marker = 0;
  volatile LONG closed = 0;
  TMPEGPlayer p(main.scheduler, platform::SystemLibraries());
  p.SetPathToDLL(test::ExeFolder());
  p.SetUseTimer(true);
  p.SetTimerFreq(50);
  p.LoadMPEGLibrary();
  p.SetFromStream(true);
  p.SetOutFilename(dir.Path("stream.pcm"));
  p.SetOutputDevice(TOutputDevice::pcmfile);
  p.OnOpenStream = [&](bool& nonSeekable, void*& context) {
    nonSeekable = false;
    context = &marker;
  };
  p.OnGetStreamSize = [&](void*, int32_t& res) { res = size; };
  p.OnReadStream = [&](void* context, void* buffer, int32_t want, int32_t& got, bool& ok) {
    ok = context == &marker;
    in.clear();
    in.read(static_cast<char*>(buffer), want);
    got = static_cast<int32_t>(in.gcount());
  };
  p.OnSeekStream = [&](void*, int32_t bytes, int32_t method, int32_t& res) {
    in.clear();
    in.seekg(bytes, method == 0 ? std::ios::beg : method == 1 ? std::ios::cur : std::ios::end);
    res = in ? static_cast<int32_t>(in.tellg()) : -1;
  };
  p.OnCloseStream = [&](void* context) { closed = context == &marker ? 1 : 2; };
  int ends = 0;
  p.OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
  p.Play();
  EXPECT_NEAR(p.StreamLength(), 1000, 30);
  EXPECT_TRUE(PumpUntil([&] { return ends > 0; }, 20000));
  p.Close();
  EXPECT_EQ(closed, 1);
  EXPECT_NEAR(static_cast<double>(dir.Read("stream.pcm").size()) / 4, 44100.0, 1152.0);
}

TEST_F(MusicWin32, AFileDeletedWhilePlayingEndsQuietly) {
  const std::string copy = dir.Path("doomed.mp3");
  ASSERT_TRUE(CopyFileA(Data("sweep.mp3").c_str(), copy.c_str(), FALSE));
  TMPEGPlayer p(main.scheduler, platform::SystemLibraries());
  p.SetPathToDLL(test::ExeFolder());
  p.SetUseTimer(true);
  p.SetTimerFreq(50);
  p.LoadMPEGLibrary();
  p.SetOutFilename(dir.Path("doomed.pcm"));
  p.SetOutputDevice(TOutputDevice::pcmfile);
  p.SetStreamName(copy);
  int ends = 0;
  p.OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
  p.Play();
  EXPECT_TRUE(DeleteFileA(copy.c_str()));
  EXPECT_TRUE(PumpUntil([&] { return ends > 0; }, 20000));
  EXPECT_EQ(ends, 1);
  p.Close();
}

TEST_F(MusicWin32, PlaysThroughTheWaveMapper) {
  if (waveOutGetNumDevs() == 0) {
    if (AudioSinkExpected()) FAIL() << "no wave device despite the audio sink";
    GTEST_SKIP() << "no wave device";
  }
  TMPEGPlayer p(main.scheduler, platform::SystemLibraries());
  p.SetPathToDLL(test::ExeFolder());
  p.SetUseTimer(true);
  p.SetTimerFreq(50);
  p.LoadMPEGLibrary();
  p.SetStreamName(Data("sweep.mp3"));
  int ends = 0;
  p.OnPlayEnd = [&](TMPEGPlayer&) { ++ends; };
  p.Play();
  EXPECT_EQ(p.GetPlayerMode(), mpeglib::kModePlaying);
  p.Pause(true);
  EXPECT_EQ(p.GetPlayerMode(), mpeglib::kModePaused);
  p.Pause(false);
  const DWORD start = GetTickCount();
  EXPECT_TRUE(PumpUntil([&] { return ends > 0; }, 20000));
  // Played in real time: a one-second stream does not end at once.
  EXPECT_GE(GetTickCount() - start, 700u);
  EXPECT_EQ(ends, 1);
  p.Play();  // after the end: a restart
  EXPECT_EQ(p.GetPlayerMode(), mpeglib::kModePlaying);
  p.Stop();
  p.Close();
}

TEST_F(MusicWin32, WaveFileThroughMediaControlNotifiesItsEnd) {
  if (waveOutGetNumDevs() == 0 && !AudioSinkExpected()) GTEST_SKIP() << "no wave device";
  auto m = platform::CreateMediaControl();
  int notes = 0;
  m->OnNotify = [&] { ++notes; };
  m->SetFileName(Data("short.wav"));
  m->Open();
  m->Play();
  EXPECT_TRUE(PumpUntil([&] { return notes > 0; }, 10000));
  EXPECT_EQ(notes, 1);
  EXPECT_FALSE(m->IsPlaying());
  m->Close();

  m->SetFileName(Data("garbage.wav"));
  EXPECT_THROW(m->Open(), std::runtime_error);
  m->SetFileName(Data("missing.wav"));
  EXPECT_THROW(m->Open(), std::runtime_error);
}

TEST_F(MusicWin32, AStopIsNotifiedAndACloseIsNot) {
  if (waveOutGetNumDevs() == 0 && !AudioSinkExpected()) GTEST_SKIP() << "no wave device";
  for (bool closeOnly : {false, true}) {
    auto m = platform::CreateMediaControl();
    int notes = 0;
    m->OnNotify = [&] { ++notes; };
    m->SetFileName(Data("long.wav"));
    m->Open();
    m->Play();
    PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(m->IsPlaying());
    if (!closeOnly) {
      m->Stop();
      EXPECT_FALSE(m->IsPlaying());
    }
    m->Close();
    PumpUntil([] { return false; }, 500);
    std::printf("%s a playing wave: %d notification(s)\n", closeOnly ? "closing" : "stopping", notes);
    // A stop is notified (the music set relies on it); a play request cut
    // short by the holder's own close is not.
    EXPECT_EQ(notes, closeOnly ? 0 : 1);
  }
}

TEST_F(MusicWin32, MusicSetPlaysAWaveThenAnMp3ThenStops) {
  if (waveOutGetNumDevs() == 0 && !AudioSinkExpected()) GTEST_SKIP() << "no wave device";
  // The bare library name is found in the program's folder.
  TMusicSet& music = main.music;
  music.SetMusicList({Data("short.wav"), Data("sweep.mp3")}, false, false);
  music.PlayMusicFile("");
  EXPECT_EQ(music.State().CurrentMusic, Data("short.wav"));
  EXPECT_TRUE(PumpUntil([&] { return music.State().CurrentMusic == Data("sweep.mp3"); }, 10000));
  ASSERT_TRUE(music.State().MusicPlayer);
  EXPECT_TRUE(music.State().MusicPlayer->LibraryLoaded());
  EXPECT_TRUE(PumpUntil([&] { return music.State().Index == -1; }, 10000));
  music.ClearMusicList();
  music.StopMusic();
}

}  // namespace
}  // namespace vanta
