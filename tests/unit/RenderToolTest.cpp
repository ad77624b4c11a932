// vanta-render run as a program: its frames equal ComposeFrame's, and bad
// input gives exit status 2 and writes nothing.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../tools/vanta-render/BmpFile.h"
#include "EffectsTestSupport.h"
#include "base/Random.h"
#include "engine/Effects.h"

namespace vanta {
namespace {

namespace fs = std::filesystem;

struct RenderTool : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("vanta-render-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
  RenderTool() {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~RenderTool() override { fs::remove_all(dir); }
  std::string P(const std::string& name) const { return (dir / name).string(); }
  int Run(const std::string& args) const {
    const std::string cmd = std::string(VANTA_RENDER) + " " + args + " 2>" + P("err.txt");
    const int status = std::system(cmd.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::string Err() const {
    std::ifstream in(P("err.txt"));
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
};

TEST_F(RenderTool, FramesEqualTheComposerIncludingRegionSeeds) {
  const TBitmap24 oldImage = test::TaggedPicture(33, 21, true), newImage = test::TaggedPicture(33, 21, false);
  ASSERT_TRUE(WriteBmp24(P("old.bmp"), oldImage));
  ASSERT_TRUE(WriteBmp24(P("new.bmp"), newImage));
  struct Case { int effect, progress, step; uint32_t seed; } cases[] = {
      {5, 40, 4, 0}, {14, 63, 4, 0}, {118, 50, 4, 0}, {121, 30, 4, 0}, {57, 0, 4, 0}, {90, 50, 6, 1234}, {200, 50, 4, 0}};
  for (const auto& c : cases) {
    const std::string args = "--old " + P("old.bmp") + " --new " + P("new.bmp") + " --effect " +
                             std::to_string(c.effect) + " --progress " + std::to_string(c.progress) + " --step " +
                             std::to_string(c.step) + " --seed " + std::to_string(c.seed) + " --out " + P("out.bmp");
    ASSERT_EQ(Run(args), 0) << Err();
    TBitmap24 got, want;
    std::string error;
    ASSERT_TRUE(ReadBmp24(P("out.bmp"), got, error)) << error;
    SetRandSeed(c.seed);
    ComposeFrame(oldImage, newImage, want, c.progress, c.step, c.effect);
    EXPECT_TRUE(got == want) << "effect " << c.effect;
  }
}

TEST_F(RenderTool, WholeRunWritesNumberedFrames) {
  ASSERT_TRUE(WriteBmp24(P("old.bmp"), test::TaggedPicture(8, 6, true)));
  ASSERT_TRUE(WriteBmp24(P("new.bmp"), test::TaggedPicture(8, 6, false)));
  struct Case { std::string extra; int count; bool endsNew; } cases[] = {
      {"--step 25", 5, true}, {"--step 6 --reverse", 18, false}, {"--step 40", 4, true}};
  for (const auto& c : cases) {
    const fs::path frames = dir / "frames";
    fs::remove_all(frames);
    ASSERT_EQ(Run("--old " + P("old.bmp") + " --new " + P("new.bmp") + " --effect 5 " + c.extra + " --frames " +
                  frames.string()),
              0)
        << Err();
    int n = 0;
    for (auto& e : fs::directory_iterator(frames)) n += e.path().extension() == ".bmp";
    EXPECT_EQ(n, c.count) << c.extra;
    char last[32];
    std::snprintf(last, sizeof last, "frame-%03d.bmp", c.count - 1);
    TBitmap24 got;
    std::string error;
    ASSERT_TRUE(ReadBmp24((frames / last).string(), got, error)) << error;
    EXPECT_TRUE(got == test::TaggedPicture(8, 6, !c.endsNew)) << c.extra;
  }
}

TEST_F(RenderTool, BadInputIsRefusedWithStatusTwo) {
  ASSERT_TRUE(WriteBmp24(P("a.bmp"), test::TaggedPicture(8, 6, true)));
  ASSERT_TRUE(WriteBmp24(P("b.bmp"), test::TaggedPicture(8, 6, false)));
  ASSERT_TRUE(WriteBmp24(P("small.bmp"), test::TaggedPicture(7, 6, false)));
  std::ofstream(P("text.bmp")) << "BM not really a bitmap, but long enough to have a header of fifty-four bytes";
  std::string bmp8;
  {
    std::ifstream in(P("a.bmp"), std::ios::binary);
    bmp8.assign(std::istreambuf_iterator<char>(in), {});
    bmp8[28] = 8;  // 8 bits a pixel
    std::ofstream(P("eight.bmp"), std::ios::binary) << bmp8;
    std::ofstream(P("short.bmp"), std::ios::binary) << bmp8.substr(0, 80).replace(28, 1, 1, '\x18');
  }
  const std::string ok = "--old " + P("a.bmp") + " --new " + P("b.bmp");
  const std::string out = " --out " + P("out.bmp");
  const std::string cases[] = {
      ok + " --effect 5" + out,                              // no progress
      ok + " --effect 256 --progress 5" + out,               // effect out of range
      ok + " --effect 5 --progress 101" + out,               // progress out of range
      ok + " --effect 5 --progress 5 --step 0" + out,        // step out of range
      ok + " --effect 5 --progress x" + out,                 // not a number
      ok + " --effect 5 --progress 5 --seed -1" + out,       // negative seed
      ok + " --effect 5 --progress 5",                       // no output
      ok + " --effect 5 --progress 5 --bogus 1" + out,       // unknown option
      "--old " + P("none.bmp") + " --new " + P("b.bmp") + " --effect 5 --progress 5" + out,
      "--old " + P("a.bmp") + " --new " + P("small.bmp") + " --effect 5 --progress 5" + out,
      "--old " + P("text.bmp") + " --new " + P("b.bmp") + " --effect 5 --progress 5" + out,
      "--old " + P("eight.bmp") + " --new " + P("b.bmp") + " --effect 5 --progress 5" + out,
      "--old " + P("short.bmp") + " --new " + P("b.bmp") + " --effect 5 --progress 5" + out,
      ok + " --effect 5 --progress 5 --out",                 // option without its value
  };
  for (const auto& args : cases) {
    EXPECT_EQ(Run(args), 2) << args;
    const std::string err = Err();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_FALSE(fs::exists(P("out.bmp"))) << args;
  }
}

TEST(BmpFile, TopDownAndPaddedRowsRoundTrip) {
  const TBitmap24 pic = test::TaggedPicture(5, 3, false);  // 15 bytes a row, padded to 16
  const std::string path = (fs::temp_directory_path() / "vanta-bmp-roundtrip.bmp").string();
  ASSERT_TRUE(WriteBmp24(path, pic));
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  EXPECT_EQ(bytes.size(), 54u + 16 * 3);
  TBitmap24 back;
  std::string error;
  ASSERT_TRUE(ReadBmp24(path, back, error)) << error;
  EXPECT_TRUE(back == pic);
  // The same rows stored top-down (negative height) read the same.
  std::string topDown = bytes.substr(0, 54);
  const int32_t h = -3;
  std::memcpy(&topDown[22], &h, 4);
  for (int y = 2; y >= 0; --y) topDown += bytes.substr(54 + static_cast<size_t>(y) * 16, 16);
  std::ofstream(path, std::ios::binary) << topDown;
  ASSERT_TRUE(ReadBmp24(path, back, error)) << error;
  EXPECT_TRUE(back == pic);
  fs::remove(path);
}

}  // namespace
}  // namespace vanta
