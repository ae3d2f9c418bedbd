// States of the simulated pair for which the rule table chooses each of the
// actions it names, shared by the end-to-end tests of the takeover actions.
// This node (nodea1) is on site A: array vexaa with group rcgora_a is local,
// vexab with rcgora_b remote.
#ifndef ORV_TESTS_E2E_ACTION_STATES_H_
#define ORV_TESTS_E2E_ACTION_STATES_H_

#include <set>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/e2e_harness.h"

namespace orv_actions {

constexpr char kLocal[] = "vexaa";
constexpr char kRemote[] = "vexab";
constexpr char kLocalGroup[] = "rcgora_a";
constexpr char kRemoteGroup[] = "rcgora_b";

// The replication state the arrays present; '' keeps the healthy value.
struct State {
  const char* mode;          // Sync Periodic
  const char* localRole;     // a role, or "Unknown": the local group query fails
  const char* remoteRole;    // likewise for the remote array
  const char* link;          // Up Down
  bool forceFlag;            // FORCEFLAG file in the package directory
  const char* autoNonCur;    // RCVEXA_AUTO_NONCURDATA
  const char* group;         // status of both halves
  const char* volumes;       // sync status of every volume of both halves
  const char* resyncWait;    // RCVEXA_RESYNC_WAIT_TIMEOUT ('' = 1 minute)
  const char* options;       // group options of both halves
  int selfStopAfter = 0;     // the local group, its links down, stops itself
                             // after this many listings (0 = never)
};

// A state of the pair whose discovery makes the rule table choose action.
struct ActionCase {
  const char* action;
  State state;
  std::set<int> exits;  // exit codes the action's paths allow
};

// One case per action the rule table names (36), in name order.
const std::vector<ActionCase>& actionCases();
// The case of action, or null.
const ActionCase* findActionCase(const std::string& action);

// The package and arrays presenting st.  An "Unknown" role is a group query
// that fails during the first discovery.
orv_e2e::PackageScenario scenarioFor(const State& st);

// Installs s (made by scenarioFor(st)) into sb, with the FORCEFLAG file
// when st asks for it.  '' on success, else what failed.
std::string installState(orv_sandbox::Sandbox& sb, const orv_e2e::PackageScenario& s,
                         const State& st);

// Files a run left in the package directory, FORCEFLAG not counted.
std::vector<std::string> leftoversOf(const orv_sandbox::Sandbox& sb,
                                     const orv_e2e::PackageScenario& s);

// The array calls of a run's journal, version probes left out, and the
// position of the first one after the discovery that opens every run (its
// two group queries and the link queries).
std::vector<const arraysim::SimJournalEntry*> arrayCalls(const arraysim::SimJournal& j);
size_t firstAfterDiscovery(const std::vector<const arraysim::SimJournalEntry*>& calls);

// The action named in the debug line "Action function is [..]", or ''.
std::string chosenAction(const std::vector<std::string>& msgs);

// The words that identify an array command for the simulator's faults:
// "showrcopy groups", "setrcopygroup reverse", "startrcopygroup", ...
std::string commandPrefix(const std::string& command);

}  // namespace orv_actions

#endif  // ORV_TESTS_E2E_ACTION_STATES_H_
