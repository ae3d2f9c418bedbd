#include "rcwatch/monitor_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(MonitorTextTest, ChangeLines) {
  struct {
    const char* previous;
    const char* current;
    int changed;
  } cases[] = {{"Up", "Up", 0},          {"Up", "Down", 1}, {"Stopped", "stopped", 1},
               {"", "Up", 1},            {"Up", "", 1},     {"", "", 0},
               {"Not Started", "Down", 1}};
  for (const auto& c : cases) {
    OrvString message("head\n");
    OrvString line("untouched");
    int r = appendChangeLine("The Replication Link Status", c.previous, c.current, message, line);
    EXPECT_EQ(r, c.changed) << c.previous << "->" << c.current;
    std::string expected = std::string("The Replication Link Status has changed from ") +
                           c.previous + " to " + c.current + "\n";
    if (c.changed) {
      EXPECT_EQ(std::string(line.getValue()), expected);
      EXPECT_EQ(std::string(message.getValue()), "head\n" + expected);
    } else {
      EXPECT_STREQ(line.getValue(), "untouched");
      EXPECT_STREQ(message.getValue(), "head\n");
    }
  }
}

// One pass of a scripted episode: the group status at a time, and whether
// a notice is due then (with the seconds stopped); held, when not -1, what
// stoppedSeconds() reports after it.
struct Pass {
  const char* group;
  long at;
  int due;
  long stopped;
  long held = -1;
};

void runEpisode(int threshold, const std::vector<Pass>& passes) {
  RpoWatch watch(threshold);
  const time_t base = 1700000000;
  for (size_t i = 0; i < passes.size(); ++i) {
    long stopped = -1;
    int due = watch.observe(passes[i].group, base + passes[i].at, stopped);
    EXPECT_EQ(due, passes[i].due) << "threshold " << threshold << " pass " << i;
    if (passes[i].due) {
      EXPECT_EQ(stopped, passes[i].stopped) << "pass " << i;
    }
    if (passes[i].held >= 0) {
      EXPECT_EQ(watch.stoppedSeconds(), passes[i].held) << "pass " << i;
    }
  }
}

TEST(RpoWatchTest, OneNoticePerStopEpisode) {
  runEpisode(5, {{"Started", 0, 0, 0},
                 {"Stopped", 30, 0, 0},    // records the stop time
                 {"Stopped", 300, 0, 0},   // 270 s
                 {"Stopped", 330, 0, 0},   // exactly 300 s: not more than the threshold
                 {"Stopped", 331, 1, 301},
                 {"Stopped", 900, 0, 0, 870},   // already noticed, still counted
                 {"STOPPED", 2000, 0, 0, 1970},  // case does not matter
                 {"Started", 2030, 0, 0, 0},
                 {"stopped", 2060, 0, 0},  // a new episode starts
                 {"Stopped", 2500, 1, 440}});
}

TEST(RpoWatchTest, ZeroThresholdNeverNotifies) {
  // The time stopped is still measured, for the metrics.
  runEpisode(0, {{"Stopped", 0, 0, 0, 0},
                 {"Stopped", 100000, 0, 0, 100000},
                 {"Stopped", 999999, 0, 0, 999999}});
}

TEST(RpoWatchTest, LeavingStoppedBeforeTheThresholdResetsTheClock) {
  runEpisode(1, {{"Stopped", 0, 0, 0},
                 {"Stopped", 50, 0, 0},
                 {"Starting", 60, 0, 0},
                 {"Stopped", 90, 0, 0},   // new stop time
                 {"Stopped", 140, 0, 0},  // 50 s of this episode
                 {"Stopped", 151, 1, 61}});
}

TEST(RpoWatchTest, LargeThresholdDoesNotOverflow) {
  runEpisode(2147483647, {{"Stopped", 0, 0, 0}, {"Stopped", 2000000000L, 0, 0}});
}

}  // namespace
