#include "rcwatch/monitor_interval.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

namespace {

class IntervalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/rcwatch_intervalXXXXXX";
    int fd = mkstemp(templ);
    ASSERT_GE(fd, 0);
    close(fd);
    path_ = templ;
  }
  void TearDown() override { unlink(path_.c_str()); }
  int readWith(const std::string& content, std::string* out = nullptr) {
    std::ofstream(path_) << content;
    testing::internal::CaptureStdout();
    int seconds = readMonitorInterval(path_.c_str());
    std::string printed = testing::internal::GetCapturedStdout();
    if (out != nullptr) *out = printed;
    return seconds;
  }
  std::string path_;
};

TEST_F(IntervalTest, Values) {
  struct {
    const char* content;
    int seconds;
    bool warns;
  } cases[] = {
      {"MonitorInterval=45\n", 45, false},
      {"MonitorInterval = 45\n", 45, false},
      {"MonitorInterval\t=\t45\n", 45, false},
      {"   MonitorInterval=60   \n", 60, false},
      {"MonitorInterval=45 # every 45 seconds\n", 45, false},
      {"MonitorInterval=045\r\n", 45, false},
      {"MonitorInterval=2147483647\n", 2147483647, false},
      {"# MonitorInterval=5\n\nMonitorInterval=7\n", 7, false},
      {"Other=5\nMonitorInterval=8\n", 8, false},
      {"MonitorInterval=9\nMonitorInterval=99\n", 9, false},
      {"MonitorInterval=0\n", kDefaultMonitorInterval, true},
      {"MonitorInterval=\n", kDefaultMonitorInterval, true},
      {"MonitorInterval\n", kDefaultMonitorInterval, true},
      {"MonitorInterval=-5\n", kDefaultMonitorInterval, true},
      {"MonitorInterval=abc\n", kDefaultMonitorInterval, true},
      {"MonitorInterval=4 5\n", kDefaultMonitorInterval, true},
      {"MonitorInterval=1e3\n", kDefaultMonitorInterval, true},
      {"MonitorInterval=99999999999\n", kDefaultMonitorInterval, true},
      // A bad first line decides; later lines are not consulted.
      {"MonitorInterval=x\nMonitorInterval=10\n", kDefaultMonitorInterval, true},
      {"", kDefaultMonitorInterval, false},
      {"# only comments\n\n", kDefaultMonitorInterval, false},
      {"Interval=10\n", kDefaultMonitorInterval, false},
  };
  for (const auto& c : cases) {
    std::string printed;
    EXPECT_EQ(readWith(c.content, &printed), c.seconds) << c.content;
    EXPECT_EQ(printed.find("Warning: ") != std::string::npos, c.warns)
        << c.content << printed;
  }
}

TEST_F(IntervalTest, OtherParametersReadTheSameWay) {
  const struct {
    const char* content;
    int found;
    const char* value;
  } cases[] = {
      {"MetricsDir=/var/lib/prometheus/node-exporter\n", 1, "/var/lib/prometheus/node-exporter"},
      {"MonitorInterval=60\nMetricsDir = /srv/m # textfile dir\n", 1, "/srv/m"},
      {"# MetricsDir=/a\nMetricsDir=/b\nMetricsDir=/c\n", 1, "/b"},
      {"MetricsDir=\n", 1, ""},
      {"MonitorInterval=60\n", 0, ""},
  };
  for (const auto& c : cases) {
    std::ofstream(path_) << c.content;
    OrvString value;
    EXPECT_EQ(readMonitorParameter(path_.c_str(), "MetricsDir", value), c.found) << c.content;
    EXPECT_STREQ(value.getValue(), c.value) << c.content;
  }
}

TEST_F(IntervalTest, MissingFileGivesDefault) {
  unlink(path_.c_str());
  EXPECT_EQ(readMonitorInterval(path_.c_str()), 30);
}

}  // namespace
