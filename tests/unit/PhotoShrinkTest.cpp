#include <gtest/gtest.h>

#include <filesystem>

#include "PictureWriters.h"
#include "TempDir.h"
#include "base/Text.h"
#include "builder/BuildPipeline.h"
#include "builder/PhotoShrink.h"
#include "engine/PictureLoader.h"

namespace vanta {
namespace {

class PhotoShrinkTest : public ::testing::Test {
 protected:
  PhotoShrinkTest() {
    options.Enabled = true;
    options.Box = {64, 48};
  }
  std::string Photo(const std::string& name, const test::TFile& bytes) { return dir.Write(name, bytes); }
  std::string Folder() const { return dir.Folder() + "Compile" + kPathDelim + "Photos" + kPathDelim; }
  TShrinkReport Shrink(const std::vector<std::string>& files) {
    return ShrinkPhotos(files, Folder(), options, 2, [&](size_t done, size_t total) {
      EXPECT_LE(done, total);
      ++progressCalls;
    });
  }
  static TPictureSize SizeOf(const std::string& file) { return ReadPictureFile(file, 0).Natural; }

  test::TTempDir dir;
  TShrinkOptions options;
  int progressCalls = 0;
};

TEST_F(PhotoShrinkTest, LargePhotosShipAsSmallerUprightCopiesAndTheRestAsTheyAre) {
  const TBitmap24 detail = test::ReferencePicture(320, 240);
  const std::string big = Photo("big.jpg", test::MakeJpeg(detail, 95));
  const std::string small = Photo("small.jpg", test::MakeJpeg(test::ReferencePicture(60, 40), 95));
  // Stored on its side (320 x 160), upright 160 x 320.
  const std::string turned =
      Photo("turned.jpg", test::WithJpegExif(test::MakeJpeg(test::ReferencePicture(320, 160), 95), test::MakeExifTiff(6)));
  const std::string png = Photo("sub/big.png", test::MakePng(test::ReferencePicture(200, 100)));
  const std::string bmp = Photo("flat.bmp", test::MakeBmp(detail));
  const std::string before = dir.Read("big.jpg");
  const TShrinkReport r = Shrink({big, small, turned, png, bmp});

  ASSERT_EQ(r.Photos.size(), 5u);
  EXPECT_EQ(r.Photos[0].Shipped, Folder() + "big.jpg");
  EXPECT_EQ(SizeOf(r.Photos[0].Shipped), (TPictureSize{64, 48}));
  EXPECT_LT(r.Photos[0].ShippedBytes, r.Photos[0].SourceBytes);
  EXPECT_EQ(r.Photos[1].Shipped, small);  // fits already
  // The turn baked into the copy; the decoder's own 1/8 (20 x 40) is within
  // a fifth of the fitting 24 x 48, so it is taken as it comes. For big.jpg
  // 1/8 (40 x 30) was too small: decoded larger, averaged to 64 x 48.
  EXPECT_EQ(SizeOf(r.Photos[2].Shipped), (TPictureSize{20, 40}));
  EXPECT_EQ(r.Photos[3].Shipped, Folder() + "big (2).jpg");        // a JPEG now, and big.jpg was taken
  EXPECT_EQ(SizeOf(r.Photos[3].Shipped), (TPictureSize{64, 32}));
  EXPECT_EQ(r.Photos[4].Shipped, bmp);  // not a kind that is made smaller
  EXPECT_EQ(r.Shrunk, 3u);
  EXPECT_EQ(r.Reused, 0u);
  EXPECT_LT(r.After, r.Before);
  EXPECT_EQ(dir.Read("big.jpg"), before);  // the user's file only read
  EXPECT_GE(progressCalls, 1);
  const std::vector<std::string> lines = ShrinkSummary(r);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "Photos made smaller for sharing: 3 of 5");
  EXPECT_EQ(lines[1].rfind("Photos: ", 0), 0u);
}

TEST_F(PhotoShrinkTest, ACopyThatWouldNotBeSmallerIsNotMade) {
  // Heavily compressed already: a quality-90 copy barely smaller in pixels is larger in bytes.
  const std::string rough = Photo("rough.jpg", test::MakeJpeg(test::ReferencePicture(200, 150), 10));
  options.Box = {199, 149};
  const TShrinkReport r = Shrink({rough});
  EXPECT_EQ(r.Photos[0].Shipped, rough);
  EXPECT_EQ(r.Shrunk, 0u);
  EXPECT_FALSE(std::filesystem::exists(Folder() + "rough.jpg"));
}

TEST_F(PhotoShrinkTest, ARebuildReusesTheCopiesOfUnchangedPhotos) {
  const std::string a = Photo("a.jpg", test::MakeJpeg(test::ReferencePicture(320, 240), 95));
  const std::string b = Photo("b.jpg", test::MakeJpeg(test::ReferencePicture(300, 200), 95));
  EXPECT_EQ(Shrink({a, b}).Reused, 0u);
  TShrinkReport again = Shrink({a, b});
  EXPECT_EQ(again.Reused, 2u);
  EXPECT_EQ(again.Shrunk, 2u);
  EXPECT_EQ(ShrinkSummary(again)[0], "Photos made smaller for sharing: 2 of 2 (2 from the last build)");
  // A changed photo, a copy gone and another size are made afresh.
  Photo("b.jpg", test::MakeJpeg(test::ReferencePicture(330, 200), 95));
  again = Shrink({a, b});
  EXPECT_FALSE(again.Photos[1].Reused);
  EXPECT_TRUE(again.Photos[0].Reused);
  std::filesystem::remove(Folder() + "a.jpg");
  EXPECT_FALSE(Shrink({a, b}).Photos[0].Reused);
  EXPECT_TRUE(std::filesystem::exists(Folder() + "a.jpg"));
  options.Box = {32, 24};
  again = Shrink({a, b});
  EXPECT_EQ(again.Reused, 0u);
  EXPECT_EQ(SizeOf(again.Photos[0].Shipped), (TPictureSize{32, 24}));
}

TEST_F(PhotoShrinkTest, NamesFromDifferentFoldersNeverMeet) {
  EXPECT_EQ(ShippedStems({"/a/IMG_1.jpg", "/b/img_1.JPG", "/c/IMG_1.png", "/d/IMG_1 (2).jpg", "/e/x.webp"}),
            (std::vector<std::string>{"IMG_1", "img_1 (2)", "IMG_1 (3)", "IMG_1 (2) (2)", "x"}));
}

TEST_F(PhotoShrinkTest, TheEstimateReadsOnlyHeaders) {
  const std::string big = Photo("big.jpg", test::MakeJpeg(test::ReferencePicture(320, 240), 95));
  const std::string turned =
      Photo("t.jpg", test::WithJpegExif(test::MakeJpeg(test::ReferencePicture(320, 160), 95), test::MakeExifTiff(8)));
  const std::string png = Photo("p.png", test::MakePng(test::ReferencePicture(200, 100)));
  const std::string song = Photo("s.mp3", std::string(1000, 'x'));
  EXPECT_EQ(PhotoHeaderSize(turned), (TPictureSize{160, 320}));
  EXPECT_EQ(PhotoHeaderSize(png), (TPictureSize{200, 100}));
  EXPECT_EQ(PhotoHeaderSize(song), std::nullopt);
  const TSetupEstimate e = EstimateSetup({big, png, dir.Path("gone.jpg")}, {song}, {64, 48});
  const uint64_t bigBytes = dir.Read("big.jpg").size(), pngBytes = dir.Read("p.png").size();
  EXPECT_EQ(e.AsTheyAre, bigBytes + pngBytes + 1000);
  // 64 x 48 of 320 x 240 is 1/25 of the pixels; 64 x 32 of 200 x 100 about a tenth.
  const auto part = [](uint64_t bytes, double pixels, double of) {
    return static_cast<uint64_t>(static_cast<double>(bytes) * (pixels / of));
  };
  EXPECT_EQ(e.Smaller, 1000 + part(bigBytes, 64.0 * 48, 320.0 * 240) + part(pngBytes, 64.0 * 32, 200.0 * 100));
  EXPECT_EQ(EstimateText({1000, 2000}, true), "Estimated setup size: about 1 KB");
  EXPECT_EQ(EstimateText({50u << 20, 10u << 20}, true),
            "Estimated setup size: about 10.0 MB (50.0 MB with the photos as they are)");
  EXPECT_EQ(EstimateText({50u << 20, 10u << 20}, false), "Estimated setup size: about 50.0 MB");
}

}  // namespace
}  // namespace vanta
