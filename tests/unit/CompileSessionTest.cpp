#include "builder/CompileSession.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TempDir.h"
#include "platform/headless/HeadlessScheduler.h"

namespace vanta {
namespace {

using TEvents = std::vector<std::string>;

// The page and the shell as a log of what the session did to them.
class TFakePage : public ICompileView, public ICompilePrograms {
 public:
  struct TProgram : IRunningProgram {
    explicit TProgram(std::shared_ptr<bool> ended) : ended_(std::move(ended)) {}
    bool Ended() const override { return *ended_; }
    std::shared_ptr<bool> ended_;
  };

  void RunStarting() override { events.push_back("starting"); }
  void ShowBusy(bool busy) override { events.push_back(busy ? "busy" : "idle"); }
  void AppendStatus(const std::string& line) override { events.push_back("status " + line); }
  void BuildEnded() override { events.push_back("ended"); }
  bool Ask(const std::string& question) override {
    events.push_back("ask " + question);
    if (onAsk) onAsk();
    const bool yes = !answers.empty() && answers.front();
    if (!answers.empty()) answers.pop_front();
    return yes;
  }
  void Fail(const std::string& message) override { events.push_back("fail " + message); }
  std::unique_ptr<IRunningProgram> Start(const std::string& file, const std::string& parameters) override {
    events.push_back("start " + file + " " + parameters);
    if (refuse) return nullptr;
    ended = std::make_shared<bool>(false);
    return std::make_unique<TProgram>(ended);
  }
  void Open(const std::string& file) override { events.push_back("open " + file); }

  TEvents events;
  std::deque<bool> answers;
  std::function<void()> onAsk;
  bool refuse = false;
  std::shared_ptr<bool> ended = std::make_shared<bool>(false);
};

class CompileSessionTest : public ::testing::Test {
 public:
  CompileSessionTest() {
    names.SetupFileName = out.Path("Beach.exe");
    names.CompileDir = user.Folder();
    names.SettingsCopyName = user.Path("Beach.002");
    compiler = install.Write("vantabuild.exe", "");
    for (const char* f : {"temp.iss", "Beach.002", "Readme.txt"}) user.Write(f, "x");
  }
  bool CompileFolderClean() const {
    return !user.Exists("temp.iss") && !user.Exists("Beach.002") && !user.Exists("Readme.txt");
  }
  // Starts a build and forgets the events of its start.
  void Started() {
    session.Start(names, compiler);
    ASSERT_TRUE(session.Running());
    page.events.clear();
  }
  std::string Run() const { return "start " + compiler + " \"" + user.Path("temp.iss") + "\""; }
  // The question after a success that named no files.
  std::string AskSuccess() const { return "ask " + SuccessQuestion({names.SetupFileName}); }

  test::TTempDir out, user, install;
  TBuildNames names;
  std::string compiler;
  platform::THeadlessScheduler sched;
  TFakePage page;
  TCompileSession session{sched, page, page};
};

TEST_F(CompileSessionTest, AStartRemovesTheOldSetupAndStartsTheCompilerOnTheScript) {
  out.Write("Beach.exe", "an old setup");
  session.Start(names, compiler);
  EXPECT_EQ(page.events, (TEvents{"starting", "busy", Run()}));
  EXPECT_TRUE(session.Running());
  EXPECT_TRUE(session.Busy());
  EXPECT_FALSE(out.Exists("Beach.exe"));
  EXPECT_FALSE(CompileFolderClean()) << "the compiler still reads them";
  EXPECT_EQ(sched.TimerCount(), 1u);
}

TEST_F(CompileSessionTest, StatusLinesAreShownFilteredAndEndTheHourglass) {
  Started();
  session.Record(kStatusLineCode, "  Compiling script: temp.iss \r\n");
  session.Record(kStatusLineCode, "File: a.bmp");
  session.Record(kStatusLineCode, "[detail] of the compiler");
  EXPECT_EQ(page.events, (TEvents{"idle", "status Compiling script: temp.iss", "idle", "idle"}));
  EXPECT_FALSE(session.Busy());
  EXPECT_TRUE(session.Running());
}

TEST_F(CompileSessionTest, TheEndAsksAndActsOnTheAnswer) {
  const std::string ask = AskSuccess(), again = std::string("ask ") + kFailureQuestion;
  struct TCase {
    const char* name;
    uint32_t code;
    std::deque<bool> answers;
    TEvents want;
    bool runningAfter;
  };
  const TCase cases[] = {
      {"success, no", 0, {false}, {"idle", ask, "idle", "ended"}, false},
      {"success, yes", 0, {true}, {"idle", ask, "open " + names.SetupFileName, "idle", "ended"}, false},
      {"failure, no", 2, {false}, {"idle", again, "idle", "ended"}, false},
      {"failure, yes: the same files again", 7, {true}, {"idle", again, "starting", "busy", Run()}, true},
  };
  for (const TCase& c : cases) {
    for (const char* f : {"temp.iss", "Beach.002", "Readme.txt"}) user.Write(f, "x");
    Started();
    page.answers = c.answers;
    session.Record(c.code, "");
    EXPECT_EQ(page.events, c.want) << c.name;
    EXPECT_EQ(session.Running(), c.runningAfter) << c.name;
    EXPECT_EQ(CompileFolderClean(), !c.runningAfter) << c.name;
    EXPECT_EQ(sched.TimerCount(), c.runningAfter ? 1u : 0u) << c.name;
    if (c.runningAfter) session.Record(1, "");  // No to the second question
    EXPECT_FALSE(session.Running()) << c.name;
  }
}

TEST_F(CompileSessionTest, RecordsOutsideARunBelongToNoBuild) {
  session.Record(kStatusLineCode, "before any build");
  session.Record(0, "");
  EXPECT_TRUE(page.events.empty());
  Started();
  // While the question waits, and after the end.
  page.onAsk = [&] { session.Record(kStatusLineCode, "while asking"); };
  session.Record(0, "");
  page.onAsk = nullptr;
  session.Record(kStatusLineCode, "late line");
  session.Record(3, "late end");
  EXPECT_EQ(page.events, (TEvents{"idle", AskSuccess(), "idle", "ended"}));
}

TEST_F(CompileSessionTest, TheOldSetupGoesWithItsPartsInOrder) {
  for (const char* f : {"Beach.exe", "Beach-1.bin", "Beach-2.bin", "Beach-4.bin", "Other-1.bin", "Beach-1.bin.txt"})
    out.Write(f, "old");
  session.Start(names, compiler);
  for (const char* gone : {"Beach.exe", "Beach-1.bin", "Beach-2.bin"}) EXPECT_FALSE(out.Exists(gone)) << gone;
  for (const char* kept : {"Beach-4.bin", "Other-1.bin", "Beach-1.bin.txt"}) EXPECT_TRUE(out.Exists(kept)) << kept;
  // Parts whose setup is gone still go.
  session.Record(1, "");
  out.Write("Beach-1.bin", "old");
  session.Start(names, compiler);
  EXPECT_FALSE(out.Exists("Beach-1.bin"));
}

TEST_F(CompileSessionTest, ASuccessNamesEveryFileWrittenAndTestsTheSetupWhereItIs) {
  Started();
  page.answers = {true};
  const std::string setup = names.SetupFileName, part1 = out.Path("Beach-1.bin"), part2 = out.Path("Beach-2.bin");
  session.Record(0, setup + "\r\n" + part1 + "\r\n" + part2);
  const std::string question = SuccessQuestion({setup, part1, part2});
  EXPECT_EQ(question, std::string(kSuccessQuestion) + "\n\n" + setup + "\n" + part1 + "\n" + part2);
  EXPECT_EQ(page.events, (TEvents{"idle", "ask " + question, "open " + setup, "idle", "ended"}));
}

TEST(CompileSession, TheEndRecordListsTheFilesWritten) {
  const std::string setup = "C:\\out\\S.exe";
  struct TCase {
    const char* text;
    std::vector<std::string> want;
  };
  const TCase cases[] = {
      {"", {setup}},
      {"\r\n\r\n", {setup}},
      {"C:\\out\\S.exe", {setup}},
      {"C:\\out\\S.exe\r\nC:\\out\\S-1.bin\r\n", {setup, "C:\\out\\S-1.bin"}},
      {"C:\\o\\A b.exe\nC:\\o\\A b-1.bin\r\n\r\nC:\\o\\A b-2.bin", {"C:\\o\\A b.exe", "C:\\o\\A b-1.bin", "C:\\o\\A b-2.bin"}},
  };
  for (const TCase& c : cases) EXPECT_EQ(FilesWritten(c.text, setup), c.want) << c.text;
}

TEST_F(CompileSessionTest, ASecondStartWhileOneRunsIsIgnored) {
  Started();
  TBuildNames other = names;
  other.SetupFileName = out.Path("Other.exe");
  session.Start(other, compiler);
  EXPECT_TRUE(page.events.empty());
  page.answers = {true};
  session.Record(0, "");
  EXPECT_EQ(page.events[2], "open " + names.SetupFileName) << "the first build's setup";
}

TEST_F(CompileSessionTest, ACompilerThatCannotBeStartedEndsTheBuild) {
  struct TCase {
    const char* name;
    bool present, refuse;
    TEvents want;
  };
  const std::string fail = "fail The installer compiler \"" + compiler + "\" could not be started.";
  const TCase cases[] = {
      {"missing", false, false, {"starting", "busy", "idle", "ended", fail}},
      {"refused", true, true, {"starting", "busy", Run(), "idle", "ended", fail}},
  };
  for (const TCase& c : cases) {
    for (const char* f : {"temp.iss", "Beach.002", "Readme.txt"}) user.Write(f, "x");
    if (!c.present) std::filesystem::remove(compiler);
    page.refuse = c.refuse;
    page.events.clear();
    session.Start(names, compiler);
    EXPECT_EQ(page.events, c.want) << c.name;
    EXPECT_FALSE(session.Running()) << c.name;
    EXPECT_TRUE(CompileFolderClean()) << c.name;
    EXPECT_EQ(sched.TimerCount(), 0u) << c.name;
    install.Write("vantabuild.exe", "");
  }
}

TEST_F(CompileSessionTest, ACompilerThatDiesWithoutAResultIsSeenByTheWatch) {
  Started();
  sched.AdvanceTime(5 * kCompilerWatchMs);
  EXPECT_TRUE(page.events.empty()) << "still running";
  *page.ended = true;
  sched.AdvanceTime(kCompilerWatchMs);
  EXPECT_EQ(page.events, (TEvents{"idle", "ended", "fail The installer compiler \"" + compiler + "\" ended without a result."}));
  EXPECT_FALSE(session.Running());
  EXPECT_TRUE(CompileFolderClean());
  EXPECT_EQ(sched.TimerCount(), 0u);
  // The next build runs as any other.
  Started();
  session.Record(0, "");
  EXPECT_EQ(page.events.front(), std::string("idle"));
  EXPECT_EQ(page.events[1], AskSuccess());
}

TEST_F(CompileSessionTest, AnEndRecordBeforeTheWatchSeesTheCompilerGoWins) {
  Started();
  *page.ended = true;
  session.Record(2, "");
  sched.AdvanceTime(3 * kCompilerWatchMs);
  EXPECT_EQ(page.events, (TEvents{"idle", std::string("ask ") + kFailureQuestion, "idle", "ended"}));
}

TEST(CompileSession, GoingAwayMidRunStopsTheWatch) {
  platform::THeadlessScheduler sched;
  TFakePage page;
  test::TTempDir dir;
  TBuildNames names{dir.Path("S.exe"), dir.Folder(), "S", "S.scr", dir.Path("S.002")};
  {
    TCompileSession session(sched, page, page);
    session.Start(names, dir.Write("c.exe", ""));
    EXPECT_EQ(sched.TimerCount(), 1u);
  }
  EXPECT_EQ(sched.TimerCount(), 0u);
  sched.AdvanceTime(kCompilerWatchMs);  // nothing left to call
}

}  // namespace
}  // namespace vanta
