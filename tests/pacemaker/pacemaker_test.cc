// The resource agent against the real Pacemaker parts: ocf-tester, the OCF
// DTD, crm_resource's validation and a one-node cluster, all in the sandbox
// with the simulated arrays.  The cluster manager's attribute fake is
// removed, so every attribute reaches the programs through the agent.
// Each part is skipped, with the reason, when its tools are missing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "testing/demo/demo_package.h"
#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"

namespace {

const std::string kBuild = ORV_BUILD_DIR;
const std::string kAgent = kBuild + "/ocf/rcgate";
const std::string kScript = std::string(ORV_BUILD_DIR) + "/testing/pacemaker/in_namespace.sh";
const std::string kAgentPath = "/usr/lib/ocf/resource.d/orvanta/rcgate";
const std::string kCaseDir = "/usr/local/orv-pcmk";

// The demo package as the resource's parameters.
const std::vector<std::string> kParams = {
    "package=pkgora",         std::string("force_flag_dir=") + orv_demo::kPackageDir,
    "site_a_nodes=nodea1 nodea2", "site_b_nodes=nodeb1 nodeb2", "site_a_array=vexaa",
    "site_b_array=vexab",     "site_a_user=rcadmin",    "site_b_user=rcadmin",
    "site_a_target=vexab_tgt", "site_b_target=vexaa_tgt", "site_a_group=rcgora_a",
    "site_b_group=rcgora_b",  "auto_noncurdata=0"};

std::string nameOf(const std::string& param) { return param.substr(0, param.find('=')); }

bool haveTool(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool changesArrays(const arraysim::SimJournal& journal) {
  for (const arraysim::SimJournalEntry& e : journal.entries)
    if (e.command.compare(0, 4, "show") != 0) return true;
  return false;
}

class PacemakerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    for (const char* tool : {"/usr/sbin/ocf-tester", "/usr/sbin/crm_resource", "/usr/bin/xmllint",
                             "/usr/sbin/corosync", "/usr/sbin/pacemakerd"})
      if (!haveTool(tool))
        GTEST_SKIP() << tool << " missing; scripts/install-deps.sh installs it (as root)";
    ASSERT_TRUE(haveTool(kAgent)) << "agent not built: " << kAgent;
    ASSERT_EQ("", orv_demo::installPackage(sb_, "nodea1", orv_demo::healthyArrays()));
    ASSERT_TRUE(sb_.remove(std::string(orv_fake::kFakeDataDir) + "/pkgenv/pkgora"));
    // The sandbox's /usr/sbin is a fresh directory for its fakes: the
    // cluster's tools (and ip) join them.
    for (const auto& entry : std::filesystem::directory_iterator("/usr/sbin")) {
      const std::string inside = "/usr/sbin/" + entry.path().filename().string();
      if (entry.is_regular_file() && !sb_.exists(inside)) {
        ASSERT_TRUE(sb_.copyIn(entry.path().string(), inside)) << sb_.error();
      }
    }
    for (const char* program : {"rcgate", "rcplan"})
      ASSERT_TRUE(sb_.copyIn(kBuild + "/" + program + "/" + program,
                             std::string("/usr/local/tarvos/bin/") + program));
  }

  orv_sandbox::RunResult inNamespace(const std::vector<std::string>& args, int timeout = 60,
                                     std::vector<std::string> env = {}) {
    orv_sandbox::RunOptions o;
    o.argv = {"/bin/sh", kScript, kAgent, kCaseDir};
    o.argv.insert(o.argv.end(), args.begin(), args.end());
    o.timeoutSeconds = timeout;
    o.env = env;
    o.virtualTime = !env.empty();  // the agent run by hand: its waits pass at once
    return sb_.run(o);
  }

  // One action of the agent as Pacemaker runs it on node; setUp runs first.
  orv_sandbox::RunResult agent(const std::string& action, const std::string& setUp = ":",
                               const std::string& node = "nodea1") {
    std::vector<std::string> env = {"OCF_ROOT=/usr/lib/ocf", "OCF_RESOURCE_INSTANCE=gate",
                                    "OCF_RESKEY_CRM_meta_on_node=" + node};
    for (const std::string& p : kParams) env.push_back("OCF_RESKEY_" + p);
    return inNamespace({"run", "/bin/sh", "-c", setUp + "; exec " + kAgentPath + " " + action}, 60,
                       env);
  }

  // The arrays after a start on site B: a real reverse by the gate.
  arraysim::SimScenario siteBPrimary() {
    orv_sandbox::RunResult r = agent("start", ":", "nodeb1");
    EXPECT_EQ(0, r.exitCode) << r.describe();
    return orv_demo::loadArrays(sb_);
  }

  orv_sandbox::Sandbox sb_;
};

TEST_F(PacemakerTest, OcfTesterPassesAndMetaDataFollowsTheDtd) {
  std::vector<std::string> args = {"run", "/usr/sbin/ocf-tester", "-n", "gate"};
  for (const std::string& p : kParams) args.insert(args.end(), {"-o", p});
  args.push_back(kAgentPath);
  orv_sandbox::RunResult r = inNamespace(args, 120);
  EXPECT_EQ(0, r.exitCode) << r.describe();
  EXPECT_NE(std::string::npos, r.output.find("passed all tests")) << r.output;
  std::printf("ocf-tester:\n%s", r.output.c_str());

  ASSERT_TRUE(sb_.writeFile("/tmp/meta.xml", ""));
  r = inNamespace({"run", "/bin/sh", "-c",
                   kAgentPath + " meta-data > /tmp/meta.xml && xmllint --noout --dtdvalid "
                                "/usr/share/resource-agents/ra-api-1.dtd /tmp/meta.xml"});
  EXPECT_EQ(0, r.exitCode) << r.describe();
  const std::string meta = sb_.readFile("/tmp/meta.xml");
  for (const std::string& p : kParams)
    EXPECT_NE(std::string::npos, meta.find("<parameter name=\"" + nameOf(p) + "\"")) << p;
}

TEST_F(PacemakerTest, ValidateAllReportsTheCheckOfTheParameters) {
  struct Case {
    const char* changed;  // one parameter
    int exitCode;         // crm_resource's: the agent's OCF code
    const char* finding;
  } cases[] = {
      {"site_b_group=rcgora_b", 0, "no errors, no warnings"},
      {"site_b_group=rcgora_c", 6, "ERROR: Error: Group [rcgora_c] (RCVEXA_DC2_RC_VOLUME_GROUP)"},
      {"site_a_nodes=nodea2", 6, "ERROR: Error: This node [nodea1] is in neither"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"run", "/usr/sbin/crm_resource", "--validate", "--class",
                                     "ocf", "--provider", "orvanta", "--agent", "rcgate"};
    for (const std::string& p : kParams)
      args.insert(args.end(), {"--option", nameOf(p) == nameOf(c.changed) ? c.changed : p});
    orv_sandbox::RunResult r = inNamespace(args);
    EXPECT_EQ(c.exitCode, r.exitCode) << c.changed << "\n" << r.describe();
    EXPECT_NE(std::string::npos, r.output.find(c.finding)) << c.changed << "\n" << r.output;
  }
}

TEST_F(PacemakerTest, MonitorLooksAtTheLocalHalfOnly) {
  const arraysim::SimScenario siteB = siteBPrimary();
  arraysim::SimScenario localDown = orv_demo::healthyArrays();
  localDown.array("vexaa").addFault("unreachable");
  struct Case {
    const char* what;
    const arraysim::SimScenario arrays;  // the gate started (state file) on them
    int exitCode;
    const char* logged;
  } cases[] = {
      {"primary here", orv_demo::healthyArrays(), 0, ""},
      {"became secondary", siteB, 1, "has become Secondary under the running package"},
      {"local array silent", localDown, 0, "counted as running"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(orv_demo::saveArrays(sb_, c.arrays));
    orv_sandbox::RunResult r = agent("monitor", "touch /run/resource-agents/rcgate-gate.state");
    EXPECT_EQ(c.exitCode, r.exitCode) << c.what << "\n" << r.describe();
    EXPECT_NE(std::string::npos, r.output.find(c.logged)) << c.what << "\n" << r.output;
    EXPECT_FALSE(changesArrays(orv_demo::loadJournal(sb_))) << c.what;
  }
}

TEST_F(PacemakerTest, OneNodeClusterRunsTheGroup) {
  // The cases' arrays: healthy; site B primary (a reverse brings it here);
  // then site B lost with the link down (refused until the FORCEFLAG).
  arraysim::SimScenario healthy = orv_demo::healthyArrays();
  arraysim::SimScenario siteB = siteBPrimary();
  arraysim::SimScenario lost = siteB;  // site B lost, the link down, A's half stopped
  lost.array("vexab").addFault("unreachable");
  lost.linkDown("vexaa", "vexab");
  lost.array("vexaa").group("rcgora_a").status = "Stopped";
  lost.array("vexaa").group("rcgora_a").setVolumes("Stopped");
  std::string params;
  for (const std::string& p : kParams) params += p + "\n";
  ASSERT_TRUE(sb_.writeFile(kCaseDir + "/params", params));
  const std::pair<const char*, arraysim::SimScenario*> states[] = {
      {"healthy", &healthy}, {"reverse", &siteB}, {"refusal", &lost}};
  for (const auto& s : states) {
    ASSERT_TRUE(orv_demo::saveArrays(sb_, *s.second));
    ASSERT_TRUE(sb_.writeFile(kCaseDir + "/" + s.first + ".state",
                              sb_.readFile("/usr/local/arraysim/state")));
  }

  orv_sandbox::RunResult r = inNamespace({"cluster"}, 280);
  if (r.exitCode == 77) GTEST_SKIP() << "the cluster cannot start here: " << sb_.readFile(kCaseDir + "/skip");
  ASSERT_EQ(0, r.exitCode) << r.describe();

  struct Expect {
    const char* name;
    bool started;
    const char* command;  // the one change the arrays received, '' for none
    const char* failure;  // in crm_mon's output, '' for none
  } expects[] = {
      {"healthy", true, "", ""},
      {"reverse", true, "setrcopygroup reverse", ""},
      {"refusal", false, "", "exitstatus=\"not configured\" exitreason=\"rcgate: package pkgora"},
      {"forced", true, "setrcopygroup failover", ""},
  };
  for (const Expect& e : expects) {
    SCOPED_TRACE(e.name);
    const std::string xml = sb_.readFile(kCaseDir + "/" + e.name + ".xml");
    for (const char* resource : {"gate", "app"}) {
      const size_t at = xml.find(std::string("<resource id=\"") + resource + "\"");
      ASSERT_NE(std::string::npos, at) << xml;
      const size_t end = xml.find("/>", at);
      EXPECT_EQ(e.started, xml.find("role=\"Started\" target_role=\"Started\" active=\"true\"", at) < end)
          << resource << "\n" << xml;
    }
    EXPECT_EQ(e.failure[0] == '\0', xml.find("<failure ") == std::string::npos) << xml;
    EXPECT_NE(std::string::npos, xml.find(e.failure)) << xml;
    const arraysim::SimJournal journal =
        arraysim::SimJournal::load(sb_.hostPath(kCaseDir + "/" + e.name + ".j"));
    EXPECT_EQ(e.command[0] != '\0', changesArrays(journal));
    EXPECT_GT(journal.count(e.command), 0);
  }
}

}  // namespace
