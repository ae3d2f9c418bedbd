// rcplan as the operator runs it: the built program, its output and its
// exit code.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

struct RunResult {
  int exitCode;
  std::string out;
  std::string err;
};

std::string slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs rcplan with args (already quoted for the shell).
RunResult rcplan(const std::string& args) {
  const std::string program = std::string(ORV_BUILD_DIR) + "/rcplan/rcplan";
  RunResult run = {-1, "", ""};
  if (access(program.c_str(), X_OK) != 0) {
    ADD_FAILURE() << program << " is missing: build the rcplan target";
    return run;
  }
  char dir[] = "/tmp/rcplan_test.XXXXXX";
  if (mkdtemp(dir) == nullptr) {
    ADD_FAILURE() << "mkdtemp failed";
    return run;
  }
  const std::string out = std::string(dir) + "/out";
  const std::string err = std::string(dir) + "/err";
  const std::string command = program + " " + args + " >" + out + " 2>" + err;
  const int status = std::system(command.c_str());
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = slurp(out);
  run.err = slurp(err);
  std::remove(out.c_str());
  std::remove(err.c_str());
  rmdir(dir);
  return run;
}

TEST(Rcplan, DumpPrintsTheThreeDumpsUnderTitles) {
  const RunResult run = rcplan("--dump");
  EXPECT_EQ(0, run.exitCode);
  const std::string data = std::string(ORV_SOURCE_DIR) + "/tests/data/rules/";
  const std::string expected = "Condition list:\n" + slurp(data + "conditions.txt") +
                               "\nRule sets:\n" + slurp(data + "rule_sets.txt") +
                               "\nRule paths:\n" + slurp(data + "rule_paths.txt");
  EXPECT_TRUE(run.out == expected) << "dump differs from the table";
  EXPECT_EQ("", run.err);
}

// The decision, then the verdict and the plan of the dry run, with the
// action run against listings made from the state (placeholder names).
TEST(Rcplan, StatePrintsTheActionTheMatchedConditionsAndThePlan) {
  const char kPlaceholders[] =
      "Array, group and target names are placeholders: this node on site A, local array array-a "
      "(group group-a, target target-b), remote array array-b (group group-b, target target-a).\n";
  const struct {
    const char* args;
    int exitCode;
    std::string out;  // from "Action:" on, or from "Verdict:" on
  } cases[] = {
      {"--state StatusReplicationMode=Async StatusLocalReplicationRole=Secondary "
       "StatusRemoteReplicationRole=Primary 'StatusRCLink=Not Started' StatusForceFlag=yes "
       "StatusRCVolumeGroup=Stopped StatusRCVGVirtualVolume=Stale",
       0,
       "Action: ca_takeover_failover\nMatched conditions:\n2 : StatusReplicationMode = Async\n"
       "3 : StatusLocalReplicationRole = Secondary\n8 : StatusRemoteReplicationRole = Primary\n"
       "11 : StatusRCLink = Not Started\n14 : StatusForceFlag = yes\n"
       "18 : StatusRCVolumeGroup = Stopped\n20 : StatusRCVGVirtualVolume = Stale\n" +
           std::string(kPlaceholders) +
           "Verdict: rcgate would exit 3: the package starts on this node\nrcgate would log:\n"
           "Orvanta has detected a FORCEFLAG file.\nCommands rcgate would send, if each "
           "succeeds:\narray-a: setrcopygroup failover -f -t target-b -waittask group-a\n"},
      // On site B: the local half, listed again after its start, is Started,
      // so a sync follows.
      {"--gate-exit --state StatusReplicationMode=Periodic StatusLocalReplicationRole=Primary-Rev "
       "StatusRCLink=Up StatusRCVolumeGroup=Stopped StatusAutoRecover=yes StatusCurrentDC=B",
       0,
       "Verdict: rcgate would exit 0: the package starts on this node\nCommands rcgate would "
       "send, if each succeeds:\narray-b: startrcopygroup -t target-a group-b\n"
       "array-b: syncrcopy -t target-a group-b\n"},
      // A half whose role is UNKNOWN is not listed, as an array that did not
      // answer: the asynchronous stop, reverse and start ends after the stop.
      {"--gate-exit --state StatusReplicationMode=Async StatusLocalReplicationRole=Secondary "
       "StatusRCLink=Up ApplicationStartup=resyncwait StatusRCVolumeGroup=Started "
       "StatusRCVGVirtualVolume=Synced",
       2,
       "Verdict: rcgate would exit 2: not on this node; the cluster manager may try another\n"
       "rcgate would log:\nrcplan: no listing of this half: its role is UNKNOWN in the state "
       "given\nError: RC VG status failed [group-b] at [array-b] \nUnable to get the remote "
       "state of the Volume Group\nCommands rcgate would send, if each succeeds:\n"
       "array-b: stoprcopygroup -f -t target-a group-b\n"},
  };
  for (const auto& c : cases) {
    const RunResult run = rcplan(c.args);
    EXPECT_EQ(c.exitCode, run.exitCode) << run.err;
    EXPECT_EQ(c.out, run.out.substr(std::min(run.out.size(), run.out.find(c.out.substr(0, 7)))));
  }
}

// A hand-typed state: what was left out is named; the start-up mode follows
// RESYNC_WAIT_TIMEOUT as at a start unless given; RPO_THRESHOLD takes
// minutes up to 2^31-1, as its possible set says.
TEST(Rcplan, StateNamesWhatWasLeftOutAndDerivesAsAStart) {
  const std::string takeover =
      "--state StatusReplicationMode=Sync StatusLocalReplicationRole=Secondary "
      "StatusRemoteReplicationRole=Primary StatusRCLink=Up StatusRCVolumeGroup=Started "
      "StatusRCVGVirtualVolume=Synced";
  const struct {
    std::string args;
    int exitCode;
    std::string part;  // "^TEXT": the output starts with TEXT
  } cases[] = {
      {"--state StatusReplicationMode=Sync StatusLocalReplicationRole=Primary", 1,
       "^Not given, so at their start values: StatusRemoteReplicationRole StatusRCLink "
       "StatusFailsafeMode StatusForceFlag AUTO_NONCURDATA StatusRCVolumeGroup "
       "StatusRCVGVirtualVolume StatusFastFailbackOk StatusAutoRecover\nNo rule matched.\n"},
      {takeover, 0, " : ApplicationStartup = resyncwait\n"},
      {takeover + " RESYNC_WAIT_TIMEOUT=0", 0, " : ApplicationStartup = fastfailback\n"},
      {takeover + " RESYNC_WAIT_TIMEOUT=0 ApplicationStartup=resyncwait", 0,
       " : ApplicationStartup = resyncwait\n"},
      {"--state RPO_THRESHOLD=0", 1, "\nNo rule matched.\n"},
      {"--state RPO_THRESHOLD=3600", 1, "\nNo rule matched.\n"},
      {"--state RPO_THRESHOLD=2147483647", 1, "\nNo rule matched.\n"},
  };
  for (const auto& c : cases) {
    const RunResult run = rcplan(c.args);
    EXPECT_EQ(c.exitCode, run.exitCode) << c.args << ": " << run.err;
    const size_t at = run.out.find(c.part[0] == '^' ? c.part.substr(1) : c.part);
    EXPECT_EQ(c.part[0] == '^' ? at == 0 : at != std::string::npos, true) << c.args << "\n"
                                                                           << run.out;
  }
}

TEST(Rcplan, RefusesBadInvocationsWithExitTwo) {
  const struct {
    const char* args;
    const char* errorPart;
  } cases[] = {
      {"", "Usage: rcplan --dump"},
      {"--bogus", "unknown option '--bogus'"},
      {"--dump extra", "--dump takes no arguments"},
      {"--state", "--state needs at least one NAME=VALUE"},
      {"--state StatusRCLink", "expected NAME=VALUE, got 'StatusRCLink'"},
      {"--state =Up", "expected NAME=VALUE, got '=Up'"},
      {"--state NoSuchObject=1", "unknown object 'NoSuchObject'"},
      {"--state StatusRCLink=Sideways",
       "object 'StatusRCLink' does not accept the value 'Sideways' (possible values: Not Started "
       "Up Down UNKNOWN)"},
      {"--state 'StatusRCLink=Not  Started'", "does not accept the value 'Not  Started'"},
      {"--state RESYNC_WAIT_TIMEOUT=-1", "does not accept the value '-1'"},
      {"--state RPO_THRESHOLD=abc", "object 'RPO_THRESHOLD' does not accept the value 'abc'"},
      {"--state RPO_THRESHOLD=-1", "object 'RPO_THRESHOLD' does not accept the value '-1'"},
      {"--state StatusActionFunction=ca_takeover_nop",
       "object 'StatusActionFunction' is of type action and cannot be set from text"},
      {"--state StatusReplicationMode=Sync COMMON=x", "object 'COMMON' is of type tag"},
      {"--state VKR_PKG_DIR=/etc", "object 'VKR_PKG_DIR' is part of the placeholder configuration"},
      {"--state StatusCurrentDC=a", "object 'StatusCurrentDC' takes A or B, not 'a'"},
  };
  for (const auto& c : cases) {
    const RunResult run = rcplan(c.args);
    EXPECT_EQ(2, run.exitCode) << c.args;
    EXPECT_NE(std::string::npos, run.err.find(c.errorPart)) << c.args << ": " << run.err;
    EXPECT_EQ("", run.out) << c.args;
  }
}

TEST(Rcplan, HelpGoesToStandardOutput) {
  const RunResult run = rcplan("--help");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(0u, run.out.find("Usage: rcplan --dump\n"));
}

}  // namespace
