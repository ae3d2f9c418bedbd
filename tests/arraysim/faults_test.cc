// Injected faults, the two invocation forms and the journal, as seen from
// outside: by running the simulator binary.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>

#include <fstream>
#include <functional>

#include "tests/arraysim/sim_test_support.h"

namespace {

using arraysim::SimJournal;
using arraysim::SimScenario;

SimScenario pair() {
  return SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
}

struct FaultCase {
  const char* kind;
  const char* path;
  int exitCode;
  const char* text;  // the product looks for these words
};

TEST(Faults, EachKindAnswersWithItsText) {
  const FaultCase cases[] = {
      {"unreachable", "cli", 1, "Network is unreachable"},
      {"unreachable", "ssh", 255, "Network is unreachable"},
      {"too_many", "cli", 1, "Too many CLI connections"},
      {"too_many", "ssh", 1, "Too many CLI connections"},
      {"no_connection", "cli", 1, "Could not open connection"},
      {"no_connection", "ssh", 255, "Could not open connection"},
      {"bad_format", "cli", 1, "Badly formatted"},
      {"fail", "cli", 1, "Error: Operation failed on arrA: stoprcopygroup"},
      {"garbled", "ssh", 0, "#@!~"},
      {"no_such_kind", "cli", 3, "unknown fault kind \"no_such_kind\""},
  };
  for (const FaultCase& c : cases) {
    simtest::TempDir dir;
    SimScenario s = pair();
    s.array("arrA").addFault(c.kind);
    ASSERT_TRUE(s.save(dir.path()));
    const char* cmd = "stoprcopygroup -f -t arrB_tgt grpA";
    simtest::SimRun r = std::string(c.path) == "ssh"
                            ? simtest::ssh(dir.path(), "arrA", cmd)
                            : simtest::cli(dir.path(), "arrA", cmd);
    EXPECT_EQ(r.exitCode, c.exitCode) << c.kind << " " << c.path;
    EXPECT_NE(r.output.find(c.text), std::string::npos) << c.kind << ": " << r.output;
    SimScenario after = SimScenario::load(dir.path());
    EXPECT_EQ(after.array("arrA").group("grpA").status, "Started")
        << c.kind << ": a faulty call changes nothing";
    EXPECT_EQ(after.array("arrB").group("grpB").status, "Started") << c.kind;
    SimJournal j = SimJournal::load(dir.path());
    ASSERT_EQ(j.entries.size(), 1u) << c.kind;
    EXPECT_EQ(j.entries[0].exitCode, c.exitCode) << c.kind;
    EXPECT_EQ(j.entries[0].path, c.path);
    // The other array is unaffected.
    EXPECT_EQ(simtest::cli(dir.path(), "arrB", "showversion -s").output, "3.2.2\n");
  }
}

TEST(Faults, UnknownArrayIsUnreachable) {
  simtest::TempDir dir;
  ASSERT_TRUE(pair().save(dir.path()));
  simtest::SimRun r = simtest::cli(dir.path(), "arrZ", "showversion -s");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("unreachable"), std::string::npos);
  EXPECT_EQ(simtest::ssh(dir.path(), "arrZ", "showversion -s").exitCode, 255);
}

struct NthCase {
  const char* name;
  int nth;
  int count;
  std::vector<int> exits;  // of five identical calls
};

TEST(Faults, FailNthCountsMatchingCallsOnly) {
  const NthCase cases[] = {
      {"every call", 0, 1, {7, 7, 7, 7, 7}},
      {"second only", 2, 1, {0, 7, 0, 0, 0}},
      {"second and third", 2, 2, {0, 7, 7, 0, 0}},
      {"beyond the calls", 9, 1, {0, 0, 0, 0, 0}},
      {"from the fourth on", 4, 0, {0, 0, 0, 7, 7}},
  };
  for (const NthCase& c : cases) {
    simtest::TempDir dir;
    SimScenario s = pair();
    auto& f = s.array("arrA").addFault("fail", "showrcopy groups", c.nth);
    f.count = c.count;
    f.exitCode = 7;
    f.message = "Error: simulated array failure";
    ASSERT_TRUE(s.save(dir.path()));
    std::vector<int> exits;
    for (int i = 0; i < 5; ++i) {
      // Calls of other commands in between do not count.
      simtest::cli(dir.path(), "arrA", "showrcopy links -csvtable");
      simtest::SimRun r = simtest::cli(dir.path(), "arrA", "showrcopy groups grpA -csvtable");
      exits.push_back(r.exitCode);
      if (r.exitCode == 7) {
        EXPECT_EQ(r.output, "Error: simulated array failure\n");
      }
    }
    EXPECT_EQ(exits, c.exits) << c.name;
  }
}

TEST(Faults, CommandPrefixMatchesWholeWords) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrA").addFault("fail", "setrcopygroup re");
  s.array("arrA").addFault("fail", "showrcopy links");
  ASSERT_TRUE(s.save(dir.path()));
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showrcopy links -csvtable").exitCode, 1);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showrcopy groups grpA -csvtable").exitCode, 0);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA",
                         "setrcopygroup reverse -f -t arrB_tgt -stopgroups -waittask grpA")
                .exitCode,
            0);
}

TEST(Faults, PathSpecificFaultLetsTheOtherPathThrough) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrA").addFault("unreachable").path = "cli";
  ASSERT_TRUE(s.save(dir.path()));
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showversion -s").exitCode, 1);
  simtest::SimRun r = simtest::ssh(dir.path(), "arrA", "showrcopy groups grpA -csvtable");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Group Information"), std::string::npos);
}

TEST(Faults, GroupMissingHidesGroupsOnly) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrB").addFault("group_missing");
  ASSERT_TRUE(s.save(dir.path()));
  simtest::SimRun r = simtest::ssh(dir.path(), "arrB", "showrcopy groups grpB -csvtable");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.output, "Error: Remote Copy group grpB does not exist\n");
  r = simtest::ssh(dir.path(), "arrB", "showrcopy groups -csvtable");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output.find("Name,Target"), std::string::npos);
  EXPECT_EQ(simtest::ssh(dir.path(), "arrB", "stoprcopygroup -f -t arrA_tgt grpB").exitCode, 1);
  EXPECT_EQ(simtest::ssh(dir.path(), "arrB", "showrcopy links -csvtable").exitCode, 0);
  EXPECT_EQ(SimScenario::load(dir.path()).array("arrB").group("grpB").status, "Started");
}

TEST(Faults, LinkDownCutsThePairFromTheAffectedCallOn) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrB").addFault("link_down", "", 3).count = 1;
  ASSERT_TRUE(s.save(dir.path()));
  auto linkRows = [&](const char* array) {
    return simtest::cli(dir.path(), array, "showrcopy links -csvtable").output;
  };
  EXPECT_NE(linkRows("arrB").find(",Up,"), std::string::npos);      // call 1
  EXPECT_EQ(simtest::cli(dir.path(), "arrB", "showversion -s").exitCode, 0);  // 2
  // Call 3 cuts the links before it runs: the stop stays on this half.
  simtest::SimRun r = simtest::cli(dir.path(), "arrB", "stoprcopygroup -f -t arrA_tgt grpB");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  SimScenario after = SimScenario::load(dir.path());
  EXPECT_EQ(after.array("arrA").linkState("arrB_tgt"), "Down");
  EXPECT_EQ(after.array("arrB").linkState("arrA_tgt"), "Down");
  EXPECT_EQ(after.array("arrA").linkState("receive"), "Up");
  EXPECT_EQ(after.array("arrB").group("grpB").status, "Stopped");
  EXPECT_EQ(after.array("arrA").group("grpA").status, "Started")
      << "the stop no longer reaches the peer";
  // And the links stay down after the fault's last call.
  EXPECT_EQ(linkRows("arrA").find("arrB_tgt,0:3:1,10.0.2.2,Up"), std::string::npos);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "stoprcopygroup -f -t arrB_tgt grpA").exitCode, 0);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "startrcopygroup -t arrB_tgt grpA").exitCode, 1);
}

double monotonicSeconds() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

TEST(Faults, HangBlocksForRealTimeAndReleasesTheLock) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrA").addFault("hang", "showrcopy links").seconds = 0.6;
  ASSERT_TRUE(s.save(dir.path()));
  double start = monotonicSeconds();
  pid_t hanging = fork();
  if (hanging == 0) {
    simtest::SimRun r = simtest::cli(dir.path(), "arrA", "showrcopy links -csvtable");
    _exit(r.exitCode == 0 && r.output.find("Link Information") != std::string::npos ? 0 : 1);
  }
  // While one call hangs, the other array (and the same one) still answer.
  usleep(100 * 1000);
  simtest::SimRun quick = simtest::cli(dir.path(), "arrB", "showversion -s");
  double quickDone = monotonicSeconds() - start;
  EXPECT_EQ(quick.exitCode, 0);
  int status = 0;
  waitpid(hanging, &status, 0);
  double elapsed = monotonicSeconds() - start;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_GE(elapsed, 0.6);
  EXPECT_LT(elapsed, 10.0);
  EXPECT_LT(quickDone, 0.6) << "the hanging call held the lock";
  // The hanging call is journaled first, as it began, and only once.
  SimJournal j = SimJournal::load(dir.path());
  ASSERT_EQ(j.entries.size(), 2u);
  EXPECT_EQ(j.entries[0].command, "showrcopy links -csvtable");
  EXPECT_EQ(j.entries[0].exitCode, -1);
  EXPECT_EQ(j.entries[1].command, "showversion -s");
}

TEST(Faults, HangingCallKilledByItsCallerLeavesAUsableState) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrA").addFault("hang", "stoprcopygroup").seconds = 30;
  ASSERT_TRUE(s.save(dir.path()));
  pid_t hanging = fork();
  if (hanging == 0) {
    setpgid(0, 0);
    simtest::cli(dir.path(), "arrA", "stoprcopygroup -f -t arrB_tgt grpA");
    _exit(0);
  }
  setpgid(hanging, hanging);
  // Wait until the call is journaled as hanging, then kill it as the
  // product's command time-out does: the whole group, with SIGKILL.
  for (int i = 0; i < 200 && SimJournal::load(dir.path()).entries.empty(); ++i)
    usleep(10 * 1000);
  kill(-hanging, SIGKILL);
  waitpid(hanging, nullptr, 0);
  SimJournal j = SimJournal::load(dir.path());
  ASSERT_EQ(j.entries.size(), 1u);
  EXPECT_EQ(j.entries[0].exitCode, -1);
  std::string error;
  SimScenario after = SimScenario::load(dir.path(), &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(after.array("arrA").group("grpA").status, "Started") << "the stop never ran";
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showversion -s").exitCode, 0);
}

TEST(Faults, ConcurrentCallsKeepCountersAndJournalWhole) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrA").addFault("fail", "showsys", 5).exitCode = 9;
  ASSERT_TRUE(s.save(dir.path()));
  const int kCalls = 12;
  std::vector<pid_t> kids;
  for (int i = 0; i < kCalls; ++i) {
    pid_t pid = fork();
    if (pid == 0) _exit(simtest::cli(dir.path(), "arrA", "showsys").exitCode);
    kids.push_back(pid);
  }
  int failures = 0;
  for (pid_t pid : kids) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 9) ++failures;
  }
  EXPECT_EQ(failures, 1);
  SimJournal j = SimJournal::load(dir.path());
  EXPECT_EQ(j.count("showsys", "arrA"), kCalls);
  std::string error;
  SimScenario after = SimScenario::load(dir.path(), &error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(after.array("arrA").faults.at(0).seen, kCalls);
}

TEST(Invocation, BothFormsReachTheArrayAndAreJournaled) {
  simtest::TempDir dir;
  ASSERT_TRUE(pair().save(dir.path()));
  simtest::cli(dir.path(), "arrA", "showversion -s");
  simtest::ssh(dir.path(), "arrB", "showrcopy groups grpB -csvtable");
  // ssh joins its arguments into one remote command line.
  simtest::runArgv(dir.path(), {"/usr/bin/ssh", "-q", "-o", "ConnectTimeout=3",
                                "ops@arrB", "showrcopy  links", "-csvtable"});
  simtest::runArgv(dir.path(), {"ssh", "-ladmin", "arrA", "showsys"});
  SimJournal j = SimJournal::load(dir.path());
  ASSERT_EQ(j.entries.size(), 4u);
  EXPECT_EQ(SimJournal::format(j.entries[0]),
            "arrA\tcli\t/usr/local/tarvos/conf/vexarc/admin_arrA.pwf\t0\tshowversion -s\t"
            "-sys arrA -sockssl -pwf /usr/local/tarvos/conf/vexarc/admin_arrA.pwf "
            "showversion -s");
  EXPECT_EQ(SimJournal::format(j.entries[1]),
            "arrB\tssh\tadmin\t0\tshowrcopy groups grpB -csvtable\t"
            "-l admin -o ConnectTimeout=3 arrB showrcopy groups grpB -csvtable");
  EXPECT_EQ(j.entries[2].credential, "ops");
  EXPECT_EQ(j.entries[2].command, "showrcopy links -csvtable");
  EXPECT_EQ(j.entries[2].argv, "-q -o ConnectTimeout=3 ops@arrB showrcopy  links -csvtable");
  EXPECT_EQ(j.entries[3].array, "arrA");
  EXPECT_EQ(j.entries[3].credential, "admin");
  EXPECT_EQ(j.entries[3].command, "showsys");
}

TEST(Invocation, MalformedCallsAreRefused) {
  simtest::TempDir dir;
  ASSERT_TRUE(pair().save(dir.path()));
  const std::vector<std::string> calls[] = {
      {"/usr/bin/cli", "-pwf", "x", "showsys"},
      {"/usr/bin/cli", "-sys"},
      {"/usr/bin/ssh", "-l", "admin"},
      {"/usr/bin/ssh", "-l", "admin", "arrA"},
      {"/usr/bin/ssh", "-o"},
  };
  for (const auto& argv : calls) {
    simtest::SimRun r = simtest::runArgv(dir.path(), argv);
    EXPECT_EQ(r.exitCode, 2) << argv.back();
    EXPECT_EQ(r.output.rfind("arraysim: ", 0), 0u) << r.output;
  }
}

TEST(Invocation, MissingOrBrokenStateIsAnError) {
  simtest::TempDir dir;
  simtest::SimRun r = simtest::cli(dir.path(), "arrA", "showversion -s");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.output.find("cannot read"), std::string::npos);
  std::ofstream(dir.path() + "/state") << "array a\n  bogus x\n";
  r = simtest::cli(dir.path(), "a", "showversion -s");
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_NE(r.output.find("state line 2: unknown record bogus"), std::string::npos);
}

TEST(Invocation, VersionProbeAnswersTheConfiguredVersion) {
  simtest::TempDir dir;
  SimScenario s = pair();
  s.array("arrB").version = "3.3.1";
  ASSERT_TRUE(s.save(dir.path()));
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showversion -s").output, "3.2.2\n");
  EXPECT_EQ(simtest::cli(dir.path(), "arrB", "showversion -s").output, "3.3.1\n");
  EXPECT_EQ(simtest::cli(dir.path(), "arrB", "showversion").output.rfind(
                "Release version 3.3.1\n", 0),
            0u);
}

}  // namespace
