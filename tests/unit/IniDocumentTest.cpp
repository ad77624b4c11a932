#include <gtest/gtest.h>

#include "settings/IniDocument.h"
#include "settings/IniFile.h"
#include "TempDir.h"

namespace vanta {
namespace {

TEST(IniDocument, NamesIgnoreCaseAndBlanks) {
  const TIniDocument doc("  [ set ]  \r\n  Image Interval  =  12  \r\nKEY=a=b\r\n");
  EXPECT_EQ(doc.ReadString("SET", "image interval", "?"), "12");
  EXPECT_EQ(doc.ReadInteger("Set", "IMAGE INTERVAL", 0), 12);
  EXPECT_EQ(doc.ReadString("set", "key", "?"), "a=b");  // the first '=' splits
  EXPECT_EQ(doc.ReadString("set", "missing", "dflt"), "dflt");
  EXPECT_EQ(doc.ReadString("other", "key", "dflt"), "dflt");
}

TEST(IniDocument, LineEndingsAndLastLine) {
  for (const char* text : {"[s]\nk=1\nj=2", "[s]\r\nk=1\r\nj=2\r\n", "[s]\nk=1\r\nj=2\n"}) {
    const TIniDocument doc(text);
    EXPECT_EQ(doc.ReadInteger("s", "k", 0), 1) << text;
    EXPECT_EQ(doc.ReadInteger("s", "j", 0), 2) << text;
    EXPECT_EQ(doc.Text(), text);  // an untouched document gives back its bytes
  }
}

TEST(IniDocument, IntegersAndBooleans) {
  struct Case { const char* value; int32_t want; } cases[] = {
      {"42", 42},         {"  -7", -7},       {"+3", 3},          {"0x1F", 31},       {"0XfF", 255},
      {"$10", 16},        {"$FFFFFFFF", -1},  {"0xFFFFFFFF", -1}, {"-$10", -16},      {"2147483647", 2147483647},
      {"2147483648", 99}, {"-2147483648", INT32_MIN},             {"12abc", 99},      {"", 99},
      {"abc", 99},        {"0x", 99},         {"$", 99},          {"1 2", 99},        {"0x1FFFFFFFF", 99},
      {"16777215", 16777215},
  };
  for (const Case& k : cases) {
    const TIniDocument doc(std::string("[s]\nv=") + k.value + "\n");
    EXPECT_EQ(doc.ReadInteger("s", "v", 99), k.want) << '"' << k.value << '"';
  }
  const TIniDocument doc("[s]\nt=2\nf=0\nbad=yes\nhex=$0\n");
  EXPECT_TRUE(doc.ReadBool("s", "t", false));
  EXPECT_FALSE(doc.ReadBool("s", "f", true));
  EXPECT_TRUE(doc.ReadBool("s", "bad", true));    // does not convert: default
  EXPECT_FALSE(doc.ReadBool("s", "bad", false));
  EXPECT_FALSE(doc.ReadBool("s", "hex", true));
}

TEST(IniDocument, QuotesAroundAValueKeepItsBlanks) {
  const TIniDocument doc("[s]\na=\"  two  \"\nb='x'\nc=\"open\nd=\"\"\ne=\"mixed'\n");
  EXPECT_EQ(doc.ReadString("s", "a", "?"), "  two  ");
  EXPECT_EQ(doc.ReadString("s", "b", "?"), "x");
  EXPECT_EQ(doc.ReadString("s", "c", "?"), "\"open");
  EXPECT_EQ(doc.ReadString("s", "d", "?"), "");
  EXPECT_EQ(doc.ReadString("s", "e", "?"), "\"mixed'");

  TIniDocument written;
  for (const std::string v : {"Photo: ", " lead", "\"quoted\"", "'q'", "plain", "in \"side\" ok", ""}) {
    written.WriteString("Caption", "AddtionalText", v);
    EXPECT_EQ(TIniDocument(written.Text()).ReadString("Caption", "AddtionalText", "?"), v) << v;
  }
  written.WriteString("Caption", "AddtionalText", "Photo: ");
  EXPECT_EQ(written.Text(), "[Caption]\r\nAddtionalText=\"Photo: \"\r\n");
}

TEST(IniDocument, LongValuesAreCutAt2047Characters) {
  const std::string value(5000, 'x');
  const TIniDocument doc("[s]\nk=" + value + "\n");
  EXPECT_EQ(doc.ReadString("s", "k", "").size(), 2047u);
  EXPECT_EQ(doc.Text().size(), value.size() + 7);  // the file keeps it whole
}

TEST(IniDocument, KeyListStopsAt16384BytesOfWholeNames) {
  // 100-character names take 101 bytes each: 162 fit into 16384 bytes.
  std::string text = "[Pictures]\n";
  for (int i = 0; i < 300; ++i) {
    std::string name = "k" + std::to_string(1000 + i);
    name.resize(100, 'n');
    text += name + "=1\n";
  }
  const auto keys = TIniDocument(text).ReadSectionKeys("pictures");
  ASSERT_EQ(keys.size(), 162u);
  EXPECT_EQ(keys.front().substr(0, 5), "k1000");
  EXPECT_EQ(keys.back().substr(0, 5), "k1161");
}

TEST(IniDocument, KeysInFileOrderAcrossRepeatedSections) {
  const TIniDocument doc("[A]\nz=1\n;x=1\nbare line\n[B]\nq=1\n[a]\ny=2\nZ=3\n");
  EXPECT_EQ(doc.ReadSectionKeys("A"), (std::vector<std::string>{"z", "bare line", "y"}));
  EXPECT_EQ(doc.ReadInteger("a", "z", 0), 1);  // the first occurrence wins
  EXPECT_EQ(doc.Value("a", "bare line"), std::nullopt);
  EXPECT_EQ(doc.Value("a", ";x"), std::nullopt);
}

TEST(IniDocument, WritesChangeOnlyTheirLines) {
  TIniDocument doc("; keep me\r\n[Set]\r\nAuthor=Me\r\nImageInterval = 3\r\n\r\n[Other]\r\nx=1\r\n");
  doc.WriteInteger("set", "imageinterval", 9);
  doc.WriteString("Set", "New", "v");
  doc.WriteBool("Caption", "ForceHide", true);
  EXPECT_EQ(doc.Text(),
            "; keep me\r\n[Set]\r\nAuthor=Me\r\nImageInterval=9\r\nNew=v\r\n\r\n[Other]\r\nx=1\r\n"
            "\r\n[Caption]\r\nForceHide=1\r\n");
}

TEST(IniDocument, NewFileAndMissingFinalNewline) {
  TIniDocument empty;
  empty.WriteString("Set", "A", "1");
  empty.WriteString("Set", "B", "2");
  EXPECT_EQ(empty.Text(), "[Set]\r\nA=1\r\nB=2\r\n");

  TIniDocument lf("[s]\nk=1");
  lf.WriteString("s", "j", "2");
  EXPECT_EQ(lf.Text(), "[s]\nk=1\nj=2\n");
}

TEST(IniDocument, LineBreaksInValuesCannotAddKeys) {
  TIniDocument doc;
  doc.WriteString("Caption", "AddtionalText", "hi\r\n[Set]\r\nKeyboardPress=0");
  EXPECT_FALSE(doc.SectionExists("Set"));
  EXPECT_EQ(doc.ReadSectionKeys("Caption").size(), 1u);
}

TEST(IniDocument, EraseSectionRemovesEveryOccurrence) {
  TIniDocument doc("[Transitions]\n3=0\n[Set]\na=1\n[transitions]\n6=0\n");
  doc.EraseSection("TRANSITIONS");
  EXPECT_EQ(doc.Text(), "[Set]\na=1\n");
  EXPECT_TRUE(doc.ReadSectionKeys("Transitions").empty());
}

// The one-pass section writer must leave exactly the text that erasing and
// writing key by key leaves, whatever the file around it looks like.
TEST(IniDocument, ReplaceSectionWritesWhatKeyByKeyWrites) {
  using TPairs = std::vector<std::pair<std::string, std::string>>;
  const char* files[] = {"", "[Set]\r\nA=1", "[Set]\nA=1\n\n", "[Pictures]\r\nold=1\r\n[Set]\r\nA=1\r\n",
                         "; note\r\n[pictures]\r\nx=0\r\n[Music]\r\n[PICTURES]\r\ny=1\r\n"};
  const TPairs lists[] = {
      {},
      {{"C:\\a.jpg", "1"}, {"C:\\b.jpg", "0"}},
      {{"C:\\a.jpg", "1"}, {"c:\\A.JPG", "0"}, {"d.mp3", "1"}},  // one key, first place, last value
      {{" padded ", " v "}, {"", "1"}, {"line\nbreak", "1"}, {"q\"", "\"x\""}},
  };
  for (const char* file : files)
    for (const TPairs& pairs : lists) {
      TIniDocument byKey(file), inOne(file);
      byKey.EraseSection("Pictures");
      for (const auto& [k, v] : pairs) byKey.WriteString("Pictures", k, v);
      inOne.ReplaceSection("Pictures", pairs);
      EXPECT_EQ(inOne.Text(), byKey.Text()) << "file " << ::testing::PrintToString(std::string(file)) << ", "
                                            << pairs.size() << " pairs";
    }
}

TEST(IniDocument, SectionPairsHaveNoByteLimitAndKeepTheFirstOfARepeatedKey) {
  std::string text = "[Pictures]\r\n";
  for (int i = 0; i < 3000; ++i) text += "C:\\photos\\holiday-" + std::to_string(i) + ".jpg=" + (i % 2 ? "0" : "1") + "\r\n";
  text += "c:\\PHOTOS\\holiday-0.jpg=0\r\nbare\r\nquoted=\" 1 \"\r\n";
  const TIniDocument doc(text);
  const TIniDocument::TPairs pairs = doc.ReadSectionPairs("pictures");
  ASSERT_EQ(pairs.size(), 3002u);
  EXPECT_EQ(pairs[0], (std::pair<std::string, std::optional<std::string>>{"C:\\photos\\holiday-0.jpg", "1"}));
  EXPECT_EQ(pairs[2999].first, "C:\\photos\\holiday-2999.jpg");
  EXPECT_EQ(pairs[2999].second, "0");
  EXPECT_EQ(pairs[3000].second, std::nullopt);  // a line without '='
  EXPECT_EQ(pairs[3001].second, " 1 ");
  EXPECT_LT(doc.ReadSectionKeys("Pictures").size(), pairs.size());  // the profile-style list stops at 16 KB
}

// Files written before UTF-8 are in the legacy code page; both kinds read,
// and writing gives UTF-8 without touching an ASCII file's bytes.
TEST(IniFile, ReadsUtf8AndLegacyTextAndWritesUtf8) {
  struct Case {
    const char* what;
    std::string file;
    std::string picture;  // the key read back
    std::string written;  // the file after writing Set/X=1
  } cases[] = {
      {"ascii", "[Pictures]\r\nred.bmp=1\r\n", "red.bmp", "[Pictures]\r\nred.bmp=1\r\n\r\n[Set]\r\nX=1\r\n"},
      {"utf-8", "[Pictures]\r\n\xC3\x89t\xC3\xA9.jpg=1\r\n", "\xC3\x89t\xC3\xA9.jpg",
       "[Pictures]\r\n\xC3\x89t\xC3\xA9.jpg=1\r\n\r\n[Set]\r\nX=1\r\n"},
      {"utf-8 with a byte-order mark", "\xEF\xBB\xBF[Pictures]\r\n\xE5\x86\x99.bmp=1\r\n", "\xE5\x86\x99.bmp",
       "\xEF\xBB\xBF[Pictures]\r\n\xE5\x86\x99.bmp=1\r\n\r\n[Set]\r\nX=1\r\n"},
      {"windows-1252", "[Pictures]\r\n\xC9t\xE9.jpg=1\r\n", "\xC3\x89t\xC3\xA9.jpg",
       "[Pictures]\r\n\xC3\x89t\xC3\xA9.jpg=1\r\n\r\n[Set]\r\nX=1\r\n"},
      {"almost utf-8", "[Pictures]\r\n\xC3\xA9\xE9.jpg=1\r\n", "\xC3\x83\xC2\xA9\xC3\xA9.jpg",
       "[Pictures]\r\n\xC3\x83\xC2\xA9\xC3\xA9.jpg=1\r\n\r\n[Set]\r\nX=1\r\n"},
  };
  test::TTempDir dir;
  for (const Case& c : cases) {
    TIniFile ini(dir.Write("s.002", c.file));
    EXPECT_EQ(ini.ReadSectionKeys("Pictures"), std::vector<std::string>{c.picture}) << c.what;
    EXPECT_TRUE(ini.ReadBool("pictures", c.picture, false)) << c.what;
    ini.WriteInteger("Set", "X", 1);
    EXPECT_EQ(dir.Read("s.002"), c.written) << c.what;
  }
}

TEST(IniDocument, LongValuesAreCutBetweenCharacters) {
  std::string value(2046, 'a');
  value += "\xC3\xA9tail";  // é straddles the 2047-byte limit
  const TIniDocument doc("[s]\r\nk=" + value + "\r\n");
  EXPECT_EQ(doc.ReadString("s", "k", ""), std::string(2046, 'a'));
}

TEST(IniFile, FileComesIntoBeingAtTheFirstWrite) {
  test::TTempDir dir;
  TIniFile ini(dir.Path("x.002"));
  EXPECT_EQ(ini.ReadInteger("Set", "A", 5), 5);
  EXPECT_FALSE(dir.Exists("x.002"));
  ini.WriteInteger("Set", "A", 6);
  EXPECT_EQ(dir.Read("x.002"), "[Set]\r\nA=6\r\n");
}

TEST(IniFile, BatchWritesOnceAndLeavesNoTemporaryFiles) {
  test::TTempDir dir;
  dir.Write("x.002", "[Set]\nA=1\n");
  TIniFile ini(dir.Path("x.002"));
  {
    TIniFile::TBatch batch(ini);
    ini.WriteInteger("Set", "A", 2);
    ini.WriteInteger("Set", "B", 3);
    EXPECT_EQ(dir.Read("x.002"), "[Set]\nA=1\n");  // not yet
  }
  EXPECT_EQ(dir.Read("x.002"), "[Set]\nA=2\nB=3\n");
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Folder())) ++files;
  EXPECT_EQ(files, 1u);
}

TEST(IniFile, ReloadSeesTheFileAsItIsNow) {
  test::TTempDir dir;
  dir.Write("x.002", "[Set]\nA=1\n");
  TIniFile ini(dir.Path("x.002"));
  EXPECT_EQ(ini.ReadInteger("Set", "A", 0), 1);
  dir.Write("x.002", "[Set]\nA=2\n");
  ini.Reload();
  EXPECT_EQ(ini.ReadInteger("Set", "A", 0), 2);
}

TEST(IniFile, AnUnreadableFileIsNeverOverwritten) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir.Path("x.002"));  // a folder where the file should be
  TIniFile ini(dir.Path("x.002"));
  EXPECT_EQ(ini.ReadInteger("Set", "A", 4), 4);
  EXPECT_THROW(ini.WriteInteger("Set", "A", 1), EIniFileError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path("x.002")));
}

TEST(IniFile, AFailedWriteThrowsAndKeepsTheOldFile) {
  test::TTempDir dir;
  TIniFile ini(dir.Path("gone/x.002"));  // its folder does not exist
  EXPECT_THROW(ini.WriteInteger("Set", "A", 1), EIniFileError);
}

}  // namespace
}  // namespace vanta
