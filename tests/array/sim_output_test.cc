// Parsers and task readers over outputs captured from the array simulator.

#include <gtest/gtest.h>

#include <string>

#include "array/orv_vexa_util.h"
#include "tests/array/array_test_support.h"

using array_test::simFile;

namespace {

OrvString sim(const char* name) { return OrvString(simFile(name).c_str()); }

class SimOutputTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!array_test::exists(simFile("showrcopy_groups_started.txt")))
      GTEST_SKIP() << "no captured simulator outputs";
  }
};

TEST_F(SimOutputTest, GroupListings) {
  struct Case {
    const char* file;
    const char* group;
    const char* target;
    const char* status;
    const char* role;
    const char* mode;
    const char* failsafe;
    const char* autoRecover;
    int volumes;
    const char* firstSync;
    const char* firstTime;
  } cases[] = {
      {"showrcopy_groups_started.txt", "grpA", "arrB_tgt", "Started", "Primary", "Sync",
       "fail_wrt_on_err", "yes", 2, "Synced", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_stopped.txt", "grpA", "arrB_tgt", "Stopped", "Primary", "Sync",
       "no_fail_wrt_on_err", "no", 2, "Stopped", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_syncing.txt", "grpA", "arrB_tgt", "Started", "Primary", "Sync",
       "no_fail_wrt_on_err", "yes", 2, "Syncing", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_failsafe.txt", "grpA", "arrB_tgt", "Failsafe", "Primary", "Sync",
       "fail_wrt_on_err", "no", 2, "Stale", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_new.txt", "grpA", "arrB_tgt", "New", "Primary", "Sync",
       "no_fail_wrt_on_err", "no", 2, "New", "NA"},
      {"showrcopy_groups_novolumes.txt", "grpA", "arrB_tgt", "Started", "Primary", "Sync",
       "no_fail_wrt_on_err", "no", 0, nullptr, nullptr},
      {"showrcopy_groups_secondary.txt", "grpB", "arrA_tgt", "Started", "Secondary", "Sync",
       "no_fail_wrt_on_err", "no", 2, "Synced", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_failover.txt", "grpB", "arrA_tgt", "Stopped", "Primary-Rev", "Sync",
       "no_fail_wrt_on_err", "no", 2, "Stopped", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_async.txt", "grpA", "arrB_tgt", "Started", "Primary", "Async",
       "no_fail_wrt_on_err", "no", 1, "Synced", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_periodic.txt", "grpA", "arrB_tgt", "Started", "Primary", "Periodic",
       "no_fail_wrt_on_err", "no", 3, "Synced", ""},
      // Two groups in one listing.
      {"showrcopy_groups_all.txt", "grpA", "arrB_tgt", "Started", "Primary", "Sync",
       "no_fail_wrt_on_err", "no", 2, "Synced", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_groups_all.txt", "grpC", "arrB_tgt", "Stopped", "Primary", "Sync",
       "fail_wrt_on_err", "yes", 1, "Stopped", "2026-12-08 10:00:00 UTC"},
      {"showrcopy_d.txt", "grpA", "arrB_tgt", "Started", "Primary", "Sync",
       "no_fail_wrt_on_err", "no", 2, "Synced", "2026-12-08 10:00:00 UTC"},
  };
  for (const Case& c : cases) {
    _VolGroupStatus g;
    ASSERT_EQ(1, OrvVexaUtil::extractVolmeGroupDetails(sim(c.file), c.group, c.target, g))
        << c.file << " " << c.group;
    EXPECT_STREQ(c.status, g.status.getValue()) << c.file;
    EXPECT_STREQ(c.role, g.role.getValue()) << c.file;
    EXPECT_STREQ(c.mode, g.mode.getValue()) << c.file;
    EXPECT_STREQ(c.failsafe, g.failsafeMode.getValue()) << c.file;
    EXPECT_STREQ(c.autoRecover, g.autoRecover.getValue()) << c.file;
    ASSERT_EQ(c.volumes, g.volumes.numObjects()) << c.file << " " << c.group;
    if (c.volumes > 0) {
      EXPECT_STREQ(c.firstSync, g.volumes[0]->data().syncStatus.getValue()) << c.file;
      EXPECT_STREQ(c.firstTime, g.volumes[0]->data().lastSyncTime.getValue()) << c.file;
    }
  }
}

TEST_F(SimOutputTest, ErrorOutputsAndWrongTargetsGiveNoGroup) {
  struct Case {
    const char* file;
    const char* group;
    const char* target;
  } cases[] = {
      {"group_missing.txt", "grpA", "arrB_tgt"},
      {"unreachable_cli.txt", "grpA", "arrB_tgt"},
      {"bad_format.txt", "grpA", "arrB_tgt"},
      {"garbled.txt", "grpA", "arrB_tgt"},
      {"showrcopy_groups_started.txt", "grpA", "arrA_tgt"},
      {"showrcopy_groups_started.txt", "grpB", "arrB_tgt"},
      {"showrcopy_links_up.txt", "grpA", "arrB_tgt"},
  };
  for (const Case& c : cases) {
    _VolGroupStatus g;
    EXPECT_EQ(0, OrvVexaUtil::extractVolmeGroupDetails(sim(c.file), c.group, c.target, g))
        << c.file;
  }
  OrvList<OrvString> names;
  ASSERT_EQ(1, OrvVexaUtil::extractVolumeGroupNames(sim("showrcopy_groups_all.txt"), "arrB_tgt",
                                                    names));
  ASSERT_EQ(2, names.numObjects());
  EXPECT_STREQ("grpC", names[1]->data().getValue());
}

TEST_F(SimOutputTest, LinkListings) {
  struct Case {
    const char* file;
    const char* target;
    int result;
    const char* status;
  } cases[] = {
      {"showrcopy_links_up.txt", "arrB_tgt", 1, "Up"},
      {"showrcopy_links_down.txt", "arrB_tgt", 1, "Down"},
      {"showrcopy_links_down.txt", "receive", 1, "Up"},
      {"showrcopy_links_partial.txt", "arrA_tgt", 1, "Up"},
      {"showrcopy_d.txt", "arrB_tgt", 1, "Up"},
      {"showrcopy_links_up.txt", "arrA_tgt", 0, ""},
      {"unreachable_ssh.txt", "arrB_tgt", 0, ""},
      {"too_many_connections.txt", "arrB_tgt", 0, ""},
      {"showrcopy_groups_started.txt", "arrB_tgt", 0, ""},
  };
  for (const Case& c : cases) {
    OrvString status;
    EXPECT_EQ(c.result, OrvVexaUtil::extractLinkStatus(sim(c.file), c.target, status)) << c.file;
    EXPECT_STREQ(c.status, status.getValue()) << c.file << " " << c.target;
  }
}

TEST_F(SimOutputTest, TargetAndSystemListings) {
  const char* files[] = {"showrcopy_targets.txt", "showrcopy_d.txt"};
  for (const char* f : files) {
    OrvList<_RcTarget> targets;
    ASSERT_EQ(1, OrvVexaUtil::parseShowRCopyTargets(sim(f), targets)) << f;
    ASSERT_EQ(1, targets.numObjects()) << f;
    const _RcTarget& t = targets[0]->data();
    EXPECT_STREQ("arrB_tgt", t.name.getValue());
    EXPECT_STREQ("1", t.id.getValue());
    EXPECT_STREQ("IP", t.type.getValue());
    EXPECT_STREQ("ready", t.status.getValue());
    EXPECT_STREQ("mirror_config", t.policy.getValue());
    EXPECT_STREQ("arrB", t.sysName.getValue());
    EXPECT_STREQ("12342", t.sysId.getValue());
  }
  _ArrayInfo info;
  ASSERT_EQ(1, OrvVexaUtil::parseShowSysD(sim("showsys_d.txt"), info));
  EXPECT_STREQ("arrA", info.systemName.getValue());
  EXPECT_STREQ("VX 8400", info.systemModel.getValue());
  EXPECT_STREQ("1612341", info.serialNumber.getValue());
  EXPECT_STREQ("12341", info.systemId.getValue());
  _ArrayInfo none;
  EXPECT_EQ(0, OrvVexaUtil::parseShowSysD(sim("showsys.txt"), none));
}

TEST_F(SimOutputTest, TaskIdsOfCommandOutputs) {
  struct Case {
    const char* file;
    int mode;
    int result;
    const char* id;
  } cases[] = {
      {"syncrcopy_task.txt", 1, 1, "1001"},
      {"syncrcopy_notask.txt", 1, 1, "NOTASK"},
      {"reverse_waittask.txt", 0, 1, "1001"},
      {"restore_failed_task.txt", 0, 1, "1001"},
      {"start_secondary_error.txt", 0, 0, ""},
      {"showrcopy_groups_started.txt", 0, 0, ""},
  };
  for (const Case& c : cases) {
    OrvString id;
    EXPECT_EQ(c.result, OrvVexaUtil::getCliCmdTaskId(sim(c.file), c.mode, id)) << c.file;
    EXPECT_STREQ(c.id, id.getValue()) << c.file;
  }
}

TEST_F(SimOutputTest, TaskBlocksAndTheirJudgement) {
  struct Case {
    const char* file;
    const char* status;
    const char* phase;
    OrvVexaUtil::TaskState state;
  } cases[] = {
      {"showtask_active.txt", "active", "0/1", OrvVexaUtil::kTasksPending},
      {"showtask_done.txt", "done", "1/1", OrvVexaUtil::kTasksDone},
      {"showtask_failed.txt", "failed", "0/1", OrvVexaUtil::kTasksFailed},
  };
  for (const Case& c : cases) {
    OrvList<_TaskInfo> tasks;
    ASSERT_EQ(1, OrvVexaUtil::parseShowTaskD(sim(c.file), tasks)) << c.file;
    ASSERT_EQ(1, tasks.numObjects()) << c.file;
    const _TaskInfo& t = tasks[0]->data();
    EXPECT_STREQ("1234", t.id.getValue());
    EXPECT_STREQ(c.status, t.status.getValue()) << c.file;
    EXPECT_STREQ(c.phase, t.phase.getValue()) << c.file;
    EXPECT_TRUE(t.detail.contains("Detailed status:2026-12-08 10:00:00 UTC Created     task."))
        << t.detail;
    EXPECT_EQ(c.state, OrvVexaUtil::judgeTasks(tasks)) << c.file;
  }
  OrvList<_TaskInfo> tasks;
  EXPECT_EQ(0, OrvVexaUtil::parseShowTaskD(sim("no_connection.txt"), tasks));
}

TEST_F(SimOutputTest, VersionProbeOutputs) {
  std::string shortForm = array_test::readAll(simFile("showversion_s.txt"));
  std::string firstLine = shortForm.substr(0, shortForm.find('\n'));
  EXPECT_EQ(OrvVexaUtil::kAccessCli,
            OrvVexaUtil::decideAccessPath("", 1, 0, firstLine.c_str()));
  std::string longForm = array_test::readAll(simFile("showversion.txt"));
  firstLine = longForm.substr(0, longForm.find('\n'));
  EXPECT_EQ(OrvVexaUtil::kAccessSsh,
            OrvVexaUtil::decideAccessPath("5", 1, 0, firstLine.c_str()));
}

}  // namespace
