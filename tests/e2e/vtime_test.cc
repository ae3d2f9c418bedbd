// The virtual-time shim: every kind of sleep returns at once and moves the
// wall clock and the monotonic clock by exactly the requested time; a
// configured step moves the wall clock only; CLOCK_BOOTTIME stays real.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "testing/sandbox/process.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_e2e {
namespace {

using orv_sandbox::ProcessResult;
using orv_sandbox::ProcessSpec;

class VtimeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!isExecutable(vtimeProbePath()) || access(vtimeLibPath().c_str(), R_OK) != 0)
      GTEST_SKIP() << "shim or probe not built in " << buildDir();
  }
  ProcessResult probe(const std::vector<std::string>& args,
                      const std::vector<std::string>& env = {}) {
    ProcessSpec spec;
    spec.argv = {vtimeProbePath()};
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    // A sanitizer build of the probe wants its runtime loaded first.
    spec.env = {"LD_PRELOAD=" + vtimeLibPath(), "PATH=/usr/bin:/bin",
                "ASAN_OPTIONS=verify_asan_link_order=0"};
    spec.env.insert(spec.env.end(), env.begin(), env.end());
    spec.timeoutSeconds = 20;
    return orv_sandbox::runProcess(spec);
  }
  // "name a b" lines of the probe's output as name -> {a, b}.
  static std::map<std::string, std::vector<long long>> fields(const std::string& out) {
    std::map<std::string, std::vector<long long>> m;
    std::istringstream in(out);
    std::string line;
    while (std::getline(in, line)) {
      std::istringstream ls(line);
      std::string name;
      long long v;
      ls >> name;
      while (ls >> v) m[name].push_back(v);
    }
    return m;
  }
};

TEST_F(VtimeTest, EverySleepAdvancesEveryWallClock) {
  struct Case {
    const char* mode;
    const char* seconds;
    long long advance;
  } cases[] = {
      {"sleep", "5400", 5400},       {"usleep", "7", 7},
      {"nanosleep", "600", 600},     {"clock_rel", "90", 90},
      {"clock_abs", "3600", 3600},   {"clock_mono_abs", "120", 120},
      {"sleep", "0", 0},
  };
  for (const Case& c : cases) {
    ProcessResult r = probe({c.mode, c.seconds});
    ASSERT_EQ(r.exitCode, 0) << c.mode << ": " << r.describe();
    auto f = fields(r.output);
    for (const char* clock : {"time", "timeofday", "realtime"}) {
      ASSERT_EQ(f[clock].size(), 2u) << c.mode << " " << clock << ": " << r.output;
      EXPECT_EQ(f[clock][1] - f[clock][0], c.advance) << c.mode << " " << clock;
    }
    ASSERT_EQ(f["monotonic_ms"].size(), 1u);
    EXPECT_EQ(f["monotonic_ms"][0], c.advance * 1000) << c.mode;
    ASSERT_EQ(f["boottime_ms"].size(), 1u);
    // Every case but the last asks for 7 s or more; a loaded machine may
    // be slow, but not that slow.
    EXPECT_LT(f["boottime_ms"][0], 5000) << c.mode << ": the sleep was real";
  }
}

// An NTP-like step: the wall clock jumps at the chosen sleep, the
// monotonic clock only advances by what was slept.
TEST_F(VtimeTest, StepMovesTheWallClockOnly) {
  struct Case {
    const char* step;
    long long wall;
  } cases[] = {{"2:7200", 7200}, {"1:-3600,3:60", -3540}, {"9:100", 0}, {"junk", 0}};
  for (const Case& c : cases) {
    ProcessResult r = probe({"loop", "10", "3"}, {std::string("VTIME_STEP=") + c.step});
    ASSERT_EQ(r.exitCode, 0) << c.step << ": " << r.describe();
    auto f = fields(r.output);
    ASSERT_EQ(f["time"].size(), 2u) << r.output;
    EXPECT_EQ(f["time"][1] - f["time"][0], 30 + c.wall) << c.step;
    EXPECT_EQ(f["monotonic_ms"][0], 30000) << c.step;
  }
}

TEST_F(VtimeTest, StartsAtRealTime) {
  time_t before = time(nullptr);
  ProcessResult r = probe({"sleep", "10"});
  auto f = fields(r.output);
  ASSERT_EQ(f["time"].size(), 2u) << r.describe();
  EXPECT_GE(f["time"][0], before);
  EXPECT_LE(f["time"][0], time(nullptr));
}

TEST_F(VtimeTest, MaxSleepsEndsTheProcessCleanly) {
  struct Case {
    const char* max;
    int passes;
  } cases[] = {{"1", 1}, {"3", 3}, {"7", 5}, {"0", 5}, {"junk", 5}};
  for (const Case& c : cases) {
    ProcessResult r = probe({"loop", "30", "5"}, {std::string("VTIME_MAX_SLEEPS=") + c.max});
    EXPECT_EQ(r.exitCode, 0) << c.max << ": " << r.describe();
    std::string expected;
    for (int i = 1; i <= c.passes; ++i) expected += "pass " + std::to_string(i) + "\n";
    // Output written through stdio before the exit is not lost.
    EXPECT_EQ(r.output.substr(0, expected.size()), expected) << c.max;
    EXPECT_EQ(r.output.find("pass " + std::to_string(c.passes + 1)), std::string::npos)
        << c.max;
  }
}

TEST_F(VtimeTest, LogHasOneLinePerSleep) {
  char templ[] = "/tmp/orv-vtime-log.XXXXXX";
  int fd = mkstemp(templ);
  ASSERT_GE(fd, 0);
  close(fd);
  ProcessResult r = probe({"loop", "10", "4"},
                          {std::string("VTIME_LOG=") + templ, "VTIME_MAX_SLEEPS=3"});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  std::ifstream in(templ);
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  unlink(templ);
  ASSERT_EQ(lines.size(), 3u);
  for (size_t i = 0; i < lines.size(); ++i) {
    std::istringstream ls(lines[i]);
    long n, pid;
    std::string fn, secs;
    ls >> n >> pid >> fn >> secs;
    EXPECT_EQ(n, static_cast<long>(i + 1)) << lines[i];
    EXPECT_EQ(fn, "sleep");
    EXPECT_EQ(secs, "10.000000000");
  }
  EXPECT_NE(lines[2].find(" exit"), std::string::npos) << lines[2];
}

TEST_F(VtimeTest, ChildrenStartAtTheParentsVirtualTime) {
  ProcessResult r = probe({"exec", "86400"});
  ASSERT_EQ(r.exitCode, 0) << r.describe();
  auto f = fields(r.output);
  ASSERT_EQ(f["now"].size(), 1u) << r.output;
  EXPECT_GE(f["now"][0], static_cast<long long>(time(nullptr)) + 86400 - 5);
  EXPECT_LE(f["now"][0], static_cast<long long>(time(nullptr)) + 86400);
  // An inherited virtual clock is taken as it is.
  r = probe({"sleep", "1"}, {"VTIME_NOW=1000000000000000000"});
  f = fields(r.output);
  ASSERT_EQ(f["time"].size(), 2u) << r.output;
  EXPECT_EQ(f["time"][0], 1000000000LL);
  EXPECT_EQ(f["time"][1], 1000000001LL);
}

}  // namespace
}  // namespace orv_e2e
