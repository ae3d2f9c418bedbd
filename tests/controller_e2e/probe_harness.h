// Runs ctrl_probe in a sandbox against the array simulator and collects
// what a controller test asserts: the operations' results, the logged
// messages, the commands each array received, the arrays' final state, the
// files left in the package directory and the sleeps taken.
//
// The pair: node "nodeA" of site A; array "arrA" (group "grpA", local)
// and array "arrB" (group "grpB", remote); targets "arrB_tgt" on arrA and
// "arrA_tgt" on arrB; package "pkg1" in /usr/local/tarvos/run/pkg1.

#ifndef TESTS_CONTROLLER_E2E_PROBE_HARNESS_H_
#define TESTS_CONTROLLER_E2E_PROBE_HARNESS_H_

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/fakes/fake_data.h"
#include "testing/sandbox/sandbox.h"

namespace ctrl_e2e {

constexpr const char* kPkg = "pkg1";
constexpr const char* kPkgDir = "/usr/local/tarvos/run/pkg1";
constexpr const char* kSimDir = "/usr/local/arraysim";
constexpr const char* kMarker = "/usr/local/tarvos/run/pkg1/ORVVEXASTARTRCVG";

struct Message {
  bool debug;
  std::string text;
};

inline bool probeLine(const std::string& line) {
  return line.rfind("RESULT ", 0) == 0 || line.rfind("TASKID ", 0) == 0 ||
         line.rfind("PROBE ", 0) == 0;
}

// Logger output to messages: a message starts at a line holding " - Node "
// and " : "; following lines without that mark belong to it.
inline std::vector<Message> splitMessages(const std::string& out) {
  std::vector<Message> msgs;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t eol = out.find('\n', pos);
    if (eol == std::string::npos) eol = out.size();
    std::string line = out.substr(pos, eol - pos);
    size_t node = line.find(" - Node ");
    size_t colon =
        node == std::string::npos ? std::string::npos : line.find(" : ", node);
    if (colon != std::string::npos) {
      msgs.push_back({line.compare(0, 6, "DEBUG ") == 0, line.substr(colon + 3)});
    } else if (!msgs.empty() && !probeLine(line)) {
      msgs.back().text += "\n" + line;
    }
    pos = eol + 1;
  }
  return msgs;
}

struct Outcome {
  orv_sandbox::RunResult run;
  std::vector<std::pair<std::string, int>> results;
  std::string taskId;
  std::vector<Message> messages;
  arraysim::SimScenario after;
  arraysim::SimJournal journal;
  std::vector<std::string> leftovers;  // "orv*" files in the package dir
  bool marker = false;
  int sleeps = 0;

  // Result of the last operation (-1 when none was printed).
  int result() const { return results.empty() ? -1 : results.back().second; }
  std::vector<std::string> texts(bool dbg) const {
    std::vector<std::string> v;
    for (const Message& m : messages)
      if (m.debug == dbg) v.push_back(m.text);
    return v;
  }
  bool logged(const std::string& text) const { return count(text) > 0; }
  int count(const std::string& text) const {
    int n = 0;
    for (const Message& m : messages)
      if (!m.debug && m.text == text) ++n;
    return n;
  }
  bool loggedDebug(const std::string& text) const {
    for (const Message& m : messages)
      if (m.debug && m.text == text) return true;
    return false;
  }
  // Normal-level messages that contain needle.
  std::vector<std::string> grep(const std::string& needle) const {
    std::vector<std::string> v;
    for (const Message& m : messages)
      if (!m.debug && m.text.find(needle) != std::string::npos)
        v.push_back(m.text);
    return v;
  }
  // Commands of one array, version probes left out.
  std::vector<std::string> actions(const std::string& array) const {
    return journal.actions(array);
  }
  std::string describe() const { return run.describe(); }
};

class ProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why = orv_sandbox::Sandbox::unavailableReason();
    if (!why.empty()) GTEST_SKIP() << "sandbox unavailable: " << why;
    scenario = arraysim::SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
    attrs = {
        {"RCVEXA_DC1_NODE_LIST", "nodeA"},
        {"RCVEXA_DC2_NODE_LIST", "nodeB"},
        {"RCVEXA_DC1_STORAGE_SYSTEM_USER", "admin"},
        {"RCVEXA_DC2_STORAGE_SYSTEM_USER", "admin"},
        {"RCVEXA_DC1_STORAGE_SYSTEM_NAME", "arrA"},
        {"RCVEXA_DC2_STORAGE_SYSTEM_NAME", "arrB"},
        {"RCVEXA_DC1_RC_VOLUME_GROUP", "grpA"},
        {"RCVEXA_DC2_RC_VOLUME_GROUP", "grpB"},
        {"RCVEXA_DC1_RC_TARGET_FOR_DC2", "arrB_tgt"},
        {"RCVEXA_DC2_RC_TARGET_FOR_DC1", "arrA_tgt"},
        {"RCVEXA_RESYNC_WAIT_TIMEOUT", "5"},
        {"RCVEXA_AUTO_NONCURDATA", "0"},
    };
  }

  // Runs the probe with args (options and operations after the package).
  Outcome run(const std::vector<std::string>& args, int maxSleeps = 0) {
    Outcome o;
    sb_.reset(new orv_sandbox::Sandbox());
    orv_sandbox::Sandbox& sb = *sb_;
    if (!sb.ok()) {
      ADD_FAILURE() << "sandbox: " << sb.error();
      return o;
    }
    EXPECT_TRUE(sb.missingStandIns().empty());
    sb.setNodeName("nodeA");
    std::string env = "VKR_PKG_DIR=" + std::string(kPkgDir) + "\n";
    for (const auto& a : attrs) env += a.first + "=" + a.second + "\n";
    sb.writeFile(std::string(orv_fake::kFakeDataDir) + "/pkgenv/" + kPkg, env);
    sb.makeDir(kPkgDir);
    sb.writeFile("/usr/local/tarvos/conf/vexarc/admin_arrA.pwf", "pw\n", 0600);
    sb.writeFile("/usr/local/tarvos/conf/vexarc/admin_arrB.pwf", "pw\n", 0600);
    EXPECT_TRUE(scenario.save(sb.hostPath(kSimDir)));

    orv_sandbox::RunOptions opt;
    opt.argv = {CTRL_PROBE_PATH, kPkg};
    opt.argv.insert(opt.argv.end(), args.begin(), args.end());
    opt.env = {"DATAREP_DEBUG=1"};
    opt.virtualTime = true;
    opt.maxSleeps = maxSleeps;
    opt.vtimeLog = "/usr/local/orv-sandbox/vtime.log";
    opt.timeoutSeconds = 120;
    o.run = sb.run(opt);

    o.messages = splitMessages(o.run.output);
    size_t pos = 0;
    const std::string& out = o.run.output;
    while (pos < out.size()) {
      size_t eol = out.find('\n', pos);
      if (eol == std::string::npos) eol = out.size();
      std::string line = out.substr(pos, eol - pos);
      if (line.rfind("RESULT ", 0) == 0) {
        size_t sp = line.rfind(' ');
        o.results.push_back({line.substr(7, sp - 7), atoi(line.c_str() + sp + 1)});
      } else if (line.rfind("TASKID ", 0) == 0) {
        o.taskId = line.substr(7);
      }
      pos = eol + 1;
    }
    o.after = arraysim::SimScenario::load(sb.hostPath(kSimDir));
    o.journal = arraysim::SimJournal::load(sb.hostPath(kSimDir));
    for (const std::string& name : sb.listDir(kPkgDir))
      if (name.rfind("orv", 0) == 0) o.leftovers.push_back(name);
    o.marker = sb.exists(kMarker);
    std::string vlog = sb.readFile(opt.vtimeLog);
    for (char ch : vlog)
      if (ch == '\n') ++o.sleeps;
    return o;
  }

  // Options that stand for a discovery of the pair: no array queries, the
  // status objects the operations read set directly.
  static std::vector<std::string> status(const std::string& mode,
                                         const std::string& localRole = "Primary",
                                         const std::string& remoteRole = "Secondary") {
    return {"--no-discover",
            "--set", "StatusReplicationMode=" + mode,
            "--set", "StatusLocalReplicationRole=" + localRole,
            "--set", "StatusRemoteReplicationRole=" + remoteRole};
  }

  static std::vector<std::string> join(std::vector<std::string> a,
                                       const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
  }

  arraysim::SimScenario scenario;
  std::map<std::string, std::string> attrs;
  std::unique_ptr<orv_sandbox::Sandbox> sb_;
};

}  // namespace ctrl_e2e

#endif  // TESTS_CONTROLLER_E2E_PROBE_HARNESS_H_
