// rcgate's state discovery and report, end to end: the real program in the
// sandbox against the simulated array pair.  Each scenario checks which
// array was asked what, in which order and on which access path, what the
// report says, and that no temporary file is left in the package directory.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/fault_support.h"

namespace {

using arraysim::SimJournal;
using arraysim::SimJournalEntry;
using arraysim::SimScenario;

const char kPackage[] = "pkg1";
const char kPackageDir[] = "/usr/local/tarvos/run/pkg1";

// The message texts of the program's log (text after " : " of each marked
// line; continuation lines appended with their line feed).
std::vector<std::string> messages(const std::string& out) {
  std::vector<std::string> msgs;
  std::istringstream in(out);
  std::string line;
  while (std::getline(in, line)) {
    size_t node = line.find(" - Node ");
    size_t colon = node == std::string::npos ? node : line.find(" : ", node);
    if (colon != std::string::npos)
      msgs.push_back(line.substr(colon + 3));
    else if (!msgs.empty())
      msgs.back() += "\n" + line;
  }
  return msgs;
}

// True when a message is text, possibly followed by further lines (the
// release-file check's own error text, written to standard error, can land
// directly after a message).
bool hasMessage(const std::vector<std::string>& msgs, const std::string& text) {
  for (const std::string& m : msgs)
    if (m.compare(0, text.size(), text) == 0 &&
        (m.size() == text.size() || m[text.size()] == '\n'))
      return true;
  return false;
}

// The first message starting with prefix, '' when none.
std::string messageStarting(const std::vector<std::string>& msgs, const std::string& prefix) {
  for (const std::string& m : msgs)
    if (m.compare(0, prefix.size(), prefix) == 0) return m;
  return "";
}

// "array path command" of the commands other than the version probe.
std::vector<std::string> arrayCommands(const SimJournal& j) {
  std::vector<std::string> out;
  for (const SimJournalEntry& e : j.entries)
    if (e.command.compare(0, 11, "showversion") != 0)
      out.push_back(e.array + " " + e.path + " " + e.command);
  return out;
}

class DiscoveryE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    sb_.reset(new orv_sandbox::Sandbox());
    ASSERT_TRUE(sb_->ok()) << sb_->error();
    ASSERT_TRUE(sb_->missingStandIns().empty()) << sb_->missingStandIns()[0];
    scenario_ = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    attrs_ = {
        "VKR_PKG_DIR=" + std::string(kPackageDir),
        "RCVEXA_DC1_NODE_LIST=nodeA",
        "RCVEXA_DC2_NODE_LIST=nodeB",
        "RCVEXA_DC1_STORAGE_SYSTEM_USER=admin",
        "RCVEXA_DC2_STORAGE_SYSTEM_USER=oper",
        "RCVEXA_DC1_STORAGE_SYSTEM_NAME=arrA",
        "RCVEXA_DC2_STORAGE_SYSTEM_NAME=arrB",
        "RCVEXA_DC1_RC_VOLUME_GROUP=grpA",
        "RCVEXA_DC2_RC_VOLUME_GROUP=grpB",
        "RCVEXA_DC1_RC_TARGET_FOR_DC2=arrB_tgt",
        "RCVEXA_DC2_RC_TARGET_FOR_DC1=arrA_tgt",
        "RCVEXA_RESYNC_WAIT_TIMEOUT=0",
        "RCVEXA_AUTO_NONCURDATA=0",
    };
  }

  void setAttr(const std::string& name, const std::string& value) {
    for (std::string& a : attrs_)
      if (a.compare(0, name.size() + 1, name + "=") == 0) {
        a = name + "=" + value;
        return;
      }
    attrs_.push_back(name + "=" + value);
  }

  arraysim::SimGroup& groupA() { return scenario_.array("arrA").group("grpA"); }
  arraysim::SimGroup& groupB() { return scenario_.array("arrB").group("grpB"); }

  // Runs "rcgate pkg1" on node; fills msgs_ and journal_.
  orv_sandbox::RunResult runGate(const std::string& node = "nodeA") {
    std::string env;
    for (const std::string& a : attrs_) env += a + "\n";
    EXPECT_TRUE(sb_->setNodeName(node));
    EXPECT_TRUE(sb_->writeFile(std::string("/usr/local/orv-sandbox/pkgenv/") + kPackage, env));
    EXPECT_TRUE(sb_->makeDir(kPackageDir));
    EXPECT_TRUE(sb_->writeFile("/usr/local/tarvos/conf/vexarc/admin_arrA.pwf", "pw\n", 0600));
    EXPECT_TRUE(sb_->writeFile("/usr/local/tarvos/conf/vexarc/oper_arrB.pwf", "pw\n", 0600));
    const std::string simDir = sb_->hostPath(arraysim::kDefaultDir);
    EXPECT_TRUE(scenario_.save(simDir));

    orv_sandbox::RunOptions options;
    options.argv = {std::string(ORV_BUILD_DIR) + "/rcgate/rcgate", kPackage};
    options.virtualTime = true;
    options.maxSleeps = 200;
    orv_sandbox::RunResult r = sb_->run(options);
    msgs_ = messages(r.output);
    journal_ = SimJournal::load(simDir);
    return r;
  }

  // What is left in the package directory besides the start-replication
  // marker, which a takeover may leave on purpose, and the decision records.
  std::vector<std::string> leftovers() { return orv_fault::leftovers(*sb_, kPackageDir); }

  std::string configReport() {
    return messageStarting(msgs_, "INFO: Configuration for the Remote Copy volume group:\n");
  }
  std::string statusReport() {
    return messageStarting(msgs_, "INFO: Current status of the Remote Copy volume group:\n");
  }

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
  SimScenario scenario_;
  std::vector<std::string> attrs_;
  std::vector<std::string> msgs_;
  SimJournal journal_;
};

TEST_F(DiscoveryE2E, SiteAAsksLocalArrayFirstThenRemoteForGroupsAndLinks) {
  orv_sandbox::RunResult r = runGate("nodeA");
  ASSERT_TRUE(r.exited()) << r.describe();
  std::vector<std::string> cmds = arrayCommands(journal_);
  ASSERT_GE(cmds.size(), 4u) << r.output;
  EXPECT_EQ(cmds[0], "arrA cli showrcopy groups grpA -csvtable");
  EXPECT_EQ(cmds[1], "arrB cli showrcopy groups grpB -csvtable");
  EXPECT_EQ(cmds[2], "arrA cli showrcopy links -csvtable");
  EXPECT_EQ(cmds[3], "arrB cli showrcopy links -csvtable");
  ASSERT_FALSE(journal_.entries.empty());
  EXPECT_EQ(journal_.entries[0].credential, "/usr/local/tarvos/conf/vexarc/admin_arrA.pwf");

  EXPECT_EQ(configReport(),
            "INFO: Configuration for the Remote Copy volume group:\n"
            "\tLocal Remote Copy Volume Group Name  = grpA\n"
            "\tRemote Remote Copy Volume Group Name  = grpB\n"
            "\tLocal Jx Vexa Storage System User Name = admin\n"
            "\tRemote Jx Vexa Storage System User Name = oper\n"
            "\tLocal Jx Vexa Storage System Name/IP = arrA\n"
            "\tRemote Jx Vexa Storage System Name/IP = arrB\n"
            "\tReplication Mode of the Remote Copy Volume Group = Sync\n"
            "\tFailSafe Mode of the Remote Copy Volume Group = no_fail_wrt_on_err (Ignore if "
            "Tessel OS Version is 3.1.1 or later)\n"
            "\tAutoRecover = no\n"
            "\tRESYNC_WAIT_TIMEOUT = 0\n"
            "\tAUTO_NONCURDATA = 0\n")
      << r.output;
  EXPECT_EQ(statusReport(),
            "INFO: Current status of the Remote Copy volume group:\n"
            "\tLocal Replication Role of the Remote Copy Volume Group  = Primary\n"
            "\tRemote Replication Role of the Remote Copy Volume Group  = Secondary\n"
            "\tRemote Copy Link Status = Up\n"
            "\tRemote Copy Volume Group Status = Started\n"
            "\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n")
      << r.output;
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(DiscoveryE2E, SiteBTakesDataCenterTwoAsLocal) {
  orv_sandbox::RunResult r = runGate("nodeB");
  ASSERT_TRUE(r.exited()) << r.describe();
  std::vector<std::string> cmds = arrayCommands(journal_);
  ASSERT_GE(cmds.size(), 4u) << r.output;
  EXPECT_EQ(cmds[0], "arrB cli showrcopy groups grpB -csvtable");
  EXPECT_EQ(cmds[1], "arrA cli showrcopy groups grpA -csvtable");
  EXPECT_EQ(cmds[2], "arrB cli showrcopy links -csvtable");
  EXPECT_EQ(cmds[3], "arrA cli showrcopy links -csvtable");
  std::string config = configReport();
  EXPECT_NE(config.find("\tLocal Remote Copy Volume Group Name  = grpB\n"), std::string::npos)
      << r.output;
  EXPECT_NE(config.find("\tLocal Jx Vexa Storage System User Name = oper\n"), std::string::npos);
  EXPECT_NE(config.find("\tRemote Jx Vexa Storage System Name/IP = arrA\n"), std::string::npos);
  std::string status = statusReport();
  EXPECT_NE(status.find("Local Replication Role of the Remote Copy Volume Group  = Secondary\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(status.find("Remote Replication Role of the Remote Copy Volume Group  = Primary\n"),
            std::string::npos);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(DiscoveryE2E, NewerArraySoftwareOnANonRhel5HostIsReachedThroughSsh) {
  scenario_.array("arrA").version = "3.3.1";
  orv_sandbox::RunResult r = runGate("nodeA");
  ASSERT_TRUE(r.exited()) << r.describe();
  std::vector<std::string> cmds = arrayCommands(journal_);
  ASSERT_GE(cmds.size(), 4u) << r.output;
  EXPECT_EQ(cmds[0], "arrA ssh showrcopy groups grpA -csvtable");
  EXPECT_EQ(cmds[1], "arrB cli showrcopy groups grpB -csvtable");
  EXPECT_EQ(cmds[2], "arrA ssh showrcopy links -csvtable");
  for (const SimJournalEntry& e : journal_.entries)
    if (e.array == "arrA" && e.path == "ssh") {
      EXPECT_EQ(e.credential, "admin");
    }
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(DiscoveryE2E, UnreachableLocalArrayLeavesTheStateToTheRemoteOne) {
  scenario_.array("arrA").addFault("unreachable");
  orv_sandbox::RunResult r = runGate("nodeA");
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_TRUE(hasMessage(msgs_,
                         "Warning: Unable to find the properties for the Remote Copy volume "
                         "group [grpA] in the Jx Vexa storage system name [arrA]."))
      << r.output;
  // No link query goes to the array whose group could not be read.
  std::vector<std::string> cmds = arrayCommands(journal_);
  ASSERT_GE(cmds.size(), 3u) << r.output;
  EXPECT_EQ(cmds[0], "arrA ssh showrcopy groups grpA -csvtable");
  EXPECT_EQ(cmds[1], "arrB cli showrcopy groups grpB -csvtable");
  EXPECT_EQ(cmds[2], "arrB cli showrcopy links -csvtable");
  EXPECT_EQ(journal_.count("showrcopy links", "arrA"), 0);

  std::string config = configReport();
  EXPECT_NE(config.find("\tReplication Mode of the Remote Copy Volume Group = Sync\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(config.find("\tAutoRecover = no\n"), std::string::npos);
  EXPECT_EQ(statusReport(),
            "INFO: Current status of the Remote Copy volume group:\n"
            "\tLocal Replication Role of the Remote Copy Volume Group  = UNKNOWN\n"
            "\tRemote Replication Role of the Remote Copy Volume Group  = Secondary\n"
            "\tRemote Copy Link Status = Up\n"
            "\tRemote Copy Volume Group Status = Started\n"
            "\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n")
      << r.output;
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(DiscoveryE2E, UnreachableRemoteArrayIsNamedInItsWarnings) {
  scenario_.array("arrB").addFault("unreachable");
  orv_sandbox::RunResult r = runGate("nodeA");
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_TRUE(hasMessage(msgs_,
                         "Warning: Unable to find the properties for the Remote Copy volume "
                         "group [grpB] in the Jx Vexa storage system name [arrB]\n"))
      << r.output;
  EXPECT_EQ(journal_.count("showrcopy links", "arrB"), 0);
  std::string status = statusReport();
  EXPECT_NE(status.find("Local Replication Role of the Remote Copy Volume Group  = Primary\n"),
            std::string::npos)
      << r.output;
  EXPECT_NE(status.find("Remote Replication Role of the Remote Copy Volume Group  = UNKNOWN\n"),
            std::string::npos);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

// Whether the listings failed or ran and could not be read, each side is
// named, then the verdict.
TEST_F(DiscoveryE2E, NeitherGroupReadRefusesThePackageAndSaysWhy) {
  const struct {
    const char* local;   // fault of each array's group listing
    const char* remote;
  } cases[] = {{"unreachable", "unreachable"},
               {"garbled", "garbled"},
               {"group_missing", "group_missing"},
               {"garbled", "unreachable"}};
  const std::vector<std::string> expected = {
      "Warning: Unable to find the properties for the Remote Copy volume group [grpA] in the Jx "
      "Vexa storage system name [arrA].",
      "Warning: Unable to find the properties for the Remote Copy volume group [grpB] in the Jx "
      "Vexa storage system name [arrB]\n",
      "ERROR: Orvanta failed to discover the properties of both remote and local Remote Copy "
      "volume group.",
      "Package is not allowed to start up"};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.local) + " / " + c.remote);
    scenario_ = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    scenario_.array("arrA").addFault(c.local, "showrcopy groups");
    scenario_.array("arrB").addFault(c.remote, "showrcopy groups");
    orv_sandbox::RunResult r = runGate("nodeA");
    ASSERT_TRUE(r.exited()) << r.describe();
    EXPECT_EQ(r.exitCode, 2) << r.output;
    size_t at = 0;
    for (const std::string& line : expected) {
      while (at < msgs_.size() && !hasMessage({msgs_[at]}, line)) ++at;
      EXPECT_LT(at++, msgs_.size()) << "missing or out of order: " << line << "\n" << r.output;
    }
    EXPECT_EQ(configReport(), "");
    EXPECT_EQ(journal_.count("showrcopy links"), 0);
    EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  }
}

// Group status and volume state as the two arrays' views combine.
TEST_F(DiscoveryE2E, GroupStatusReconciliation) {
  struct Case {
    const char* name;
    const char* localStatus;
    std::vector<const char*> localVolumes;
    const char* remoteStatus;
    std::vector<const char*> remoteVolumes;
    const char* group;   // reported group status
    const char* volume;  // reported volume sync status
  };
  const Case cases[] = {
      {"started against stopped", "Started", {"Synced", "Synced"}, "Stopped", {"New", "Synced"},
       "Stopped", "New"},
      {"starting against started", "Starting", {"Syncing", "Syncing"}, "Started",
       {"Synced", "Synced"}, "Starting", "Syncing"},
      {"started volumes stale", "Started", {"Syncing", "Stale"}, "Started", {"Synced", "Synced"},
       "Started", "Stale"},
      {"started volumes syncing", "Started", {"Syncing", "Synced"}, "Started",
       {"Synced", "Synced"}, "Started", "Syncing"},
      {"stopped with a new volume", "Stopped", {"New", "Synced"}, "Stopped", {"Stopped", "Stopped"},
       "Stopped", "New"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    groupA().status = c.localStatus;
    groupB().status = c.remoteStatus;
    // Fail writes on error, so the link-down rule stays out of the way.
    groupA().options = groupB().options = "fail_wrt_on_err";
    for (size_t i = 0; i < c.localVolumes.size(); ++i)
      groupA().volumes.at(i).sync = c.localVolumes[i];
    for (size_t i = 0; i < c.remoteVolumes.size(); ++i)
      groupB().volumes.at(i).sync = c.remoteVolumes[i];
    orv_sandbox::RunResult r = runGate("nodeA");
    ASSERT_TRUE(r.exited()) << r.describe();
    std::string status = statusReport();
    EXPECT_NE(status.find(std::string("\tRemote Copy Volume Group Status = ") + c.group + "\n"),
              std::string::npos)
        << status << r.output;
    EXPECT_NE(status.find(std::string("\tRemote Copy Volume Group Virtual Volume SyncStatus  = ") +
                          c.volume + "\n"),
              std::string::npos)
        << status;
    EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  }
}

TEST_F(DiscoveryE2E, LinkReconciliation) {
  struct Case {
    const char* localLinks;
    const char* remoteLinks;
    const char* reported;
  };
  const Case cases[] = {
      {"Up", "Down", "Down"},
      {"Down", "Up", "Down"},
      {"Up", "Up", "Up"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.localLinks) + "/" + c.remoteLinks);
    SetUp();
    groupA().options = groupB().options = "fail_wrt_on_err";
    scenario_.array("arrA").setLinks(c.localLinks);
    scenario_.array("arrB").setLinks(c.remoteLinks);
    orv_sandbox::RunResult r = runGate("nodeA");
    ASSERT_TRUE(r.exited()) << r.describe();
    EXPECT_NE(statusReport().find(std::string("\tRemote Copy Link Status = ") + c.reported + "\n"),
              std::string::npos)
        << r.output;
    EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  }
}

// A synchronous group that does not fail writes on error is reported
// stopped when the link is down, whatever the arrays call it.
TEST_F(DiscoveryE2E, SyncNoFailGroupWithLinkDownCountsAsStopped) {
  struct Case {
    const char* name;
    const char* mode;
    const char* options;
    const char* status;
    const char* firstVolume;
    const char* reported;
  };
  const Case cases[] = {
      {"started", "Sync", "", "Started", "Synced", "Stopped"},
      {"new with a synced first volume", "Sync", "", "New", "Synced", "Stopped"},
      {"new with a stale first volume", "Sync", "", "New", "Stale", "New"},
      {"fail_wrt_on_err keeps the status", "Sync", "fail_wrt_on_err", "Started", "Synced",
       "Started"},
      {"periodic keeps the status", "Periodic", "", "Started", "Synced", "Started"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    groupA().mode = groupB().mode = c.mode;
    groupA().options = groupB().options = c.options;
    groupA().status = groupB().status = c.status;
    groupA().volumes.at(0).sync = groupB().volumes.at(0).sync = c.firstVolume;
    scenario_.linkDown("arrA", "arrB");
    orv_sandbox::RunResult r = runGate("nodeA");
    ASSERT_TRUE(r.exited()) << r.describe();
    std::string status = statusReport();
    EXPECT_NE(status.find("\tRemote Copy Link Status = Down\n"), std::string::npos) << r.output;
    EXPECT_NE(status.find(std::string("\tRemote Copy Volume Group Status = ") + c.reported + "\n"),
              std::string::npos)
        << status;
    EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  }
}

TEST_F(DiscoveryE2E, PeriodicGroupIsDiscoveredFromItsSnapshotTable) {
  groupA().mode = groupB().mode = "Periodic";
  groupA().options = groupB().options = "fail_wrt_on_err";
  orv_sandbox::RunResult r = runGate("nodeA");
  ASSERT_TRUE(r.exited()) << r.describe();
  EXPECT_NE(configReport().find("\tReplication Mode of the Remote Copy Volume Group = Periodic\n"),
            std::string::npos)
      << r.output;
  std::string status = statusReport();
  EXPECT_NE(status.find("\tRemote Copy Volume Group Status = Started\n"), std::string::npos)
      << r.output;
  EXPECT_NE(status.find("\tRemote Copy Volume Group Virtual Volume SyncStatus  = Synced\n"),
            std::string::npos);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(DiscoveryE2E, ReportShowsNoTimeoutAndFailSafeWithoutSuffix) {
  setAttr("RCVEXA_RESYNC_WAIT_TIMEOUT", "NO_TIMEOUT");
  groupA().options = groupB().options = "auto_recover,fail_wrt_on_err";
  orv_sandbox::RunResult r = runGate("nodeA");
  ASSERT_TRUE(r.exited()) << r.describe();
  std::string config = configReport();
  EXPECT_NE(config.find("\tRESYNC_WAIT_TIMEOUT = no_timeout\n"), std::string::npos) << r.output;
  EXPECT_NE(config.find("\tFailSafe Mode of the Remote Copy Volume Group = fail_wrt_on_err\n"),
            std::string::npos);
  EXPECT_NE(config.find("\tAutoRecover = yes\n"), std::string::npos);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

// After an action that changed something the state is read again and the
// short after-takeover form is logged.
TEST_F(DiscoveryE2E, AfterTakeoverReportFollowsASecondDiscovery) {
  // This node's half is secondary: the takeover reverses the pair.
  orv_sandbox::RunResult r = runGate("nodeB");
  ASSERT_TRUE(r.exited()) << r.describe();
  ASSERT_TRUE(r.exitCode == 0 || r.exitCode == 3) << r.output;
  std::string after =
      messageStarting(msgs_, "INFO: Status of the Remote Copy volume group after takeover:\n");
  ASSERT_NE(after, "") << r.output;
  EXPECT_EQ(after.find("Remote Copy Link Status"), std::string::npos);
  EXPECT_NE(after.find("\tLocal Replication Role of the Remote Copy Volume Group  = "),
            std::string::npos);
  EXPECT_NE(after.find("\tRemote Copy Volume Group Status = "), std::string::npos);
  // The second discovery asks both groups again, local array first.
  std::vector<std::string> cmds = arrayCommands(journal_);
  int groupQueries = 0;
  for (const std::string& c : cmds)
    if (c.find("showrcopy groups") != std::string::npos) ++groupQueries;
  EXPECT_GE(groupQueries, 4) << r.output;
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

}  // namespace

// A failed listing brings the array's own words right before the fixed
// verdict text, and into the decision record's reason.
TEST_F(DiscoveryE2E, ArraysOwnReasonPrecedesTheFixedVerdict) {
  const struct {
    const char* node;
    const char* attribute;  // NAME=VALUE set for the case, or ''
    const char* fault;      // on arrB's group listing, or ''
    const char* line;
  } cases[] = {
      {"nodeB", "RCVEXA_DC2_RC_VOLUME_GROUP=grpC", "",
       "Array [arrB] (site B) answered: Error: Remote Copy group grpC does not exist"},
      {"nodeB", "RCVEXA_JxVexaCLICommandTimeout=1", "hang",
       "Array [arrB] (site B) did not answer within 1 s"},
      {"nodeB", "", "unreachable", "Array [arrB] (site B) could not be reached (exit 1)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SetUp();
    const std::string attribute = c.attribute;
    if (!attribute.empty())
      setAttr(attribute.substr(0, attribute.find('=')), attribute.substr(attribute.find('=') + 1));
    if (*c.fault != '\0') scenario_.array("arrB").addFault(c.fault, "showrcopy groups").seconds = 5;
    orv_sandbox::RunResult r = runGate(c.node);
    ASSERT_TRUE(r.exited()) << r.describe();
    size_t at = 0;
    while (at < msgs_.size() && msgs_[at] != c.line) ++at;
    ASSERT_LT(at + 1, msgs_.size()) << r.output;
    EXPECT_EQ(msgs_[at + 1].compare(0, 39, "Error: Not able to determine the status"), 0)
        << r.output;
    const std::string dir = std::string(kPackageDir) + "/decisions";
    std::vector<std::string> records = sb_->listDir(dir);
    ASSERT_EQ(records.size(), 1u);
    const std::string reason =
        nlohmann::json::parse(sb_->readFile(dir + "/" + records[0]), nullptr, false)
            .value("reason", "");
    const std::string front = std::string(c.line) + "; Error: Not able to determine";
    EXPECT_EQ(reason.compare(0, front.size(), front), 0) << reason;
  }
}
