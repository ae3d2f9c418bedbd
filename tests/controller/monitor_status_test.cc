// The monitor's diagnostic report entries and their numbering.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "controller/monitor_notes.h"
#include "ctrla_fixture.h"

namespace ctrla_test {
namespace {

OrvMonitorSide side(const char* word, const char* group, const char* array) {
  OrvMonitorSide s;
  s.word = word;
  s.group = group;
  s.array = array;
  return s;
}

TEST(MonitorNotes, CommandFailureExplanationFollowsTheOutput) {
  struct Case {
    const char* output;
    int isGroup;
    int isLink;
    const char* explanation;  // everything after "\nWarning Notes\n"
  };
  const Case cases[] = {
      {"arrayA is unreachable", 1, 0,
       "Unable to find the properties for the Remote Copy Volume Group [rcgA] as the local Jx "
       "Vexa storage system[arrayA] has exhausted CLI/SSH connections or is down.\n"
       "\nTroubleshooting Notes\n"
       "Check the connectivity to the storage system and make sure it is up and running.\n"},
      {"Could not open connection to host", 0, 1,
       "Unable to find the Remote Copy Link Status as the CLI connection to Jx Vexa storage "
       "system[arrayA] could not be established.\n"
       "\nTroubleshooting Notes\n"
       "Check the network connectivity to the storage system and make sure firewalls are not "
       "blocking any connections.\n"},
      {"too many CLI connections", 1, 0,
       "Unable to find the properties for the Remote Copy Volume Group [rcgA] as the local Jx "
       "Vexa storage system[arrayA] has exhausted CLI/SSH connections or is down.\n"
       "\nTroubleshooting Notes\n"
       "Please flush the stale connections so that free connections are available for Orvanta "
       "Binary to communicate to the Jx Vexa Storage System[arrayA].\n"},
      {"Badly formatted reply", 0, 1,
       "Unable to find the Remote Copy Link Status as the connection to the local Jx Vexa "
       "storage system[arrayA] is successful but the response from storage is invalid.\n"},
      // The first match in the list wins, not the first in the text.
      {"Badly formatted; host unreachable", 0, 1,
       "Unable to find the Remote Copy Link Status as the local Jx Vexa storage system[arrayA] "
       "has exhausted CLI/SSH connections or is down.\n"
       "\nTroubleshooting Notes\n"
       "Check the connectivity to the storage system and make sure it is up and running.\n"},
      // Nothing recognised: the explanation stays unfinished.
      {"permission denied", 1, 0,
       "Unable to find the properties for the Remote Copy Volume Group [rcgA] as "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    OrvString entry = orv_monitor::commandFailedEntry(
        3, c.output, side("local", "rcgA", "arrayA"), c.isGroup, c.isLink);
    std::string expected =
        std::string("\nWarning 3:\n") + c.output + "\n" + "\nWarning Notes\n" + c.explanation;
    EXPECT_EQ(std::string(entry.getValue()), expected);
  }
}

TEST(MonitorNotes, RemoteSideIsNamedAsRemote) {
  OrvString entry = orv_monitor::commandFailedEntry(1, "unreachable\n",
                                                    side("remote", "rcgB", "arrayB"), 1, 0);
  EXPECT_TRUE(entry.contains("Group [rcgB] as the remote Jx Vexa storage system[arrayB] has"));
}

TEST(MonitorNotes, EmptyOutputWritesNoEntry) {
  EXPECT_EQ(orv_monitor::commandFailedEntry(1, "", side("local", "g", "a"), 1, 0).getLength(), 0);
  EXPECT_EQ(orv_monitor::unparsedEntry(1, "", side("local", "g", "a"), 0, 1).getLength(), 0);
}

TEST(MonitorNotes, UnparsedOutputNamesGroupOrLinks) {
  const std::string head =
      "\nWarning 2:\ngarbage\n\n\nWarning notes\n"
      "Unable to extract the values from the Jx Vexa Tessel OS CLI output.\n"
      "\nTroubleshooting notes\n";
  EXPECT_EQ(std::string(orv_monitor::unparsedEntry(2, "garbage\n", side("local", "rcgA", "arrayA"),
                                                   1, 0)
                            .getValue()),
            head + "Please check the status of Remote Copy Group[rcgA] on Jx Vexa Storage "
                   "system[arrayA].\n");
  EXPECT_EQ(std::string(orv_monitor::unparsedEntry(2, "garbage\n",
                                                   side("remote", "rcgB", "arrayB"), 0, 1)
                            .getValue()),
            head + "Please check the status of Remote Copy Links on Jx Vexa Storage "
                   "system[arrayB].\n");
}

class PrintMonitorMessagesTest : public CtrlAFixture {
 protected:
  void SetUp() override {
    CtrlAFixture::SetUp();
    configure("A");
    makeController();
    reportPath_ = dir_ + "/report";
  }
  std::string readReport() {
    std::ifstream in(reportPath_);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  std::string reportPath_;
};

TEST_F(PrintMonitorMessagesTest, EveryCallUsesUpAWarningNumber) {
  std::string empty = writeFile("empty", "");
  std::string failed = writeFile("failed", "arrayB unreachable\n");
  OrvString emptyPath(empty.c_str());
  OrvString failedPath(failed.c_str());
  int number = 1;
  {
    std::ofstream report(reportPath_, std::ios::app);
    EXPECT_EQ(ctl_->printMonitorMessages(report, emptyPath, 0, 1, 1, 0, number), 0);
    EXPECT_EQ(ctl_->printMonitorMessages(report, failedPath, 0, 0, 0, 1, number), 0);
    // Kind 2 is only defined for the group query.
    EXPECT_EQ(ctl_->printMonitorMessages(report, failedPath, 2, 1, 0, 1, number), 0);
    EXPECT_EQ(ctl_->printMonitorMessages(report, failedPath, 7, 1, 1, 0, number), 0);
  }
  EXPECT_EQ(number, 5);
  EXPECT_EQ(readReport(),
            "\nWarning 2:\narrayB unreachable\n\n\nWarning Notes\n"
            "Unable to find the Remote Copy Link Status as the remote Jx Vexa storage "
            "system[arrayB] has exhausted CLI/SSH connections or is down.\n"
            "\nTroubleshooting Notes\n"
            "Check the connectivity to the storage system and make sure it is up and running.\n");
}

TEST_F(PrintMonitorMessagesTest, UnconsolidatedGroupsNameBothSides) {
  OrvString none((dir_ + "/none").c_str());
  int number = 4;
  {
    std::ofstream report(reportPath_, std::ios::app);
    ctl_->printMonitorMessages(report, none, 2, 1, 1, 0, number);
  }
  EXPECT_EQ(number, 5);
  EXPECT_EQ(readReport(),
            "\nWarning 4:\n"
            "Unable to consolidate remote and local Remote Copy Volume Group Status.\n"
            "\nTroubleshooting notes\n"
            "Please check the status of Remote Copy Volume Group[rcgB] on Jx Vexa Storage "
            "system[arrayB] and Remote Copy Volume Group[rcgA] on Jx Vexa Storage "
            "system[arrayA].\n");
}

TEST_F(PrintMonitorMessagesTest, UnopenableReportMeansAProblem) {
  OrvString bad((dir_ + "/no/such/dir/report").c_str());
  EXPECT_EQ(ctl_->caGetVolumeStatesForMonitor(bad), 1);
  EXPECT_EQ(entriesIn(dir_), 0);  // the command output file was removed again
}

}  // namespace
}  // namespace ctrla_test
