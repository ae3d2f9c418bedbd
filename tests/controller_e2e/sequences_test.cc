// The reverse-and-start and stop-reverse-start sequences, the
// resynchronisation and task waits with their limits on the shared clock,
// and the sync request, run against the array simulator.

#include <ostream>
#include <string>
#include <vector>

#include "tests/controller_e2e/probe_harness.h"

namespace ctrl_e2e {
namespace {

using arraysim::SimScenario;
using Strings = std::vector<std::string>;

const char kList[] = "showrcopy groups grpA -csvtable";
const char kReverse[] = "setrcopygroup reverse -f -t arrB_tgt -waittask grpA";
const char kStopReverse[] =
    "setrcopygroup reverse -f -t arrB_tgt -stopgroups -waittask grpA";
const char kStart[] = "startrcopygroup -t arrB_tgt grpA";

Strings repeat(Strings head, const std::string& line, int n) {
  for (int i = 0; i < n; ++i) head.push_back(line);
  return head;
}

std::string timeoutText(const char* word) {
  return std::string(word) +
         ": Resyncwait timeout has occurred. Either the data copy is still in "
         "progress between the virtual volumes of the primary and secondary "
         "Remote Copy volume groups (grpA) or the status of the volume "
         "group/virtual volume is not started/synced.";
}

class SequenceTest : public ProbeTest {
 protected:
  // The other site's array holds the primary half.
  void remotePrimary(bool stopped) {
    scenario = SimScenario::healthyPair("arrB", "arrA", "grpB", "grpA");
    if (stopped) {
      for (const char* a : {"arrA", "arrB"}) {
        arraysim::SimGroup& g = scenario.array(a).groups.front();
        g.status = "Stopped";
        g.setVolumes("Stopped");
      }
    }
  }
  // This site's array holds the primary; the pair shows Syncing for `polls`
  // listings (0: already in step).
  void localPrimarySyncing(int polls) {
    if (polls == 0) return;
    for (const char* a : {"arrA", "arrB"}) {
      arraysim::SimGroup& g = scenario.array(a).groups.front();
      g.polls = polls;
      g.setVolumes("Syncing");
    }
  }
};

TEST_F(SequenceTest, ReverseAndStartWaitsForSyncAndLeavesNoMarker) {
  remotePrimary(true);
  Outcome o = run(join(status("sync", "Secondary", "Primary"),
                       {"ca_takeover_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"), repeat({kReverse, kStart}, kList, 3));
  EXPECT_TRUE(o.actions("arrB").empty());
  const arraysim::SimGroup& g = o.after.array("arrA").group("grpA");
  EXPECT_EQ(g.role, "Primary");
  EXPECT_EQ(g.status, "Started");
  EXPECT_EQ(o.after.array("arrB").group("grpB").role, "Secondary");
  EXPECT_TRUE(o.logged(
      "Executing \"reverse\" operation on the Remote Copy volume group grpA"));
  EXPECT_TRUE(o.loggedDebug("OrvRCVexa::ca_takeover_reverse_startrcvg"));
  EXPECT_EQ(o.sleeps, 2);
  EXPECT_FALSE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
  EXPECT_TRUE(o.grep("Resyncwait timeout").empty());
}

TEST_F(SequenceTest, StartFailureAfterReverseAsksForBackgroundStart) {
  remotePrimary(true);
  scenario.array("arrA").addFault("fail", "startrcopygroup");
  Outcome o = run(join(status("sync", "Secondary", "Primary"),
                       {"ca_takeover_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"), Strings({kReverse, kStart}));
  EXPECT_TRUE(o.logged("Warning: Start of Volume Group [grpA] failed."));
  EXPECT_TRUE(o.logged("Replication will be started after package startup"));
  EXPECT_TRUE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Primary");
}

TEST_F(SequenceTest, ReverseFailureRefusesWithoutStarting) {
  remotePrimary(false);  // running groups cannot be reversed
  Outcome o = run(join(status("sync", "Secondary", "Primary"),
                       {"ca_takeover_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_EQ(o.actions("arrA"), Strings({kReverse}));
  EXPECT_TRUE(o.logged(
      "Execution of \"Reverse\" operation failed on the Remote Copy volume "
      "group grpA"));
  EXPECT_FALSE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, ResyncTimeoutAfterStartOnlyWarnsAndLeavesMarker) {
  remotePrimary(true);
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "0";
  scenario.settings.startPolls = 5;
  Outcome o = run(join(status("sync", "Secondary", "Primary"),
                       {"ca_takeover_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"), repeat({kReverse, kStart}, kList, 1));
  EXPECT_TRUE(o.logged(timeoutText("Warning")));
  EXPECT_TRUE(o.grep("Error: Resyncwait").empty());
  // The sequence's own wait announces nothing.
  EXPECT_TRUE(o.grep("Waiting upto").empty());
  EXPECT_EQ(o.sleeps, 1);
  EXPECT_TRUE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
}

// Modes other than async stop and reverse in one command on this array.
class StopReverseModeTest : public SequenceTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(StopReverseModeTest, StopsAndReversesInOneCommand) {
  remotePrimary(false);
  Outcome o = run(join(status(GetParam(), "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"), repeat({kStopReverse, kStart}, kList, 3));
  EXPECT_TRUE(o.actions("arrB").empty());
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Primary");
  EXPECT_EQ(o.after.array("arrA").group("grpA").status, "Started");
  EXPECT_FALSE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, StopReverseModeTest,
                         ::testing::Values("sync", "periodic", "UNKNOWN"));

TEST_F(SequenceTest, StopReverseStartFailureLogsTheLongWarning) {
  remotePrimary(false);
  scenario.array("arrA").addFault("fail", "startrcopygroup");
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"), Strings({kStopReverse, kStart}));
  EXPECT_TRUE(o.logged(
      "Warning: Starting of the Remote Copy volume group [grpA] has failed to "
      "complete. This means that Remote Copy is not happening between the "
      "primary and secondary volume groups. Orvanta will try to "
      "start the Remote Copy volume group  using the startrcopygroup command "
      "in the background after package start up is complete."));
  EXPECT_TRUE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
}

// The asynchronous branch, whatever the letter case of the mode.
class AsyncModeTest : public SequenceTest,
                      public ::testing::WithParamInterface<const char*> {};

TEST_P(AsyncModeTest, StopsRemotelyChecksBothHalvesThenReverses) {
  remotePrimary(false);
  Outcome o = run(join(status(GetParam(), "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrB"),
            Strings({"stoprcopygroup -f -t arrA_tgt grpB",
                     "showrcopy groups grpB -csvtable"}));
  EXPECT_EQ(o.actions("arrA"), repeat({kList, kReverse, kStart}, kList, 3));
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Primary");
  EXPECT_FALSE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
}

INSTANTIATE_TEST_SUITE_P(Modes, AsyncModeTest,
                         ::testing::Values("async", "ASYNC", "Async"));

TEST_F(SequenceTest, AsyncRefusesWhenTheGroupsDidNotStop) {
  remotePrimary(false);
  // The array accepts the stop but the group keeps running.
  scenario.array("arrB").addFault("fail", "stoprcopygroup").exitCode = 0;
  Outcome o = run(join(status("async", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.logged(
      "Remote Copy Group is not in the stopped state to perform the required "
      "operation"));
  EXPECT_EQ(o.actions("arrA"), Strings({kList}));
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Secondary");
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, AsyncRefusesWhenAVolumeIsNotStopped) {
  remotePrimary(true);
  scenario.array("arrA").group("grpA").volumes.back().sync = "Stale";
  Outcome o = run(join(status("async", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.logged("Unable to get the remote state of the Volume Group"));
  EXPECT_EQ(o.actions("arrA"), Strings({kList}));
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, AsyncRemoteListShorterThanLocalFails) {
  remotePrimary(true);
  scenario.array("arrB").group("grpB").volumes.pop_back();
  Outcome o = run(join(status("async", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.logged("Unable to get the remote state of the Volume Group"));
  EXPECT_EQ(o.actions("arrA"), Strings({kList}));
}

TEST_F(SequenceTest, AsyncGroupWithoutVolumesPassesTheVolumeTest) {
  remotePrimary(true);
  scenario.array("arrA").group("grpA").volumes.clear();
  scenario.array("arrB").group("grpB").volumes.clear();
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "0";
  Outcome o = run(join(status("async", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"), Strings({kList, kReverse, kStart, kList}));
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, AsyncStopFailureNamesTheLocalGroup) {
  remotePrimary(false);
  scenario.array("arrB").addFault("fail", "stoprcopygroup");
  Outcome o = run(join(status("async", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.logged(
      "Execution of \"Stop\" operation failed on the Remote Copy volume group "
      "grpA"));
  EXPECT_TRUE(o.actions("arrA").empty());
  EXPECT_TRUE(o.leftovers.empty());
}

// ---- Resynchronisation wait limits -------------------------------------------

struct LimitCase {
  const char* name;
  const char* timeout;
  int polls;  // listings showing Syncing
  int listings;
  int sleeps;
  int result;
  const char* announcement;
};

void PrintTo(const LimitCase& c, std::ostream* os) { *os << c.name; }

class ResyncLimitTest : public SequenceTest,
                        public ::testing::WithParamInterface<LimitCase> {};

TEST_P(ResyncLimitTest, PollsEveryTenSecondsUpToTheLimit) {
  const LimitCase& c = GetParam();
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = c.timeout;
  localPrimarySyncing(c.polls);
  Outcome o = run(join(status("sync"), {"resyncwait"}));
  ASSERT_EQ(o.result(), c.result) << o.describe();
  EXPECT_EQ(o.actions("arrA"), repeat({}, kList, c.listings));
  EXPECT_TRUE(o.actions("arrB").empty());
  EXPECT_EQ(o.sleeps, c.sleeps);
  EXPECT_TRUE(o.logged(c.announcement));
  EXPECT_EQ(o.logged(timeoutText("Error")), c.result != 0);
  EXPECT_TRUE(o.leftovers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ResyncLimitTest,
    ::testing::Values(
        LimitCase{"ZeroOnePass", "0", 5, 1, 1, 2,
                  "RESYNC_WAIT_TIMEOUT is set to 0. Waiting upto 0 minutes for "
                  "synchronization to complete"},
        LimitCase{"ZeroAlreadySynced", "0", 0, 1, 0, 0,
                  "RESYNC_WAIT_TIMEOUT is set to 0. Waiting upto 0 minutes for "
                  "synchronization to complete"},
        LimitCase{"OneMinuteInTime", "1", 5, 6, 5, 0,
                  "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for "
                  "synchronization to complete"},
        LimitCase{"OneMinuteTooShort", "1", 20, 7, 7, 2,
                  "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for "
                  "synchronization to complete"},
        LimitCase{"NoLimit", "NO_TIMEOUT", 40, 41, 40, 0,
                  "RESYNC_WAIT_TIMEOUT is set to no_timeout. Waiting for "
                  "synchronization to complete"}),
    [](const ::testing::TestParamInfo<LimitCase>& i) {
      return std::string(i.param.name);
    });

TEST_F(SequenceTest, StartingGroupNeverCountsAsSynchronised) {
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "0";
  for (const char* a : {"arrA", "arrB"})
    scenario.array(a).groups.front().status = "Starting";
  Outcome o = run(join(status("sync"), {"resyncwait"}));
  EXPECT_EQ(o.result(), 2) << o.describe();
}

TEST_F(SequenceTest, LaterWaitsShareTheFirstWaitsClock) {
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "1";
  localPrimarySyncing(100);
  Outcome o = run(join(status("sync"), {"resyncwait", "resyncwait"}));
  ASSERT_EQ(o.results.size(), 2u) << o.describe();
  EXPECT_EQ(o.results[0].second, 2);
  EXPECT_EQ(o.results[1].second, 2);
  // Seven passes for the first minute; the second wait still makes its one
  // pass although its limit is spent.
  EXPECT_EQ(o.actions("arrA"), repeat({}, kList, 8));
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, UnknownLocalRoleReadsOnlyTheRemoteArray) {
  Outcome o = run(join(status("sync", "UNKNOWN", "Secondary"), {"resyncwait"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_TRUE(o.actions("arrA").empty());
  EXPECT_EQ(o.actions("arrB"), Strings({"showrcopy groups grpB -csvtable"}));
}

TEST_F(SequenceTest, LocalArrayDownFallsBackToTheRemoteOne) {
  scenario.array("arrA").addFault("unreachable");
  Outcome o = run(join(status("sync"), {"resyncwait"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_EQ(o.actions("arrB"), Strings({"showrcopy groups grpB -csvtable"}));
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, BothArraysDownWaitsOutTheLimitWithPauses) {
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "1";
  scenario.array("arrA").addFault("unreachable");
  scenario.array("arrB").addFault("unreachable");
  Outcome o = run(join(status("sync"), {"resyncwait"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_EQ(o.sleeps, 7);
  EXPECT_TRUE(o.logged(timeoutText("Error")));
  EXPECT_TRUE(o.leftovers.empty());
}

// ---- Task wait ---------------------------------------------------------------

struct TaskCase {
  const char* name;
  int polls;           // queries showing "active"
  const char* result;  // end state
  int queries;
  int waitResult;
};

void PrintTo(const TaskCase& c, std::ostream* os) { *os << c.name; }

class TaskWaitTest : public SequenceTest,
                     public ::testing::WithParamInterface<TaskCase> {};

TEST_P(TaskWaitTest, FollowsTheTaskToItsEnd) {
  const TaskCase& c = GetParam();
  arraysim::SimTask t;
  t.id = 1234;
  t.type = "remote_copy_sync";
  t.name = "grpB";
  t.status = c.polls > 0 ? "active" : c.result;
  t.polls = c.polls;
  t.result = c.result;
  scenario.array("arrB").tasks.push_back(t);
  Outcome o = run(join(status("periodic"), {"periodic_resyncwait:1234"}));
  ASSERT_EQ(o.result(), c.waitResult) << o.describe();
  EXPECT_EQ(o.actions("arrB"),
            repeat({}, "showtask -d 1234 -csvtable", c.queries));
  EXPECT_TRUE(o.actions("arrA").empty());
  EXPECT_EQ(o.count("Status of task id 1234 is active"), c.polls);
  EXPECT_EQ(o.count(std::string("Status of task id 1234 is ") + c.result), 1);
  EXPECT_EQ(o.logged(" Data copy in progress for [grpA] "), c.waitResult != 0);
  EXPECT_TRUE(o.leftovers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tasks, TaskWaitTest,
    ::testing::Values(TaskCase{"ActiveTwiceThenDone", 2, "done", 3, 0},
                      TaskCase{"Done", 0, "done", 1, 0},
                      TaskCase{"ActiveThenFailed", 1, "failed", 2, 2}),
    [](const ::testing::TestParamInfo<TaskCase>& i) {
      return std::string(i.param.name);
    });

TEST_F(SequenceTest, NoTaskAsksNothing) {
  Outcome o = run(join(status("periodic"), {"periodic_resyncwait:NOTASK"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_TRUE(o.journal.entries.empty());
}

TEST_F(SequenceTest, TaskWaitWithItsLimitSpentMakesNoPass) {
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "1";
  Outcome o = run(join(join(status("periodic"), {"--clock-ago", "61"}),
                       {"periodic_resyncwait:NOTASK"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.logged(" Data copy in progress for [grpA] "));
  EXPECT_TRUE(o.journal.entries.empty());
}

// ---- Sync request --------------------------------------------------------------
// The request goes to the other site's array, which holds the primary.

TEST_F(SequenceTest, SyncHandsBackTheTaskId) {
  remotePrimary(false);
  scenario.settings.nextTask = 4321;
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"syncrcopy_task"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_EQ(o.taskId, "4321");
  EXPECT_EQ(o.actions("arrB"), Strings({"syncrcopy -t arrA_tgt grpB"}));
}

TEST_F(SequenceTest, SyncWithNothingToCopyGivesNoTask) {
  remotePrimary(false);
  scenario.array("arrB").group("grpB").changes = false;
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"syncrcopy_task"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_EQ(o.taskId, "NOTASK");
}

TEST_F(SequenceTest, SyncRefusedForUnknownRemoteRole) {
  Outcome o = run(join(status("periodic", "Primary", "UNKNOWN"),
                       {"syncrcopy_task", "syncrcopy"}));
  ASSERT_EQ(o.results.size(), 2u) << o.describe();
  EXPECT_EQ(o.results[0].second, 1);
  EXPECT_EQ(o.results[1].second, 1);
  EXPECT_EQ(o.count("Error: Unable to perform syncrcopy when Remote "
                    "Replication Role of the Remote Copy Volume Group is "
                    "UNKNOWN."),
            2);
  EXPECT_TRUE(o.journal.entries.empty());
}

TEST_F(SequenceTest, SyncFailingWithTheLinkDownGivesFour) {
  remotePrimary(false);
  scenario.linkDown("arrA", "arrB");
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"syncrcopy_task"}));
  ASSERT_EQ(o.result(), 4) << o.describe();
  EXPECT_EQ(o.actions("arrB"), Strings({"syncrcopy -t arrA_tgt grpB"}));
  EXPECT_EQ(o.actions("arrA"), Strings({"showrcopy links -csvtable"}));
  EXPECT_TRUE(o.logged(
      "Execution of \"syncrcopy\" operation failed on the Remote Copy volume "
      "group grpB"));
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, SyncRetriedOnceTheGroupIsInStep) {
  remotePrimary(false);
  scenario.array("arrB").addFault("fail", "syncrcopy", 1);
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"syncrcopy_task"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_EQ(o.actions("arrB"), Strings({"syncrcopy -t arrA_tgt grpB",
                                        "syncrcopy -t arrA_tgt grpB"}));
  // Link check, then one wait pass on this array.
  EXPECT_EQ(o.actions("arrA"), Strings({"showrcopy links -csvtable", kList}));
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(SequenceTest, FireAndForgetSyncIgnoresAFailure) {
  remotePrimary(false);
  scenario.array("arrB").addFault("fail", "syncrcopy");
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"syncrcopy"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_EQ(o.actions("arrB"), Strings({"syncrcopy -t arrA_tgt grpB"}));
  EXPECT_TRUE(o.actions("arrA").empty());
  EXPECT_TRUE(o.leftovers.empty());
}

}  // namespace
}  // namespace ctrl_e2e
