// rcgate's first two stages in the sandbox: argument check, configuration
// loading through the cluster manager, host information, force flag and
// site membership, with the exact messages and exit codes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_e2e {
namespace {

const char kBegin[] = "Begin Orvanta with Vexa Remote Copy..";
const char kEnd[] = "End of Orvanta with Vexa Remote Copy..";
const char kArgCount[] = "Error: Incorrect number of argument passed to the Orvanta binary";
const char kInitFailed[] = "Initialization failed.";
const char kConfigReport[] = "INFO: Configuration for the Remote Copy volume group:\n";
const char kRecordWarning[] = "Warning: Decision record not written: ";

time_t utcTime(const std::string& iso) {
  struct tm t = {};
  if (strptime(iso.c_str(), "%Y-%m-%dT%H:%M:%SZ", &t) == nullptr) return 0;
  return timegm(&t);
}

int modeOf(const std::string& hostPath) {
  struct stat st;
  return stat(hostPath.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

class RcgateStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ORV_REQUIRE_SANDBOX();
    ORV_REQUIRE_RCGATE();
    sb_.reset(new orv_sandbox::Sandbox);
    ASSERT_TRUE(sb_->ok()) << sb_->error();
  }
  // Installs the scenario and runs rcgate with args; fills msgs_.
  orv_sandbox::RunResult run(const std::vector<std::string>& args,
                             const std::vector<std::string>& env = {}) {
    std::string why = scenario_.install(*sb_);
    EXPECT_EQ(why, "");
    orv_sandbox::RunResult r = runRcgate(*sb_, args, env);
    EXPECT_TRUE(r.exited()) << r.describe();
    msgs_ = messages(r.output);
    return r;
  }
  bool has(const std::string& text) const { return findMessage(msgs_, text) >= 0; }
  std::string startingWith(const std::string& prefix) const {
    for (const std::string& m : msgs_)
      if (m.compare(0, prefix.size(), prefix) == 0) return m;
    return "";
  }
  std::string pkgDir() const { return scenario_.packageDir(); }
  std::string hostRecords() const { return sb_->hostPath(pkgDir() + "/decisions"); }
  int count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& m : msgs_) n += m.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return n;
  }

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
  PackageScenario scenario_;
  std::vector<std::string> msgs_;
};

TEST_F(RcgateStartupTest, WrongArgumentCountEndsStageOne) {
  const std::vector<std::vector<std::string>> cases = {
      {}, {"pkgora", "extra"}, {"pkgora", "a", "b"}, {""}};
  for (const auto& args : cases) {
    SCOPED_TRACE(args.size());
    orv_sandbox::RunResult r = run(args);
    if (args.size() == 1) {
      // One empty argument is a valid count: stage 1 goes on to load.
      EXPECT_FALSE(has(kArgCount)) << r.output;
      continue;
    }
    EXPECT_EQ(r.exitCode, 2) << r.output;
    ASSERT_GE(msgs_.size(), 3u) << r.output;
    EXPECT_EQ(msgs_[0], kBegin);
    int arg = findMessage(msgs_, kArgCount);
    int init = findMessage(msgs_, kInitFailed);
    EXPECT_GE(arg, 0) << r.output;
    EXPECT_GT(init, arg) << r.output;
    EXPECT_FALSE(has(kEnd));
    // The configuration is never asked for.
    EXPECT_TRUE(fakeCalls(*sb_, "tvgetpkgenv").empty());
  }
}

TEST_F(RcgateStartupTest, HealthyStartLoadsConfigurationAndAllowsTheStart) {
  orv_sandbox::RunResult r = run({"pkgora"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_TRUE(has("Package is allowed to start up")) << r.output;
  EXPECT_EQ(msgs_.back(), kEnd);
  // Both loader commands ask for exactly this package.
  std::vector<std::vector<std::string>> calls = fakeCalls(*sb_, "tvgetpkgenv");
  std::vector<std::string> expected = {"/usr/local/tarvos/bin/tvgetpkgenv", "pkgora"};
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0], expected);
  EXPECT_EQ(calls[1], expected);
  // No temporary file is left in the package directory, only the
  // directory of decision records.
  EXPECT_EQ(sb_->listDir(pkgDir()), std::vector<std::string>{"decisions"}) << r.output;
  // Quoted attribute values arrive without their quotes.
  std::string report = startingWith(kConfigReport);
  EXPECT_NE(report.find("\tLocal Jx Vexa Storage System Name/IP = vexaa\n"), std::string::npos)
      << report;
  EXPECT_NE(report.find("\tRemote Remote Copy Volume Group Name  = rcgora_b\n"),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("\tRESYNC_WAIT_TIMEOUT = 90\n"), std::string::npos) << report;
}

// A host without /etc/redhat-release is simply not RHEL 5: the check
// that every array command makes says nothing about the missing file, on
// either stream (both reach the captured output).
TEST_F(RcgateStartupTest, HostWithoutReleaseFileKeepsTheLogClean) {
  scenario_.redhatRelease = "";
  sb_->remove("/etc/redhat-release");
  orv_sandbox::RunResult r = run({"pkgora"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_FALSE(sb_->exists("/etc/redhat-release"));
  EXPECT_EQ(r.output.find("redhat-release"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("No such file"), std::string::npos) << r.output;
}

TEST_F(RcgateStartupTest, NoTimeoutBecomesMinusOne) {
  struct Case {
    const char* value;
    bool quoted;
    const char* line;
  } cases[] = {
      {"NO_TIMEOUT", false, "\tRESYNC_WAIT_TIMEOUT = no_timeout\n"},
      {"no_timeout", true, "\tRESYNC_WAIT_TIMEOUT = no_timeout\n"},
      {"-1", false, "\tRESYNC_WAIT_TIMEOUT = no_timeout\n"},
      {"30", true, "\tRESYNC_WAIT_TIMEOUT = 30\n"},
  };
  for (const Case& c : cases) {
    scenario_.set("RCVEXA_RESYNC_WAIT_TIMEOUT", c.value, c.quoted);
    orv_sandbox::RunResult r = run({"pkgora"});
    std::string report = startingWith(kConfigReport);
    EXPECT_NE(report.find(c.line), std::string::npos) << c.value << "\n" << r.output;
  }
}

TEST_F(RcgateStartupTest, SiteMembership) {
  struct Case {
    const char* node;
    const char* dc1;
    const char* dc2;
    bool quoted;
    int exitCode;        // -1: stage 2 passes, the rest does not matter here
    const char* message; // debug message with DATAREP_DEBUG set
  } cases[] = {
      {"nodea1", "nodea1.sitea.example nodea2", "nodeb1 nodeb2", true, -1,
       "INFO: System [nodea1] is a member of datacenter \"A\" system list"},
      {"nodea2", "nodea1.sitea.example nodea2", "nodeb1 nodeb2", true, -1,
       "INFO: System [nodea2] is a member of datacenter \"A\" system list"},
      {"nodea2", "nodea1 nodea2", "nodeb1 nodeb2", false, -1,
       "INFO: System [nodea2] is a member of datacenter \"A\" system list"},
      {"nodeb1.siteb.example", "nodea1 nodea2", "nodeb1 nodeb2", true, -1,
       "INFO: System [nodeb1] is a member of datacenter \"B\" system list"},
      {"nodec9", "nodea1 nodea2", "nodeb1 nodeb2", true, 1,
       "ERROR: System [nodec9] is not configured in neither Data Center A's nor Data "
       "Center B's system list"},
      {"Nodea1", "nodea1 nodea2", "nodeb1 nodeb2", true, 1,
       "ERROR: System [Nodea1] is not configured in neither Data Center A's nor Data "
       "Center B's system list"},
      {"nodea1", "nodea1 nodea2", "nodeb1 nodea1.siteb", true, 1,
       "Error: System [nodea1] is configured in both Datacenter A and B system lists"},
      // A '#' ends the list; what follows it is no node.
      {"nodeb2", "nodea1 nodea2", "nodeb1.siteb nodeb2 # spare", true, -1,
       "INFO: System [nodeb2] is a member of datacenter \"B\" system list"},
      {"spare", "nodea1 nodea2", "nodeb1.siteb nodeb2 # spare", true, 1,
       "ERROR: System [spare] is not configured in neither Data Center A's nor Data "
       "Center B's system list"},
      // A token cut by '#' keeps its domain part, so it names no short host.
      {"nodea1", "nodea1.x#comment", "nodeb1 nodeb2", true, 1,
       "ERROR: System [nodea1] is not configured in neither Data Center A's nor Data "
       "Center B's system list"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.node) + " in [" + c.dc1 + "] [" + c.dc2 + "]");
    scenario_.node = c.node;
    scenario_.set("RCVEXA_DC1_NODE_LIST", c.dc1, c.quoted);
    scenario_.set("RCVEXA_DC2_NODE_LIST", c.dc2, c.quoted);
    orv_sandbox::RunResult r = run({"pkgora"}, {"DATAREP_DEBUG=1"});
    EXPECT_TRUE(has(c.message)) << r.output;
    if (c.exitCode >= 0) {
      EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
      EXPECT_EQ(msgs_.back(), kEnd) << r.output;
      EXPECT_FALSE(has("Returning from startupInit successfully.."));
      // Nothing was asked of the arrays.
      EXPECT_TRUE(journal(*sb_).entries.empty());
    } else {
      EXPECT_TRUE(has("Returning from startupInit successfully..")) << r.output;
    }
  }
}

TEST_F(RcgateStartupTest, HostnameProblemsEndStageTwo) {
  struct Case {
    const char* what;
    bool missing;  // /bin/hostname is not there at all
    const char* message;
  } cases[] = {
      // Only a command that cannot be run counts as failed; its stand-in
      // name is UNKNOWN, which no site lists.
      {"missing", true,
       "ERROR: System [UNKNOWN] is not configured in neither Data Center A's "
       "nor Data Center B's system list"},
      // A command that runs but prints nothing leaves an empty name.
      {"silent", false, "Error: Object Name [LocalHostName] value not set."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sb_.reset(new orv_sandbox::Sandbox);
    if (c.missing) {
      ASSERT_TRUE(sb_->remove("/bin/hostname"));
    } else {
      ASSERT_TRUE(sb_->writeFile(std::string(orv_fake::kFakeDataDir) + "/hostname/exit", "1"));
    }
    orv_sandbox::RunResult r = run({"pkgora"});
    EXPECT_EQ(r.exitCode, 1) << r.output;
    EXPECT_EQ(has("INFO: Could not get local hostname"), c.missing) << r.output;
    EXPECT_TRUE(has(c.message)) << r.output;
    EXPECT_EQ(msgs_.back(), kEnd);
  }
}

TEST_F(RcgateStartupTest, MisspelledAttributeStopsTheLoad) {
  scenario_.set("RCVEXA_DC1_NODELIST", "nodea1 nodea2");
  scenario_.moveToFront("RCVEXA_DC1_NODELIST");
  orv_sandbox::RunResult r = run({"pkgora"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_TRUE(has("Error: Object name [DC1_NODELIST] not found ")) << r.output;
  // Nothing after the unknown line was loaded, so the site lists are empty.
  EXPECT_TRUE(has("Error: Object name [DC1_NODE_LIST] value not set")) << r.output;
  EXPECT_EQ(msgs_.back(), kEnd);
  EXPECT_FALSE(sb_->exists(pkgDir() + "/config_data"));
}

TEST_F(RcgateStartupTest, UnknownPackageHasNoConfigurationContext) {
  orv_sandbox::RunResult r = run({"pkgzz"});
  EXPECT_EQ(r.exitCode, 1) << r.output;
  EXPECT_TRUE(has("Cannot find resource group for PackageName")) << r.output;
  EXPECT_EQ(msgs_.back(), kEnd);
  ASSERT_FALSE(fakeCalls(*sb_, "tvgetpkgenv").empty());
  EXPECT_EQ(fakeCalls(*sb_, "tvgetpkgenv")[0],
            (std::vector<std::string>{"/usr/local/tarvos/bin/tvgetpkgenv", "pkgzz"}));
  // No package directory was found, so no extract may land anywhere.
  EXPECT_FALSE(sb_->exists("/config_data"));
  EXPECT_FALSE(sb_->exists("/usr/local/tarvos/run/pkgzz"));
}

TEST_F(RcgateStartupTest, ForceFlagIsConsumedByTheStartThatSeesIt) {
  const std::string flag = pkgDir() + "/FORCEFLAG";
  const char kForce[] = "INFO: Force flag is set; user has enabled startup action.";
  ASSERT_TRUE(sb_->writeFile(flag, ""));
  orv_sandbox::RunResult r = run({"pkgora"});
  EXPECT_TRUE(has(kForce)) << r.output;
  EXPECT_FALSE(sb_->exists(flag));
  r = run({"pkgora"});
  EXPECT_FALSE(has(kForce)) << r.output;
  // A site failure comes after the flag was read: the flag is gone as well.
  ASSERT_TRUE(sb_->writeFile(flag, "operator\n"));
  scenario_.node = "nodec9";
  r = run({"pkgora"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(has(kForce)) << r.output;
  EXPECT_FALSE(sb_->exists(flag));
}

TEST_F(RcgateStartupTest, DebugLinesOnlyWithDatarepDebug) {
  struct Case {
    std::vector<std::string> env;
    bool debug;
  } cases[] = {{{}, false}, {{"DATAREP_DEBUG="}, true}, {{"DATAREP_DEBUG=yes"}, true}};
  const std::vector<std::string> expected = {
      "The command to be executed is [. /etc/tarvos.conf; val1=`"
      "/usr/local/tarvos/bin/tvgetpkgenv pkgora | grep VKR_PKG_DIR  | cut -d '=' -f 2 | "
      "tr -d '\"'`;echo \"$val1\"]",
      "The package dir for package [pkgora] is [/usr/local/tarvos/run/pkgora]",
      "Entering startupInit ..",
      "DEBUG: Getting host name.",
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.env.empty() ? "unset" : c.env[0]);
    orv_sandbox::RunResult r = run({"pkgora"}, c.env);
    int last = -1;
    for (const std::string& text : expected) {
      int at = findMessage(msgs_, text);
      if (c.debug) {
        EXPECT_GT(at, last) << text << "\n" << r.output;
        last = at;
      } else {
        EXPECT_EQ(at, -1) << text;
      }
    }
    bool anyDebug = false;
    for (const LogLine& l : parseLog(r.output)) {
      anyDebug = anyDebug || l.debug;
      EXPECT_EQ(l.node, "nodea1") << l.text;
    }
    EXPECT_EQ(anyDebug, c.debug);
    EXPECT_EQ(r.exitCode, 0) << r.output;
  }
}

TEST_F(RcgateStartupTest, EveryRunPastTheLoadLeavesOneRecordTrueToIt) {
  using nlohmann::json;
  struct Case {
    const char* what;
    const char* node;
    bool forceFlag;
    int exitCode;
    const char* action;  // '' for none
    const char* endedIn;
    const char* localRoleAfter;  // '' when the state is not read again
    const char* reason;
  } cases[] = {
      {"healthy start", "nodea1", false, 0, "ca_takeover_nop", "takeover", "", ""},
      {"switch-over", "nodeb1", false, 3, "ca_takeover_stoprcvg_reverse_startrcvg", "takeover",
       "Primary", ""},
      {"forced start", "nodea1", true, 0, "ca_takeover_nop", "takeover", "", ""},
      {"node in no site", "nodec9", false, 1, "", "start-up", "",
       "ERROR: System [nodec9] is not configured in neither"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    scenario_.node = c.node;
    if (c.forceFlag) {
      ASSERT_TRUE(sb_->writeFile(pkgDir() + "/FORCEFLAG", ""));
    }
    const std::vector<std::string> before = decisionEntries(*sb_, scenario_);
    const time_t t0 = time(nullptr);
    orv_sandbox::RunResult r = run({"pkgora"});
    const time_t t1 = time(nullptr);
    ASSERT_EQ(r.exitCode, c.exitCode) << r.output;
    EXPECT_EQ(count(kRecordWarning), 0) << r.output;

    // One new file, renamed into place: no temporary file is left.
    const std::vector<std::string> after = decisionEntries(*sb_, scenario_);
    ASSERT_EQ(after.size(), before.size() + 1);
    const std::string name = after.back();
    for (const std::string& n : after) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
    EXPECT_EQ(modeOf(hostRecords()), 0700);
    EXPECT_EQ(modeOf(hostRecords() + "/" + name), 0600);
    const std::string text = sb_->readFile(pkgDir() + "/decisions/" + name);
    EXPECT_EQ(text.find("encrypted-"), std::string::npos) << "password file contents recorded";

    const json rec = decisionRecord(*sb_, scenario_, name);
    ASSERT_TRUE(rec.is_object()) << text;
    EXPECT_EQ(rec.value("record", ""), "rcgate decision");
    EXPECT_FALSE(rec.value("program_version", "").empty());
    const time_t start = utcTime(rec.value("start", ""));
    EXPECT_GE(start, t0 - 1);
    EXPECT_LE(start, t1 + 1);
    EXPECT_GE(rec.value("duration_ms", -1), 0);
    EXPECT_EQ(rec.value("node", ""), c.node);
    EXPECT_EQ(rec.value("package", ""), "pkgora");
    EXPECT_EQ(rec.value("exit_code", -99), r.exitCode);
    EXPECT_EQ(rec.value("ended_in", ""), c.endedIn);
    EXPECT_EQ(rec["action"].is_null() ? "" : rec.value("action", "?"), c.action);
    EXPECT_EQ(rec.value("reason", "?").compare(0, strlen(c.reason), c.reason), 0)
        << rec.value("reason", "?");
    EXPECT_EQ(rec["configuration"].value("RCVEXA_DC1_STORAGE_SYSTEM_NAME", ""), "vexaa");
    EXPECT_EQ(rec["force_flag"].value("found", !c.forceFlag), c.forceFlag);
    EXPECT_EQ(rec["force_flag"].value("consumed", !c.forceFlag), c.forceFlag);
    if (*c.action) {
      EXPECT_EQ(rec["rule_inputs"].value("StatusRCLink", ""), "Up");
      EXPECT_EQ(rec["rule_inputs"].value("StatusForceFlag", ""), c.forceFlag ? "yes" : "no");
      EXPECT_FALSE(rec["matched_conditions"].empty());
    } else {
      EXPECT_TRUE(rec["rule_inputs"].is_null());
    }
    if (*c.localRoleAfter) {
      EXPECT_EQ(rec["state_after"].value("StatusLocalReplicationRole", ""), c.localRoleAfter);
    } else {
      EXPECT_TRUE(rec["state_after"].is_null());
    }

    // Every command the arrays received, in order; only the version
    // probes that choose the access path are left out.
    std::vector<arraysim::SimJournalEntry> sent;
    for (const arraysim::SimJournalEntry& e : journal(*sb_).entries)
      if (e.command.compare(0, 11, "showversion") != 0) sent.push_back(e);
    const json& commands = rec["commands"];
    ASSERT_EQ(commands.size(), sent.size()) << text;
    for (size_t i = 0; i < sent.size(); ++i) {
      const std::string line = commands[i].value("command", "");
      EXPECT_EQ(line.substr(line.size() - std::min(line.size(), sent[i].command.size())),
                sent[i].command);
      EXPECT_EQ(commands[i].value("array", ""), sent[i].array);
      EXPECT_EQ(commands[i].value("path", ""), sent[i].path);
      EXPECT_EQ(commands[i].value("exit_status", -99), sent[i].exitCode);
    }
  }
}

// Pruned in the order of writing, also after records written with the
// clock a day fast (names of earlier versions, then numbered ones): the
// oldest goes, the run's own record stays.
TEST_F(RcgateStartupTest, OnlyTheNewestHundredRecordsStay) {
  ASSERT_EQ(scenario_.install(*sb_), "");
  const std::string dir = pkgDir() + "/decisions/";
  const time_t tomorrow = time(nullptr) + 86400;
  char ahead[16];
  strftime(ahead, sizeof(ahead), "%Y%m%dT%H", gmtime(&tomorrow));
  std::vector<std::string> old;
  for (int i = 0; i < 100; ++i) {
    char name[64];
    snprintf(name, sizeof(name), "s%010d-%s%02d%02d.000Z-1.json", i - 49, ahead, i / 60, i % 60);
    old.push_back(i < 50 ? name + 12 : name);
    ASSERT_TRUE(sb_->writeFile(dir + old.back(), "{}\n", 0600));
  }
  // A temporary file of a run that died long ago, one of a run now going on,
  // and a file of someone else's.
  ASSERT_TRUE(sb_->writeFile(dir + ".tmp-99-0", "{", 0600));
  ASSERT_TRUE(sb_->writeFile(dir + ".tmp-98-0", "{", 0600));
  ASSERT_TRUE(sb_->writeFile(dir + "notes.txt", "kept\n", 0600));
  struct utimbuf longAgo = {time(nullptr) - 7200, time(nullptr) - 7200};
  ASSERT_EQ(utime((hostRecords() + "/.tmp-99-0").c_str(), &longAgo), 0);

  orv_sandbox::RunResult r = run({"pkgora"});
  EXPECT_EQ(r.exitCode, 0) << r.output;
  const std::vector<std::string> after = decisionEntries(*sb_, scenario_);
  std::vector<std::string> records;
  for (const std::string& n : after)
    if (n.size() > 5 && n.compare(n.size() - 5, 5, ".json") == 0) records.push_back(n);
  ASSERT_EQ(records.size(), 100u);
  EXPECT_EQ(records.front(), old[1]);  // the oldest went
  EXPECT_EQ(records.back().compare(0, 12, "s0000000051-"), 0);  // this run's
  EXPECT_EQ(std::count(after.begin(), after.end(), ".tmp-99-0"), 0);
  EXPECT_EQ(std::count(after.begin(), after.end(), ".tmp-98-0"), 1);
  EXPECT_EQ(std::count(after.begin(), after.end(), "notes.txt"), 1);
}

TEST_F(RcgateStartupTest, APlantedOrForeignDecisionsEntryIsLeftAloneWithOneWarning) {
  struct Case {
    const char* what;
    const char* why;  // in the warning
  } cases[] = {
      {"link", "is not a directory (a link or another file is in its place)"},
      {"file", "is not a directory (a link or another file is in its place)"},
      {"foreign", "is owned by uid 4242, not by this user"},
      {"open", "may be written by other users"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    sb_.reset(new orv_sandbox::Sandbox);
    ASSERT_EQ(scenario_.install(*sb_), "");
    const std::string elsewhere = "/usr/local/tarvos/elsewhere";
    ASSERT_TRUE(sb_->makeDir(elsewhere));
    const std::string planted = hostRecords();
    if (std::string(c.what) == "link") {
      ASSERT_EQ(symlink(elsewhere.c_str(), planted.c_str()), 0);
    } else if (std::string(c.what) == "file") {
      ASSERT_TRUE(sb_->writeFile(pkgDir() + "/decisions", "mine\n"));
    } else {
      ASSERT_EQ(mkdir(planted.c_str(), 0700), 0);
      const int done = std::string(c.what) == "foreign" ? chown(planted.c_str(), 4242, 4242)
                                                         : chmod(planted.c_str(), 0777);
      ASSERT_EQ(done, 0);
    }
    orv_sandbox::RunResult r = run({"pkgora"});
    EXPECT_EQ(r.exitCode, 0) << r.output;
    EXPECT_TRUE(has("Package is allowed to start up")) << r.output;
    EXPECT_EQ(msgs_.back(), kEnd);
    ASSERT_EQ(count(kRecordWarning), 1) << r.output;
    EXPECT_NE(startingWith(kRecordWarning).find(c.why), std::string::npos) << r.output;
    EXPECT_TRUE(sb_->listDir(elsewhere).empty());
    if (std::string(c.what) == "file") {
      EXPECT_EQ(sb_->readFile(pkgDir() + "/decisions"), "mine\n");
    } else if (std::string(c.what) != "link") {
      EXPECT_TRUE(decisionEntries(*sb_, scenario_).empty());
    }
  }
}

}  // namespace
}  // namespace orv_e2e
