// The builder window's rules: its lists, the Options table both ways, and
// what a close writes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <array>
#include <functional>
#include <set>

#include "TempDir.h"
#include "builder/ConfigControls.h"
#include "builder/MediaLists.h"
#include "builder/ProjectFiles.h"
#include "engine/PictureLoader.h"
#include "settings/Instance.h"

namespace vanta {
namespace {

TMediaList List(std::initializer_list<const char*> texts, int selected = -1) {
  TMediaList l;
  for (const char* t : texts) l.Items.push_back({t, true});
  l.Selected = selected;
  return l;
}

std::vector<std::string> Texts(const TMediaList& l) {
  std::vector<std::string> out;
  for (const TListEntry& e : l.Items) out.push_back(e.Text);
  return out;
}

TEST(MediaLists, AddingPicturesSkipsNamesListedInAnyCaseButMusicDoesNot) {
  struct Case {
    TMediaKind kind;
    TMediaList before;
    std::vector<std::string> chosen;
    std::vector<std::string> after;
    bool changed;
    int selected;
  } cases[] = {
      {TMediaKind::Pictures, List({"C:\\a.jpg"}, 0), {"c:\\A.JPG", "C:\\b.gif", "C:\\B.GIF"}, {"C:\\a.jpg", "C:\\b.gif"}, true, 1},
      {TMediaKind::Pictures, List({"C:\\a.jpg"}, 0), {"C:\\a.jpg"}, {"C:\\a.jpg"}, true, 0},  // still a change
      {TMediaKind::Pictures, List({"C:\\a.jpg"}, 0), {}, {"C:\\a.jpg"}, false, 0},            // dialog cancelled
      {TMediaKind::Music, List({"C:\\s.mp3"}, 0), {"C:\\s.mp3", "c:\\S.MP3"}, {"C:\\s.mp3", "C:\\s.mp3", "c:\\S.MP3"}, true, 2},
      // A picture kind the dialog offers but a drop refuses is added through the dialog.
      {TMediaKind::Pictures, List({}), {"C:\\x.jpeg"}, {"C:\\x.jpeg"}, true, 0},
  };
  for (Case& c : cases) {
    EXPECT_EQ(AddChosenFiles(c.before, c.kind, c.chosen), c.changed);
    EXPECT_EQ(Texts(c.before), c.after);
    EXPECT_EQ(c.before.Selected, c.selected);
  }
  EXPECT_EQ(DialogFolderOf({"C:\\photos\\a.jpg", "D:\\b.jpg"}), "C:\\photos\\");
}

TEST(MediaLists, DropsTakeOnlyTheirOwnKindsAndNothingTwice) {
  struct Case {
    const char* what;
    TMediaKind kind;
    TMediaList before;
    std::vector<std::string> dropped;
    std::vector<std::string> after;
    bool changed;
    int selected;
  } cases[] = {
      {"pictures of each kind", TMediaKind::Pictures, List({}),
       {"a.GIF", "b.jpg", "c.Bmp", "d.wmf", "e.emf", "f.ico", "g.jpeg", "h.PNG", "i.mp3", "j.webp", "k.tif", "l.HEIC",
        "m.heif", "n.avif"},
       {"a.GIF", "b.jpg", "c.Bmp", "d.wmf", "e.emf", "f.ico", "g.jpeg", "h.PNG", "j.webp", "l.HEIC", "m.heif", "n.avif"},
       true, 11},
      {"only other kinds on a full list", TMediaKind::Pictures, List({"a.jpg", "b.jpg"}, 0), {"x.txt", "y.tif"},
       {"a.jpg", "b.jpg"}, true, 1},
      {"only other kinds on an empty list", TMediaKind::Pictures, List({}), {"x.txt"}, {}, true, -1},
      {"an empty drop", TMediaKind::Pictures, List({"a.jpg"}, 0), {}, {"a.jpg"}, false, 0},
      {"a listed picture in other case", TMediaKind::Pictures, List({"C:\\a.jpg"}, 0), {"c:\\A.jpg"}, {"C:\\a.jpg"}, true, 0},
      {"music twice in one drop", TMediaKind::Music, List({"s.mp3"}, 0), {"S.MP3", "t.wav", "u.mid", "T.WAV", "v.ogg"},
       {"s.mp3", "t.wav", "u.mid"}, true, 2},
  };
  for (Case& c : cases) {
    EXPECT_EQ(DropFiles(c.before, c.kind, c.dropped), c.changed) << c.what;
    EXPECT_EQ(Texts(c.before), c.after) << c.what;
    EXPECT_EQ(c.before.Selected, c.selected) << c.what;
  }
}

TEST(MediaLists, RemoveMoveAndClearFollowTheSelection) {
  struct Case {
    const char* what;
    TMediaList before;
    std::function<bool(TMediaList&)> op;
    std::vector<std::string> after;
    bool changed;
    int selected;
  } cases[] = {
      {"remove the middle", List({"a", "b", "c"}, 1), RemoveSelected, {"a", "c"}, true, 1},
      {"remove the last", List({"a", "b", "c"}, 2), RemoveSelected, {"a", "b"}, true, 1},
      {"remove the only", List({"a"}, 0), RemoveSelected, {}, true, -1},
      {"remove without selection", List({"a"}, -1), RemoveSelected, {"a"}, false, -1},
      {"up", List({"a", "b", "c"}, 2), [](TMediaList& l) { return MoveSelected(l, -1); }, {"a", "c", "b"}, true, 1},
      {"first up", List({"a", "b"}, 0), [](TMediaList& l) { return MoveSelected(l, -1); }, {"a", "b"}, false, 0},
      {"down", List({"a", "b", "c"}, 0), [](TMediaList& l) { return MoveSelected(l, +1); }, {"b", "a", "c"}, true, 1},
      {"last down", List({"a", "b"}, 1), [](TMediaList& l) { return MoveSelected(l, +1); }, {"a", "b"}, false, 1},
      {"clear", List({"a", "b"}, 1), ClearList, {}, true, -1},
      {"clear an empty list", List({}), ClearList, {}, true, -1},
  };
  for (Case& c : cases) {
    EXPECT_EQ(c.op(c.before), c.changed) << c.what;
    EXPECT_EQ(Texts(c.before), c.after) << c.what;
    EXPECT_EQ(c.before.Selected, c.selected) << c.what;
  }
  TMediaList ticks = List({"a", "b"}, 0);
  ticks.Items[0].Checked = false;
  ASSERT_TRUE(MoveSelected(ticks, +1));
  EXPECT_EQ(ticks.Items[1], (TListEntry{"a", false}));  // the tick moves with its entry
  EXPECT_FALSE(SetChecked(ticks, 2, false));
}

TEST(MediaLists, ATickBoxClickTurnsTheTickOverAndNothingOutsideTheList) {
  TMediaList l = List({"a", "b"}, 0);
  EXPECT_TRUE(ToggleChecked(l, 1));
  EXPECT_FALSE(l.Items[1].Checked);
  EXPECT_TRUE(ToggleChecked(l, 1));
  EXPECT_TRUE(l.Items[1].Checked);
  for (int outside : {-1, 2}) EXPECT_FALSE(ToggleChecked(l, outside)) << outside;
  EXPECT_TRUE(l.Items[0].Checked);
}

// What the list window shows, edited as the list was edited.
std::vector<std::string> Spliced(std::vector<std::string> shown, const TMediaList& list) {
  const TListSplice s = SpliceBetween(shown, list);
  shown.erase(shown.begin() + s.At, shown.begin() + s.At + s.Remove);
  for (size_t i = 0; i < s.Insert; ++i) shown.insert(shown.begin() + s.At + i, list.Items[s.At + i].Text);
  return shown;
}

TEST(MediaLists, EveryListEditReachesTheWindowAsOneSmallSplice) {
  struct Case {
    const char* what;
    std::vector<std::string> shown;
    TMediaList list;
    TListSplice splice;
  } cases[] = {
      {"nothing changed", {"a", "b"}, List({"a", "b"}), {2, 0, 0}},
      {"appended", {"a", "b"}, List({"a", "b", "c", "d"}), {2, 0, 2}},
      {"filled from empty", {}, List({"a", "b"}), {0, 0, 2}},
      {"removed in the middle", {"a", "b", "c"}, List({"a", "c"}), {1, 1, 0}},
      {"removed the last", {"a", "b", "c"}, List({"a", "b"}), {2, 1, 0}},
      {"moved up", {"a", "b", "c", "d"}, List({"a", "c", "b", "d"}), {1, 2, 2}},
      {"cleared", {"a", "b"}, List({}), {0, 2, 0}},
      {"all new", {"a", "b"}, List({"x", "y", "z"}), {0, 2, 3}},
      // Twins: the window still ends up showing the list.
      {"a second of the same", {"s", "s"}, List({"s", "s", "s"}), {2, 0, 1}},
      {"one of two twins removed", {"s", "t", "s"}, List({"s", "s"}), {1, 1, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SpliceBetween(c.shown, c.list), c.splice) << c.what;
    EXPECT_EQ(Spliced(c.shown, c.list), Texts(c.list)) << c.what;
  }
  // Ten thousand appended to ten thousand: one insertion of the new ones.
  TMediaList big;
  std::vector<std::string> shown;
  for (int i = 0; i < 20000; ++i) {
    big.Items.push_back({"p" + std::to_string(i) + ".jpg", true});
    if (i < 10000) shown.push_back(big.Items.back().Text);
  }
  EXPECT_EQ(SpliceBetween(shown, big), (TListSplice{10000, 0, 10000}));
}

TEST(MediaLists, ThePictureDialogOffersWhatThePictureLoaderReads) {
  const std::string filter = PictureDialogFilter();
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t bar = filter.find('|', start);
    parts.push_back(filter.substr(start, bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  ASSERT_EQ(parts.size() % 2, 0u) << filter;
  std::set<std::string> offered;
  for (size_t i = 1; i < parts.size(); i += 2)
    for (size_t start = 0;;) {
      const size_t semi = parts[i].find(';', start);
      const std::string pattern = parts[i].substr(start, semi - start);
      ASSERT_EQ(pattern.rfind("*.", 0), 0u) << pattern;
      EXPECT_NE(PictureKindOf("x" + pattern.substr(1)), TPictureKind::Unknown) << pattern;
      offered.insert(pattern);
      if (semi == std::string::npos) break;
      start = semi + 1;
    }
  for (const char* ext : {"*.jpg", "*.jpeg", "*.png", "*.webp", "*.heic", "*.heif", "*.avif", "*.gif", "*.bmp", "*.ico",
                          "*.wmf", "*.emf"})
    EXPECT_TRUE(offered.count(ext)) << ext << " is not offered";
  EXPECT_EQ(parts[1], "*.jpg;*.jpeg;*.png;*.webp;*.heic;*.heif;*.avif;*.gif;*.bmp;*.ico;*.emf;*.wmf");  // the first choice takes every kind
}

TEST(MediaLists, TenThousandPicturesAreAddedAndDropped) {
  std::vector<std::string> files;
  for (int i = 0; i < 10000; ++i) files.push_back("C:\\photos\\p" + std::to_string(i) + ".jpg");
  TMediaList list;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(AddChosenFiles(list, TMediaKind::Pictures, files));
  ASSERT_TRUE(DropFiles(list, TMediaKind::Pictures, files));  // all listed already
  EXPECT_EQ(list.Items.size(), 10000u);
  EXPECT_EQ(list.Selected, 9999);
  // For the record, not a bound: a loaded machine stretches it.
  RecordProperty("ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count()));
}

class BuilderControlsTest : public ::testing::Test {
 protected:
  void SetUp() override { SetInstance({"VantaSaver", dir.Folder(), "", "", ""}); }
  void TearDown() override { SetInstance({}); }
  test::TTempDir dir;
};

TEST_F(BuilderControlsTest, ListsAreFilledFromFoundFilesAndWrittenBackUnderTheirFullPaths) {
  const std::string install = dir.Folder() + "install/";
  SetInstance({"VantaSaver", dir.Folder(), install, dir.Folder(), dir.Folder()});
  const std::string here = dir.Write("here.jpg", "x");
  dir.Write("beside.jpg", "x");  // a bare name in the program folder
  dir.Write("install/sample/s.jpg", "x");
  dir.Write("song.mp3", "x");
  TIniFile ini(dir.Write("VantaSaver.002", "[Pictures]\r\n" + here + "=0\r\nbeside.jpg=1\r\ns.jpg=junk\r\ngone.jpg=1\r\n"
                                            "[Music]\r\nsong.mp3\r\n"));
  TSaverSetting s;
  TConfigControls c = LoadControls(s, ini);
  EXPECT_EQ(c.ImageList.Items, (std::vector<TListEntry>{{here, false},
                                                         {dir.Path("beside.jpg"), true},
                                                         {install + "sample/s.jpg", true},
                                                         {"gone.jpg", true}}));  // kept as written
  EXPECT_EQ(c.ImageList.Selected, 0);
  EXPECT_EQ(c.MusicList.Items, (std::vector<TListEntry>{{dir.Path("song.mp3"), true}}));
  EXPECT_EQ(c.ChangedSections, 0);

  c.ChangedSections = csPictures;
  ApplyControls(c, s, &ini);
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("VantaSaver.002"), "[Music]\r\nsong.mp3\r\n\r\n[Pictures]\r\n" + here + "=0\r\n" +
                                            dir.Path("beside.jpg") + "=1\r\n" + install + "sample/s.jpg=1\r\ngone.jpg=1\r\n");
  EXPECT_EQ(s.Pictures, (std::vector<std::string>{dir.Path("beside.jpg"), install + "sample/s.jpg", "gone.jpg"}));
  EXPECT_TRUE(s.Music.empty());  // its bit was clear: the record's list stays
}

// Many files of one folder are found through one listing; the result must
// be what asking for each file gives: missing ones (and a folder of that
// name, which is no file) kept as written, bare names still found beside
// the program.
TEST_F(BuilderControlsTest, ManyFilesOfAFolderFillAsOneByOne) {
  std::string text = "[Pictures]\r\n";
  std::vector<TListEntry> want;
  for (int i = 0; i < 40; ++i) {
    const std::string name = "many/p" + std::to_string(i) + ".jpg";
    if (i % 3 != 0) dir.Write(name, "x");
    else if (i % 2 == 0) std::filesystem::create_directories(dir.Path(name));  // a folder, not a picture
    text += dir.Path(name) + "=" + (i % 5 == 0 ? "0" : "1") + "\r\n";
    want.push_back({dir.Path(name), i % 5 != 0});
  }
  dir.Write("bare.jpg", "x");
  text += "bare.jpg=1\r\n";
  want.push_back({dir.Path("bare.jpg"), true});
  TIniFile ini(dir.Write("VantaSaver.002", text));
  EXPECT_EQ(LoadControls(TSaverSetting(), ini).ImageList.Items, want);
}

TEST_F(BuilderControlsTest, OnlyRealEditsCountAsUnsavedChanges) {
  TIniFile ini(dir.Write("VantaSaver.002", "[Pictures]\r\na.jpg=1\r\nb.jpg=1\r\n"));
  const TConfigControls saved = LoadControls(TSaverSetting(), ini);
  struct Case { const char* what; std::function<void(TConfigControls&)> edit; bool unsaved; } cases[] = {
      {"nothing", [](TConfigControls&) {}, false},
      {"another selection", [](TConfigControls& c) { c.ImageList.Selected = 1; }, false},
      {"a section flagged, the list the same", [](TConfigControls& c) { c.ChangedSections = csPictures; }, false},
      {"the tree filled in its own order", [](TConfigControls& c) { c.UntickedEffects = {122, 119}; }, false},
      {"the tree ticking otherwise without a click", [](TConfigControls& c) { c.EffectTicks.reset(5); }, false},
      {"a tick turned", [](TConfigControls& c) { c.EffectTicks.reset(5); c.ChangedSections = csTransitions; }, true},
      {"a picture unticked", [](TConfigControls& c) { c.ImageList.Items[1].Checked = false; }, true},
      {"a picture gone", [](TConfigControls& c) { c.ImageList.Items.pop_back(); }, true},
      {"the interval", [](TConfigControls& c) { c.IntervalEdit = 9; }, true},
      {"fit to screen", [](TConfigControls& c) { c.SizeRadio = TImageSizing::Fit; }, true},
      {"the author", [](TConfigControls& c) { c.AuthorEdit = "Ann"; }, true},
  };
  for (const Case& k : cases) {
    TConfigControls now = saved;
    k.edit(now);
    EXPECT_EQ(UnsavedChanges(now, saved), k.unsaved) << k.what;
  }
}

TEST_F(BuilderControlsTest, ADroppedFolderBringsItsPicturesAsAddFolderDoes) {
  for (const char* f : {"trip/b.jpeg", "trip/a.jpg", "trip/notes.txt", "trip/day2/c.png"}) dir.Write(f, "x");
  const std::string loose = dir.Write("loose.jpg", "x");
  TConfigControls c;
  std::string message = "untouched";
  EXPECT_TRUE(DropOnList(c, TMediaKind::Pictures, {dir.Path("trip"), loose, dir.Path("trip/notes.txt")}, &message));
  EXPECT_EQ(CheckedEntries(c.ImageList),
            (std::vector<std::string>{dir.Path("trip/a.jpg"), dir.Path("trip/b.jpeg"), dir.Path("trip/day2/c.png"), loose}));
  EXPECT_EQ(c.ChangedSections, csPictures);
  EXPECT_EQ(message, "untouched");  // nothing was left out
  // Full but for one: the first of the folder comes, the others are counted.
  c = {};
  c.ImageList.Items.resize(kMaxListedPictures - 1, {"x", true});
  EXPECT_TRUE(AddFolderToList(c, dir.Path("trip"), message));
  EXPECT_EQ(c.ImageList.Items.back().Text, dir.Path("trip/a.jpg"));
  EXPECT_EQ(message, "The picture list holds up to 1000 pictures: 2 pictures of the folder were not added.");
}

TEST_F(BuilderControlsTest, WithoutChangesOnlyTheRecordMovesAndTheFileStays) {
  const std::string text = "[Pictures]\r\nmissing.jpg=1\r\n[Transitions]\r\n3=0\r\n";
  TIniFile ini(dir.Write("VantaSaver.002", text));
  TSaverSetting s;
  s.Pictures = {"kept.jpg"};
  TConfigControls c = LoadControls(s, ini);
  c.ImageList = {};
  c.EffectTicks.reset();
  ApplyControls(c, s, &ini);
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("VantaSaver.002"), text);
  EXPECT_EQ(s.Pictures, std::vector<std::string>{"kept.jpg"});
  EXPECT_EQ(s.Transitions, TSaverSetting().Transitions);
}

TEST_F(BuilderControlsTest, TicksWriteOnlyTheEffectsSwitchedOff) {
  TIniFile ini(dir.Write("VantaSaver.002", "[Transitions]\r\n300=0\r\n"));
  TSaverSetting s;
  TConfigControls c = LoadControls(s, ini);
  c.EffectTicks = DefaultTransitions();
  c.EffectTicks.reset(1);
  c.EffectTicks.set(120);
  c.UntickedEffects = {1, 119, 121, 122};
  c.ChangedSections = csTransitions;
  ApplyControls(c, s, &ini);
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("VantaSaver.002"), "[Transitions]\r\n3=0\r\n357=0\r\n363=0\r\n366=0\r\n");
  EXPECT_EQ(s.Transitions, c.EffectTicks);
}

// The setup's version: "1.0" until changed, then kept in the working file
// (and so in projects made from it) and loaded back.
TEST_F(BuilderControlsTest, TheVersionIsKeptOnceChanged) {
  TIniFile ini(dir.Write("VantaSaver.002", "[Set]\r\nImageInterval=9\r\n"));
  TSaverSetting s;
  TConfigControls c = LoadControls(s, ini);
  EXPECT_EQ(c.VersionEdit, "1.0");
  ApplyControls(c, s, &ini);
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("VantaSaver.002"), "[Set]\r\nImageInterval=9\r\n");
  c.VersionEdit = "2.5";
  ApplyControls(c, s, &ini);
  ini.UpdateFile();
  EXPECT_EQ(dir.Read("VantaSaver.002"), "[Set]\r\nImageInterval=9\r\nVersion=2.5\r\n");
  s.Version = "2.5";
  EXPECT_EQ(LoadControls(s, ini).VersionEdit, "2.5");
}

// Every Options control, the speed and the font carry their setting there
// and back: each field changed alone must come back changed alone.
TEST_F(BuilderControlsTest, EveryOptionRoundTripsThroughTheControls) {
  TIniFile ini(dir.Path("VantaSaver.002"));
  const TSaverSetting base;
  std::vector<std::function<void(TSaverSetting&)>> changes = {
      [](TSaverSetting& s) { s.StretchImage = !s.StretchImage; },
      [](TSaverSetting& s) { s.RandomImage = !s.RandomImage; },
      [](TSaverSetting& s) { s.CaptionPosition = cpFixed; },
      [](TSaverSetting& s) { s.CaptionX = 4321; },
      [](TSaverSetting& s) { s.CaptionY = 0; },
      [](TSaverSetting& s) { s.AdditionalText = "By the sea"; },
      [](TSaverSetting& s) { s.FontName = "Arial"; },
      [](TSaverSetting& s) { s.FontSize = 24; },
      [](TSaverSetting& s) { s.FontColor = 0x00FF00; },
      [](TSaverSetting& s) { s.FontBold = true; },
      [](TSaverSetting& s) { s.FontItalic = true; },
      [](TSaverSetting& s) { s.FontUnderline = true; },
      [](TSaverSetting& s) { s.FontStrikeout = true; },
      [](TSaverSetting& s) { s.BackgroundColor = 0x804020; },
      [](TSaverSetting& s) { s.ImageInterval = 1000; },
      [](TSaverSetting& s) { s.EffectSpeed = 1; },
      [](TSaverSetting& s) { s.EffectSpeed = 5; },
      [](TSaverSetting& s) { s.PicturePath = "C:\\photos\\"; },
      [](TSaverSetting& s) { s.MusicPath = "C:\\music\\"; },
      [](TSaverSetting& s) { s.MultiScreen = msSpanned; },
      [](TSaverSetting& s) { s.MultiScreen = msPrimaryOnly; },
      [](TSaverSetting& s) { s.PanZoom = TPanZoom::Strong; },
  };
  for (const TOptionCheck& k : OptionChecks())
    changes.push_back([k](TSaverSetting& s) { s.*k.Setting = !(s.*k.Setting); });
  for (size_t i = 0; i < changes.size(); ++i) {
    TSaverSetting changed = base;
    changes[i](changed);
    ASSERT_NE(changed, base) << "change " << i << " changes nothing";
    TSaverSetting back = base;
    ApplyControls(LoadControls(changed, ini), back, nullptr);
    EXPECT_EQ(back, changed) << "change " << i;
  }
  EXPECT_EQ(LoadControls(base, ini).SpeedScrollBar, 5 - base.EffectSpeed);
}

TEST_F(BuilderControlsTest, ControlsShowWhatTheirRangesAllow) {
  TIniFile ini(dir.Path("VantaSaver.002"));
  TSaverSetting s;
  s.CaptionX = -5;
  s.CaptionY = 9999;
  s.ImageInterval = 0;
  s.EffectSpeed = 9;
  s.Website = "";
  s.Author = "Ann";
  const TConfigControls c = LoadControls(s, ini);
  EXPECT_EQ(c.XSpin, 0);
  EXPECT_EQ(c.YSpin, 5000);
  EXPECT_EQ(c.IntervalEdit, 1);
  EXPECT_EQ(c.SpeedScrollBar, 0);
  EXPECT_EQ(c.AuthorEdit, "Ann");
  EXPECT_EQ(c.WebsiteEdit, "http://");
  EXPECT_EQ(c.FontLabel.Background, s.BackgroundColor);
  EXPECT_EQ(NextPage(bpOptions), bpBuild);
  EXPECT_EQ(NextPage(bpBuild), bpBuild);
}

TEST_F(BuilderControlsTest, APreviewRunsOnTheUnsavedControlsAndCanAlwaysBeLeft) {
  const std::string text = "[Set]\r\nImageInterval=9\r\n[Pictures]\r\nold.jpg=1\r\n";
  TIniFile ini(dir.Write("VantaSaver.002", text));
  struct Case { bool move, press, key; bool previewKey; } cases[] = {
      {true, true, true, true}, {true, false, false, false}, {false, true, false, false},
      {false, false, true, true}, {false, false, false, true},  // no way out: a key ends it
  };
  for (const Case& k : cases) {
    TSaverSetting s;
    TConfigControls c = LoadControls(s, ini);
    c.MouseMoveCheck = k.move;
    c.MousePressCheck = k.press;
    c.KeyboardCheck = k.key;
    c.IntervalEdit = 42;
    c.ImageList = List({"new.jpg"}, 0);
    c.ChangedSections = csPictures;
    ApplyForPreview(c, s);
    EXPECT_EQ(s.MouseMove, k.move);
    EXPECT_EQ(s.MousePress, k.press);
    EXPECT_EQ(s.KeyboardPress, k.previewKey);
    EXPECT_EQ(s.ImageInterval, 42);
    EXPECT_EQ(s.Pictures, std::vector<std::string>{"new.jpg"});
    ini.UpdateFile();
    EXPECT_EQ(dir.Read("VantaSaver.002"), text) << "a preview wrote to the file";
  }
}

TEST_F(BuilderControlsTest, TheFontDialogChangesTheFontButNotTheSamplesBackground) {
  TSaverSetting s;
  s.BackgroundColor = 0x102030;
  const TFontSample before = FontSampleFor(s);
  const platform::TFontChoice chosen{"Georgia", 31, 0x0000FF, true, false, true, false};
  const TFontSample after = WithFont(before, chosen);
  EXPECT_EQ(FontChoiceOf(after), chosen);
  EXPECT_EQ(after.Background, 0x102030u);
  EXPECT_EQ(FontChoiceOf(before), (platform::TFontChoice{s.FontName, s.FontSize, s.FontColor, false, false, false, false}));
}

// The window's one record, edited where no control holds the state: each
// edit marks only its own list's section, and only when it changed the list.
TEST(BuilderRecord, ListEditsMarkTheirOwnSectionOnlyWhenTheyChangeSomething) {
  using TKind = TMediaKind;
  struct Case {
    const char* what;
    TKind kind;
    std::function<bool(TConfigControls&)> edit;
    bool changed;
    std::vector<std::string> after;
  } cases[] = {
      {"add pictures", TKind::Pictures, [](auto& c) { return AddToList(c, TKind::Pictures, {"D:/p/x.jpg"}); }, true,
       {"a.jpg", "b.jpg", "D:/p/x.jpg"}},
      {"add nothing", TKind::Music, [](auto& c) { return AddToList(c, TKind::Music, {}); }, false, {"a.mp3"}},
      {"drop music", TKind::Music, [](auto& c) { return DropOnList(c, TKind::Music, {"D:/m/y.wav"}); }, true,
       {"a.mp3", "D:/m/y.wav"}},
      {"drop nothing", TKind::Pictures, [](auto& c) { return DropOnList(c, TKind::Pictures, {}); }, false,
       {"a.jpg", "b.jpg"}},
      {"remove", TKind::Pictures, [](auto& c) { return RemoveFromList(c, TKind::Pictures); }, true, {"a.jpg"}},
      {"remove unselected", TKind::Music, [](auto& c) { return RemoveFromList(c, TKind::Music); }, false, {"a.mp3"}},
      {"clear", TKind::Music, [](auto& c) { return ClearMediaList(c, TKind::Music); }, true, {}},
      {"up", TKind::Pictures, [](auto& c) { return MoveInList(c, TKind::Pictures, -1); }, true, {"b.jpg", "a.jpg"}},
      {"down at the end", TKind::Pictures, [](auto& c) { return MoveInList(c, TKind::Pictures, +1); }, false,
       {"a.jpg", "b.jpg"}},
      {"tick", TKind::Music, [](auto& c) { return ToggleInList(c, TKind::Music, 0); }, true, {"a.mp3"}},
      {"tick outside", TKind::Music, [](auto& c) { return ToggleInList(c, TKind::Music, 1); }, false, {"a.mp3"}},
  };
  for (const Case& c : cases) {
    TConfigControls r;
    r.ImageList = List({"a.jpg", "b.jpg"}, 1);
    r.MusicList = List({"a.mp3"});
    r.PicturePath = r.MusicPath = "C:/before/";
    r.ChangedSections = csTransitions;
    const TConfigControls before = r;
    EXPECT_EQ(c.edit(r), c.changed) << c.what;
    EXPECT_EQ(Texts(ListOf(r, c.kind)), c.after) << c.what;
    const uint8_t own = c.kind == TKind::Pictures ? csPictures : csMusic;
    EXPECT_EQ(r.ChangedSections, c.changed ? csTransitions | own : csTransitions) << c.what;
    // The other list and the folder of the other kind stay.
    const bool pictures = c.kind == TKind::Pictures;
    EXPECT_EQ(pictures ? r.MusicList : r.ImageList, pictures ? before.MusicList : before.ImageList) << c.what;
    EXPECT_EQ(pictures ? r.MusicPath : r.PicturePath, "C:/before/") << c.what;
  }
  TConfigControls r;
  ASSERT_TRUE(AddToList(r, TKind::Music, {"D:/m/y.wav"}));
  EXPECT_EQ(r.MusicPath, "D:/m/");  // the next Add opens where these were
}

TEST(BuilderRecord, TheColourAndTheCaptionPositionAsTheControlsGiveThem) {
  TConfigControls c;
  c.FontLabel.Name = "Georgia";
  SetBackground(c, 0x336699);
  EXPECT_EQ(c.BackcolorCb, 0x336699u);
  EXPECT_EQ(c.FontLabel.Background, 0x336699u);  // the sample is drawn on it
  EXPECT_EQ(c.FontLabel.Name, "Georgia");
  struct Case {
    std::array<bool, cpFixed + 1> checked;
    int32_t given, read;
  } cases[] = {
      {{false, false, true, false, false, false}, cpOff, 2},
      {{true, false, false, false, false, false}, cpFixed, cpOff},
      {{false, false, false, false, false, false}, 9, 9},  // a position the group lacks stays
  };
  for (const Case& k : cases) EXPECT_EQ(CaptionRadioRead(k.checked, k.given), k.read) << k.given;
  EXPECT_EQ(CaptionRadioRead({}, cpBelowImage), cpBelowImage);
}

TEST(BuildNotebook, BackAndNextWalkThePagesThatExist) {
  struct Case { int32_t page; TNotebookButtons buttons; bool builds; int32_t next, back; } cases[] = {
      {0, {false, true}, false, 1, 0},
      {1, {true, true}, false, 2, 0},
      {2, {true, true}, true, 2, 1},
      // The progress page: Back goes to the name, Next is the build's.
      {3, {true, std::nullopt}, true, 2, 0},
  };
  static_assert(kNotebookPages == 4, "a new page needs its row here");
  for (const Case& c : cases) {
    EXPECT_EQ(NotebookButtons(c.page), c.buttons) << c.page;
    EXPECT_EQ(NotebookNextBuilds(c.page), c.builds) << c.page;
    if (!c.builds) {
      EXPECT_EQ(NotebookNext(c.page), c.next) << c.page;
    }
    EXPECT_EQ(NotebookBack(c.page), c.back) << c.page;
  }
}

TEST(BuilderLinks, HelpIsTheInstalledHelpFileElseTheWebSite) {
  test::TTempDir dir;
  const platform::TShellRequest web{"", kMakerWebsite, "", ""};
  EXPECT_EQ(HelpRequest(dir.Folder()), web);  // no help file there
  dir.Write(kHelpFileName, "help");
  EXPECT_EQ(HelpRequest(dir.Folder()), (platform::TShellRequest{"Open", dir.Path(kHelpFileName), "", ""}));
  // An unknown install folder never opens a help file from a drive's root.
  for (const char* unknown : {"", "/", "\\"}) EXPECT_EQ(HelpRequest(unknown), web) << unknown;
  EXPECT_EQ(HomePageRequest(), web);
  EXPECT_EQ(MailRequest().File, std::string("mailto:") + kMakerEmail);
  EXPECT_EQ(DefaultSaverRequest("C:\\Prog\\VantaSaver.scr"),
            (platform::TShellRequest{"install", "C:\\Prog\\VantaSaver.scr", "", ""}));
}

}  // namespace
}  // namespace vanta

namespace vanta {
namespace {

TEST(ProjectFiles, NamesGetTheProjectExtensionUnlessTheyHoldIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"show", "show.vnt"}, {"show.VNT", "show.VNT"}, {"show.vnt.old", "show.vnt.old"},
      {"C:\\my.vnt\\show", "C:\\my.vnt\\show"}, {"show.vn", "show.vn.vnt"}, {"", ".vnt"},
  };
  for (const auto& [chosen, want] : cases) EXPECT_EQ(ProjectFileName(chosen), want) << chosen;
}

TEST(ProjectFiles, TheMissingFilesReportNamesTheFirstFewAndCountsTheRest) {
  EXPECT_EQ(MissingMediaReport({}), "");
  TMissingMedia one;
  one.Music = {"E:\\songs\\tune.mp3"};
  EXPECT_EQ(MissingMediaReport(one), "This project names 1 music file that is not there:\r\n    E:\\songs\\tune.mp3\r\n\r\n"
                                     "They stay in the lists until you remove them. Look for them in another folder?");
  TMissingMedia many;
  for (int i = 1; i <= 7; ++i) many.Pictures.push_back("E:\\trip\\p" + std::to_string(i) + ".jpg");
  many.Music = {"E:\\a.mp3", "E:\\b.mp3"};
  const std::string text = MissingMediaReport(many);
  EXPECT_EQ(text.rfind("This project names 7 pictures and 2 music files that are not there:\r\n", 0), 0u) << text;
  EXPECT_NE(text.find("p5.jpg\r\n    and 4 more\r\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("p6.jpg"), std::string::npos);
}

class ProjectFilesTest : public ::testing::Test {
 protected:
  const std::string kBefore = "[Set]\r\nImageInterval=7\r\n[Pictures]\r\nC:\\a.jpg=1\r\n";
  std::string Working() const { return dir.Path("VantaSaver.002"); }
  // What OK would write: a changed interval.
  std::function<void()> CommitInterval(TIniFile& ini, int value) {
    return [&ini, value] { ini.WriteInteger("Set", "ImageInterval", value); };
  }
  test::TTempDir dir;
};

TEST_F(ProjectFilesTest, MissingFilesAreFoundByNameInAnotherFolderTree) {
  const std::string there = dir.Write("there.jpg", "x");
  dir.Write("moved/b/Trip.JPG", "x");
  dir.Write("moved/a/trip.jpg", "x");  // the first in name order wins
  dir.Write("moved/song.mp3", "x");
  TMediaList pictures{{{there, true}, {"E:\\photos\\trip.jpg", false}, {"/media/usb/other.jpg", true}}, 0};
  TMediaList music{{{"E:\\song.mp3", true}}, 0};
  const TMissingMedia missing = FindMissingMedia(pictures, music);
  EXPECT_EQ(missing.Pictures, (std::vector<std::string>{"E:\\photos\\trip.jpg", "/media/usb/other.jpg"}));
  EXPECT_EQ(missing.Music, std::vector<std::string>{"E:\\song.mp3"});
  EXPECT_EQ(FindMissingIn(pictures, dir.Path("moved")), 1u);
  EXPECT_EQ(pictures.Items, (std::vector<TListEntry>{{there, true}, {dir.Path("moved/a/trip.jpg"), false},
                                                     {"/media/usb/other.jpg", true}}));
  EXPECT_EQ(FindMissingIn(music, dir.Path("moved/")), 1u);
  EXPECT_EQ(music.Items[0].Text, dir.Path("moved/song.mp3"));
  EXPECT_EQ(FindMissingIn(music, dir.Path("nowhere")), 0u);
}

TEST_F(ProjectFilesTest, SaveAsWritesTheCommittedStateAndPutsTheWorkingFileBack) {
  dir.Write("VantaSaver.002", kBefore);
  TIniFile ini(Working());
  SaveProjectAs(ini, dir.Path("show.vnt"), CommitInterval(ini, 42));
  EXPECT_EQ(dir.Read("show.vnt"), "[Set]\r\nImageInterval=42\r\n[Pictures]\r\nC:\\a.jpg=1\r\n");
  EXPECT_EQ(dir.Read("VantaSaver.002"), kBefore);
  EXPECT_FALSE(dir.Exists("VantaSaver.002.bak"));
  EXPECT_EQ(ini.ReadInteger("Set", "ImageInterval", 0), 7);  // the object reads the disk again
}

TEST_F(ProjectFilesTest, FailuresAtEachStepLeaveTheWorkingFileAsItWas) {
  using TArrange = std::function<void(const test::TTempDir&)>;
  struct Case {
    const char* what;
    TArrange arrange;
    std::string project;
    bool committed;  // whether the commit ran
  } cases[] = {
      {"the project's folder is missing", [](const test::TTempDir&) {}, "no/such/folder/show.vnt", true},
      {"the project name is a folder",
       [](const test::TTempDir& d) { std::filesystem::create_directory(d.Path("taken.vnt")); }, "taken.vnt", true},
      {"the backup cannot be made",
       [](const test::TTempDir& d) { std::filesystem::create_directory(d.Path("VantaSaver.002.bak")); }, "show.vnt",
       false},
  };
  for (const Case& c : cases) {
    test::TTempDir own;  // each case in a folder of its own
    own.Write("VantaSaver.002", kBefore);
    c.arrange(own);
    TIniFile ini(own.Path("VantaSaver.002"));
    bool ran = false;
    EXPECT_THROW(SaveProjectAs(ini, own.Path(c.project), [&] { ran = true, ini.WriteInteger("Set", "X", 1); }),
                 TProjectError)
        << c.what;
    EXPECT_EQ(ran, c.committed) << c.what;
    EXPECT_EQ(own.Read("VantaSaver.002"), kBefore) << c.what;
    EXPECT_FALSE(std::filesystem::is_regular_file(own.Path("VantaSaver.002.bak"))) << c.what;
    EXPECT_FALSE(std::filesystem::is_regular_file(own.Path(c.project))) << c.what;
  }
}

TEST_F(ProjectFilesTest, SaveAsWithoutAWorkingFileLeavesNone) {
  TIniFile ini(Working());
  SaveProjectAs(ini, dir.Path("new.vnt"), CommitInterval(ini, 5));
  EXPECT_EQ(dir.Read("new.vnt"), "[Set]\r\nImageInterval=5\r\n");
  EXPECT_FALSE(dir.Exists("VantaSaver.002"));
}

TEST_F(ProjectFilesTest, LoadReplacesTheWorkingFileOrChangesNothing) {
  dir.Write("VantaSaver.002", kBefore);
  TIniFile ini(Working());
  const std::string project = "[Set]\r\nImageInterval=9\r\nAuthor=Ann\r\n[Pictures]\r\nbeach.jpg=1\r\n";
  LoadProject(ini, dir.Write("beach.vnt", project));
  EXPECT_EQ(dir.Read("VantaSaver.002"), project);
  EXPECT_EQ(ini.ReadInteger("Set", "ImageInterval", 0), 9);

  std::filesystem::create_directory(dir.Path("folder.vnt"));
  dir.Write("huge.vnt", std::string(kMaxProjectBytes + 1, ';'));
  for (const char* bad : {"missing.vnt", "folder.vnt", "huge.vnt"}) {
    EXPECT_THROW(LoadProject(ini, dir.Path(bad)), TProjectError) << bad;
    EXPECT_EQ(dir.Read("VantaSaver.002"), project) << bad;
    EXPECT_EQ(ini.ReadInteger("Set", "ImageInterval", 0), 9) << bad;
  }
}

}  // namespace
}  // namespace vanta
