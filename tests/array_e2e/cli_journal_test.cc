// The command lines each option produces on each access path, as the
// array simulator receives them (its journal), and the path each host and
// array version lead to.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"

namespace {

constexpr const char* kSimDir = "/usr/local/arraysim";
constexpr const char* kPwf = "/usr/local/tarvos/conf/vexarc/admin_arrA.pwf";
constexpr const char* kRhel5 = "Red Hat Enterprise Linux Server release 5.11 (Tikanga)\n";
constexpr const char* kRhel6 = "Red Hat Enterprise Linux Server release 6.10 (Santiago)\n";

struct ProbeCall {
  std::string form;  // "long" or "short"
  int option = 0;
  int result = -1;
  int status = 0;
};

struct ProbeRun {
  orv_sandbox::RunResult run;
  std::vector<ProbeCall> calls;
  arraysim::SimJournal journal;
  std::vector<std::string> leftovers;  // files left in /tmp
  std::vector<std::string> sleeps;  // virtual-time log, one line per sleep

  // Full command lines of one array, version probes left out, as typed:
  // the program's path followed by the arguments the simulator received.
  std::vector<std::string> lines() const {
    std::vector<std::string> v;
    for (const arraysim::SimJournalEntry& e : journal.entries)
      if (e.command != "showversion -s") v.push_back("/usr/bin/" + e.path + " " + e.argv);
    return v;
  }
  int probes() const { return journal.count("showversion -s"); }
};

class CliJournal : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why = orv_sandbox::Sandbox::unavailableReason();
    if (!why.empty()) GTEST_SKIP() << "sandbox unavailable: " << why;
    scenario = arraysim::SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  }

  ProbeRun run(const std::vector<std::string>& calls, const std::string& release,
               bool wait = false, int timeout = 0) {
    ProbeRun r;
    sb_.reset(new orv_sandbox::Sandbox());
    orv_sandbox::Sandbox& sb = *sb_;
    if (!sb.ok()) {
      ADD_FAILURE() << "sandbox: " << sb.error();
      return r;
    }
    EXPECT_TRUE(sb.missingStandIns().empty());
    if (release.empty()) {
      sb.remove("/etc/redhat-release");
    } else {
      EXPECT_TRUE(sb.writeFile("/etc/redhat-release", release));
    }
    EXPECT_TRUE(sb.writeFile(kPwf, "pw\n", 0600));
    EXPECT_TRUE(scenario.save(sb.hostPath(kSimDir)));

    orv_sandbox::RunOptions opt;
    opt.argv = {CLI_PROBE_PATH, "arrA", kPwf, "grpA", "arrB_tgt"};
    if (wait) opt.argv.push_back("--wait");
    if (timeout > 0) opt.argv.push_back("--timeout=" + std::to_string(timeout));
    opt.argv.insert(opt.argv.end(), calls.begin(), calls.end());
    opt.env = {"DATAREP_DEBUG=1"};
    opt.virtualTime = true;
    opt.maxSleeps = 20;
    opt.vtimeLog = "/usr/local/orv-sandbox/vtime.log";
    r.run = sb.run(opt);

    size_t pos = 0;
    const std::string& out = r.run.output;
    while (pos < out.size()) {
      size_t eol = out.find('\n', pos);
      if (eol == std::string::npos) eol = out.size();
      std::string line = out.substr(pos, eol - pos);
      char form[8] = {0};
      ProbeCall c;
      if (sscanf(line.c_str(), "CALL %7s %d %d %d", form, &c.option, &c.result, &c.status) == 4) {
        c.form = form;
        r.calls.push_back(c);
      }
      pos = eol + 1;
    }
    r.journal = arraysim::SimJournal::load(sb.hostPath(kSimDir));
    for (const std::string& name : sb.listDir("/tmp"))
      if (name.rfind("orv", 0) == 0) r.leftovers.push_back(name);
    std::string vlog = sb.readFile(opt.vtimeLog);
    for (size_t p = 0, e; (e = vlog.find('\n', p)) != std::string::npos; p = e + 1)
      r.sleeps.push_back(vlog.substr(p, e - p));
    return r;
  }

  bool logged(const ProbeRun& r, const std::string& text) const {
    return r.run.output.find(" : " + text + "\n") != std::string::npos;
  }

  arraysim::SimScenario scenario;
  std::unique_ptr<orv_sandbox::Sandbox> sb_;
};

// The command text of each option and overload, filled with group grpA
// and target arrB_tgt; '' where that overload has no command.
struct OptionText {
  int option;
  const char* longText;
  const char* shortText;
  const char* operation;  // the "Executing ..." line's operation, or null
};
const OptionText kOptions[] = {
    {0, "", "showrcopy -d -csvtable", nullptr},
    {1, "showrcopy groups grpA -csvtable", "", nullptr},
    {2, "", "showrcopy groups -csvtable", nullptr},
    {3, "", "showrcopy links -csvtable", nullptr},
    {4, "stoprcopygroup -t arrB_tgt grpA", "", "\"stop\""},
    {5, "stoprcopygroup -f -t arrB_tgt grpA", "", "\"stop\""},
    {6, "startrcopygroup -t arrB_tgt grpA", "", "\"start\""},
    {7, "setrcopygroup reverse -f -t arrB_tgt -waittask grpA", "", "\"reverse\""},
    {8, "setrcopygroup reverse -f -t arrB_tgt -stopgroups -waittask grpA", "",
     "\"stop\" and \"reverse\""},
    {9, "setrcopygroup failover -f -t arrB_tgt -waittask grpA", "", "\"failover\""},
    {10, "setrcopygroup recover -f -t arrB_tgt grpA", "", "\"recover\""},
    {11, "setrcopygroup restore -f -t arrB_tgt -waittask grpA", "", "\"restore\""},
    {12, "setrcopygroup restore -f -waittask grpA", "", "\"restore\""},
    {13, "setrcopygroup restore -f -t arrB_tgt -stopgroups -waittask grpA", "",
     "\"stop\" and \"restore\""},
    {14, "", "", nullptr},
    {15, "setrcopygroup override -f -t arrB_tgt grpA", "", "\"override\""},
    {16, "", "", nullptr},  // task queries are built with their id
    {17, "", "showsys -d", nullptr},
    {18, "", "showsys", nullptr},
    {19, "syncrcopy -t arrB_tgt grpA", "", "\"syncrcopy\""},
    {20, "", "", nullptr},
};

const char* kCliPrefix =
    "/usr/bin/cli -sys arrA -sockssl -pwf /usr/local/tarvos/conf/vexarc/admin_arrA.pwf ";
const char* kSshPrefix = "/usr/bin/ssh -l admin -o ConnectTimeout=3 arrA ";

// Every option through both overloads, on hosts and array versions that
// lead to each path: the journal holds exactly the lines of the table, in
// call order, with the prefix of the path; options without a command in an
// overload send nothing and fail.  A version probe that prints far more
// than its version (more than a pipe holds) leads to the same path with
// and without the command time-out.  A host without a release file says
// nothing about it.
TEST_F(CliJournal, EveryOptionOnBothAccessPaths) {
  struct Host {
    const char* name;
    const char* release;
    const char* version;
    bool probeFails;
    const char* prefix;
    int versionLines;
    int timeout;
  } hosts[] = {
      {"talkative old CLI, no time-out", kRhel6, "3.2.2", false, kCliPrefix, 2000, 0},
      {"talkative old CLI, time-out", kRhel6, "3.2.2", false, kCliPrefix, 2000, 30},
      {"talkative 3.3.1 on RHEL 5, time-out", kRhel5, "3.3.1", false, kCliPrefix, 2000, 30},
      {"old CLI on RHEL 6", kRhel6, "3.2.2", false, kCliPrefix, 0, 0},
      {"old CLI without a release file", "", "3.2.2", false, kCliPrefix, 0, 0},
      {"3.3.1 on RHEL 5", kRhel5, "3.3.1", false, kCliPrefix, 0, 0},
      {"3.3.1 on RHEL 6", kRhel6, "3.3.1", false, kSshPrefix, 0, 0},
      {"3.10 on RHEL 6 (numeric comparison)", kRhel6, "3.10", false, kSshPrefix, 0, 0},
      {"3.10 on RHEL 5", kRhel5, "3.10", false, kCliPrefix, 0, 0},
      {"version probe fails", kRhel5, "3.2.2", true, kSshPrefix, 0, 0},
      {"version text not numbers", kRhel5, "3.2.2-beta", false, kSshPrefix, 0, 0},
      {"3.3.1 on RHEL 6, time-out", kRhel6, "3.3.1", false, kSshPrefix, 0, 30},
  };
  for (const Host& h : hosts) {
    SCOPED_TRACE(h.name);
    scenario = arraysim::SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    scenario.array("arrA").version = h.version;
    scenario.array("arrA").versionLines = h.versionLines;
    if (h.probeFails) scenario.array("arrA").addFault("unreachable", "showversion");
    ProbeRun r = run({"all"}, h.release, false, h.timeout);
    EXPECT_EQ(std::string::npos, r.run.output.find("No such file")) << r.run.output.substr(0, 2000);
    ASSERT_EQ(0, r.run.exitCode) << r.run.describe();
    ASSERT_EQ(2u * (sizeof(kOptions) / sizeof(kOptions[0])), r.calls.size());

    std::vector<std::string> expected;
    for (const ProbeCall& c : r.calls) {
      const OptionText& t = kOptions[c.option];
      const std::string text = c.form == "long" ? t.longText : t.shortText;
      if (text.empty()) {
        EXPECT_EQ(0, c.result) << c.form << " " << c.option;
        continue;
      }
      expected.push_back(h.prefix + text);
      // 1 exactly when the array command succeeded.
      EXPECT_EQ(c.status == 0 ? 1 : 0, c.result) << c.form << " " << c.option;
    }
    EXPECT_EQ(expected, r.lines());
    // The path is chosen anew for every call: one version probe each.
    EXPECT_EQ(static_cast<int>(r.calls.size()), r.probes());
    for (const arraysim::SimJournalEntry& e : r.journal.entries) {
      if (e.command == "showversion -s") {
        EXPECT_EQ("cli", e.path);
        EXPECT_EQ(kPwf, e.credential);
      } else {
        EXPECT_EQ(h.prefix == kSshPrefix ? "admin" : kPwf, e.credential);
      }
    }
    EXPECT_TRUE(r.leftovers.empty()) << r.leftovers[0];
  }
}

// The group-changing options announce themselves with the group's name,
// on either path; nothing else does.
TEST_F(CliJournal, ExecutingLineOfEachGroupChangingOption) {
  for (const char* release : {kRhel6, kRhel5}) {
    scenario.array("arrA").version = "3.3.1";  // ssh on RHEL 6, CLI on RHEL 5
    ProbeRun r = run({"all"}, release);
    ASSERT_EQ(0, r.run.exitCode) << r.run.describe();
    for (const OptionText& t : kOptions) {
      std::string line = "Executing " + std::string(t.operation ? t.operation : "") +
                         " operation on the Remote Copy volume group grpA";
      EXPECT_EQ(t.operation != nullptr, logged(r, line)) << t.option << " " << release;
    }
    size_t n = 0;
    for (size_t p = 0; (p = r.run.output.find(" : Executing ", p)) != std::string::npos; ++p) ++n;
    EXPECT_EQ(12u, n);
  }
}

// A command that starts a task and is waited for: the task is queried
// through the same path, ten seconds apart, until every record is done,
// and a task that ends "failed" fails the call.  The array answers the
// reverse with the id of a task that stays active for two queries.
TEST_F(CliJournal, WaitedTaskIsQueriedTenSecondsApartUntilItEnds) {
  struct Case {
    const char* release;
    const char* version;
    const char* prefix;
    const char* end;
    int result;
  } cases[] = {
      {kRhel6, "3.2.2", kCliPrefix, "done", 1},
      {kRhel6, "3.3.1", kSshPrefix, "done", 1},
      {kRhel6, "3.2.2", kCliPrefix, "failed", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.prefix) + c.end);
    scenario = arraysim::SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    arraysim::SimArray& a = scenario.array("arrA");
    a.version = c.version;
    arraysim::SimFault& f = a.addFault("fail", "setrcopygroup");
    f.message = "Started tasks: 1001";
    f.exitCode = 0;
    arraysim::SimTask t;
    t.id = 1001;
    t.type = "rcopy_reverse";
    t.name = "grpA";
    t.polls = 2;
    t.result = c.end;
    a.tasks.push_back(t);
    ProbeRun r = run({"long:7"}, c.release, true);
    ASSERT_EQ(0, r.run.exitCode) << r.run.describe();
    ASSERT_EQ(1u, r.calls.size());
    EXPECT_EQ(c.result, r.calls[0].result);
    const std::string query = std::string(c.prefix) + "showtask -d 1001 -csvtable";
    std::vector<std::string> expected = {
        std::string(c.prefix) + "setrcopygroup reverse -f -t arrB_tgt -waittask grpA", query,
        query, query};
    EXPECT_EQ(expected, r.lines());
    ASSERT_EQ(2u, r.sleeps.size());
    for (const std::string& s : r.sleeps)
      EXPECT_NE(std::string::npos, s.find(" 10.000000000 ")) << s;
    EXPECT_TRUE(logged(r, "Status of task id 1001isactive"));
    EXPECT_TRUE(logged(r, std::string("Status of task id 1001is") + c.end));
    EXPECT_TRUE(r.leftovers.empty());
  }
}

}  // namespace
