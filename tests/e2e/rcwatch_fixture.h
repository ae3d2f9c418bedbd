// Scenario helpers for the monitor's end-to-end tests: a two-site package
// whose monitor runs in the sandbox against the simulated array pair, with
// the notification fakes recording what they received.
//
// Passes are counted by sleeps: the virtual-time shim ends the monitor at
// its (passes + 1)th sleep, so run(k) sees the start collection and k
// passes.  Array states can be scheduled per pass (schedule()): a small
// stand-in placed before the simulator swaps the scenario in at the first
// array command of that pass, which it recognises by the virtual clock.
// With metricsDir_ set, the same stand-in keeps a copy of the metrics file
// as the previous pass left it (metricsAfterPass()).

#ifndef ORV_TESTS_E2E_RCWATCH_FIXTURE_H_
#define ORV_TESTS_E2E_RCWATCH_FIXTURE_H_

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"

namespace rcwatch_e2e {

extern const char kPackage[];
extern const char kPackageDir[];
extern const char kMailFile[];
// Virtual start time of every run (seconds since the epoch).
extern const long kStartSeconds;
extern const char kVtimeLog[];
// Where the metrics tests point MetricsDir, and the file rcwatch writes.
extern const char kMetricsDir[];
extern const char kMetricsFile[];

std::string rcwatchPath();

// The message texts of the program's log output (text after " : "; lines
// without a log prefix continue the message before them).
std::vector<std::string> messages(const std::string& output);
int countMessages(const std::vector<std::string>& msgs, const std::string& text);
int countStarting(const std::vector<std::string>& msgs, const std::string& prefix);

// One recorded call of a fake: its arguments (argv[0] first) and, for
// sendmail, what it read.
struct FakeCall {
  std::vector<std::string> args;
  std::string input;
};

// One syslog datagram split into its parts.
struct SyslogEntry {
  int priority = -1;
  std::string ident;  // "OrvantaVexa[pid]" form without the pid
  std::string text;
};
std::vector<SyslogEntry> parseSyslog(const std::vector<std::string>& datagrams);

class RcwatchE2E : public ::testing::Test {
 protected:
  void SetUp() override;

  arraysim::SimGroup& groupA() { return scenario_.array("arrA").group("grpA"); }
  arraysim::SimGroup& groupB() { return scenario_.array("arrB").group("grpB"); }
  void setAttr(const std::string& name, const std::string& value);
  void removeAttr(const std::string& name);
  // Notification channels, the words of DR_NOTIFICATION_CHOICES.
  void channels(const std::string& words) { setAttr("RCVEXA_DR_NOTIFICATION_CHOICES", words); }

  // From pass `pass` on (0 = the start collection) the arrays are in
  // `state` (saved as it is at the time of this call).
  void schedule(int pass, const arraysim::SimScenario& state);

  // Runs "rcwatch pkg1" for `passes` passes; fills msgs_.
  orv_sandbox::RunResult run(int passes, const std::vector<std::string>& env = {});
  orv_sandbox::RunResult runArgs(const std::vector<std::string>& args);

  std::vector<FakeCall> calls(const std::string& fake) const;
  // The seconds of every sleep of the last run (the final, ending one
  // not counted).
  std::vector<long> sleeps() const;
  std::vector<SyslogEntry> syslog() const { return parseSyslog(last_.syslog); }
  std::string console() const { return sb_->readFile("/dev/console"); }
  std::string xconsole() const { return sb_->readFile("/dev/xconsole"); }
  // Files left in the package directory.
  std::vector<std::string> leftovers() const { return sb_->listDir(kPackageDir); }
  // The metrics file as pass `pass` of the last run left it ('' when
  // there was none); the last pass's is the file itself.
  std::string metricsAfterPass(int pass) const;
  // Makes a fake fail: its exit code and what it prints.
  void failFake(const std::string& fake, int exitCode, const std::string& output = "");

  std::unique_ptr<orv_sandbox::Sandbox> sb_;
  arraysim::SimScenario scenario_;
  std::vector<std::string> attrs_;
  std::string clusterView_ = "name=clu1\nnode=nodeA\nnode=nodeB\n";
  int interval_ = 30;  // written as the parameter file unless 0
  int timeoutSeconds_ = 60;  // real time a run may take
  std::string configParams_;  // replaces the parameter file when set
  std::string metricsDir_;    // MetricsDir line added to the parameter file
  std::map<int, std::string> steps_;  // pass -> scenario text
  // "ARRAY.WORD": that array's "showrcopy WORD" commands fail with exit
  // code 1 and no output at all.
  std::vector<std::string> silent_;
  orv_sandbox::RunResult last_;
  int lastPasses_ = 0;
  std::vector<std::string> msgs_;
};

}  // namespace rcwatch_e2e

// Skips the test while rcwatch has not been built.
#define RCWATCH_REQUIRE_PROGRAM()                                           \
  do {                                                                      \
    if (access(::rcwatch_e2e::rcwatchPath().c_str(), X_OK) != 0)            \
      GTEST_SKIP() << "rcwatch not built at " << ::rcwatch_e2e::rcwatchPath(); \
  } while (0)

#endif  // ORV_TESTS_E2E_RCWATCH_FIXTURE_H_
