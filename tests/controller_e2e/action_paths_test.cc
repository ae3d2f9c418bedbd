// Takeover actions on their way through: the commands each sends when its
// steps succeed, the branch taken after a start, the failover that waits for
// the array to stop the group, and the sync actions when the link is down.

#include <ostream>
#include <string>
#include <vector>

#include "tests/controller_e2e/probe_harness.h"

namespace ctrl_e2e {
namespace {

using arraysim::SimGroup;
using arraysim::SimScenario;
using Strings = std::vector<std::string>;

SimGroup& local(SimScenario& s) { return s.array("arrA").group("grpA"); }
SimGroup& remote(SimScenario& s) { return s.array("arrB").group("grpB"); }

void setPair(SimScenario& s, const char* localRole, const char* localStatus,
             const char* remoteRole, const char* remoteStatus) {
  local(s).role = localRole;
  local(s).status = localStatus;
  remote(s).role = remoteRole;
  remote(s).status = remoteStatus;
  for (SimGroup* g : {&local(s), &remote(s)})
    g->setVolumes(std::string(g->status) == "Started" ? "Synced" : "Stopped");
}

struct PathCase {
  const char* name;
  const char* action;
  const char* localRole;
  const char* localStatus;
  const char* remoteRole;
  const char* remoteStatus;
  int result;
  Strings localCommands;
  Strings remoteCommands;
  const char* localRoleAfter;
  const char* localStatusAfter;
};

void PrintTo(const PathCase& c, std::ostream* os) { *os << c.name; }

class ActionPathTest : public ProbeTest,
                       public ::testing::WithParamInterface<PathCase> {};

TEST_P(ActionPathTest, SendsItsStepsAndLeavesThePairAsExpected) {
  const PathCase& c = GetParam();
  setPair(scenario, c.localRole, c.localStatus, c.remoteRole, c.remoteStatus);
  scenario.settings.startPolls = 0;
  scenario.settings.taskPolls = 0;
  Outcome o = run(join(status("periodic", c.localRole, c.remoteRole), {c.action}));
  ASSERT_EQ(o.result(), c.result) << o.describe();
  EXPECT_EQ(o.actions("arrA"), c.localCommands);
  EXPECT_EQ(o.actions("arrB"), c.remoteCommands);
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, c.localRoleAfter);
  EXPECT_EQ(o.after.array("arrA").group("grpA").status, c.localStatusAfter);
  EXPECT_TRUE(o.grep("operation failed").empty());
  EXPECT_FALSE(o.marker);
  EXPECT_TRUE(o.leftovers.empty());
}

const char kListA[] = "showrcopy groups grpA -csvtable";
const char kListB[] = "showrcopy groups grpB -csvtable";

const PathCase kPaths[] = {
    {"Failover", "ca_takeover_failover", "Secondary", "Stopped", "Primary", "Stopped", 3,
     {"setrcopygroup failover -f -t arrB_tgt -waittask grpA"}, {}, "Primary-Rev", "Stopped"},
    {"Restore", "ca_takeover_restore", "Secondary-Rev", "Started", "Primary-Rev", "Started", 3,
     {}, {"setrcopygroup restore -f -t arrA_tgt -waittask grpB"}, "Primary", "Started"},
    {"RestoreForce", "ca_takeover_restore_force", "Secondary-Rev", "Started", "Primary-Rev",
     "Started", 3, {}, {"setrcopygroup restore -f -waittask grpB"}, "Primary", "Started"},
    {"NopRecover", "ca_takeover_nop_recover", "Primary-Rev", "Stopped", "Primary", "Stopped", 0,
     {"setrcopygroup recover -f -t arrB_tgt grpA"}, {}, "Primary-Rev", "Started"},
    {"NopStart", "ca_takeover_nop_startrcvg", "Primary", "Stopped", "Secondary", "Stopped", 0,
     {"startrcopygroup -t arrB_tgt grpA"}, {}, "Primary", "Started"},
    {"StopDcStart", "ca_takeover_stop_datacenter_startrcvg", "Secondary", "Stopped", "Primary",
     "Stopped", 1, {}, {"startrcopygroup -t arrA_tgt grpB"}, "Secondary", "Started"},
    {"StopDcRecover", "ca_takeover_stop_datacenter_recover", "Primary", "Stopped", "Primary-Rev",
     "Stopped", 1, {}, {"setrcopygroup recover -f -t arrA_tgt grpB"}, "Secondary-Rev", "Started"},
    {"NopSync", "ca_takeover_nop_syncrcopy", "Primary", "Started", "Secondary", "Started", 0,
     {"syncrcopy -t arrB_tgt grpA"}, {}, "Primary", "Started"},
    // The start took effect: nothing more.
    {"NopStartRunning", "ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover", "Primary",
     "Stopped", "Secondary", "Stopped", 0, {"startrcopygroup -t arrB_tgt grpA", kListA}, {},
     "Primary", "Started"},
    {"NopStartSyncRunning", "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     "Primary", "Stopped", "Secondary", "Stopped", 0,
     {"startrcopygroup -t arrB_tgt grpA", kListA, "syncrcopy -t arrB_tgt grpA"}, {}, "Primary",
     "Started"},
    {"StartRemoteSecRunning",
     "ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter", "Primary",
     "Started", "Secondary", "Started", 0,
     {"startrcopygroup -t arrB_tgt grpA", kListA, "syncrcopy -t arrB_tgt grpA"}, {}, "Primary",
     "Started"},
    {"StopDcStartThenNoRecover", "ca_takeover_stop_datacenter_startrcvg_recover", "Secondary",
     "Stopped", "Primary", "Stopped", 1, {}, {"startrcopygroup -t arrA_tgt grpB"}, "Secondary",
     "Started"},
    {"StopDcStartThenSync",
     "ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover", "Secondary",
     "Stopped", "Primary", "Stopped", 1, {},
     {"startrcopygroup -t arrA_tgt grpB", "syncrcopy -t arrA_tgt grpB"}, "Secondary", "Started"},
    {"StopDcStartSync", "ca_takeover_stop_datacenter_startrcvg_syncrcopy", "Secondary", "Stopped",
     "Primary", "Stopped", 1, {},
     {"startrcopygroup -t arrA_tgt grpB", "syncrcopy -t arrA_tgt grpB"}, "Secondary", "Started"},
    {"LocalSecStopLocal", "ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
     "Secondary", "Stopped", "Primary", "Stopped", 2, {},
     {"startrcopygroup -t arrA_tgt grpB", "syncrcopy -t arrA_tgt grpB"}, "Secondary", "Started"},
    {"NopStartSync", "ca_takeover_nop_startrcvg_syncrcopy", "Primary", "Stopped", "Secondary",
     "Stopped", 0, {"startrcopygroup -t arrB_tgt grpA", "syncrcopy -t arrB_tgt grpA"}, {},
     "Primary", "Started"},
    // Wait, then restore: fail back to this site.
    {"WaitRestore", "ca_takeover_resyncwait_restore", "Secondary-Rev", "Started", "Primary-Rev",
     "Started", 3, {kListA}, {"setrcopygroup restore -f -t arrA_tgt -waittask grpB"}, "Primary",
     "Started"},
    {"StartWaitRestore", "ca_takeover_startrcvg_resyncwait_restore", "Secondary-Rev", "Started",
     "Primary-Rev", "Started", 3, {kListA},
     {"startrcopygroup -t arrA_tgt grpB", "setrcopygroup restore -f -t arrA_tgt -waittask grpB"},
     "Primary", "Started"},
    {"LocalPriNop", "ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
     "Secondary-Rev", "Started", "Primary-Rev", "Started", 3, {kListA},
     {"startrcopygroup -t arrA_tgt grpB", "setrcopygroup restore -f -t arrA_tgt -waittask grpB"},
     "Primary", "Started"},
    {"RecoverWaitRestore", "ca_takeover_recover_resyncwait_restore", "Primary", "Stopped",
     "Primary-Rev", "Stopped", 3, {kListA},
     {"setrcopygroup recover -f -t arrA_tgt grpB",
      "setrcopygroup restore -f -t arrA_tgt -waittask grpB"},
     "Primary", "Started"},
    // Sync, follow the task, wait, then switch.
    {"SyncStopReverse", "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     "Secondary", "Started", "Primary", "Started", 3,
     {kListA, "setrcopygroup reverse -f -t arrB_tgt -stopgroups -waittask grpA",
      "startrcopygroup -t arrB_tgt grpA", kListA},
     {"syncrcopy -t arrA_tgt grpB", "showtask -d 1001 -csvtable"}, "Primary", "Started"},
    {"SyncRestore", "ca_takeover_syncrcopy_resyncwait_restore", "Secondary-Rev", "Started",
     "Primary-Rev", "Started", 3, {kListA},
     {"syncrcopy -t arrA_tgt grpB", "showtask -d 1001 -csvtable",
      "setrcopygroup restore -f -t arrA_tgt -waittask grpB"},
     "Primary", "Started"},
    {"WaitSyncRestore", "ca_takeover_resyncwait_syncrcopy_resyncwait_restore", "Secondary-Rev",
     "Started", "Primary-Rev", "Started", 3, {kListA, kListA},
     {"syncrcopy -t arrA_tgt grpB", "showtask -d 1001 -csvtable",
      "setrcopygroup restore -f -t arrA_tgt -waittask grpB"},
     "Primary", "Started"},
};

INSTANTIATE_TEST_SUITE_P(Paths, ActionPathTest, ::testing::ValuesIn(kPaths),
                         [](const ::testing::TestParamInfo<PathCase>& i) {
                           return std::string(i.param.name);
                         });

class ActionBranchTest : public ProbeTest {};

TEST_F(ActionBranchTest, StartThatDidNotTakeRecovers) {
  // The start is accepted but the group stays stopped: the other side is
  // primary, so the action recovers.
  setPair(scenario, "Primary-Rev", "Stopped", "Primary", "Stopped");
  scenario.array("arrA").addFault("fail", "startrcopygroup").exitCode = 0;
  Outcome o = run(join(status("sync", "Primary-Rev", "Primary"),
                       {"ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_EQ(o.actions("arrA"),
            Strings({"startrcopygroup -t arrB_tgt grpA", kListA,
                     "setrcopygroup recover -f -t arrB_tgt grpA"}));
  EXPECT_EQ(o.after.array("arrB").group("grpB").role, "Secondary-Rev");
  EXPECT_TRUE(o.leftovers.empty());
}

TEST_F(ActionBranchTest, StartThatDidNotTakeRefusesWithoutSync) {
  setPair(scenario, "Primary", "Stopped", "Secondary", "Stopped");
  scenario.array("arrA").addFault("fail", "startrcopygroup").exitCode = 0;
  Outcome o = run(join(status("periodic"),
                       {"ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter"}));
  ASSERT_EQ(o.result(), 1) << o.describe();
  EXPECT_EQ(o.actions("arrA"), Strings({"startrcopygroup -t arrB_tgt grpA", kListA}));
  EXPECT_TRUE(o.leftovers.empty());
}

// The start is accepted but the listing after it cannot be read: the
// decision stays as it was, and one warning names the side.
TEST_F(ActionBranchTest, UnreadableListingAfterTheStartIsNamed) {
  const struct {
    const char* action;
    int result;
  } cases[] = {
      {"ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover", 0},
      {"ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover", 0},
      {"ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.action);
    scenario = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    setPair(scenario, "Primary", "Stopped", "Secondary", "Stopped");
    scenario.array("arrA").addFault("garbled", "showrcopy groups");
    Outcome o = run(join(status("periodic"), {c.action}));
    ASSERT_EQ(o.result(), c.result) << o.describe();
    EXPECT_EQ(o.count("Warning: Unable to find the properties for the Remote Copy volume group "
                      "[grpA] in the Jx Vexa storage system name [arrA]."),
              1)
        << o.describe();
    EXPECT_EQ(o.actions("arrA"), Strings({"startrcopygroup -t arrB_tgt grpA", kListA}));
    EXPECT_TRUE(o.leftovers.empty());
  }
}

TEST_F(ActionBranchTest, StartFailureBeforeTheRestoreIsOnlyTraced) {
  setPair(scenario, "Secondary-Rev", "Started", "Primary-Rev", "Started");
  scenario.array("arrB").addFault("fail", "startrcopygroup");
  Outcome o = run(join(status("sync", "Secondary-Rev", "Primary-Rev"),
                       {"ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore"}));
  ASSERT_EQ(o.result(), 0) << o.describe();
  EXPECT_TRUE(o.grep("operation failed").empty());
  EXPECT_TRUE(o.grep("Error: ").empty());
  EXPECT_EQ(o.actions("arrB"), Strings({"startrcopygroup -t arrA_tgt grpB"}));
  EXPECT_TRUE(o.actions("arrA").empty());
}

// ---- The failover that waits for the array to stop the group ----------------

struct StopWaitCase {
  const char* name;
  const char* setting;  // PERIODIC_ASYNC_LINK_DOWN_TIMEOUT; nullptr: default
  int logged;           // "Value for timeout is [%d] "
  int polls;            // group listings until giving up
};

void PrintTo(const StopWaitCase& c, std::ostream* os) { *os << c.name; }

class StopWaitTest : public ProbeTest,
                     public ::testing::WithParamInterface<StopWaitCase> {};

TEST_P(StopWaitTest, GivesUpWhenTheGroupKeepsRunning) {
  const StopWaitCase& c = GetParam();
  if (c.setting != nullptr)
    attrs["RCVEXA_PERIODIC_ASYNC_LINK_DOWN_TIMEOUT"] = c.setting;
  setPair(scenario, "Secondary", "Started", "Primary", "Started");
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvgwait_failover"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.logged("Value for timeout is [" + std::to_string(c.logged) + "] "));
  EXPECT_TRUE(o.grep("Warning: Attribute").empty());
  EXPECT_EQ(o.actions("arrA"), Strings(c.polls, kListA));
  EXPECT_EQ(o.sleeps, c.polls);
  EXPECT_TRUE(o.actions("arrB").empty());
  EXPECT_TRUE(o.leftovers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Timeouts, StopWaitTest,
    ::testing::Values(StopWaitCase{"CatalogueDefault", nullptr, 250, 26},
                      StopWaitCase{"Configured300", "300", 300, 31},
                      StopWaitCase{"Lowest", "200", 200, 21},
                      StopWaitCase{"BelowRange", "199", 199, 26},
                      StopWaitCase{"AboveRange", "401", 401, 26}),
    [](const ::testing::TestParamInfo<StopWaitCase>& i) {
      return std::string(i.param.name);
    });

TEST_F(ActionBranchTest, StopWaitFailsOverOnceTheGroupStops) {
  setPair(scenario, "Secondary", "Stopped", "Primary", "Stopped");
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_stoprcvgwait_failover"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_EQ(o.actions("arrA"),
            Strings({kListA, "setrcopygroup failover -f -t arrB_tgt -waittask grpA"}));
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Primary-Rev");
  EXPECT_TRUE(o.loggedDebug("RC VG is stopped"));
  EXPECT_EQ(o.sleeps, 0);
}

TEST_F(ActionBranchTest, StopWaitWithTheClockSpentNeverPolls) {
  setPair(scenario, "Secondary", "Stopped", "Primary", "Stopped");
  Outcome o = run(join(join(status("periodic", "Secondary", "Primary"),
                            {"--clock-ago", "251"}),
                       {"ca_takeover_stoprcvgwait_failover"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_TRUE(o.journal.entries.empty());
}

// ---- Sync actions with the link down ----------------------------------------

class LinkDownTest : public ProbeTest {
 protected:
  void SetUp() override {
    ProbeTest::SetUp();
    setPair(scenario, "Secondary", "Started", "Primary", "Started");
    scenario.linkDown("arrA", "arrB");
  }
};

TEST_F(LinkDownTest, StopReverseActionRefusesWithoutNonCurrentDataPermission) {
  attrs["RCVEXA_AUTO_NONCURDATA"] = "0";
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 1) << o.describe();
  EXPECT_TRUE(o.logged(
      "Error: Remote Copy Links are down and AUTO_NONCURDATA is set to no for "
      "[grpA]"));
  EXPECT_EQ(o.actions("arrA"), Strings({"showrcopy links -csvtable"}));
  EXPECT_EQ(o.actions("arrB"), Strings({"syncrcopy -t arrA_tgt grpB"}));
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Secondary");
  EXPECT_TRUE(o.leftovers.empty());
}

class NonCurrentDataTest : public LinkDownTest,
                           public ::testing::WithParamInterface<const char*> {};

TEST_P(NonCurrentDataTest, StopReverseActionFailsOverOnceStopped) {
  attrs["RCVEXA_AUTO_NONCURDATA"] = GetParam();
  local(scenario).status = "Stopped";
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 3) << o.describe();
  EXPECT_TRUE(o.logged(
      "Package is configured to start up with non current data when link "
      "down [grpA] "));
  EXPECT_TRUE(o.logged("Value for timeout is [250] "));
  EXPECT_EQ(o.actions("arrA"),
            Strings({"showrcopy links -csvtable", kListA,
                     "setrcopygroup failover -f -t arrB_tgt -waittask grpA"}));
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Primary-Rev");
  EXPECT_TRUE(o.leftovers.empty());
}

// "1" is the configuration's word; "yes" in any letter case is read the
// same way.
INSTANTIATE_TEST_SUITE_P(Permissions, NonCurrentDataTest,
                         ::testing::Values("1", "yes", "YES"));

TEST_F(LinkDownTest, StopReverseActionGivesUpWhenTheGroupKeepsRunning) {
  attrs["RCVEXA_AUTO_NONCURDATA"] = "1";
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg"}));
  ASSERT_EQ(o.result(), 2) << o.describe();
  EXPECT_EQ(o.sleeps, 26);
  EXPECT_TRUE(o.grep("failover").empty());
  EXPECT_EQ(o.after.array("arrA").group("grpA").role, "Secondary");
}

TEST_F(LinkDownTest, RestoreActionRefusesWhateverTheNonCurrentDataSetting) {
  attrs["RCVEXA_AUTO_NONCURDATA"] = "1";
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_syncrcopy_resyncwait_restore"}));
  ASSERT_EQ(o.result(), 1) << o.describe();
  EXPECT_TRUE(o.grep("AUTO_NONCURDATA").empty());
  EXPECT_EQ(o.actions("arrB"), Strings({"syncrcopy -t arrA_tgt grpB"}));
}

TEST_F(LinkDownTest, LinkReadFromTheRemoteArrayWhenTheLocalOneIsDown) {
  scenario.array("arrA").addFault("unreachable");
  Outcome o = run(join(status("periodic", "Secondary", "Primary"),
                       {"ca_takeover_syncrcopy_resyncwait_restore"}));
  ASSERT_EQ(o.result(), 1) << o.describe();
  EXPECT_EQ(o.actions("arrB"),
            Strings({"syncrcopy -t arrA_tgt grpB", "showrcopy links -csvtable"}));
}

}  // namespace
}  // namespace ctrl_e2e
