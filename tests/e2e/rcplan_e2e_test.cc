// rcplan PKG, the dry run of a package start, in the sandbox against the
// simulated arrays: it must decide exactly as rcgate decides on the same
// state, send the arrays nothing but queries, leave the FORCEFLAG file and
// the package directory as they were, and end with its documented codes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "testing/fakes/fake_data.h"
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
  // flag: 0 none, 1 root's FORCEFLAG, 2 one of uid 1000, 3 a link to a file
  // of root's.
  void install(const PackageScenario& s, int flag) {
    sb_.reset(new orv_sandbox::Sandbox);
    ASSERT_TRUE(sb_->ok()) << sb_->error();
    ASSERT_EQ(s.install(*sb_), "");
    putFlag(s, flag);
  }
  void putFlag(const PackageScenario& s, int flag) {
    const std::string path = s.packageDir() + "/FORCEFLAG";
    if (flag == 1 || flag == 2) {
      ASSERT_TRUE(sb_->writeFile(path, "operator\n"));
    }
    if (flag == 2) {
      ASSERT_EQ(chown(sb_->hostPath(path).c_str(), 1000, 1000), 0);
    }
    if (flag == 3) {
      ASSERT_TRUE(sb_->writeFile("/usr/local/rootfile", "x\n"));
      ASSERT_EQ(symlink("/usr/local/rootfile", sb_->hostPath(path).c_str()), 0);
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
    int forceFlag;  // as install() takes it
    const char* action;  // '' when no rule matches
    int exitCode;
  } cases[] = {
      {"site B lost, force flag of another user", "nodea1", siteBLost, 2,
       "ca_takeover_stop_datacenter_no_auto", 0},
      {"site B lost, force flag a link", "nodea1", siteBLost, 3,
       "ca_takeover_stop_datacenter_no_auto", 0},
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
    const std::string ignored = "Warning: FORCEFLAG [" + flag +
                                "] is ignored: it is not a regular file owned by root.";
    EXPECT_NE(plan.output.find(c.forceFlag == 1   ? "FORCEFLAG file: present ("
                               : c.forceFlag == 0 ? "FORCEFLAG file: absent."
                                                  : ignored.c_str()),
              std::string::npos)
        << plan.output;
    // The flag is part of the decision shown, and nothing else happened.
    if (*c.action) {
      EXPECT_EQ(plan.output.find(" : StatusForceFlag = yes\n") != std::string::npos,
                c.forceFlag == 1)
          << plan.output;
    } else {
      EXPECT_NE(plan.output.find(kManual), std::string::npos) << plan.output;
    }
    EXPECT_EQ(sb_->exists(flag), c.forceFlag != 0);
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
    // A flag that does not count is warned about and left in place.
    EXPECT_EQ(findMessage(messages(gate.output), ignored) >= 0, c.forceFlag >= 2) << gate.output;
    EXPECT_EQ(sb_->exists(flag), c.forceFlag >= 2);
    // The arrays' own reasons the start gives, the dry run gives too.
    for (const std::string& m : messages(gate.output)) {
      if (m.compare(0, 7, "Array [") != 0) continue;
      EXPECT_NE(plan.output.find(m), std::string::npos) << m;
    }
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

// The options around the dry run on site B of the healthy pair: what if
// and rcgate's exit code (--help and --version sit in the table of all
// three programs' options, beside the rcwatch tests).
TEST_F(RcplanDryRunTest, AssumeAndGateExit) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    const char* line;  // a whole line of the output; not there for a refused assumption
  } cases[] = {
      {{"pkgora", "--assume", "StatusRCLink=Down"}, 0, "Assumed: StatusRCLink=Down (read: Up)"},
      {{"--gate-exit", "pkgora", "--assume", "StatusRCLink=Down"}, 1,
       "Verdict: rcgate would exit 1: not on any node"},
      {{"pkgora", "--assume", "StatusRCLnk=Down"}, 2, "Commands rcgate would send"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    PackageScenario scenario;
    scenario.node = "nodeb1";
    install(scenario, false);
    orv_sandbox::RunResult r = run(rcplanPath(), c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    // An assumption that is refused gets no verdict.
    EXPECT_EQ(r.output.find(std::string(c.line)) == std::string::npos, c.exitCode == 2)
        << r.output;
    EXPECT_FALSE(fakeCalls(*sb_, "tvgetpkgenv").empty());
    EXPECT_NE(r.output.find(" - Node "), std::string::npos) << r.output;
    expectOnlyQueries();
  }
}

// --json: standard output is one document holding the documented fields,
// with the exit codes of the text output.
TEST_F(RcplanDryRunTest, JsonHoldsTheDocumentedFields) {
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::vector<std::string> fields;
    std::string pointer, value;  // one value the document holds
    bool startFirst = false;     // an rcgate start leaves a record first
  } cases[] = {
      {{"--json", "pkgora"}, 0,
       {"package", "node", "site", "force_flag", "state", "assumed", "action", "conditions",
        "verdict", "logged", "commands", "error"},
       "/commands/1/command", "startrcopygroup -t vexaa_tgt rcgora_b"},
      {{"pkgora", "--gate-exit", "--json", "--assume", "StatusRCLink=Down"}, 1, {"verdict"},
       "/verdict/meaning", "not on any node"},
      {{"--json", "--check", "pkgora"}, 0, {"package", "findings", "verdict", "exit_code"},
       "/findings/1/subject", "nodeb1"},
      {{"--json", "--history", "pkgora"}, 0, {"package", "message", "records", "unreadable"},
       "/records/0/force", "absent", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    PackageScenario scenario;
    scenario.node = "nodeb1";
    install(scenario, false);
    if (c.startFirst) run(rcgatePath(), {"pkgora"});
    orv_sandbox::RunResult r = run(rcplanPath(), c.args);
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    const nlohmann::json doc = nlohmann::json::parse(r.output, nullptr, false);
    ASSERT_TRUE(doc.is_object()) << r.output;
    for (const std::string& f : c.fields) EXPECT_TRUE(doc.contains(f)) << f;
    EXPECT_EQ(doc.value(nlohmann::json::json_pointer(c.pointer), ""), c.value) << r.output;
  }
}


// rcplan --check: every finding of a package's configuration in one run,
// each one line, and nothing sent to the arrays but queries.  Each faulty
// package holds faults of several kinds at once; faults that exclude each
// other (an array that does not answer cannot show a wrong role) are spread
// over three packages.
TEST_F(RcplanDryRunTest, CheckReportsEveryFindingInOneRun) {
  const std::string pwfA = "/usr/local/tarvos/conf/vexarc/rcadmin_vexaa.pwf";
  const std::string pwfB = "/usr/local/tarvos/conf/vexarc/rcadmin_vexab.pwf";
  struct Case {
    const char* what;
    std::function<void(PackageScenario&)> faults;
    std::function<bool(orv_sandbox::Sandbox&)> files;  // after the install
    bool forceFlag;
    int exitCode;
    std::vector<std::string> findings;  // the start of each finding line, in order
    std::vector<std::string> lines;     // further lines of the output
    std::string unasked = "";           // an array that must get no command
    std::string package = "pkgora";     // the one checked
  } cases[] = {
      {"the example package", nullptr, nullptr, false, 0, {},
       {"This node [nodea1] belongs to site A.", "Array [vexaa] (site A) answers through the array client.",
        "Group [rcgora_a] on array [vexaa] (site A): Primary, Started, mode Sync; links to [vexab_tgt]: 2 of 2 Up.",
        "Array [vexab] (site B) answers through the array client.",
        "Check of package pkgora finished: no errors, no warnings.",
        "Verdict: rcgate would exit 0: the package starts on this node"}},
      {"failed over to site A: the table starts the package here, so only a Warning",
       [](PackageScenario& s) {
         arraysim::SimGroup& a = s.arrays.array("vexaa").group("rcgora_a");
         a.role = "Primary-Rev";
         a.status = "Stopped";
         a.setVolumes("Stopped");
         s.arrays.array("vexab").group("rcgora_b").role = "Primary";
       },
       nullptr, false, 0,
       {"Warning: site A [rcgora_a] is Primary-Rev: the group was failed over to site A while "
        "site B still reports Primary; recover the group with the array's tools once site B is "
        "healthy again"},
       {"Verdict: rcgate would exit 0: the package starts on this node"}},
      {"one of two links down, a misspelt monitor key, a metrics directory that is not there, "
       "a node the cluster does not know",
       [](PackageScenario& s) {
         s.arrays.array("vexab").links[0].status = "Down";
         s.set("RCVEXA_DC1_NODE_LIST", "nodea1 nodae2", true);
       },
       [](orv_sandbox::Sandbox& sb) {
         return sb.writeFile(std::string(orv_fake::kFakeDataDir) + "/clusterview",
                             "name=c1\nnode:1|name=nodea1\nnode:2|name=nodea2\n"
                             "node:3|name=nodeb1\nnode:4|name=nodeb2\n") &&
                sb.writeFile("/usr/local/tarvos/conf/vexarc/OrvVexaMONConfigParams",
                             "# rcwatch\nMetricDir=/var/lib/x\nMetricsDir = /var/lib/none\n");
       },
       false, 0,
       {"Warning: Node [nodae2] of RCVEXA_DC1_NODE_LIST is not a node of the cluster (known "
        "nodes: nodea1 nodea2 nodeb1 nodeb2); correct the name.",
        "Warning: Only 1 of the 2 links of array [vexab] (site B) to target [vexaa_tgt] are Up",
        "Warning: Key [MetricDir] on line 2 of /usr/local/tarvos/conf/vexarc/OrvVexaMONConfigParams "
        "is not a monitor parameter; rcwatch ignores it. Did you mean [MetricsDir]?",
        "Warning: MetricsDir [/var/lib/none] on line 3 of"},
       {"Group [rcgora_b] on array [vexab] (site B): Secondary, Started, mode Sync; links to "
        "[vexaa_tgt]: 1 of 2 Up."}},
      {"an array hanging past the command bound",
       [](PackageScenario& s) {
         s.arrays.array("vexab").addFault("hang").seconds = 10;
         s.set("RCVEXA_JxVexaCLICommandTimeout", "2", false);
       },
       nullptr, false, 1,
       {"Error: Array [vexab] (site B) did not answer [showrcopy groups -csvtable] within 2 s "
        "(RCVEXA_JxVexaCLICommandTimeout)"},
       {}},
      {"attributes, node lists, a password file, a missing group, the force flag",
       [](PackageScenario& s) {
         s.set("RCVEXA_RESYNC_WAIT_TIMOUT", "30", false);
         s.moveToFront("RCVEXA_RESYNC_WAIT_TIMOUT");
         s.moveToFront("RCVEXA_RESYNC_WAIT_TIMOUT");
         s.set("RCVEXA_StatusFastFailbackOk", "yes");
         s.remove("RCVEXA_DC1_STORAGE_SYSTEM_USER");
         s.set("RCVEXA_AUTO_NONCURDATA", "yes");
         s.set("RCVEXA_RESYNC_WAIT_TIMEOUT", "soon", false);
         s.set("RCVEXA_DC1_RC_TARGET_FOR_DC2", "vexab_tgt;reboot");
         s.set("RCVEXA_DC1_NODE_LIST", "nodea2");
         s.set("RCVEXA_DC2_NODE_LIST", "");
         s.set("RCVEXA_DC2_RC_VOLUME_GROUP", "rcgora_z");
       },
       [&](orv_sandbox::Sandbox& sb) { return sb.writeFile(pwfB, "encrypted\n", 0644); }, true, 1,
       {"Error: Attribute [RCVEXA_RESYNC_WAIT_TIMOUT] is not a known setting; correct its name or "
        "remove it. A start stops reading the attributes at this line and loses the 14 after it. "
        "Lost: RCVEXA_DC1_NODE_LIST, RCVEXA_DC2_NODE_LIST, RCVEXA_DC1_STORAGE_SYSTEM_NAME, "
        "RCVEXA_DC2_STORAGE_SYSTEM_NAME, RCVEXA_DC2_STORAGE_SYSTEM_USER, "
        "RCVEXA_DC1_RC_TARGET_FOR_DC2, RCVEXA_DC2_RC_TARGET_FOR_DC1, RCVEXA_DC1_RC_VOLUME_GROUP, "
        "RCVEXA_DC2_RC_VOLUME_GROUP, RCVEXA_RESYNC_WAIT_TIMEOUT, RCVEXA_AUTO_NONCURDATA, "
        "RCVEXA_DR_NOTIFICATION_CHOICES, RCVEXA_RPO_THRESHOLD, RCVEXA_StatusFastFailbackOk. Did "
        "you mean [RCVEXA_RESYNC_WAIT_TIMEOUT]?",
        "Error: Attribute [RCVEXA_StatusFastFailbackOk] names a run-time object",
        "Error: Required attribute [RCVEXA_DC1_STORAGE_SYSTEM_USER] is not set",
        "Error: Attribute [RCVEXA_AUTO_NONCURDATA] holds [yes], not 0 or 1",
        "Error: Attribute [RCVEXA_RESYNC_WAIT_TIMEOUT] holds [soon], not -1, NO_TIMEOUT or 0..86400",
        "Error: Attribute [RCVEXA_DC1_RC_TARGET_FOR_DC2] holds [vexab_tgt;reboot], which may not "
        "be put into a command line",
        "Error: Attribute [RCVEXA_DC2_NODE_LIST] lists no node",
        "Error: This node [nodea1] is in neither RCVEXA_DC1_NODE_LIST nor RCVEXA_DC2_NODE_LIST",
        "Error: Password file [" + pwfB + "] of array [vexab] (site B) is readable by group or others",
        "Warning: The array of site A was not asked",
        "Error: Group [rcgora_z] (RCVEXA_DC2_RC_VOLUME_GROUP) is not on array [vexab] (site B; "
        "groups there: rcgora_b)",
        "Warning: FORCEFLAG file [/usr/local/tarvos/run/pkgora//FORCEFLAG] is present"},
       {"Check of package pkgora finished: errors 10, warnings 2."},
       "vexaa"},
      {"node lists, password files, target, links, roles and modes of the two halves",
       [](PackageScenario& s) {
         s.set("RCVEXA_DC1_NODE_LIST", "nodea1.sitea.example nodea2 nodeb2");
         s.set("RCVEXA_DC2_NODE_LIST", "nodeb1 nodeb2 nodea1");
         s.set("RCVEXA_DC1_RC_TARGET_FOR_DC2", "vexac_tgt");
         s.arrays.array("vexab").version = "3.3.1";
         s.arrays.array("vexab").group("rcgora_b").role = "Primary";
         s.arrays.array("vexab").group("rcgora_b").mode = "Periodic";
         s.arrays.linkDown("vexaa", "vexab");
       },
       [&](orv_sandbox::Sandbox& sb) {
         return sb.remove(pwfA) && sb.makeDir(pwfA, 0700) && sb.remove(pwfB);
       },
       false, 1,
       {"Error: This node [nodea1] is in both RCVEXA_DC1_NODE_LIST and RCVEXA_DC2_NODE_LIST",
        "Error: Node [nodeb2] is in both RCVEXA_DC1_NODE_LIST and RCVEXA_DC2_NODE_LIST",
        "Error: Password file [" + pwfA + "] of array [vexaa] (site A) is not a regular file",
        "Warning: Password file [" + pwfB + "] of array [vexab] (site B) is missing",
        "Error: Group [rcgora_a] on array [vexaa] (site A) replicates through target [vexab_tgt], "
        "not [vexac_tgt] (RCVEXA_DC1_RC_TARGET_FOR_DC2)",
        "Error: Target [vexac_tgt] (RCVEXA_DC1_RC_TARGET_FOR_DC2) has no link on array [vexaa]",
        "Warning: The links of array [vexab] (site B) to target [vexaa_tgt] are Down",
        "Error: The two halves are not one primary and one secondary (site A [rcgora_a]: Primary, "
        "site B [rcgora_b]: Primary)",
        "Error: The two halves replicate in different modes (site A: Sync, site B: Periodic)"},
       {"Array [vexab] (site B) answers through ssh as rcadmin."}},
      {"an array that does not answer, a mode the table does not know, side settings",
       [](PackageScenario& s) {
         s.arrays.array("vexab").addFault("unreachable");
         s.arrays.array("vexaa").group("rcgora_a").mode = "Stream";
         s.set("RCVEXA_PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", "900", false);
         s.set("RCVEXA_JxVexaCLICommandTimeout", "2m", false);
         s.set("RCVEXA_RPO_THRESHOLD", "-5", false);
         s.set("RCVEXA_DR_NOTIFICATION_CHOICES", "EMAIL sms");
         s.set("RCVEXA_DC2_STORAGE_SYSTEM_USER", "rc_admin");
       },
       nullptr, false, 1,
       {"Warning: Attribute [RCVEXA_PERIODIC_ASYNC_LINK_DOWN_TIMEOUT] holds [900], not 200..400",
        "Warning: Attribute [RCVEXA_JxVexaCLICommandTimeout] holds [2m], not 0 or more seconds",
        "Warning: Attribute [RCVEXA_RPO_THRESHOLD] holds [-5], not 0 or more minutes",
        "Warning: Attribute [RCVEXA_DR_NOTIFICATION_CHOICES] holds [sms], not EMAIL, SYSLOG",
        "Warning: Attribute [RCVEXA_DC2_STORAGE_SYSTEM_USER] holds [rc_admin]: on the ssh path "
        "the array is logged in as [rc]",
        "Warning: Password file [/usr/local/tarvos/conf/vexarc/rc_admin_vexab.pwf] of array "
        "[vexab] (site B) is missing",
        "Error: Group [rcgora_a] on array [vexaa] (site A) replicates in mode [Stream], which the "
        "decision table does not know",
        "Error: Array [vexab] (site B) does not answer through ssh as rc (exit 255: ssh: "
        "connect to host vexab port 22: Network is unreachable)"},
       {"Check of package pkgora finished: errors 2, warnings 6."}},
      {"mail chosen, but EMAIL_ID holds no address",
       [](PackageScenario& s) { s.set("EMAIL_ID", "ops-team"); }, nullptr, false, 1,
       {"Warning: [ops-team] in EMAIL_ID is not an e-mail address; it is skipped.",
        "Error: Attribute [RCVEXA_DR_NOTIFICATION_CHOICES] holds EMAIL but EMAIL_ID names no "
        "e-mail address"},
       {}},
      {"a package the cluster manager does not know", nullptr, nullptr, false, 1,
       {"Error: The cluster manager shows no attributes for package [pkgzz]"}, {}, "", "pkgzz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PackageScenario scenario;
    if (c.faults) c.faults(scenario);
    install(scenario, c.forceFlag);
    if (c.files) {
      ASSERT_TRUE(c.files(*sb_)) << sb_->error();
    }
    orv_sandbox::RunResult r = run(rcplanPath(), {"--check", c.package});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;

    const std::vector<std::string> found = findingLines(r.output);
    ASSERT_EQ(found.size(), c.findings.size()) << r.output;
    for (size_t i = 0; i < found.size(); ++i)
      EXPECT_EQ(found[i].compare(0, c.findings[i].size(), c.findings[i]), 0)
          << "expected: " << c.findings[i] << "\n" << r.output;
    for (const std::string& l : c.lines)
      EXPECT_NE(r.output.find("\n" + l + "\n"), std::string::npos) << l << "\n" << r.output;

    // Queries only, no unsafe value on any command line, nothing left.
    expectOnlyQueries();
    for (const arraysim::SimJournalEntry& e : journal(*sb_).entries) {
      EXPECT_EQ(e.argv.find("reboot"), std::string::npos) << e.argv;
      EXPECT_NE(e.array, c.unasked) << e.command;
    }
    EXPECT_EQ(journal(*sb_).entries.empty(), c.package != scenario.package);
    EXPECT_EQ(sb_->listDir(scenario.packageDir()),
              c.forceFlag ? std::vector<std::string>{"FORCEFLAG"} : std::vector<std::string>{});
    EXPECT_EQ(sb_->listDir("/tmp"), std::vector<std::string>{});
  }
}

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    out.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

// rcgate leaves a record per start; rcplan lists them and decides again on
// one, also on one edited or cut short.
TEST_F(RcplanDryRunTest, HistoryListsTheRecordsAndReplayDecidesAgain) {
  PackageScenario healthy;
  install(healthy, false);
  ASSERT_EQ(run(rcgatePath(), {"pkgora"}).exitCode, 0);
  PackageScenario lost;
  siteBLost(lost);
  ASSERT_EQ(lost.install(*sb_), "");
  putFlag(lost, 2);
  ASSERT_EQ(run(rcgatePath(), {"pkgora"}).exitCode, 1);
  PackageScenario nowhere;
  nowhere.node = "nodec9";
  ASSERT_EQ(nowhere.install(*sb_), "");
  sb_->remove(nowhere.packageDir() + "/FORCEFLAG");  // the ignored one stays
  putFlag(nowhere, 1);
  ASSERT_EQ(run(rcgatePath(), {"pkgora"}).exitCode, 1);

  orv_sandbox::RunResult r = run(rcplanPath(), {"--history", "pkgora"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::string> rows = lines(r.output);
  ASSERT_EQ(rows.size(), 4u) << r.output;
  const size_t exitEnd = rows[0].find("Exit") + 4;
  ASSERT_NE(rows[0].find("Start (local time)"), std::string::npos) << r.output;
  const size_t forceAt = rows[0].find("Force");
  const char* const expected[][4] = {
      {"nodea1", "ca_takeover_nop", "", "-"},
      {"nodea1", "ca_takeover_stop_datacenter_no_auto",
       "Error: The Remote Copy link is down and data in the local storage system may not be "
       "current.",
       "ignored"},
      {"nodec9", " - ", "ERROR: System [nodec9] is not configured", "used"},
  };
  for (int i = 0; i < 3; ++i) {
    const std::string& row = rows[i + 1];
    for (const char* cell : expected[i]) EXPECT_NE(row.find(cell), std::string::npos) << row;
    EXPECT_EQ(row.compare(forceAt, strlen(expected[i][3]) + 1, std::string(expected[i][3]) + " "), 0)
        << row;
    // Exit codes line up under their title, right-aligned.
    ASSERT_GT(row.size(), exitEnd) << row;
    EXPECT_EQ(row[exitEnd - 1], i == 0 ? '0' : '1') << r.output;
    EXPECT_EQ(row[exitEnd], ' ') << r.output;
  }
  EXPECT_EQ(rows[1].back(), 's') << "no reason for an allowed start: " << rows[1];

  // On a narrow terminal a reason goes on under itself, whole.
  r = run(rcplanPath(), {"--history", "pkgora"}, {"COLUMNS=120"});
  rows = lines(r.output);
  ASSERT_GT(rows.size(), 5u) << r.output;
  const size_t reasonAt = rows[0].find("Reason");
  std::string joined = rows[2].substr(reasonAt);
  for (size_t i = 3; i < rows.size() && rows[i].compare(0, 4, "    ") == 0; ++i) {
    EXPECT_LE(rows[i].size(), 120u) << rows[i];
    joined += " " + rows[i].substr(reasonAt);
  }
  EXPECT_EQ(joined, expected[1][2]) << r.output;

  // A reason with an array's escape sequences reaches no terminal raw.
  nlohmann::json raw = decisionRecord(*sb_, healthy, decisionEntries(*sb_, healthy)[1]);
  raw["reason"] = "Error: array said \x1b[2J\x1b]0;owned\x07 gone";
  raw["node"] = "node\x1b[31m";
  const std::string rawFile =
      healthy.packageDir() + "/decisions/s0000009999-20261209T000000.000Z-1.json";
  ASSERT_TRUE(sb_->writeFile(rawFile, raw.dump(2), 0600));
  r = run(rcplanPath(), {"--history", "pkgora"});
  EXPECT_EQ(r.output.find('\x1b'), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("node?[31m"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Error: array said ?[2J?]0;owned? gone"), std::string::npos) << r.output;
  r = run(rcplanPath(), {"--replay", rawFile});
  EXPECT_EQ(r.output.find('\x1b'), std::string::npos) << r.output;
  EXPECT_NE(r.output.find(" on node?[31m (site "), std::string::npos) << r.output;
  ASSERT_TRUE(sb_->remove(rawFile));

  r = run(rcplanPath(), {"--history", "pkgora", "2"});
  rows = lines(r.output);
  ASSERT_EQ(rows.size(), 3u) << r.output;
  EXPECT_NE(rows[1].find("ca_takeover_stop_datacenter_no_auto"), std::string::npos) << r.output;
  EXPECT_EQ(run(rcplanPath(), {"--history", "pkgora", "0"}).exitCode, 2);

  const std::vector<std::string> names = decisionEntries(*sb_, healthy);
  ASSERT_EQ(names.size(), 3u);
  const std::string dir = healthy.packageDir() + "/decisions/";
  struct Case {
    const char* what;
    std::string file;
    std::string content;  // '' leaves the file as rcgate wrote it
    int exitCode;
    std::vector<std::string> said;
  };
  nlohmann::json edited = decisionRecord(*sb_, healthy, names[1]);
  ASSERT_TRUE(edited.is_object());
  std::string matched;
  for (const nlohmann::json& m : edited["matched_conditions"])
    matched += std::to_string(m.value("position", -1)) + " : " + m.value("condition", "") + "\n";
  edited["rule_inputs"]["StatusForceFlag"] = "yes";
  const std::string refused = sb_->readFile(dir + names[1]);
  const Case cases[] = {
      {"refused start", dir + names[1], "", 0,
       {"Action: ca_takeover_stop_datacenter_no_auto\nMatched conditions:\n" + matched +
        "Recorded action: ca_takeover_stop_datacenter_no_auto; the same decision.\n"}},
      {"force flag added", dir + "edited.json", edited.dump(2), 1,
       {"Action: ca_takeover_failover\n",
        "Recorded action: ca_takeover_stop_datacenter_no_auto\n"
        "Replayed action: ca_takeover_failover\n"}},
      {"cut short", dir + "half.json", refused.substr(0, refused.size() / 2), 2,
       {"Error: " + dir + "half.json: truncated: "}},
      {"start-up failure", dir + names[2], "", 2, {"there is nothing to decide again"}},
      {"missing", dir + "gone.json", "", 2, {"Error: " + dir + "gone.json: cannot open it: "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!c.content.empty()) {
      ASSERT_TRUE(sb_->writeFile(c.file, c.content));
    }
    r = run(rcplanPath(), {"--replay", c.file});
    EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
    for (const std::string& text : c.said) EXPECT_NE(r.output.find(text), std::string::npos) << r.output;
  }
}

}  // namespace
}  // namespace orv_e2e
