// The shipped example package, run end to end: its attributes as the
// cluster manager's output, its monitor parameter file, and the real
// programs in the sandbox against a healthy simulated pair with the
// example's array, group and target names.  What the examples and the
// README promise for this package is what the programs do with it.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"

namespace {

const std::string kSource = ORV_SOURCE_DIR;
const std::string kBuild = ORV_BUILD_DIR;
const char kPackage[] = "pkgora";
const char kPackageDir[] = "/usr/local/tarvos/run/pkgora";
const char kVtimeLog[] = "/usr/local/orv-sandbox/vtime.log";

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class ExamplePackage : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    sb_.reset(new orv_sandbox::Sandbox());
    ASSERT_TRUE(sb_->ok()) << sb_->error();
    const std::string data = orv_fake::kFakeDataDir;
    const std::string conf = "/usr/local/tarvos/conf/vexarc/";
    ASSERT_TRUE(sb_->writeFile(data + "/pkgenv/" + kPackage,
                               readText(kSource + "/examples/pkgora.attributes")));
    ASSERT_TRUE(sb_->writeFile(data + "/clusterview", "name=clusterx\n"));
    ASSERT_TRUE(sb_->writeFile(conf + "OrvVexaMONConfigParams",
                               readText(kSource + "/examples/OrvVexaMONConfigParams")));
    ASSERT_TRUE(sb_->writeFile(conf + "rcadmin_vexaa.pwf", "secret-a\n", 0600));
    ASSERT_TRUE(sb_->writeFile(conf + "rcadmin_vexab.pwf", "secret-b\n", 0600));
    ASSERT_TRUE(sb_->makeDir(kPackageDir));
    arraysim::SimScenario arrays =
        arraysim::SimScenario::healthyPair("vexaa", "vexab", "rcgora_a", "rcgora_b");
    ASSERT_TRUE(arrays.save(sb_->hostPath(arraysim::kDefaultDir)));
  }

  orv_sandbox::RunResult run(const std::string& node, const std::string& program,
                             int maxSleeps = 0, const std::string& option = "") {
    EXPECT_TRUE(sb_->setNodeName(node));
    orv_sandbox::RunOptions options;
    options.argv = {kBuild + "/" + program + "/" + program, kPackage};
    if (!option.empty()) options.argv.insert(options.argv.begin() + 1, option);
    options.virtualTime = true;
    options.maxSleeps = maxSleeps;
    options.vtimeLog = kVtimeLog;
    return sb_->run(options);
  }

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
};

TEST_F(ExamplePackage, StartsWithoutActionOnThePrimarySite) {
  orv_sandbox::RunResult r = run("nodea1", "rcgate");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Package is allowed to start up"), std::string::npos) << r.output;
  // The example's settings arrive: the report shows the configured values.
  EXPECT_NE(r.output.find("RESYNC_WAIT_TIMEOUT = 90"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("AUTO_NONCURDATA = 0"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("Error"), std::string::npos) << r.output;
}

TEST_F(ExamplePackage, DryRunOnTheOtherSitePlansTheSwitchOver) {
  orv_sandbox::RunResult r = run("nodeb2", "rcplan");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_NE(r.output.find("Action: ca_takeover_stoprcvg_reverse_startrcvg"), std::string::npos)
      << r.output;
  // A dry run sends nothing but queries.
  const std::string journal = sb_->readFile(std::string(arraysim::kDefaultDir) + "/journal");
  EXPECT_EQ(journal.find("setrcopygroup"), std::string::npos) << journal;
  EXPECT_EQ(journal.find("stoprcopygroup"), std::string::npos) << journal;
}

// What installation step 5 of the README promises for the example.
TEST_F(ExamplePackage, CheckFindsNothingOnEitherSite) {
  for (const char* node : {"nodea1", "nodeb2"}) {
    orv_sandbox::RunResult r = run(node, "rcplan", 0, "--check");
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_EQ(r.output.find("Error"), std::string::npos) << r.output;
    EXPECT_EQ(r.output.find("Warning"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("finished: no errors, no warnings."), std::string::npos) << r.output;
  }
}

TEST_F(ExamplePackage, MonitorPollsAtTheIntervalAndMailsBothAddresses) {
  orv_sandbox::RunResult r = run("nodea2", "rcwatch", 3);
  ASSERT_FALSE(r.timedOut) << r.output;

  // Sleep requests: "count pid function seconds.nanoseconds now note".
  std::istringstream log(sb_->readFile(kVtimeLog));
  std::string line;
  int sleeps = 0;
  while (std::getline(log, line)) {
    std::istringstream fields(line);
    std::string count, pid, function, seconds;
    fields >> count >> pid >> function >> seconds;
    EXPECT_EQ(seconds.substr(0, seconds.find('.')), "60") << line;
    ++sleeps;
  }
  EXPECT_EQ(sleeps, 3);

  // The start notification went to both addresses of EMAIL_ID.
  const std::string data = orv_fake::kFakeDataDir;
  const std::string first = sb_->readFile(data + "/sendmail/1.stdin");
  const std::string second = sb_->readFile(data + "/sendmail/2.stdin");
  EXPECT_EQ(first.rfind("To: dr-ops@example.com\n", 0), 0u) << first;
  EXPECT_EQ(second.rfind("To: dba-oncall@example.com\n", 0), 0u) << second;
  EXPECT_NE(r.output.find("SYSLOG notification sent successfully."), std::string::npos)
      << r.output;
}

}  // namespace
