#include "rcwatch/metrics.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orv_metrics {
namespace {

TEST(MetricsText, LabelValuesAreEscaped) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"arrA", "arrA"},
      {"a\\b", "a\\\\b"},
      {"say \"hi\"", "say \\\"hi\\\""},
      {"two\nlines", "two\\nlines"},
      {"tab\there\r", "tab?here?"},
      {"caf\xc3\xa9", "caf??"},
      {"\\\"\n", "\\\\\\\"\\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(escapeLabelValue(c.in), c.out) << c.in;
}

TEST(MetricsText, FileNameStaysInTheDirectory) {
  EXPECT_EQ(metricsFileName("pkg1"), "orvanta_pkg1.prom");
  EXPECT_EQ(metricsFileName("db-2.prod_x"), "orvanta_db-2.prod_x.prom");
  EXPECT_EQ(metricsFileName("../../etc/x y"), "orvanta_.._.._etc_x_y.prom");
}

PassMetrics healthy() {
  PassMetrics p;
  p.package = "pkg1";
  p.localArray = "arrA";
  p.remoteArray = "arrB";
  p.intervalSeconds = 30;
  p.passEnd = 1800000000;
  p.passMicroseconds = 1234567;
  p.localReachable = 1;
  p.remoteReachable = 1;
  p.link = "Up";
  p.group = "Started";
  p.volumes = "Synced";
  p.localRole = "Primary";
  p.remoteRole = "Secondary";
  p.mode = "Sync";
  return p;
}

bool has(const std::string& text, const std::string& line) {
  return text.find("\n" + line + "\n") != std::string::npos ||
         text.compare(0, line.size() + 1, line + "\n") == 0;
}

TEST(MetricsText, ValuesFollowTheState) {
  const struct {
    const char* what;
    void (*change)(PassMetrics&);
    std::vector<std::string> lines;
  } cases[] = {
      {"healthy",
       [](PassMetrics&) {},
       {"orvanta_monitor_pass_duration_seconds{package=\"pkg1\"} 1.234567",
        "orvanta_rc_link_state{package=\"pkg1\",state=\"Not Started\"} 0",
        "orvanta_rc_role{package=\"pkg1\",side=\"remote\",role=\"Secondary\"} 1"}},
      {"states matched ignoring case, unread as UNKNOWN",
       [](PassMetrics& p) {
         p.link = "down";
         p.group = "";
         p.remoteReachable = 0;
       },
       {"orvanta_rc_link_up{package=\"pkg1\"} 0",
        "orvanta_rc_link_state{package=\"pkg1\",state=\"Down\"} 1",
        "orvanta_rc_group_state{package=\"pkg1\",state=\"UNKNOWN\"} 1",
        "orvanta_rc_group_state{package=\"pkg1\",state=\"Started\"} 0",
        "orvanta_array_reachable{package=\"pkg1\",side=\"remote\",array=\"arrB\"} 0"}},
      {"a value the list does not know gets its own series, escaped",
       [](PassMetrics& p) { p.volumes = "Odd \"v\\1\"\n"; },
       {"orvanta_rc_volumes_state{package=\"pkg1\",state=\"Odd \\\"v\\\\1\\\"\\n\"} 1",
        "orvanta_rc_volumes_state{package=\"pkg1\",state=\"Synced\"} 0"}},
      {"stopped exactly the threshold",
       [](PassMetrics& p) {
         p.thresholdMinutes = 1;
         p.stoppedSeconds = 60;
       },
       {"orvanta_rpo_threshold_seconds{package=\"pkg1\"} 60",
        "orvanta_rc_stopped_seconds{package=\"pkg1\"} 60",
        "orvanta_rpo_exceeded{package=\"pkg1\"} 0"}},
      {"stopped past the threshold",
       [](PassMetrics& p) {
         p.thresholdMinutes = 1;
         p.stoppedSeconds = 61;
       },
       {"orvanta_rpo_exceeded{package=\"pkg1\"} 1"}},
  };
  for (const auto& c : cases) {
    PassMetrics p = healthy();
    c.change(p);
    const std::string text = renderMetrics(p, NotificationCounts());
    for (const std::string& line : c.lines) EXPECT_TRUE(has(text, line)) << c.what << ": " << line;
    EXPECT_EQ(text.find("orvanta_rpo_threshold_seconds") != std::string::npos,
              p.thresholdMinutes > 0)
        << c.what;
  }
}

class MetricsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/rcwatch_metricsXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    for (const std::string& name : entries()) {
      const std::string path = dir_ + "/" + name;
      if (rmdir(path.c_str()) != 0) unlink(path.c_str());
    }
    rmdir(dir_.c_str());
  }
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    DIR* d = opendir(dir_.c_str());
    if (d == nullptr) return names;
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
        names.push_back(e->d_name);
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir_;
};

TEST_F(MetricsFileTest, ReplacedWhole0644WhateverTheUmaskAndNoTemporaryFileLeft) {
  const mode_t old = umask(077);
  std::string step;
  EXPECT_EQ(writeMetricsFile(dir_, "orvanta_p.prom", "one\n", step), 0) << step;
  EXPECT_EQ(writeMetricsFile(dir_, "orvanta_p.prom", "two\n", step), 0) << step;
  umask(old);
  std::ifstream in(dir_ + "/orvanta_p.prom");
  std::stringstream ss;
  ss << in.rdbuf();
  EXPECT_EQ(ss.str(), "two\n");
  struct stat st;
  ASSERT_EQ(stat((dir_ + "/orvanta_p.prom").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);
  ASSERT_EQ(mkdir((dir_ + "/orvanta_q.prom").c_str(), 0755), 0);
  EXPECT_EQ(writeMetricsFile(dir_, "orvanta_q.prom", "x\n", step), EISDIR);
  EXPECT_EQ(step, "rename the temporary file");
  EXPECT_EQ(entries(), (std::vector<std::string>{"orvanta_p.prom", "orvanta_q.prom"}));
}

}  // namespace
}  // namespace orv_metrics
