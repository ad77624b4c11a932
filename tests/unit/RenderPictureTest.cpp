#include <gtest/gtest.h>

#include <sstream>

#include "PictureMode.h"
#include "PictureWriters.h"
#include "TempDir.h"
#include "engine/codecs/Bmp.h"

namespace vanta {
namespace {

constexpr TColor kAny = 0xFFFFFFFF;  // a shrunk corner is an average: not checked

TEST(RenderPicture, ArgumentsStatusAndOutput) {
  test::TTempDir dir;
  const TBitmap24 picture = test::ReferencePicture(40, 20);
  const std::string gif = dir.Write("p.gif", test::MakeGif(picture, {.transparent = 0}));
  dir.Write("bad.gif", "GIF89a");
  // Stored on its side with the tag that turns it: the output is upright.
  const std::string png = dir.Write("p.png", test::MakePng(picture, {{"eXIf", test::MakeExifTiff(6)}}));
  const std::string webp = dir.Write("p.webp", test::WebpWithExif(test::MakeWebp(picture, true), 40, 20, test::MakeExifTiff(8, true)));
  struct Case {
    std::vector<std::string> args;
    int status;
    int w, h;            // of the output when status is 0
    TColor corner;       // its top-left pixel (black in the picture, so transparent)
    const char* err;     // start of the error text
  } cases[] = {
      {{"--picture", gif, "--out", "@"}, 0, 40, 20, 0x000000, ""},
      {{"--picture", gif, "--out", "@", "--color", "FF8000"}, 0, 40, 20, 0x0080FF, ""},
      {{"--picture", gif, "--out", "@", "--box", "10", "10"}, 0, 10, 5, kAny, ""},
      {{"--box", "0", "7", "--picture", gif, "--out", "@"}, 0, 40, 20, 0x000000, ""},
      {{"--picture", png, "--out", "@"}, 0, 20, 40, picture.Pixel(0, 19), ""},
      {{"--picture", webp, "--out", "@"}, 0, 20, 40, picture.Pixel(39, 0), ""},
      {{"--picture", png, "--out", "@", "--box", "10", "10"}, 0, 5, 10, kAny, ""},
      {{"--picture", dir.Path("bad.gif"), "--out", "@"}, 1, 0, 0, 0, "error: GIF: "},
      {{"--picture", dir.Path("none.jpg"), "--out", "@"}, 1, 0, 0, 0, "error: "},
      {{"--picture", gif}, 2, 0, 0, 0, ""},
      {{"--out", "@"}, 2, 0, 0, 0, ""},
      {{"--picture", gif, "--out", "@", "--color", "F80"}, 2, 0, 0, 0, ""},
      {{"--picture", gif, "--out", "@", "--color", "GG0000"}, 2, 0, 0, 0, ""},
      {{"--picture", gif, "--out", "@", "--box", "10"}, 2, 0, 0, 0, ""},
      {{"--picture", gif, "--out", "@", "--box", "-1", "5"}, 2, 0, 0, 0, ""},
      {{"--picture", gif, "--out", "@", "--frame", "3"}, 2, 0, 0, 0, ""},
  };
  int n = 0;
  for (Case& c : cases) {
    const std::string out = dir.Path("out" + std::to_string(n++) + ".bmp");
    for (std::string& a : c.args)
      if (a == "@") a = out;
    std::ostringstream err;
    EXPECT_EQ(RunPictureCommand(c.args, err), c.status) << err.str();
    const std::string text = err.str();
    EXPECT_EQ(text.rfind(c.err, 0), 0u) << text;
    if (c.status == 1) {
      EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "one line";
    }
    const std::string bytes = dir.Read(out.substr(dir.Folder().size()));
    if (c.status != 0) {
      EXPECT_TRUE(bytes.empty()) << "no output file after a failure";
      continue;
    }
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes[28], 24);                                         // bits a pixel
    EXPECT_EQ(static_cast<uint8_t>(bytes[25]) & 0x80, 0);             // positive height: bottom-up
    const TBitmap24 b = DecodeBmp({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    EXPECT_EQ(b.Width(), c.w);
    EXPECT_EQ(b.Height(), c.h);
    if (c.corner != kAny) {
      EXPECT_EQ(b.Pixel(0, 0), c.corner);
    }
  }
}

}  // namespace
}  // namespace vanta
