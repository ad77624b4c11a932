#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/Scheduler.h"
#include "platform/headless/HeadlessScheduler.h"

namespace vanta {
namespace {

using platform::THeadlessScheduler;
using platform::TThreadPriority;

TEST(ThreadPriority, PlatformLevelsBothWays) {
  struct Case { TThreadPriority p; int level; } cases[] = {
      {TThreadPriority::tpIdle, -15},  {TThreadPriority::tpLowest, -2},  {TThreadPriority::tpLower, -1},
      {TThreadPriority::tpNormal, 0},  {TThreadPriority::tpHigher, 1},   {TThreadPriority::tpHighest, 2},
      {TThreadPriority::tpTimeCritical, 15},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::PlatformPriority(c.p), c.level);
    EXPECT_EQ(platform::PriorityOfLevel(c.level), c.p) << c.level;
  }
  for (int level : {-16, -14, -3, 3, 14, 16, 99}) EXPECT_EQ(platform::PriorityOfLevel(level), std::nullopt) << level;
}

TEST(HeadlessScheduler, TimersFireInOrderAsTheClockPasses) {
  THeadlessScheduler sched;
  std::vector<std::pair<char, uint32_t>> fired;
  const uint32_t a = sched.SetTimer(100, [&] { fired.push_back({'a', sched.TickCount()}); });
  sched.SetTimer(250, [&] { fired.push_back({'b', sched.TickCount()}); });
  sched.AdvanceTime(260);
  sched.KillTimer(a);
  sched.AdvanceTime(240);
  EXPECT_EQ(fired, (std::vector<std::pair<char, uint32_t>>{{'a', 100}, {'a', 200}, {'b', 250}, {'b', 500}}));
  EXPECT_EQ(sched.TimerCount(), 1u);
}

TEST(HeadlessScheduler, AThrowingTimerIsDroppedAndKeepsTicking) {
  // Both ways the clock moves: a test advancing it, and a wait in message
  // processing letting it pass up to the next timer.
  struct Case { const char* how; std::function<void(THeadlessScheduler&)> move30ms; } cases[] = {
      {"AdvanceTime", [](THeadlessScheduler& s) { s.AdvanceTime(30); }},
      {"ProcessMessages", [](THeadlessScheduler& s) { for (int i = 0; i < 3; ++i) s.ProcessMessages(100); }},
  };
  for (const Case& c : cases) {
    THeadlessScheduler sched;
    int thrown = 0, ticks = 0;
    sched.SetTimer(10, [&] {
      ++thrown;
      throw std::runtime_error("tick failed");
    });
    sched.SetTimer(10, [&] { ++ticks; });
    EXPECT_NO_THROW(c.move30ms(sched)) << c.how;
    EXPECT_EQ(thrown, 3) << c.how;
    EXPECT_EQ(ticks, 3) << c.how;
    EXPECT_EQ(sched.TickCount(), 30u) << c.how;
    EXPECT_EQ(sched.TimerCount(), 2u) << c.how;
  }
}

TEST(HeadlessScheduler, AThrowingPostedCallIsDroppedAndTheNextRuns) {
  THeadlessScheduler sched;
  std::vector<int> ran;
  sched.Post([&] {
    ran.push_back(1);
    throw std::runtime_error("post failed");
  });
  sched.Post([&] { ran.push_back(2); });
  EXPECT_NO_THROW(sched.ProcessMessages(0));
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

}  // namespace
}  // namespace vanta
