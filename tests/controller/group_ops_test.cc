// Group starts and sync requests where the answer comes before any array
// is asked: no temporary file, a remote role of UNKNOWN or one that cannot
// be read, a replication mode that cannot be read.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/controller/takeover_fixture.h"

namespace ctrlb_test {
namespace {

class GroupOpsTest : public ControllerFixture {
 protected:
  static bool sentSomething(const std::vector<Message>& msgs) {
    for (const Message& m : msgs)
      if (m.text.find("Executing") != std::string::npos) return true;
    return false;
  }
};

TEST_F(GroupOpsTest, StartsWithoutTemporaryFile) {
  build(false, "/proc/orv-no-such-dir/pkg");
  startCapture();
  EXPECT_EQ(ctl_->StartLocalGroup(), 0);  // a failed start is only reported
  EXPECT_EQ(ctl_->StartRemoteGroup(), 2);
  EXPECT_FALSE(sentSomething(stopCapture()));
}

const char kUnknownRole[] =
    "Error: Unable to perform syncrcopy when Remote Replication Role of the "
    "Remote Copy Volume Group is UNKNOWN.";

struct RoleCase {
  const char* name;
  const char* role;  // nullptr: refused write, no value
  int withTask;      // syncrcopy(taskId)
  int fireAndForget; // syncrcopy()
  bool message;
};

class SyncRoleTest : public GroupOpsTest,
                     public ::testing::WithParamInterface<RoleCase> {};

TEST_P(SyncRoleTest, RefusedBeforeAnyCommand) {
  const RoleCase& c = GetParam();
  build(false);
  if (c.role == nullptr) {
    db_->setStrValByName("StatusRemoteReplicationRole", "no such role");
  } else {
    set("StatusRemoteReplicationRole", c.role);
  }
  startCapture();
  OrvString taskId("unchanged");
  EXPECT_EQ(ctl_->syncrcopy(taskId), c.withTask);
  EXPECT_EQ(ctl_->syncrcopy(), c.fireAndForget);
  std::vector<Message> msgs = stopCapture();
  EXPECT_FALSE(sentSomething(msgs));
  EXPECT_STREQ(taskId.getValue(), "unchanged");
  std::vector<std::string> normal = texts(msgs, false);
  if (c.message) {
    EXPECT_EQ(normal, std::vector<std::string>({kUnknownRole, kUnknownRole}));
  } else {
    // Only the database's own report of the missing value.
    for (const std::string& m : normal)
      EXPECT_EQ(m.find("syncrcopy"), std::string::npos) << m;
  }
  EXPECT_EQ(leftovers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Roles, SyncRoleTest,
    ::testing::Values(RoleCase{"Unknown", "UNKNOWN", 1, 1, true},
                      RoleCase{"Unreadable", nullptr, 2, 2, false}),
    [](const ::testing::TestParamInfo<RoleCase>& i) {
      return std::string(i.param.name);
    });

TEST_F(GroupOpsTest, SyncWithoutTemporaryFile) {
  build(false, "/proc/orv-no-such-dir/pkg");
  set("StatusRemoteReplicationRole", "Primary");
  startCapture();
  OrvString taskId;
  EXPECT_EQ(ctl_->syncrcopy(taskId), 2);
  EXPECT_EQ(ctl_->syncrcopy(), 0);  // fire and forget: nothing sent, still 0
  EXPECT_FALSE(sentSomething(stopCapture()));
}

TEST_F(GroupOpsTest, StopReverseStartNeedsTheReplicationMode) {
  build(false);
  db_->setStrValByName("StatusReplicationMode", "no such mode");
  startCapture();
  EXPECT_EQ(ctl_->ca_takeover_stoprcvg_reverse_startrcvg(), 2);
  EXPECT_FALSE(sentSomething(stopCapture()));
  EXPECT_EQ(leftovers(), 0);
}

TEST_F(GroupOpsTest, ResyncWaitWithoutTemporaryFileGivesUp) {
  build(false, "/proc/orv-no-such-dir/pkg");
  startCapture();
  EXPECT_EQ(ctl_->ca_resyncwait(1), 2);
  EXPECT_EQ(ctl_->ca_periodic_resyncwait("NOTASK", 1), 2);
  EXPECT_FALSE(sentSomething(stopCapture()));
}

}  // namespace
}  // namespace ctrlb_test
