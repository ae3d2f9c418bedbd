// Reconciliation and condensation rules of state discovery, and the volume
// status they leave in the object database.

#include <gtest/gtest.h>

#include <vector>
#include <string>

#include "controller/status_rules.h"
#include "ctrla_fixture.h"

namespace ctrla_test {
namespace {

_VolGroupStatus group(const char* status, std::vector<const char*> volumes) {
  _VolGroupStatus g;
  g.status = status;
  for (const char* v : volumes) {
    _VolumeStatus vol;
    vol.syncStatus = v;
    g.volumes.insertAtBack(vol);
  }
  return g;
}

struct CondenseCase {
  const char* status;
  std::vector<const char*> volumes;
  const char* expected;  // "" : nothing written
};

TEST(VolumeCondensation, PrecedenceByGroupStatus) {
  const CondenseCase cases[] = {
      {"Started", {}, "NoVVol"},
      {"Bogus", {}, "NoVVol"},
      {"Started", {"Synced", "Synced"}, "Synced"},
      {"Started", {"Syncing", "Synced"}, "Syncing"},
      {"Started", {"Syncing", "Synced", "Stale"}, "Stale"},
      {"Started", {"Synced", "Stopped", "NotSynced"}, "Stopped"},  // first decisive wins
      {"Started", {"Synced", "Not Synced"}, "NotSynced"},
      {"Started", {"NotSynced", "Syncing"}, "NotSynced"},  // walk ends at the first
      {"Started", {"New", "Synced"}, "Synced"},             // New does not count here
      {"started", {"Syncing"}, "Syncing"},                  // group word ignores case
      {"Started", {"stale"}, "stale"},                      // value written as read
      {"Starting", {"Synced", "Synced"}, "Syncing"},
      {"Starting", {"Synced", "Stale"}, "Stale"},
      {"Starting", {"Not Synced", "Stale"}, "NotSynced"},
      {"Stopped", {"Synced", "Synced"}, "Stopped"},
      {"Stopped", {"New", "Synced"}, "New"},
      {"Stopped", {"New", "Stale"}, "Stale"},
      {"Stopped", {"Stopped", "NotSynced"}, "NotSynced"},
      {"Stopped", {"Syncing"}, "Stopped"},
      {"New", {"Synced", "Stale"}, "Synced"},  // the first volume, whatever it says
      {"New", {"Stale", "Synced"}, "Stale"},
      {"Failsafe", {"Synced"}, ""},
      {"UNKNOWN", {"Synced"}, ""},
  };
  for (const CondenseCase& c : cases) {
    _VolGroupStatus g = group(c.status, c.volumes);
    EXPECT_STREQ(orv_status::condensedVolumeStatus(g).getValue(), c.expected)
        << "group " << c.status << " with " << c.volumes.size() << " volumes";
  }
}

TEST(VolumeCondensation, StartedGroupWritesEverySyncingVolumeOnTheWay) {
  _VolGroupStatus g = group("Started", {"Syncing", "Synced", "Syncing", "Stale"});
  OrvList<OrvString> w = orv_status::volumeStatusWrites(g);
  ASSERT_EQ(w.numObjects(), 4);
  EXPECT_TRUE(w[0]->data() == "Synced");
  EXPECT_TRUE(w[1]->data() == "Syncing");
  EXPECT_TRUE(w[2]->data() == "Syncing");
  EXPECT_TRUE(w[3]->data() == "Stale");
}

TEST(GroupReconciliation, RemoteStatusPrevailsOnlyAgainstARunningLocalGroup) {
  struct Case {
    const char* local;
    const char* remote;
    int remotePrevails;
  };
  const Case cases[] = {
      {"Started", "Stopped", 1},  {"Started", "New", 1},       {"Started", "Starting", 1},
      {"Started", "Started", 0},  {"Started", "UNKNOWN", 0},   {"Started", "unknown", 0},
      {"STARTED", "stopped", 1},  {"Starting", "Started", 0},  {"Starting", "Starting", 0},
      {"Starting", "UNKNOWN", 0}, {"Starting", "Stopped", 1},  {"Starting", "Failsafe", 1},
      {"Stopped", "Started", 0},  {"New", "Stopped", 0},       {"Stopped", "Stopped", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orv_status::remoteGroupStatusPrevails(c.local, c.remote), c.remotePrevails)
        << c.local << " / " << c.remote;
}

TEST(LinkReconciliation, RemoteViewOverridesOnlyALocallyUpLink) {
  struct Case {
    const char* local;
    const char* remote;
    int remotePrevails;
  };
  const Case cases[] = {
      {"Up", "Down", 1},        {"Up", "Not Started", 1}, {"up", "DOWN", 1},
      {"Up", "Up", 0},          {"Up", "up", 0},          {"Up", "UNKNOWN", 0},
      {"Down", "Up", 0},        {"Not Started", "Up", 0}, {"UNKNOWN", "Down", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orv_status::remoteLinkPrevails(c.local, c.remote), c.remotePrevails)
        << c.local << " / " << c.remote;
}

TEST(SyncLinkDownRule, AppliesToNonPeriodicNoFailGroupsWithTheLinkDown) {
  struct Case {
    const char* mode;
    const char* failsafe;
    const char* link;
    int applies;
  };
  const Case cases[] = {
      {"Sync", "no_fail_wrt_on_err", "Down", 1},
      {"", "no_fail_wrt_on_err", "Down", 1},  // local group not read
      {"Periodic", "no_fail_wrt_on_err", "Down", 0},
      {"periodic", "no_fail_wrt_on_err", "Down", 0},
      {"Sync", "fail_wrt_on_err", "Down", 0},
      {"Sync", "no_fail_wrt_on_err", "Up", 0},
      {"Sync", "no_fail_wrt_on_err", "down", 0},  // exact after the mode test
      {"Sync", "NO_FAIL_WRT_ON_ERR", "Down", 0},
      {"Sync", "no_fail_wrt_on_err", "Not Started", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orv_status::syncLinkDownRuleApplies(c.mode, c.failsafe, c.link), c.applies)
        << c.mode << "/" << c.failsafe << "/" << c.link;

  EXPECT_EQ(orv_status::linkDownStopsGroupStatus("Started"), 1);
  EXPECT_EQ(orv_status::linkDownStopsGroupStatus("Starting"), 1);
  EXPECT_EQ(orv_status::linkDownStopsGroupStatus("started"), 0);
  EXPECT_EQ(orv_status::linkDownStopsGroupStatus("New"), 0);
  EXPECT_EQ(orv_status::linkDownStopsVolumeStatus("Synced"), 1);
  EXPECT_EQ(orv_status::linkDownStopsVolumeStatus("Syncing"), 1);
  EXPECT_EQ(orv_status::linkDownStopsVolumeStatus("Stale"), 0);
  EXPECT_EQ(orv_status::linkDownStopsVolumeStatus("synced"), 0);
}

TEST(PeriodicVolumes, RemoteGroupFirstThenLocalWhenRemoteUnread) {
  struct Case {
    int remoteRead;
    const char* remoteMode;
    const char* localMode;
    int source;
  };
  const Case cases[] = {
      {1, "Periodic", "Periodic", 2}, {1, "Periodic", "Sync", 2}, {1, "Sync", "Periodic", 0},
      {1, "periodic", "Periodic", 0}, {0, "", "Periodic", 1},     {0, "", "periodic", 0},
      {0, "", "", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orv_status::periodicVolumesSource(c.remoteRead, c.remoteMode, c.localMode),
              c.source)
        << c.remoteRead << " " << c.remoteMode << " " << c.localMode;
}

class FillVolumeStatusTest : public CtrlAFixture {};

TEST_F(FillVolumeStatusTest, WritesTheCondensedValueIntoTheObject) {
  configure("A");
  makeController();
  struct Case {
    const char* status;
    std::vector<const char*> volumes;
    const char* expected;
  };
  const Case cases[] = {
      {"Started", {"Syncing", "Synced", "Stale"}, "Stale"},
      {"Started", {"Syncing", "Synced"}, "Syncing"},
      {"Started", {"Synced", "Not Synced"}, "NotSynced"},
      {"Stopped", {"New", "Synced"}, "New"},
      {"Stopped", {}, "NoVVol"},
  };
  for (const Case& c : cases) {
    set("StatusRCVGVirtualVolume", "UNKNOWN");
    ctl_->fillRCVGVirtualVolumeStatus(group(c.status, c.volumes));
    EXPECT_EQ(get("StatusRCVGVirtualVolume"), c.expected) << c.status;
  }
  // A status that writes nothing leaves the earlier value.
  set("StatusRCVGVirtualVolume", "Synced");
  ctl_->fillRCVGVirtualVolumeStatus(group("Failsafe", {"Stale"}));
  EXPECT_EQ(get("StatusRCVGVirtualVolume"), "Synced");
}

}  // namespace
}  // namespace ctrla_test
