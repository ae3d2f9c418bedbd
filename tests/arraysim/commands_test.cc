// The pair's behaviour under the group commands, polls and tasks, as the
// end-to-end tests rely on it.  Each case runs real simulator processes.
#include <gtest/gtest.h>

#include <functional>

#include "tests/arraysim/sim_test_support.h"

namespace {

using arraysim::SimGroup;
using arraysim::SimJournal;
using arraysim::SimScenario;

struct Step {
  const char* array;
  const char* command;
  int exitCode;
};

struct Half {
  const char* role;
  const char* status;
  const char* sync;  // every volume's sync status
};

struct Transition {
  const char* name;
  std::function<void(SimScenario&)> setup;
  std::vector<Step> steps;
  Half a;  // grpA on arrA afterwards
  Half b;  // grpB on arrB afterwards
};

void stopped(SimScenario& s) {
  for (auto* g : {&s.array("arrA").group("grpA"), &s.array("arrB").group("grpB")}) {
    g->status = "Stopped";
    g->setVolumes("Stopped");
  }
}

void failedOver(SimScenario& s) {
  stopped(s);
  s.array("arrB").group("grpB").role = "Primary-Rev";
}

void recovered(SimScenario& s) {
  s.array("arrA").group("grpA").role = "Secondary-Rev";
  s.array("arrB").group("grpB").role = "Primary-Rev";
}

void linkDown(SimScenario& s) { s.linkDown("arrA", "arrB"); }

const char* kStopA = "stoprcopygroup -f -t arrB_tgt grpA";
const char* kStopB = "stoprcopygroup -f -t arrA_tgt grpB";
const char* kStartA = "startrcopygroup -t arrB_tgt grpA";
const char* kStartB = "startrcopygroup -t arrA_tgt grpB";

const Transition kTransitions[] = {
    {"StopOnPrimaryStopsBoth", nullptr, {{"arrA", kStopA, 0}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"StopOnSecondaryStopsBoth", nullptr, {{"arrB", kStopB, 0}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"StopWithLinksDownStopsOneHalf", linkDown, {{"arrB", kStopB, 0}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Stopped", "Stopped"}},
    {"StopOfStoppedGroupIsHarmless", stopped, {{"arrA", kStopA, 0}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"StartOnPrimaryStartsBoth", stopped, {{"arrA", kStartA, 0}},
     {"Primary", "Started", "Syncing"}, {"Secondary", "Started", "Syncing"}},
    {"StartOnSecondaryFails", stopped, {{"arrB", kStartB, 1}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"StartWithLinksDownFails",
     [](SimScenario& s) { stopped(s); linkDown(s); },
     {{"arrA", kStartA, 1}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"StartWithWrongTargetFails", stopped,
     {{"arrA", "startrcopygroup -t arrA_tgt grpA", 1}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"StartOfUnknownGroupFails", stopped,
     {{"arrA", "startrcopygroup -t arrB_tgt grpX", 1}},
     {"Primary", "Stopped", "Stopped"}, {"Secondary", "Stopped", "Stopped"}},
    {"ReverseSwapsRoles", stopped,
     {{"arrB", "setrcopygroup reverse -f -t arrA_tgt -waittask grpB", 0}},
     {"Secondary", "Stopped", "Stopped"}, {"Primary", "Stopped", "Stopped"}},
    {"ReverseOfStartedGroupFails", nullptr,
     {{"arrB", "setrcopygroup reverse -f -t arrA_tgt -waittask grpB", 1}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"StopReverseStartMakesTheOtherSitePrimary", nullptr,
     {{"arrB", "setrcopygroup reverse -f -t arrA_tgt -stopgroups -waittask grpB", 0},
      {"arrB", kStartB, 0}},
     {"Secondary", "Started", "Syncing"}, {"Primary", "Started", "Syncing"}},
    {"ReverseWithLinksDownChangesOneHalf",
     [](SimScenario& s) { stopped(s); linkDown(s); },
     {{"arrB", "setrcopygroup reverse -f -t arrA_tgt -waittask grpB", 0}},
     {"Primary", "Stopped", "Stopped"}, {"Primary", "Stopped", "Stopped"}},
    {"ReverseOfReversedRoles", recovered,
     {{"arrA", "setrcopygroup reverse -f -t arrB_tgt -stopgroups -waittask grpA", 0}},
     {"Primary-Rev", "Stopped", "Stopped"}, {"Secondary-Rev", "Stopped", "Stopped"}},
    {"FailoverMakesSecondaryPrimaryRev", linkDown,
     {{"arrB", "setrcopygroup failover -f -t arrA_tgt -waittask grpB", 0}},
     {"Primary", "Started", "Synced"}, {"Primary-Rev", "Stopped", "Stopped"}},
    {"FailoverOfPrimaryFails", nullptr,
     {{"arrA", "setrcopygroup failover -f -t arrB_tgt -waittask grpA", 1}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"RecoverOnPrimaryRevSide", failedOver,
     {{"arrB", "setrcopygroup recover -f -t arrA_tgt grpB", 0}},
     {"Secondary-Rev", "Started", "Syncing"}, {"Primary-Rev", "Started", "Syncing"}},
    {"RecoverOnOldPrimarySide", failedOver,
     {{"arrA", "setrcopygroup recover -f -t arrB_tgt grpA", 0}},
     {"Secondary-Rev", "Started", "Syncing"}, {"Primary-Rev", "Started", "Syncing"}},
    {"RecoverWithLinksDownFails",
     [](SimScenario& s) { failedOver(s); linkDown(s); },
     {{"arrB", "setrcopygroup recover -f -t arrA_tgt grpB", 1}},
     {"Primary", "Stopped", "Stopped"}, {"Primary-Rev", "Stopped", "Stopped"}},
    {"RecoverOfNormalPairFails", nullptr,
     {{"arrA", "setrcopygroup recover -f -t arrB_tgt grpA", 1}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"RestoreBringsRolesBack", recovered,
     {{"arrB", "setrcopygroup restore -f -t arrA_tgt -waittask grpB", 0}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"RestoreOnAllTargets", recovered,
     {{"arrA", "setrcopygroup restore -f -waittask grpA", 0}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"StopRestore", recovered,
     {{"arrB", "setrcopygroup restore -f -t arrA_tgt -stopgroups -waittask grpB", 0}},
     {"Primary", "Started", "Syncing"}, {"Secondary", "Started", "Syncing"}},
    {"RestoreWhoseTaskFailsChangesNothing",
     [](SimScenario& s) {
       recovered(s);
       s.array("arrB").addFault("task_fails", "setrcopygroup restore");
     },
     {{"arrB", "setrcopygroup restore -f -t arrA_tgt -stopgroups -waittask grpB", 1}},
     {"Secondary-Rev", "Started", "Synced"}, {"Primary-Rev", "Started", "Synced"}},
    {"RestoreOfNormalPairFails", nullptr,
     {{"arrB", "setrcopygroup restore -f -t arrA_tgt -waittask grpB", 1}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"FailoverRecoverRestoreRoundTrip", linkDown,
     {{"arrB", "setrcopygroup failover -f -t arrA_tgt -waittask grpB", 0},
      {"arrA", kStopA, 0},
      {"arrB", "setrcopygroup recover -f -t arrA_tgt grpB", 1},
      {"arrB", "setrcopygroup restore -f -t arrA_tgt -waittask grpB", 1}},
     {"Primary", "Stopped", "Stopped"}, {"Primary-Rev", "Stopped", "Stopped"}},
    {"OverrideClearsFailsafe",
     [](SimScenario& s) { s.array("arrA").group("grpA").status = "Failsafe"; },
     {{"arrA", "setrcopygroup override -f -t arrB_tgt grpA", 0}},
     {"Primary", "Stopped", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"OverrideWithoutFailsafeFails", nullptr,
     {{"arrA", "setrcopygroup override -f -t arrB_tgt grpA", 1}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
    {"UnknownSubcommandFails", nullptr,
     {{"arrA", "setrcopygroup frobnicate -f -t arrB_tgt grpA", 1}},
     {"Primary", "Started", "Synced"}, {"Secondary", "Started", "Synced"}},
};

class TransitionTest : public ::testing::TestWithParam<Transition> {};

void expectHalf(const SimGroup& g, const Half& h, const char* which) {
  EXPECT_EQ(g.role, h.role) << which;
  EXPECT_EQ(g.status, h.status) << which;
  for (const auto& v : g.volumes) EXPECT_EQ(v.sync, h.sync) << which << " " << v.local;
}

TEST_P(TransitionTest, EndsInExpectedState) {
  const Transition& t = GetParam();
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  if (t.setup) t.setup(s);
  ASSERT_TRUE(s.save(dir.path()));
  for (const Step& step : t.steps) {
    simtest::SimRun r = simtest::cli(dir.path(), step.array, step.command);
    EXPECT_EQ(r.exitCode, step.exitCode) << step.command << "\n" << r.output;
    if (step.exitCode != 0) {  // an error text, or a waited task's failure
      EXPECT_TRUE(r.output.rfind("Error: ", 0) == 0 ||
                  r.output.find(" has failed.\n") != std::string::npos)
          << r.output;
    }
  }
  SimScenario after = SimScenario::load(dir.path());
  expectHalf(after.array("arrA").group("grpA"), t.a, "grpA");
  expectHalf(after.array("arrB").group("grpB"), t.b, "grpB");
  SimJournal j = SimJournal::load(dir.path());
  ASSERT_EQ(j.entries.size(), t.steps.size());
  for (size_t i = 0; i < t.steps.size(); ++i) {
    EXPECT_EQ(j.entries[i].array, t.steps[i].array);
    EXPECT_EQ(j.entries[i].command, t.steps[i].command);
    EXPECT_EQ(j.entries[i].exitCode, t.steps[i].exitCode);
  }
}

INSTANTIATE_TEST_SUITE_P(Pair, TransitionTest, ::testing::ValuesIn(kTransitions),
                         [](const ::testing::TestParamInfo<Transition>& info) {
                           return std::string(info.param.name);
                         });

std::string syncOf(const std::string& dir, const std::string& array,
                   const std::string& group) {
  SimScenario s = SimScenario::load(dir);
  return s.array(array).group(group).volumes.at(0).sync;
}

TEST(Polls, StartedPairIsSyncingForTheConfiguredListings) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  stopped(s);
  s.settings.startPolls = 3;
  s.settings.now = "2026-12-09 11:11:11 UTC";
  ASSERT_TRUE(s.save(dir.path()));
  ASSERT_EQ(simtest::cli(dir.path(), "arrA", kStartA).exitCode, 0);
  // Listings on either array count for the pair; links listings do not.
  const Step listings[] = {
      {"arrA", "showrcopy groups grpA -csvtable", 0},
      {"arrA", "showrcopy links -csvtable", 0},
      {"arrB", "showrcopy groups grpB -csvtable", 0},
      {"arrA", "showrcopy -d -csvtable", 0},
  };
  for (const Step& l : listings) {
    simtest::SimRun r = simtest::cli(dir.path(), l.array, l.command);
    if (std::string(l.command).find("links") == std::string::npos) {
      EXPECT_NE(r.output.find(",Syncing,"), std::string::npos) << l.command;
    }
  }
  EXPECT_EQ(syncOf(dir.path(), "arrA", "grpA"), "Synced");
  EXPECT_EQ(syncOf(dir.path(), "arrB", "grpB"), "Synced");
  simtest::SimRun r = simtest::ssh(dir.path(), "arrB", "showrcopy groups grpB -csvtable");
  EXPECT_NE(r.output.find(",Synced,2026-12-09 11:11:11 UTC"), std::string::npos)
      << r.output;
}

// A started group that cannot replicate stops itself after its listings
// run out, on both halves; with the links up, or without a count, it runs on.
TEST(Polls, GroupWithLinksDownStopsItselfAfterItsListings) {
  struct Case {
    bool linkDown;
    int stopAfter;
    std::vector<std::string> shown;  // status in each listing of grpA
    const char* peerAfter;
  } cases[] = {
      {true, 2, {"Started", "Started", "Stopped"}, "Stopped"},
      {true, 1, {"Started", "Stopped", "Stopped"}, "Stopped"},
      {false, 2, {"Started", "Started", "Started"}, "Started"},
      {true, 0, {"Started", "Started", "Started"}, "Started"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.linkDown) + " " + std::to_string(c.stopAfter));
    simtest::TempDir dir;
    SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB", "Periodic");
    if (c.linkDown) s.linkDown("arrA", "arrB");
    s.array("arrA").group("grpA").stopAfter = c.stopAfter;
    ASSERT_TRUE(s.save(dir.path()));
    for (const std::string& status : c.shown) {
      simtest::SimRun r = simtest::cli(dir.path(), "arrA", "showrcopy groups grpA -csvtable");
      EXPECT_NE(r.output.find("grpA,arrB_tgt," + status + ","), std::string::npos) << r.output;
    }
    SimScenario after = SimScenario::load(dir.path());
    EXPECT_EQ(after.array("arrB").group("grpB").status, c.peerAfter);
  }
}

TEST(Polls, StartingPrecedesStartedWhenConfigured) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  stopped(s);
  s.settings.startingPolls = 2;
  s.settings.startPolls = 1;
  ASSERT_TRUE(s.save(dir.path()));
  ASSERT_EQ(simtest::cli(dir.path(), "arrA", kStartA).exitCode, 0);
  // A second start while starting changes nothing.
  ASSERT_EQ(simtest::cli(dir.path(), "arrA", kStartA).exitCode, 0);
  const char* expected[] = {"Starting", "Starting", "Started", "Started"};
  const char* volumes[] = {"Syncing", "Syncing", "Syncing", "Synced"};
  for (int i = 0; i < 4; ++i) {
    const char* array = i % 2 == 0 ? "arrA" : "arrB";
    const char* group = i % 2 == 0 ? "grpA" : "grpB";
    simtest::SimRun r = simtest::ssh(dir.path(), array,
                                     std::string("showrcopy groups ") + group + " -csvtable");
    EXPECT_NE(r.output.find(std::string(",") + expected[i] + ","), std::string::npos)
        << "listing " << i << "\n" << r.output;
    EXPECT_NE(r.output.find(std::string(",") + volumes[i] + ","), std::string::npos)
        << "listing " << i << "\n" << r.output;
  }
  EXPECT_EQ(SimScenario::load(dir.path()).array("arrB").group("grpB").status, "Started");
}

TEST(Polls, ZeroStartPollsSyncAtOnce) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  stopped(s);
  s.settings.startPolls = 0;
  ASSERT_TRUE(s.save(dir.path()));
  ASSERT_EQ(simtest::cli(dir.path(), "arrA", kStartA).exitCode, 0);
  EXPECT_EQ(syncOf(dir.path(), "arrA", "grpA"), "Synced");
  EXPECT_EQ(syncOf(dir.path(), "arrB", "grpB"), "Synced");
}

TEST(Polls, SyncingWithoutPollsLeftStaysSyncing) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  s.array("arrA").group("grpA").setVolumes("Syncing");
  ASSERT_TRUE(s.save(dir.path()));
  for (int i = 0; i < 5; ++i)
    simtest::cli(dir.path(), "arrA", "showrcopy groups grpA -csvtable");
  EXPECT_EQ(syncOf(dir.path(), "arrA", "grpA"), "Syncing");
}

std::string taskLine(const std::string& dir, const std::string& id) {
  simtest::SimRun r = simtest::ssh(dir, "arrB", "showtask -d " + id + " -csvtable");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::string second = r.output.substr(r.output.find('\n') + 1);
  return second.substr(0, second.find('\n'));
}

TEST(Tasks, SyncTaskIsActiveForTaskPollsThenDone) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrB", "arrA", "grpB", "grpA",
                                           "Periodic", 2);
  s.settings.taskPolls = 2;
  s.settings.nextTask = 4711;
  s.settings.now = "2026-12-09 12:00:00 UTC";
  // A stale copy is brought up to date by the sync like any other.
  s.array("arrB").group("grpB").volumes[0].sync = "Stale";
  s.array("arrA").group("grpA").volumes[0].sync = "Stale";
  ASSERT_TRUE(s.save(dir.path()));
  simtest::SimRun r = simtest::ssh(dir.path(), "arrB", "syncrcopy -t arrA_tgt grpB");
  ASSERT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("task ID = 4711\n"), std::string::npos) << r.output;
  EXPECT_EQ(taskLine(dir.path(), "4711").find("4711,remote_copy_sync,grpB,active,0/1"), 0u);
  EXPECT_EQ(taskLine(dir.path(), "4711").find("4711,remote_copy_sync,grpB,active,0/1"), 0u);
  EXPECT_EQ(taskLine(dir.path(), "4711").find("4711,remote_copy_sync,grpB,done,1/1"), 0u);
  SimScenario after = SimScenario::load(dir.path());
  for (const char* a : {"arrA", "arrB"}) {
    const SimGroup& g = after.array(a).groups.at(0);
    EXPECT_FALSE(g.changes) << a;
    EXPECT_EQ(g.volumes[1].last, "2026-12-09 12:00:00 UTC") << a;
    EXPECT_EQ(g.volumes[0].sync, "Synced") << a;
  }
  // Nothing left to copy: no task line, so the caller sees no task.
  r = simtest::ssh(dir.path(), "arrB", "syncrcopy -t arrA_tgt grpB");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.output.find("task ID"), std::string::npos) << r.output;
}

TEST(Tasks, FailedResultAndTaskFault) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrB", "arrA", "grpB", "grpA",
                                           "Periodic", 1);
  s.settings.taskPolls = 0;
  s.array("arrB").addFault("task_fails", "syncrcopy", 2);
  ASSERT_TRUE(s.save(dir.path()));
  ASSERT_EQ(simtest::ssh(dir.path(), "arrB", "syncrcopy -t arrA_tgt grpB").exitCode, 0);
  s = SimScenario::load(dir.path());
  s.array("arrB").group("grpB").changes = true;
  ASSERT_TRUE(s.saveState(dir.path()));
  ASSERT_EQ(simtest::ssh(dir.path(), "arrB", "syncrcopy -t arrA_tgt grpB").exitCode, 0);
  EXPECT_EQ(taskLine(dir.path(), "1001").find("1001,remote_copy_sync,grpB,done"), 0u);
  EXPECT_EQ(taskLine(dir.path(), "1002").find("1002,remote_copy_sync,grpB,failed"), 0u);
  SimScenario after = SimScenario::load(dir.path());
  EXPECT_TRUE(after.array("arrB").group("grpB").changes)
      << "a failed sync leaves the changes uncopied";
}

TEST(Tasks, SyncRefusals) {
  struct Case {
    const char* name;
    std::function<void(SimScenario&)> setup;
    const char* array;
    const char* command;
  } cases[] = {
      {"secondary", nullptr, "arrB", "syncrcopy -t arrA_tgt grpB"},
      {"stopped", stopped, "arrA", "syncrcopy -t arrB_tgt grpA"},
      {"links down", linkDown, "arrA", "syncrcopy -t arrB_tgt grpA"},
      {"no target", nullptr, "arrA", "syncrcopy grpA"},
      {"unknown task", nullptr, "arrA", "showtask -d 999 -csvtable"},
      {"task id not a number", nullptr, "arrA", "showtask -d 12x -csvtable"},
  };
  for (const auto& c : cases) {
    simtest::TempDir dir;
    SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    if (c.setup) c.setup(s);
    ASSERT_TRUE(s.save(dir.path()));
    simtest::SimRun r = simtest::cli(dir.path(), c.array, c.command);
    EXPECT_EQ(r.exitCode, 1) << c.name << ": " << r.output;
    EXPECT_EQ(r.output.find("task ID"), std::string::npos) << c.name;
    EXPECT_TRUE(SimScenario::load(dir.path()).array(c.array).tasks.empty()) << c.name;
  }
}

TEST(Tasks, WaitTaskRecordsAFinishedTask) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  stopped(s);
  ASSERT_TRUE(s.save(dir.path()));
  simtest::SimRun r = simtest::cli(
      dir.path(), "arrB", "setrcopygroup failover -f -t arrA_tgt -waittask grpB");
  ASSERT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "Started tasks: 1001\nTask 1001 has completed.\n");
  EXPECT_EQ(taskLine(dir.path(), "1001").find("1001,rcopy_failover,grpB,done"), 0u);
  // Without -waittask no task is reported.
  r = simtest::cli(dir.path(), "arrB", "setrcopygroup recover -f -t arrA_tgt grpB");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output, "");
}

TEST(Listings, ShowrcopyGroupsListsEveryGroupOrTheNamedOnes) {
  simtest::TempDir dir;
  SimScenario s = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  SimScenario other = SimScenario::healthyPair("arrA", "arrB", "grpC", "grpD");
  s.array("arrA").groups.push_back(other.array("arrA").group("grpC"));
  ASSERT_TRUE(s.save(dir.path()));
  auto headerCount = [](const std::string& out) {
    int n = 0;
    for (size_t p = 0; (p = out.find("Name,Target,Status,Role,Mode,Options", p)) !=
                       std::string::npos; ++p)
      ++n;
    return n;
  };
  EXPECT_EQ(headerCount(simtest::cli(dir.path(), "arrA", "showrcopy groups -csvtable").output), 2);
  simtest::SimRun one = simtest::cli(dir.path(), "arrA", "showrcopy groups grpC -csvtable");
  EXPECT_EQ(headerCount(one.output), 1);
  EXPECT_NE(one.output.find("\ngrpC,arrB_tgt,"), std::string::npos);
  EXPECT_EQ(one.output.find("grpA"), std::string::npos);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showrcopy groups grpA grpX -csvtable").exitCode, 1);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "showrcopy frob -csvtable").exitCode, 1);
  EXPECT_EQ(simtest::cli(dir.path(), "arrA", "frobcmd").exitCode, 1);
}

TEST(Listings, WithoutCsvtableColumnsAreAligned) {
  simtest::TempDir dir;
  ASSERT_TRUE(SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB").save(dir.path()));
  simtest::SimRun r = simtest::cli(dir.path(), "arrA", "showrcopy links");
  std::string table = r.output.substr(r.output.find("Link Information"));
  EXPECT_EQ(table.find(','), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Target   Node  Address  Status Options\n"), std::string::npos)
      << r.output;
}

}  // namespace
