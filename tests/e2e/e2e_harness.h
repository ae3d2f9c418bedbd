// Shared scenario helpers of the end-to-end tests: a healthy two-site
// package (cluster-manager attributes, node name, cluster view, password
// files, package directory), the paths of the programs under test, and
// parsing of the programs' log output.
#ifndef ORV_TESTS_E2E_E2E_HARNESS_H_
#define ORV_TESTS_E2E_E2E_HARNESS_H_

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"

namespace orv_e2e {

// The build directory ($ORV_BUILD_DIR, else the one the tests were built
// in) and the programs in it.
std::string buildDir();
std::string rcgatePath();
std::string rcwatchPath();
std::string orvSandboxPath();
std::string vtimeLibPath();
std::string vtimeProbePath();
bool isExecutable(const std::string& path);

// One line of what the cluster manager prints for a package.
struct Attribute {
  std::string name;   // as printed, e.g. "RCVEXA_DC1_NODE_LIST"
  std::string value;
  bool quoted;        // printed as NAME="VALUE"
};

// A package of a healthy two-site configuration: site A holds nodea1
// (listed with its domain) and nodea2 and the array vexaa; site B holds
// nodeb1, nodeb2 and vexab.  The Remote Copy group is rcgora_a on vexaa
// (Primary, started, synced) and rcgora_b on vexab (Secondary); each array
// reaches the other through the target "<peer>_tgt".  This node is nodea1,
// a RHEL 6 host.  Change fields, attributes or arrays, then install().
struct PackageScenario {
  std::string package = "pkgora";
  std::string node = "nodea1";
  std::string clusterName = "clusterx";
  std::string user = "rcadmin";
  // Content of /etc/redhat-release; '' leaves the file out.
  std::string redhatRelease = "Red Hat Enterprise Linux Server release 6.10 (Santiago)\n";
  std::vector<Attribute> attributes;
  arraysim::SimScenario arrays;

  // The attributes name the package and its directory, so a different
  // package name is given here rather than set afterwards.
  explicit PackageScenario(const std::string& packageName = "pkgora");

  std::string packageDir() const;  // where VKR_PKG_DIR points
  std::string passwordFile(const std::string& array) const;
  // Replaces the value of an attribute, or appends the attribute.
  void set(const std::string& name, const std::string& value, bool quoted = true);
  void remove(const std::string& name);
  // Puts name first in the printed order (the loader stops at the first
  // unknown name, so the position of a line matters).
  void moveToFront(const std::string& name);
  // The NAME=VALUE lines tvgetpkgenv prints.
  std::string pkgenvText() const;
  // Writes attributes, node name, cluster view, password files, the
  // release file, the package directory and the arrays' state into the
  // sandbox.  Returns '' on success, else what failed.
  std::string install(orv_sandbox::Sandbox& sb) const;
};

// One message the logger wrote: "[DEBUG ]Mmm dd HH:MM:SS - Node N : text".
// Lines that do not start a message continue the previous one.
struct LogLine {
  bool debug = false;
  std::string node;
  std::string text;
};
std::vector<LogLine> parseLog(const std::string& output);
// The message texts in order; debug ones only when withDebug.
std::vector<std::string> messages(const std::string& output, bool withDebug = true);
// Position of the first message equal to text, or -1.  A message that
// continues on further lines (output of a child command or the usage text
// written right after it) matches when its first lines equal text.
int findMessage(const std::vector<std::string>& msgs, const std::string& text);

// The finding lines of rcplan --check output: those starting with "Error:"
// or "Warning:", in order.
std::vector<std::string> findingLines(const std::string& output);

// The recorded calls of a fake (see testing/fakes/fake_data.h): each call's
// arguments, argv[0] first.
std::vector<std::vector<std::string>> fakeCalls(const orv_sandbox::Sandbox& sb,
                                                const std::string& fake);

// The arrays' state and journal after a run.
arraysim::SimScenario arraysAfter(const orv_sandbox::Sandbox& sb);
arraysim::SimJournal journal(const orv_sandbox::Sandbox& sb);

// The entries of the package's decision-record directory, sorted, and the
// parsed text of one (a discarded value when it is not JSON).
std::vector<std::string> decisionEntries(const orv_sandbox::Sandbox& sb,
                                         const PackageScenario& s);
nlohmann::json decisionRecord(const orv_sandbox::Sandbox& sb, const PackageScenario& s,
                              const std::string& name);

// Runs rcgate in the sandbox with the given arguments; the environment
// entries are added to the sandbox's base environment.
orv_sandbox::RunResult runRcgate(orv_sandbox::Sandbox& sb,
                                 const std::vector<std::string>& args,
                                 const std::vector<std::string>& env = {});

}  // namespace orv_e2e

// Skips the test while rcgate has not been built.
#define ORV_REQUIRE_RCGATE()                                              \
  do {                                                                    \
    if (!::orv_e2e::isExecutable(::orv_e2e::rcgatePath()))                \
      GTEST_SKIP() << "rcgate not built at " << ::orv_e2e::rcgatePath();  \
  } while (0)

#endif  // ORV_TESTS_E2E_E2E_HARNESS_H_
