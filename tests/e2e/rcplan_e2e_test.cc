// rcplan PKG, the dry run of a package start, in the sandbox against the
// simulated arrays: it must decide exactly as rcgate decides on the same
// state, send the arrays nothing but queries, leave the FORCEFLAG file and
// the package directory as they were, and end with its documented codes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_e2e {
namespace {

const char kManual[] =
    "Error: MANUAL INTERVENTION NECESSARY. Orvanta does not recognize the current status of the "
    "Jx Vexa Remote Copy volume group.Orvanta cannot perform automatic storage preparation for "
    "this package.";
const char kActionPrefix[] = "Action: ";
const char kRcgateActionPrefix[] = "Action function is [";

std::string rcplanPath() { return buildDir() + "/rcplan/rcplan"; }

// The text after prefix on the first line of text that starts with it;
// "-" when there is none.
std::string lineAfter(const std::string& text, const std::string& prefix) {
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (text.compare(at, prefix.size(), prefix) == 0)
      return text.substr(at + prefix.size(), end - at - prefix.size());
    at = end + 1;
  }
  return "-";
}

// Site B is gone: its array answers nothing, the links are down, and the
// surviving half on vexaa was stopped as the array does when it loses its
// partner.
void siteBLost(PackageScenario& s) {
  arraysim::SimGroup& a = s.arrays.array("vexaa").group("rcgora_a");
  a.role = "Secondary";
  a.status = "Stopped";
  a.setVolumes("Stopped");
  s.arrays.array("vexab").group("rcgora_b").role = "Primary";
  s.arrays.linkDown("vexaa", "vexab");
  s.arrays.array("vexab").addFault("unreachable");
}

// Site B's node runs while its own array is unreachable and cut off.
void ownArrayCutOff(PackageScenario& s) {
  s.arrays.array("vexab").addFault("unreachable");
  s.arrays.linkDown("vexaa", "vexab");
}

class RcplanDryRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    ORV_REQUIRE_RCGATE();
    if (!isExecutable(rcplanPath())) GTEST_SKIP() << "rcplan not built at " << rcplanPath();
  }

  // A fresh sandbox with the scenario and, when asked, a FORCEFLAG file.
  void install(const PackageScenario& s, bool forceFlag) {
    sb_.reset(new orv_sandbox::Sandbox);
    ASSERT_TRUE(sb_->ok()) << sb_->error();
    ASSERT_EQ(s.install(*sb_), "");
    if (forceFlag) {
      ASSERT_TRUE(sb_->writeFile(s.packageDir() + "/FORCEFLAG", "operator\n"));
    }
  }

  orv_sandbox::RunResult run(const std::string& program, const std::vector<std::string>& args,
                             const std::vector<std::string>& env = {}) {
    orv_sandbox::RunOptions options;
    options.argv.push_back(program);
    options.argv.insert(options.argv.end(), args.begin(), args.end());
    options.env = env;
    options.virtualTime = true;
    orv_sandbox::RunResult r = sb_->run(options);
    EXPECT_TRUE(r.exited()) << r.describe();
    return r;
  }

  // Every command the arrays received was a query.
  void expectOnlyQueries() const {
    for (const arraysim::SimJournalEntry& e : journal(*sb_).entries)
      EXPECT_EQ(e.command.compare(0, 4, "show"), 0) << e.array << ": " << e.command;
  }

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
};

TEST_F(RcplanDryRunTest, DecidesAsRcgateWithoutActingOrConsumingTheForceFlag) {
  struct Case {
    const char* what;
    const char* node;
    std::function<void(PackageScenario&)> situation;
    bool forceFlag;
    const char* action;  // '' when no rule matches
    int exitCode;
  } cases[] = {
      {"healthy pair, primary site", "nodea1", nullptr, false, "ca_takeover_nop", 0},
      {"planned switch-over to site B", "nodeb1", nullptr, false,
       "ca_takeover_stoprcvg_reverse_startrcvg", 0},
      {"site B lost, no force flag", "nodea1", siteBLost, false,
       "ca_takeover_stop_datacenter_no_auto", 0},
      {"site B lost, force flag", "nodea1", siteBLost, true, "ca_takeover_failover", 0},
      {"site B lost, force flag, directory ending in '/'", "nodea1",
       [](PackageScenario& s) {
         siteBLost(s);
         s.set("VKR_PKG_DIR", s.packageDir() + "/", false);
       },
       true, "ca_takeover_failover", 0},
      {"own array unreachable", "nodeb1",
       [](PackageScenario& s) { s.arrays.array("vexab").addFault("unreachable"); }, false,
       "ca_takeover_stop_local_local_unknown_ro", 0},
      {"own array unreachable, links down", "nodeb1", ownArrayCutOff, false, "", 1},
      {"own array unreachable, links down, force flag", "nodeb1", ownArrayCutOff, true,
       "ca_takeover_nop_ff", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageScenario scenario;
    scenario.node = c.node;
    if (c.situation) c.situation(scenario);
    const std::string flag = scenario.packageDir() + "/FORCEFLAG";

    install(scenario, c.forceFlag);
    orv_sandbox::RunResult plan = run(rcplanPath(), {"pkgora"});
    EXPECT_EQ(plan.exitCode, c.exitCode) << plan.output;
    const std::string chosen = lineAfter(plan.output, kActionPrefix);
    EXPECT_EQ(chosen, *c.action ? c.action : "-") << plan.output;
    EXPECT_NE(plan.output.find(c.forceFlag ? "FORCEFLAG file: present (" : "FORCEFLAG file: absent."),
              std::string::npos)
        << plan.output;
    // The flag is part of the decision shown, and nothing else happened.
    if (*c.action) {
      EXPECT_EQ(plan.output.find(" : StatusForceFlag = yes\n") != std::string::npos, c.forceFlag)
          << plan.output;
    } else {
      EXPECT_NE(plan.output.find(kManual), std::string::npos) << plan.output;
    }
    EXPECT_EQ(sb_->exists(flag), c.forceFlag);
    EXPECT_FALSE(journal(*sb_).entries.empty());
    expectOnlyQueries();
    const std::vector<std::string> expectedFiles =
        c.forceFlag ? std::vector<std::string>{"FORCEFLAG"} : std::vector<std::string>{};
    EXPECT_EQ(sb_->listDir(scenario.packageDir()), expectedFiles);

    // rcgate on the same state calls the action rcplan named, and uses up
    // the flag that rcplan left in place.
    install(scenario, c.forceFlag);
    orv_sandbox::RunResult gate = run(rcgatePath(), {"pkgora"}, {"DATAREP_DEBUG=1"});
    const std::string called = lineAfter(
        [&] {
          std::string all;
          for (const std::string& m : messages(gate.output)) all += m + "\n";
          return all;
        }(),
        kRcgateActionPrefix);
    if (*c.action) {
      EXPECT_EQ(called, chosen + "]") << gate.output;
    } else {
      EXPECT_EQ(called, "-") << gate.output;
      EXPECT_GE(findMessage(messages(gate.output), kManual), 0) << gate.output;
    }
    EXPECT_FALSE(sb_->exists(flag));
  }
}

TEST_F(RcplanDryRunTest, FailuresBeforeTheDecisionEndWithTwo) {
  struct Case {
    const char* what;
    std::function<void(PackageScenario&)> situation;
    std::vector<std::string> args;
    bool arraysAsked;
    const char* message;
  } cases[] = {
      {"node in no site", [](PackageScenario& s) { s.node = "nodec9"; }, {"pkgora"}, false,
       "failed on this node"},
      {"package unknown to the cluster", nullptr, {"pkgzz"}, false, "failed on this node"},
      {"unsafe configuration value",
       [](PackageScenario& s) { s.set("RCVEXA_DC2_RC_VOLUME_GROUP", "rcgora_b;id"); }, {"pkgora"},
       false,
       "Error: Unsafe value [rcgora_b;id] of attribute [DC2_RC_VOLUME_GROUP]; the package "
       "configuration is refused."},
      {"both arrays unreachable",
       [](PackageScenario& s) {
         s.arrays.array("vexaa").addFault("unreachable");
         s.arrays.array("vexab").addFault("unreachable");
       },
       {"pkgora"}, true, "neither array could be read"},
      {"two package names", nullptr, {"pkgora", "pkgzz"}, false, "a dry run takes one package name"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageScenario scenario;
    if (c.situation) c.situation(scenario);
    install(scenario, true);
    orv_sandbox::RunResult r = run(rcplanPath(), c.args);
    EXPECT_EQ(r.exitCode, 2) << r.output;
    EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    EXPECT_EQ(lineAfter(r.output, kActionPrefix), "-") << r.output;
    EXPECT_EQ(journal(*sb_).entries.empty(), !c.arraysAsked);
    expectOnlyQueries();
    EXPECT_EQ(sb_->listDir(scenario.packageDir()), std::vector<std::string>{"FORCEFLAG"});
  }
}

}  // namespace
}  // namespace orv_e2e
