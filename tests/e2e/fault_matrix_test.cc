// The fault matrix: every action the rule table can choose, driven by a
// state of the simulated arrays whose discovery makes the table choose it,
// with a fault injected into each array step the action performs.
//
// A clean run of each state first proves that the table chooses the
// intended action and yields the action's steps (the array commands after
// the discovery, read back from the simulator's journal).  Then each step
// is failed in turn and made unreachable, and each step whose output the
// product parses is answered with unparsable output; the first step of each
// action also hangs past the array-command time bound (1 second); and for
// the first four actions the package directory is read-only (the discovery
// stops there whatever the state, so more actions would add nothing).  Every
// run must end on its own within the waits it states, give an exit code
// the action allows, log the failure and leave no temporary file.
//
// Diagnostics: FAULT_MATRIX_ONLY=TEXT runs the actions whose name contains
// TEXT; FAULT_MATRIX_CLEAN_ONLY=1 lists each action's steps without fault
// runs; FAULT_MATRIX_VERBOSE=1 prints the output of every violating run.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/action_states.h"
#include "tests/e2e/fault_support.h"

namespace {

using arraysim::SimJournal;
using arraysim::SimJournalEntry;
using orv_e2e::PackageScenario;
using namespace orv_actions;

const char kVtimeLog[] = "/usr/local/orv-sandbox/vtime.log";

// Longest virtual wait a run may take: every timed wait of one run shares
// one clock, so the longest limit in play (the 250-second link-down wait,
// RESYNC_WAIT_TIMEOUT of one minute) plus a few poll intervals bounds it.
const double kMaxVirtualSeconds = 400;

// The faults of the matrix.  A step fault hits one array call: the nth call
// of the step's command on the step's array.
enum FaultKind { kNone, kFail, kGarbled, kUnreachable, kHang, kReadOnlyPackageDir };

const char* faultName(FaultKind k) {
  switch (k) {
    case kNone: return "none";
    case kFail: return "command fails";
    case kGarbled: return "output badly formatted";
    case kUnreachable: return "array unreachable";
    case kHang: return "command hangs";
    case kReadOnlyPackageDir: return "package directory not writable";
  }
  return "?";
}

// One array call of an action: array, command prefix the simulator's
// faults match, and its position among that array's calls of the prefix.
struct Step {
  std::string array;
  std::string prefix;
  int nth;
  std::string command;
};

bool isQuery(const std::string& prefix) { return prefix.compare(0, 4, "show") == 0; }

// Commands whose output the product parses (listings, task ids).
bool hasParsedOutput(const std::string& prefix) { return isQuery(prefix) || prefix == "syncrcopy"; }

// The steps of a clean run: the calls after the first discovery (two group
// queries and the link queries that follow them).  Queries count once, at
// their first call; commands that change the arrays count at every call.
std::vector<Step> stepsOf(const SimJournal& j) {
  std::vector<const SimJournalEntry*> calls = arrayCalls(j);
  size_t i = firstAfterDiscovery(calls);
  // After a result of 0 or 3 the state is read again: the run then ends in
  // a group query on each array, local first, and their link queries.
  size_t end = calls.size();
  while (end > i && commandPrefix(calls[end - 1]->command) == "showrcopy links") --end;
  if (end >= i + 2 && commandPrefix(calls[end - 1]->command) == "showrcopy groups" &&
      commandPrefix(calls[end - 2]->command) == "showrcopy groups" &&
      calls[end - 2]->array == kLocal && calls[end - 1]->array == kRemote)
    end -= 2;
  std::vector<Step> steps;
  std::set<std::string> queried;
  for (size_t k = 0; k < end; ++k) {
    const std::string p = commandPrefix(calls[k]->command);
    if (k < i) continue;
    const std::string key = calls[k]->array + " " + p;
    // Link queries after the discovery belong to the second discovery.
    if (p == "showrcopy links") continue;
    if (isQuery(p) && !queried.insert(key).second) continue;
    int nth = 0;
    for (size_t m = 0; m <= k; ++m)
      if (calls[m]->array == calls[k]->array && commandPrefix(calls[m]->command) == p) ++nth;
    steps.push_back({calls[k]->array, p, nth, calls[k]->command});
  }
  return steps;
}

struct RunOutcome {
  orv_sandbox::RunResult result;
  std::vector<std::string> msgs;  // with debug lines
  SimJournal journal;
  orv_fault::SleepLog sleeps;
  std::vector<std::string> leftovers;
};

RunOutcome runOnce(const ActionCase& a, FaultKind fault, const Step* step) {
  RunOutcome out;
  orv_sandbox::Sandbox sb;
  if (!sb.ok()) {
    out.result.setupError = sb.error();
    return out;
  }
  PackageScenario s = scenarioFor(a.state);
  if (fault == kHang) s.set("RCVEXA_JxVexaCLICommandTimeout", "1");
  if (step != nullptr) {
    const char* kind = fault == kFail          ? "fail"
                       : fault == kGarbled     ? "garbled"
                       : fault == kUnreachable ? "unreachable"
                                               : "hang";
    arraysim::SimFault& f = s.arrays.array(step->array).addFault(kind, step->prefix, step->nth);
    f.seconds = 3;
  }
  std::string err = installState(sb, s, a.state);
  if (!err.empty()) {
    out.result.setupError = err;
    return out;
  }
  if (fault == kReadOnlyPackageDir) sb.addBind(sb.hostPath(s.packageDir()), s.packageDir(), true);

  orv_sandbox::RunOptions options;
  options.argv = {orv_e2e::rcgatePath(), s.package};
  options.env = {"DATAREP_DEBUG=1"};
  options.virtualTime = true;
  options.maxSleeps = 1000;
  options.vtimeLog = kVtimeLog;
  options.timeoutSeconds = 60;
  out.result = sb.run(options);
  out.msgs = orv_e2e::messages(out.result.output, true);
  out.journal = orv_e2e::journal(sb);
  out.sleeps = orv_fault::readSleepLog(sb, kVtimeLog);
  out.leftovers = leftoversOf(sb, s);
  return out;
}

// The checks every run must pass; returns what failed ('' when nothing).
std::string violations(const ActionCase& a, FaultKind fault, const RunOutcome& o) {
  std::vector<std::string> why;
  const orv_sandbox::RunResult& r = o.result;
  if (!r.exited()) why.push_back("did not end on its own: " + r.describe());
  if (o.sleeps.endedByShim) why.push_back("still waiting after 1000 sleeps");
  if (o.sleeps.seconds > kMaxVirtualSeconds)
    why.push_back("waited " + std::to_string(o.sleeps.seconds) + " virtual seconds");
  std::set<int> allowed = a.exits;
  // Without a writable package directory not even the discovery can run.
  if (fault == kReadOnlyPackageDir) allowed = {1, 2};
  if (r.exited() && !allowed.count(r.exitCode))
    why.push_back("exit code " + std::to_string(r.exitCode));
  const bool logged =
      orv_fault::hasMessageContaining(o.msgs, "operation failed on the Remote Copy volume group") ||
      orv_fault::hasMessageContaining(o.msgs, "\" failed with return value ");
  if ((fault == kFail || fault == kUnreachable) && !logged)
    why.push_back("the failure is not logged");
  if (fault == kHang &&
      !orv_fault::hasMessageStarting(o.msgs, "Error: Array command timed out after 1 seconds: "))
    why.push_back("the time-out is not logged");
  if (fault == kReadOnlyPackageDir && o.journal.entries.size() > 0 &&
      !orv_fault::hasMessageContaining(o.msgs, "rror"))
    why.push_back("no error logged for the unwritable package directory");
  if (!o.leftovers.empty()) why.push_back("left " + orv_fault::join(o.leftovers, " "));
  return orv_fault::join(why, "; ");
}

TEST(FaultMatrix, EveryActionStepSurvivesEveryFault) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  int combinations = 0, violationCount = 0, stepTotal = 0, hangs = 0;
  double maxWait = 0;
  std::vector<std::string> report;
  const char* only = getenv("FAULT_MATRIX_ONLY");
  for (const ActionCase& a : actionCases()) {
    if (only != nullptr && std::string(a.action).find(only) == std::string::npos) continue;
    SCOPED_TRACE(a.action);
    RunOutcome clean = runOnce(a, kNone, nullptr);
    ASSERT_TRUE(clean.result.setupError.empty()) << clean.result.setupError;
    const std::string chosen = chosenAction(clean.msgs);
    if (chosen != a.action) {
      ADD_FAILURE() << "the state chooses [" << chosen << "], not " << a.action << "\n"
                    << clean.result.output.substr(0, 6000);
      continue;
    }
    ++combinations;
    std::string v = violations(a, kNone, clean);
    if (!v.empty()) {
      ++violationCount;
      report.push_back(std::string(a.action) + " clean run: " + v);
    }
    std::vector<Step> steps = stepsOf(clean.journal);
    stepTotal += static_cast<int>(steps.size());
    std::vector<std::pair<FaultKind, const Step*>> runs;
    for (const Step& st : steps) {
      runs.push_back({kFail, &st});
      runs.push_back({kUnreachable, &st});
      // The product reads only the exit status of the other commands.
      if (hasParsedOutput(st.prefix)) runs.push_back({kGarbled, &st});
    }
    if (!steps.empty()) runs.push_back({kHang, &steps[0]});
    // Without a writable package directory every run stops in the
    // discovery, whatever the state, so a few actions stand for all.
    if (&a - &actionCases()[0] < 4) runs.push_back({kReadOnlyPackageDir, nullptr});
    if (getenv("FAULT_MATRIX_CLEAN_ONLY")) {
      std::printf("%s: exit %d, %zu steps\n", a.action, clean.result.exitCode, steps.size());
      if (getenv("FAULT_MATRIX_VERBOSE")) std::printf("%s\n", clean.result.output.c_str());
      for (const Step& st : steps) std::printf("    %s %d %s\n", st.array.c_str(), st.nth, st.command.c_str());
      runs.clear();
    }
    for (const auto& run : runs) {
      RunOutcome o = runOnce(a, run.first, run.second);
      ASSERT_TRUE(o.result.setupError.empty()) << o.result.setupError;
      ++combinations;
      if (run.first == kHang) ++hangs;
      maxWait = std::max(maxWait, o.sleeps.seconds);
      v = violations(a, run.first, o);
      if (!v.empty()) {
        ++violationCount;
        std::string where = run.second ? " at " + run.second->array + " call " +
                                             std::to_string(run.second->nth) + " of \"" +
                                             run.second->prefix + "\""
                                       : "";
        report.push_back(std::string(a.action) + ", " + faultName(run.first) + where + ": " + v);
        if (getenv("FAULT_MATRIX_VERBOSE")) std::printf("%s\n", o.result.output.c_str());
      }
    }
  }
  std::printf("fault matrix: %zu actions, %d steps, %d combinations run (%d hangs), %d violations, "
              "longest virtual wait %.0f s\n",
              actionCases().size(), stepTotal, combinations, hangs,
              violationCount, maxWait);
  EXPECT_EQ(violationCount, 0) << orv_fault::join(report);
}

}  // namespace
