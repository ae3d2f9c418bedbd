// Parsers over hand-made listings: regular ones and irregular ones (extra
// columns, empty cells, quoted options, periodic groups, several sections,
// CR LF line ends, long lines, missing titles or headers).

#include <gtest/gtest.h>

#include <string>

#include "array/orv_vexa_util.h"
#include "tests/array/array_test_support.h"

using array_test::dataFile;
using array_test::LogCapture;
using array_test::ScratchFile;

namespace {

OrvString data(const char* name) { return OrvString(dataFile(name).c_str()); }

TEST(LinkStatus, CombinedPerTarget) {
  struct Case {
    const char* target;
    int result;
    const char* status;
  } cases[] = {
      {"tgtB", 1, "Up"},           // two Down and one Up
      {"tgtC", 1, "Down"},
      {"tgtD", 1, "Not Started"},  // other states only
      {"tgtE", 1, "Not Started"},  // "up" is not "Up"
      {"tgtF", 1, "Up"},           // cells are trimmed
      {"tgtX", 0, "before"},
      {"tgt", 0, "before"},        // no prefix match
  };
  for (const Case& c : cases) {
    OrvString status("before");
    EXPECT_EQ(c.result, OrvVexaUtil::extractLinkStatus(data("links_targets.txt"), c.target,
                                                       status))
        << c.target;
    EXPECT_STREQ(c.status, status.getValue()) << c.target;
  }
}

TEST(Links, RowsByTagPositionWithCrLfAndExtraColumn) {
  OrvList<_RcLink> links;
  ASSERT_EQ(1, OrvVexaUtil::parseShowRCopyLinks(data("links_crlf_extra.txt"), links));
  // The table ends at the empty line; the row after it is not read.
  ASSERT_EQ(2, links.numObjects());
  EXPECT_STREQ("tgtB", links[0]->data().target.getValue());
  EXPECT_STREQ("0:3:1", links[0]->data().node.getValue());
  EXPECT_STREQ("", links[0]->data().address.getValue());
  EXPECT_STREQ("Up", links[0]->data().status.getValue());
  EXPECT_STREQ("1:3:1", links[1]->data().node.getValue());
  EXPECT_STREQ("10.0.0.3", links[1]->data().address.getValue());
  EXPECT_STREQ("Down", links[1]->data().status.getValue());
}

TEST(Links, LastRowWithoutLineFeedCounts) {
  OrvString status;
  ASSERT_EQ(1, OrvVexaUtil::extractLinkStatus(data("links_no_final_lf.txt"), "tgtB", status));
  EXPECT_STREQ("Up", status.getValue());
}

TEST(Links, FailuresLeaveNothingBehind) {
  struct Case {
    std::string content;
    const char* log;
  } cases[] = {
      {"Target,Node,Address,Status\ntgtB,0:3:1,10.0.0.2,Up\n", "Links information not found"},
      {"Link Information\nTarget,Node,Status\ntgtB,0:3:1,Up\n", "Links tag not found"},
      {"", "Links tag not found"},
      {"Error: unreachable array\n", "Links tag not found"},
      // The title must come before the header row.
      {"Target,Node,Address,Status\nLink Information\n", "Links information not found"},
  };
  for (const Case& c : cases) {
    ScratchFile f(c.content);
    OrvList<_RcLink> links;
    links.insertAtBack(_RcLink());
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::parseShowRCopyLinks(f.orv(), links)) << c.content;
    EXPECT_EQ(0, links.numObjects());
    EXPECT_NE(std::string::npos, log.text().find(c.log)) << c.content;
  }
  OrvList<_RcLink> links;
  LogCapture log;
  EXPECT_EQ(0, OrvVexaUtil::parseShowRCopyLinks("/nonexistent/file", links));
  EXPECT_NE(std::string::npos, log.text().find("File [/nonexistent/file] open failed."));
}

TEST(Links, HeaderOnlyGivesAnEmptyTable) {
  ScratchFile f("Link Information\nTarget,Node,Address,Status\n\n");
  OrvList<_RcLink> links;
  EXPECT_EQ(1, OrvVexaUtil::parseShowRCopyLinks(f.orv(), links));
  EXPECT_EQ(0, links.numObjects());
  OrvString status("kept");
  EXPECT_EQ(0, OrvVexaUtil::extractLinkStatus(f.orv(), "tgtB", status));
  EXPECT_STREQ("kept", status.getValue());
}

TEST(Sections, EachParserReadsItsOwnSectionOfTheDetailListing) {
  OrvList<_RcTarget> targets;
  ASSERT_EQ(1, OrvVexaUtil::parseShowRCopyTargets(data("detail_all.txt"), targets));
  ASSERT_EQ(2, targets.numObjects());  // stops at the "Link Information" title
  const _RcTarget& b = targets[0]->data();
  EXPECT_STREQ("tgtB", b.name.getValue());
  EXPECT_STREQ("1", b.id.getValue());
  EXPECT_STREQ("IP", b.type.getValue());
  EXPECT_STREQ("ready", b.status.getValue());
  EXPECT_STREQ("\"mirror_config\"", b.policy.getValue());
  EXPECT_STREQ("arrayB", b.sysName.getValue());
  EXPECT_STREQ("22222", b.sysId.getValue());
  EXPECT_STREQ("", targets[1]->data().policy.getValue());
  EXPECT_STREQ("33333", targets[1]->data().sysId.getValue());

  OrvList<_RcLink> links;
  ASSERT_EQ(1, OrvVexaUtil::parseShowRCopyLinks(data("detail_all.txt"), links));
  ASSERT_EQ(3, links.numObjects());  // stops at the "Group Information" title
  EXPECT_STREQ("20:00:00:01", links[2]->data().address.getValue());

  OrvList<_VolGroupStatus> groups;
  ASSERT_EQ(1, OrvVexaUtil::parseShowRCopyGroups(data("detail_all.txt"), groups));
  ASSERT_EQ(1, groups.numObjects());
  EXPECT_STREQ("Periodic", groups[0]->data().mode.getValue());
  EXPECT_STREQ("yes", groups[0]->data().autoRecover.getValue());
  ASSERT_EQ(1, groups[0]->data().volumes.numObjects());
}

TEST(Groups, SyncGroupWithQuotedOptionsAndSyncingVolume) {
  _VolGroupStatus g;
  ASSERT_EQ(1, OrvVexaUtil::extractVolmeGroupDetails(data("groups_sync.txt"), "rcg1", "tgtB", g));
  EXPECT_STREQ("rcg1", g.name.getValue());
  EXPECT_STREQ("tgtB", g.target.getValue());
  EXPECT_STREQ("Started", g.status.getValue());
  EXPECT_STREQ("Primary", g.role.getValue());
  EXPECT_STREQ("Sync", g.mode.getValue());
  EXPECT_STREQ("yes", g.autoRecover.getValue());
  EXPECT_STREQ("fail_wrt_on_err", g.failsafeMode.getValue());
  ASSERT_EQ(3, g.volumes.numObjects());  // the blank line between rows is skipped
  struct Vol {
    const char* local;
    const char* remote;
    const char* sync;
    const char* time;
  } want[] = {
      {"vv1", "vv1.r", "Synced", "2026-12-08 10:00:00 UTC"},
      {"vv2", "vv2.r", "Syncing", "2026-12-08 09:00:00 UTC"},
      {"vv3", "vv3.r", "Stale", ""},
  };
  for (int i = 0; i < 3; ++i) {
    const _VolumeStatus& v = g.volumes[i]->data();
    EXPECT_STREQ(want[i].local, v.localVV.getValue());
    EXPECT_STREQ(want[i].remote, v.remoteVV.getValue());
    EXPECT_STREQ(want[i].sync, v.syncStatus.getValue());
    EXPECT_STREQ(want[i].time, v.lastSyncTime.getValue());
  }
}

TEST(Groups, PeriodicGroupHasNoLastSyncTime) {
  _VolGroupStatus g;
  ASSERT_EQ(1,
            OrvVexaUtil::extractVolmeGroupDetails(data("groups_periodic.txt"), "rcgp", "tgtB", g));
  EXPECT_STREQ("Periodic", g.mode.getValue());
  EXPECT_STREQ("yes", g.autoRecover.getValue());  // "auto_recover, path_management"
  EXPECT_STREQ("no_fail_wrt_on_err", g.failsafeMode.getValue());
  ASSERT_EQ(2, g.volumes.numObjects());
  EXPECT_STREQ("New", g.volumes[0]->data().syncStatus.getValue());
  EXPECT_STREQ("", g.volumes[0]->data().lastSyncTime.getValue());
  EXPECT_STREQ("pv2.r", g.volumes[1]->data().remoteVV.getValue());
}

// Synchronous and periodic groups in one listing: each volume header
// switches its own table on.
TEST(Groups, MixedSynchronousAndPeriodicListing) {
  _VolGroupStatus s, p;
  ASSERT_EQ(1, OrvVexaUtil::extractVolmeGroupDetails(data("groups_mixed.txt"), "rcs", "tgtB", s));
  ASSERT_EQ(1, OrvVexaUtil::extractVolmeGroupDetails(data("groups_mixed.txt"), "rcp", "tgtB", p));
  ASSERT_EQ(1, s.volumes.numObjects());
  EXPECT_STREQ("2026-12-08 10:00:00 UTC", s.volumes[0]->data().lastSyncTime.getValue());
  EXPECT_STREQ("Periodic", p.mode.getValue());
  EXPECT_STREQ("yes", p.autoRecover.getValue());
  ASSERT_EQ(2, p.volumes.numObjects());
  EXPECT_STREQ("p2.r", p.volumes[1]->data().remoteVV.getValue());
  EXPECT_STREQ("Syncing", p.volumes[1]->data().syncStatus.getValue());
  EXPECT_STREQ("", p.volumes[1]->data().lastSyncTime.getValue());
}

TEST(Groups, SeveralGroupsOptionsWordsAndVolumeTables) {
  OrvList<_VolGroupStatus> groups;
  groups.insertAtBack(_VolGroupStatus());
  ASSERT_EQ(1, OrvVexaUtil::parseShowRCopyGroups(data("groups_many.txt"), groups));
  struct Want {
    const char* name;
    const char* target;
    const char* status;
    const char* role;
    const char* failsafe;
    const char* autoRecover;
    int volumes;
  } want[] = {
      {"rcg1", "tgtB", "Started", "Primary", "no_fail_wrt_on_err", "no", 1},  // empty Options
      {"rcg1", "tgtC", "Stopped", "Primary-Rev", "no_fail_wrt_on_err", "no", 2},
      // quoted "no_fail_wrt_on_err,no_auto_recover"; an empty line right
      // after the volume header ends the group without volumes
      {"rcg2", "tgtB", "New", "Secondary-Rev", "no_fail_wrt_on_err", "no", 0},
      {"rcg3", "tgtB", "Starting", "Primary", "fail_wrt_on_err", "no", 0},
  };
  ASSERT_EQ(4, groups.numObjects());
  for (int i = 0; i < 4; ++i) {
    const _VolGroupStatus& g = groups[i]->data();
    EXPECT_STREQ(want[i].name, g.name.getValue()) << i;
    EXPECT_STREQ(want[i].target, g.target.getValue()) << i;
    EXPECT_STREQ(want[i].status, g.status.getValue()) << i;
    EXPECT_STREQ(want[i].role, g.role.getValue()) << i;
    EXPECT_STREQ(want[i].failsafe, g.failsafeMode.getValue()) << i;
    EXPECT_STREQ(want[i].autoRecover, g.autoRecover.getValue()) << i;
    EXPECT_EQ(want[i].volumes, g.volumes.numObjects()) << i;
  }
  EXPECT_STREQ("NotSynced", groups[1]->data().volumes[0]->data().syncStatus.getValue());
}

TEST(Groups, SameNameOnAnotherTargetIsNotConfused) {
  _VolGroupStatus g;
  g.volumes.insertAtBack(_VolumeStatus());
  g.volumes.insertAtBack(_VolumeStatus());
  ASSERT_EQ(1, OrvVexaUtil::extractVolmeGroupDetails(data("groups_many.txt"), "rcg1", "tgtC", g));
  EXPECT_STREQ("Stopped", g.status.getValue());
  ASSERT_EQ(2, g.volumes.numObjects());
  EXPECT_STREQ("b2", g.volumes[1]->data().localVV.getValue());

  _VolGroupStatus none;
  none.volumes.insertAtBack(_VolumeStatus());
  LogCapture log;
  EXPECT_EQ(0,
            OrvVexaUtil::extractVolmeGroupDetails(data("groups_many.txt"), "rcg2", "tgtC", none));
  EXPECT_EQ(0, none.volumes.numObjects());
  EXPECT_NE(std::string::npos, log.text().find("Volume group name not found"));
}

TEST(Groups, NamesOfOneTargetInTableOrder) {
  struct Case {
    const char* target;
    const char* names;
  } cases[] = {{"tgtB", "rcg1,rcg2,rcg3,"}, {"tgtC", "rcg1,"}, {"tgtZ", ""}};
  for (const Case& c : cases) {
    OrvList<OrvString> names;
    names.insertAtBack("stale");
    ASSERT_EQ(1, OrvVexaUtil::extractVolumeGroupNames(data("groups_many.txt"), c.target, names));
    std::string joined;
    for (int i = 0; i < names.numObjects(); ++i)
      joined += std::string(names[i]->data().getValue()) + ",";
    EXPECT_EQ(c.names, joined) << c.target;
  }
  OrvList<OrvString> names;
  names.insertAtBack("kept");
  EXPECT_EQ(0, OrvVexaUtil::extractVolumeGroupNames(data("links_targets.txt"), "tgtB", names));
  EXPECT_EQ(1, names.numObjects());
}

TEST(Groups, IrregularListings) {
  const std::string header = "Name,Target,Status,Role,Mode,Options\n";
  const std::string vols = "LocalVV,ID,RemoteVV,ID,SyncStatus,LastSyncTime\n";
  std::string longCell(1500, 'x');
  struct Case {
    std::string content;
    int result;
    int groups;
    int volumes;  // of the first group
    const char* log;
  } cases[] = {
      {"Group Information\r\n" + std::string("Name,Target,Status,Role,Mode,Options\r\n") +
           "g1,t1,Started,Primary,Sync,\"auto_recover,fail_wrt_on_err\"\r\n" +
           "LocalVV,ID,RemoteVV,ID,SyncStatus,LastSyncTime\r\nv1,1,v1r,2,Synced,T\r\n",
       1, 1, 1, nullptr},
      {header + "g1,t1,Started,Primary,Sync,\n" + vols, 0, 0, 0, "Group Information not found"},
      {"Group Information\ng1,t1,Started\n" + vols, 0, 0, 0, "Volume group tags not found"},
      {"Group Information\n" + header + "g1,t1,Started,Primary,Sync,\n", 0, 0, 0,
       "Virtual Volume group tags not found"},
      // Header at the very end: no group.
      {"Group Information\n" + vols + header, 1, 0, 0, nullptr},
      // A data row with an extra column and a long line before the volumes.
      {"Group Information\nName,Target,Extra,Status,Role,Mode,Options\ng1,t1,,Started,Primary,"
       "Sync,auto_recover\n" +
           longCell + "\n" + vols + "v1,1,v1r,2,Synced,T\nv2,1,v2r,2,Stale,T",
       1, 1, 2, nullptr},
      // The group section ends at the next section's title.
      {"Group Information\n" + header + "g1,t1,Started,Primary,Sync,\n" + vols +
           "v1,1,v1r,2,Synced,T\nLink Information\n" + header + "g2,t1,Started,Primary,Sync,\n",
       1, 1, 1, nullptr},
  };
  for (const Case& c : cases) {
    ScratchFile f(c.content);
    OrvList<_VolGroupStatus> groups;
    LogCapture log;
    EXPECT_EQ(c.result, OrvVexaUtil::parseShowRCopyGroups(f.orv(), groups)) << c.content;
    ASSERT_EQ(c.groups, groups.numObjects()) << c.content;
    if (c.groups > 0) {
      EXPECT_EQ(c.volumes, groups[0]->data().volumes.numObjects()) << c.content;
    }
    if (c.log != nullptr) {
      EXPECT_NE(std::string::npos, log.text().find(c.log)) << c.content;
    }
  }
}

TEST(Groups, ExtraColumnAndCrLfKeepFieldsInPlace) {
  ScratchFile f(
      "Group Information\r\nName,Target,Extra,Status,Role,Mode,Options\r\n"
      "g1,t1,,Started,Primary-Rev,Sync,\"fail_wrt_on_err,auto_recover\"\r\n"
      "LocalVV,ID,RemoteVV,ID,SyncStatus,LastSyncTime\r\nv1,1,v1r,2,Syncing (45%),T1\r\n");
  _VolGroupStatus g;
  ASSERT_EQ(1, OrvVexaUtil::extractVolmeGroupDetails(f.orv(), "g1", "t1", g));
  EXPECT_STREQ("Started", g.status.getValue());
  EXPECT_STREQ("Primary-Rev", g.role.getValue());
  EXPECT_STREQ("Sync", g.mode.getValue());
  EXPECT_STREQ("yes", g.autoRecover.getValue());
  EXPECT_STREQ("fail_wrt_on_err", g.failsafeMode.getValue());
  ASSERT_EQ(1, g.volumes.numObjects());
  EXPECT_STREQ("Syncing", g.volumes[0]->data().syncStatus.getValue());
  EXPECT_STREQ("T1", g.volumes[0]->data().lastSyncTime.getValue());
}

TEST(TagRow, FirstMatchingLineAndItsCells) {
  ScratchFile f("x\nTarget only\n  Target, Node ,Address,Status,,Ignored  \nTarget,Node,Address,Status\n");
  OrvList<OrvString> required;
  required.insertAtBack("Target");
  required.insertAtBack("Status");
  OrvList<OrvString> tags;
  tags.insertAtBack("kept");
  OrvString row;
  ASSERT_EQ(1, OrvVexaUtil::getTagRow(f.orv(), required, tags, row));
  EXPECT_STREQ("Target, Node ,Address,Status,,Ignored", row.getValue());
  ASSERT_EQ(5, tags.numObjects());  // appended; the list ends at the empty cell
  EXPECT_STREQ("kept", tags[0]->data().getValue());
  EXPECT_STREQ("Node", tags[2]->data().getValue());
  EXPECT_STREQ("Status", tags[4]->data().getValue());

  required.insertAtBack("Missing");
  OrvList<OrvString> none;
  EXPECT_EQ(0, OrvVexaUtil::getTagRow(f.orv(), required, none, row));
  EXPECT_EQ(0, none.numObjects());
}

TEST(SystemListing, GeneralSection) {
  _ArrayInfo info;
  ASSERT_EQ(1, OrvVexaUtil::parseShowSysD(data("sysd.txt"), info));
  EXPECT_STREQ("arrayA", info.systemName.getValue());
  EXPECT_STREQ("VX 8400", info.systemModel.getValue());
  EXPECT_STREQ("1234567", info.serialNumber.getValue());
  EXPECT_STREQ("11111", info.systemId.getValue());

  struct Case {
    const char* file;
    const char* log;
  } cases[] = {
      {"sysd_missing.txt", "One or more Array general information not found in the CLI output"},
      {"groups_sync.txt", "Array general information not found in the CLI output"},
  };
  for (const Case& c : cases) {
    _ArrayInfo partial;
    LogCapture log;
    EXPECT_EQ(0, OrvVexaUtil::parseShowSysD(data(c.file), partial)) << c.file;
    EXPECT_NE(std::string::npos, log.text().find(c.log)) << c.file;
  }
}

TEST(Records, CopiesAreDeepAndTargetInfoComparesItsSecondField) {
  _VolGroupStatus a;
  a.name = "g1";
  _VolumeStatus v;
  v.localVV = "vv1";
  a.volumes.insertAtBack(v);
  _VolGroupStatus b(a);
  b.volumes[0]->data().localVV = "changed";
  b.volumes.insertAtBack(v);
  EXPECT_STREQ("vv1", a.volumes[0]->data().localVV.getValue());
  EXPECT_EQ(1, a.volumes.numObjects());

  _arrayTargetInfo x, y;
  x.arrayName = "arrayA";
  x.targetName = "tgtB";
  y.arrayName = "arrayZ";
  y.targetName = "tgtB";
  y.targetId = "9";
  EXPECT_TRUE(x == y);
  y.targetName = "TGTB";
  EXPECT_FALSE(x == y);
}

}  // namespace
