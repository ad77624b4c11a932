#include <gtest/gtest.h>

#include <utime.h>

#include "PictureWriters.h"
#include "TempDir.h"
#include "builder/MediaLists.h"

namespace vanta {
namespace {

// A list of one-letter entries, ticked but for those in `off`.
TMediaList Letters(const std::string& letters, const std::string& off = "") {
  TMediaList l;
  for (char c : letters) l.Items.push_back({std::string(1, c), off.find(c) == std::string::npos});
  l.Selected = 0;
  return l;
}
std::string Order(const TMediaList& l) {
  std::string s;
  for (const TListEntry& e : l.Items) s += e.Text;
  return s;
}

TEST(ListSelection, MovesAndRemovalsOfSeveralEntries) {
  struct Case { const char* what; std::vector<int> sel; int delta; const char* order; std::vector<int> after; bool changed; }
  cases[] = {
      {"one up", {2}, -1, "acbdef", {1}, true},
      {"two apart, up", {1, 3}, -1, "badcef", {0, 2}, true},
      {"a block down", {2, 3}, +1, "abecdf", {3, 4}, true},
      {"pressed against the top: stays, the rest go", {0, 1, 3}, -1, "abdcef", {0, 1, 2}, true},
      {"all at the bottom", {4, 5}, +1, "abcdef", {4, 5}, false},
      {"given in any order, repeated, out of range", {5, 1, 1, 9, -2}, -1, "bacdfe", {0, 4}, true},
      {"nothing selected", {}, +1, "abcdef", {}, false},
  };
  for (const Case& c : cases) {
    TMediaList l = Letters("abcdef");
    std::vector<int> sel = c.sel;
    EXPECT_EQ(MoveEntries(l, sel, c.delta), c.changed) << c.what;
    EXPECT_EQ(Order(l), c.order) << c.what;
    EXPECT_EQ(sel, c.after) << c.what;
  }
  // Ticks travel with their entries.
  TMediaList l = Letters("abc", "a");
  std::vector<int> sel{0};
  MoveEntries(l, sel, +1);
  EXPECT_EQ(l.Items[1], (TListEntry{"a", false}));

  struct Removal { std::vector<int> sel; const char* order; std::vector<int> after; } removals[] = {
      {{1, 3}, "acef", {2}},     // the entry after the last removed: e
      {{4, 5}, "abcd", {3}},     // at the end: the new last
      {{0, 1, 2, 3, 4, 5}, "", {}},
  };
  for (const Removal& r : removals) {
    TMediaList l2 = Letters("abcdef");
    std::vector<int> sel2 = r.sel;
    EXPECT_TRUE(RemoveEntries(l2, sel2));
    EXPECT_EQ(Order(l2), r.order);
    EXPECT_EQ(sel2, r.after);
  }
  std::vector<int> none{7};
  TMediaList l3 = Letters("ab");
  EXPECT_FALSE(RemoveEntries(l3, none));
}

TEST(ListSelection, SortsByNameOrByDateTakenAndTheSelectionFollows) {
  TMediaList l;
  l.Items = {{"/b/IMG_2.jpg", true}, {"/a/img_10.jpg", false}, {"/a/IMG_1.jpg", true}, {"/c/IMG_1.jpg", true}};
  std::vector<int> sel{0};
  EXPECT_TRUE(SortEntries(l, sel, TListOrder::Name, {}));
  EXPECT_EQ(l.Items, (std::vector<TListEntry>{{"/a/IMG_1.jpg", true}, {"/c/IMG_1.jpg", true},
                                              {"/a/img_10.jpg", false}, {"/b/IMG_2.jpg", true}}));
  EXPECT_EQ(sel, std::vector<int>{3});
  const auto dates = [](const std::string& f) {
    return f == "/a/img_10.jpg" ? "2023:01:02 10:00:00" : f == "/b/IMG_2.jpg" ? "2021:06:01 08:00:00" : "";
  };
  EXPECT_TRUE(SortEntries(l, sel, TListOrder::DateTaken, dates));
  EXPECT_EQ(l.Items[2].Text, "/b/IMG_2.jpg");
  EXPECT_EQ(l.Items[3].Text, "/a/img_10.jpg");  // undated first, by name
  EXPECT_EQ(sel, std::vector<int>{2});
  EXPECT_FALSE(SortEntries(l, sel, TListOrder::DateTaken, dates));
}

TEST(ListSelection, DateTakenFromExifElseTheFileTime) {
  test::TTempDir dir;
  // A TIFF block, little-endian: IFD0 with DateTime and the Exif IFD pointer; the Exif IFD with DateTimeOriginal.
  std::string tiff = std::string("II*\0\x08\0\0\0", 8);
  const auto u16 = [&](uint16_t v) { tiff += static_cast<char>(v & 0xFF); tiff += static_cast<char>(v >> 8); };
  const auto u32 = [&](uint32_t v) { u16(static_cast<uint16_t>(v)); u16(static_cast<uint16_t>(v >> 16)); };
  u16(2);
  u16(0x0132), u16(2), u32(20), u32(56);   // DateTime at 56
  u16(0x8769), u16(4), u32(1), u32(38);    // Exif IFD at 38
  u32(0);
  u16(1);                                  // at 38
  u16(0x9003), u16(2), u32(20), u32(76);   // DateTimeOriginal at 76
  u32(0);
  tiff += std::string("2020:12:31 23:59:58") + '\0';  // at 56
  tiff += std::string("2019:07:04 12:00:00") + '\0';  // at 76
  const std::string photo = dir.Write("p.jpg", test::WithJpegExif(test::MakeJpeg(test::ReferencePicture(8, 8)), tiff));
  EXPECT_EQ(PictureDateTaken(photo), "2019:07:04 12:00:00");
  const std::string plain = dir.Write("q.png", "x");
  const utimbuf when{981172800, 981172800};  // 2001-02-03 04:00:00 UTC
  ASSERT_EQ(utime(plain.c_str(), &when), 0);
  EXPECT_EQ(PictureDateTaken(plain), "2001:02:03 04:00:00");
  EXPECT_EQ(PictureDateTaken(dir.Path("gone.jpg")), "");
}

TEST(ListSelection, AddFolderTakesThePicturesInNameOrderUpToTheLimit) {
  test::TTempDir dir;
  for (const char* f : {"b.jpg", "A.JPEG", "notes.txt", "sub/c.png", "sub/deeper/d.webp", "e.gif"}) dir.Write(f, "x");
  TMediaList l;
  l.Items = {{dir.Path("e.gif"), true}};  // listed already
  TFolderPictures r = PicturesInFolder(l, dir.Folder());
  EXPECT_EQ(r.Files, (std::vector<std::string>{dir.Path("A.JPEG"), dir.Path("b.jpg"), dir.Path("sub/c.png"),
                                               dir.Path("sub/deeper/d.webp")}));
  EXPECT_EQ(r.LeftOut, 0u);
  EXPECT_EQ(LeftOutText(r), "");
  l.Items.resize(kMaxListedPictures - 1, {"x", true});
  r = PicturesInFolder(l, dir.Folder());
  EXPECT_EQ(r.Files, std::vector<std::string>{dir.Path("A.JPEG")});
  EXPECT_EQ(r.LeftOut, 3u);
  EXPECT_EQ(LeftOutText(r), "The picture list holds up to 1000 pictures: 3 pictures of the folder were not added.");
  EXPECT_EQ(EntryCaption(dir.Path("sub/c.png")), "c.png   (" + dir.Path("sub/") + ")");
  EXPECT_EQ(EntryCaption("bare.jpg"), "bare.jpg");
  EXPECT_EQ(PictureCountText(1), "1 picture");
  EXPECT_EQ(PictureCountText(300), "300 pictures");
}

}  // namespace
}  // namespace vanta
