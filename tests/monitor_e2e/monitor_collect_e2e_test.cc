// The monitor's status collection end to end: one collection by the probe
// in the sandbox against the simulated pair; the result, the status objects
// and the numbered diagnostic report.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"

namespace {

using arraysim::SimScenario;

const char kPackage[] = "pkg1";
const char kPackageDir[] = "/usr/local/tarvos/run/pkg1";
const char kReport[] = "/usr/local/tarvos/run/monitor_report";

struct Collection {
  orv_sandbox::RunResult run;
  int result = -1;
  std::map<std::string, std::string> status;
  int periodicVolumes = -1;
  std::string report;
};

class MonitorCollectE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    sb_.reset(new orv_sandbox::Sandbox());
    ASSERT_TRUE(sb_->ok()) << sb_->error();
    scenario_ = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  }

  Collection collect() {
    const std::string env =
        "VKR_PKG_DIR=" + std::string(kPackageDir) +
        "\nRCVEXA_DC1_NODE_LIST=nodeA\nRCVEXA_DC2_NODE_LIST=nodeB\n"
        "RCVEXA_DC1_STORAGE_SYSTEM_USER=admin\nRCVEXA_DC2_STORAGE_SYSTEM_USER=oper\n"
        "RCVEXA_DC1_STORAGE_SYSTEM_NAME=arrA\nRCVEXA_DC2_STORAGE_SYSTEM_NAME=arrB\n"
        "RCVEXA_DC1_RC_VOLUME_GROUP=grpA\nRCVEXA_DC2_RC_VOLUME_GROUP=grpB\n"
        "RCVEXA_DC1_RC_TARGET_FOR_DC2=arrB_tgt\nRCVEXA_DC2_RC_TARGET_FOR_DC1=arrA_tgt\n"
        "RCVEXA_RESYNC_WAIT_TIMEOUT=0\nRCVEXA_AUTO_NONCURDATA=0\n";
    EXPECT_TRUE(sb_->setNodeName("nodeA"));
    EXPECT_TRUE(sb_->writeFile(std::string("/usr/local/orv-sandbox/pkgenv/") + kPackage, env));
    EXPECT_TRUE(sb_->makeDir(kPackageDir));
    EXPECT_TRUE(sb_->writeFile("/usr/local/tarvos/conf/vexarc/admin_arrA.pwf", "pw\n", 0600));
    EXPECT_TRUE(sb_->writeFile("/usr/local/tarvos/conf/vexarc/oper_arrB.pwf", "pw\n", 0600));
    // The monitor hands over a fresh empty report file.
    EXPECT_TRUE(sb_->writeFile(kReport, ""));
    EXPECT_TRUE(scenario_.save(sb_->hostPath(arraysim::kDefaultDir)));

    Collection c;
    orv_sandbox::RunOptions options;
    options.argv = {MONITOR_PROBE_PATH, kPackage, kReport};
    options.virtualTime = true;
    c.run = sb_->run(options);
    std::istringstream in(c.run.output);
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("RESULT ", 0) == 0) c.result = std::stoi(line.substr(7));
      if (line.rfind("PERIODIC ", 0) == 0) c.periodicVolumes = std::stoi(line.substr(9));
      if (line.rfind("STATUS ", 0) == 0) {
        size_t eq = line.find('=');
        c.status[line.substr(7, eq - 7)] = line.substr(eq + 1);
      }
    }
    c.report = sb_->readFile(kReport);
    return c;
  }

  std::vector<std::string> leftovers() { return sb_->listDir(kPackageDir); }

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
  SimScenario scenario_;
};

TEST_F(MonitorCollectE2E, HealthyPairGivesNoProblemAndAnEmptyReport) {
  Collection c = collect();
  ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
  EXPECT_EQ(c.result, 0) << c.run.output;
  EXPECT_EQ(c.report, "");
  EXPECT_EQ(c.status["StatusLocalReplicationRole"], "Primary");
  EXPECT_EQ(c.status["StatusRemoteReplicationRole"], "Secondary");
  EXPECT_EQ(c.status["StatusRCLink"], "Up");
  EXPECT_EQ(c.status["StatusRCVolumeGroup"], "Started");
  EXPECT_EQ(c.status["StatusRCVGVirtualVolume"], "Synced");
  EXPECT_EQ(c.periodicVolumes, 0);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(MonitorCollectE2E, UnreachableLocalArrayIsEntryOneAndTheRemoteSuppliesTheState) {
  scenario_.array("arrA").addFault("unreachable");
  Collection c = collect();
  ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(c.report,
            "\nWarning 1:\nssh: connect to host arrA port 22: Network is unreachable\n\n"
            "\nWarning Notes\n"
            "Unable to find the properties for the Remote Copy Volume Group [grpA] as the local "
            "Jx Vexa storage system[arrA] has exhausted CLI/SSH connections or is down.\n"
            "\nTroubleshooting Notes\n"
            "Check the connectivity to the storage system and make sure it is up and running.\n")
      << c.run.output;
  EXPECT_EQ(c.status["StatusLocalReplicationRole"], "UNKNOWN");
  EXPECT_EQ(c.status["StatusRemoteReplicationRole"], "Secondary");
  EXPECT_EQ(c.status["StatusRCVolumeGroup"], "Started");
  EXPECT_EQ(c.status["StatusRCLink"], "Up");
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

// Failures of one query each: which entry the report gets.
TEST_F(MonitorCollectE2E, EachFailingQueryWritesItsEntry) {
  struct Case {
    const char* name;
    const char* array;
    const char* kind;
    const char* command;
    std::vector<std::string> reportHas;
  };
  const Case cases[] = {
      {"remote links, too many connections", "arrB", "too_many", "showrcopy links",
       {"\nWarning 1:\n",
        "Unable to find the Remote Copy Link Status as the remote Jx Vexa storage "
        "system[arrB] has exhausted CLI/SSH connections or is down.\n\nTroubleshooting Notes\n"
        "Please flush the stale connections so that free connections are available for "
        "Orvanta Binary to communicate to the Jx Vexa Storage System[arrB].\n"}},
      {"local links, no connection", "arrA", "no_connection", "showrcopy links",
       {"Unable to find the Remote Copy Link Status as the CLI connection to Jx Vexa storage "
        "system[arrA] could not be established.\n"}},
      {"local group, badly formatted", "arrA", "bad_format", "showrcopy groups",
       {"Unable to find the properties for the Remote Copy Volume Group [grpA] as the "
        "connection to the local Jx Vexa storage system[arrA] is successful but the response "
        "from storage is invalid.\n"}},
      {"local group, unparsable", "arrA", "garbled", "showrcopy groups",
       {"\nWarning 1:\n", "\nWarning notes\nUnable to extract the values from the Jx Vexa "
                          "Tessel OS CLI output.\n\nTroubleshooting notes\nPlease check the "
                          "status of Remote Copy Group[grpA] on Jx Vexa Storage "
                          "system[arrA].\n"}},
      {"remote links, unparsable", "arrB", "garbled", "showrcopy links",
       {"Please check the status of Remote Copy Links on Jx Vexa Storage system[arrB].\n"}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    SetUp();
    scenario_.array(k.array).addFault(k.kind, k.command);
    Collection c = collect();
    ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
    EXPECT_EQ(c.result, 1) << c.run.output;
    for (const std::string& piece : k.reportHas)
      EXPECT_NE(c.report.find(piece), std::string::npos) << piece << "\n--- report:\n"
                                                        << c.report;
    EXPECT_EQ(c.report.find("\nWarning 2:"), std::string::npos) << c.report;
    EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
  }
}

TEST_F(MonitorCollectE2E, UnparsableRemoteGroupWhileLocalIsFineIsNoProblem) {
  scenario_.array("arrB").addFault("garbled", "showrcopy groups");
  Collection c = collect();
  ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
  EXPECT_EQ(c.result, 0) << c.run.output;
  EXPECT_EQ(c.report, "");
  EXPECT_EQ(c.status["StatusLocalReplicationRole"], "Primary");
  EXPECT_EQ(c.status["StatusRemoteReplicationRole"], "UNKNOWN");
}

TEST_F(MonitorCollectE2E, BothArraysUnreachableNumbersBothEntries) {
  scenario_.array("arrA").addFault("unreachable");
  scenario_.array("arrB").addFault("unreachable");
  Collection c = collect();
  ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
  EXPECT_EQ(c.result, 1);
  size_t first = c.report.find("\nWarning 1:\n");
  size_t second = c.report.find("\nWarning 2:\n");
  ASSERT_NE(first, std::string::npos) << c.report;
  ASSERT_NE(second, std::string::npos) << c.report;
  EXPECT_LT(first, second);
  EXPECT_NE(c.report.find("Group [grpA] as the local Jx Vexa storage system[arrA]", first),
            std::string::npos);
  EXPECT_NE(c.report.find("Group [grpB] as the remote Jx Vexa storage system[arrB]", second),
            std::string::npos);
  EXPECT_NE(c.run.output.find(" : ERROR: Orvanta failed to discover the properties of both "
                              "remote and local Remote Copy volume group.\n"),
            std::string::npos)
      << c.run.output;
  EXPECT_EQ(c.run.output.find("Package is not allowed to start up"), std::string::npos);
  EXPECT_TRUE(leftovers().empty()) << leftovers()[0];
}

TEST_F(MonitorCollectE2E, PeriodicGroupKeepsTheRemoteVolumes) {
  scenario_ = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB", "Periodic", 3);
  Collection c = collect();
  ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
  EXPECT_EQ(c.result, 0) << c.run.output;
  EXPECT_EQ(c.periodicVolumes, 3);
  EXPECT_EQ(c.status["StatusReplicationMode"], "Periodic");
}

TEST_F(MonitorCollectE2E, PeriodicLocalGroupCountsWhenTheRemoteIsUnreadable) {
  scenario_ = SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB", "Periodic", 2);
  scenario_.array("arrB").addFault("unreachable");
  Collection c = collect();
  ASSERT_EQ(c.run.exitCode, 0) << c.run.describe();
  EXPECT_EQ(c.result, 1);
  EXPECT_EQ(c.periodicVolumes, 2);
}

}  // namespace
