// rcgate's takeover from end to end: for each action the rule table names,
// a state of the simulated pair whose discovery makes the table choose it,
// and what the run then does: exit code, key messages, array commands.
// And the binding of names: only the exact name of an action runs it.
//
// TAKEOVER_PATHS_PRINT=1 prints each run's messages and commands.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"
#include "testing/sandbox/sandbox.h"
#include "tests/e2e/action_states.h"
#include "tests/e2e/e2e_harness.h"
#include "tests/e2e/fault_support.h"

namespace {

using orv_actions::ActionCase;

constexpr char kManual[] =
    "Error: MANUAL INTERVENTION NECESSARY. Orvanta does not recognize the current status of the "
    "Jx Vexa Remote Copy volume group.Orvanta cannot perform automatic storage preparation for "
    "this package.";

struct GateRun {
  orv_sandbox::RunResult result;
  std::vector<std::string> msgs;    // normal level
  std::vector<std::string> debug;   // every message
  std::vector<std::string> after;   // "array: command" after the first discovery
  std::vector<std::string> changes;  // those of them that change a group
  bool allSucceeded = true;          // every command after the discovery did
  std::vector<std::string> leftovers;
  nlohmann::json inputs;   // the rule inputs of the run's decision record
  size_t outside = 0;      // array commands and attribute reads of the run
};

// argv: the program and its arguments, "PKG" standing for the package.
GateRun runState(const orv_actions::State& st, const std::vector<std::string>& argv) {
  GateRun r;
  orv_sandbox::Sandbox sb;
  if (!sb.ok()) {
    ADD_FAILURE() << sb.error();
    return r;
  }
  orv_e2e::PackageScenario s = orv_actions::scenarioFor(st);
  std::string err = orv_actions::installState(sb, s, st);
  if (!err.empty()) {
    ADD_FAILURE() << err;
    return r;
  }
  orv_sandbox::RunOptions options;
  for (const std::string& a : argv) options.argv.push_back(a == "PKG" ? s.package : a);
  options.env = {"DATAREP_DEBUG=1"};
  options.virtualTime = true;
  options.maxSleeps = 1000;
  options.timeoutSeconds = 60;
  r.result = sb.run(options);
  r.msgs = orv_e2e::messages(r.result.output, false);
  r.debug = orv_e2e::messages(r.result.output, true);
  // The array commands after the first discovery, as "array: command".
  const arraysim::SimJournal journal = orv_e2e::journal(sb);
  const auto calls = orv_actions::arrayCalls(journal);
  for (size_t k = orv_actions::firstAfterDiscovery(calls); k < calls.size(); ++k) {
    r.after.push_back(calls[k]->array + ": " + calls[k]->command);
    if (calls[k]->command.compare(0, 4, "show") != 0 && r.allSucceeded)
      r.changes.push_back(r.after.back());
    r.allSucceeded = r.allSucceeded && calls[k]->exitCode == 0;
  }
  r.leftovers = orv_actions::leftoversOf(sb, s);
  const std::vector<std::string> records = orv_e2e::decisionEntries(sb, s);
  if (!records.empty()) r.inputs = orv_e2e::decisionRecord(sb, s, records.back())["rule_inputs"];
  r.outside = journal.entries.size() + orv_e2e::fakeCalls(sb, "tvgetpkgenv").size();
  if (getenv("TAKEOVER_PATHS_PRINT")) {
    printf("exit %d\n", r.result.exitCode);
    for (const std::string& m : r.msgs) printf("  msg %s\n", m.c_str());
    for (const std::string& c : r.after) printf("  cmd %s\n", c.c_str());
  }
  return r;
}

// Whether wanted appear among msgs in this order (other messages between).
std::string missingInOrder(const std::vector<std::string>& msgs,
                           const std::vector<std::string>& wanted) {
  size_t at = 0;
  for (const std::string& w : wanted) {
    while (at < msgs.size() && msgs[at] != w) ++at;
    if (at == msgs.size()) return w;
    ++at;
  }
  return "";
}

// What a run of each action does after the first discovery.  Commands are
// "a: ..." for the local array vexaa, "b: ..." for the remote vexab; "N*"
// repeats a command N times (polls); "AGAIN" stands for the second
// discovery that follows a result of 0 or 3.  Messages are normal-level
// messages that must appear in this order (others may come between).
struct PathCase {
  const char* action;
  int exitCode;
  std::vector<std::string> messages;
  std::vector<std::string> commands;
};

const PathCase kPaths[] = {
    {"ca_takeover_failover",
     3,
     {"Orvanta has detected a FORCEFLAG file.",
      "Executing \"failover\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: setrcopygroup failover -f -t vexab_tgt -waittask rcgora_a",
      "AGAIN"}},
    {"ca_takeover_failsafe_override",
     0,
     {"Executing \"override\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: setrcopygroup override -f -t vexab_tgt rcgora_a",
      "AGAIN"}},
    {"ca_takeover_nop",
     0,
     {"Orvanta has determined that the Remote Copy volumes are in a read/write state.",
      "Package is allowed to start up"},
     {}},
    {"ca_takeover_nop_ff",
     0,
     {"Orvanta has detected a FORCEFLAG file. This means the user has indicated that the Remote Copy volumes are in a read/write state.",
      "Package is allowed to start up"},
     {}},
    {"ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     0,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: startrcopygroup -t vexab_tgt rcgora_a",
      "a: showrcopy groups rcgora_a -csvtable",
      "a: syncrcopy -t vexab_tgt rcgora_a",
      "AGAIN"}},
    {"ca_takeover_restore",
     3,
     {"Executing \"restore\" operation on the Remote Copy volume group rcgora_b",
      "Package is allowed to start up"},
     {"b: setrcopygroup restore -f -t vexaa_tgt -waittask rcgora_b",
      "AGAIN"}},
    {"ca_takeover_restore_force",
     3,
     {"Executing \"restore\" operation on the Remote Copy volume group rcgora_b",
      "Package is allowed to start up"},
     {"b: setrcopygroup restore -f -waittask rcgora_b",
      "AGAIN"}},
    {"ca_takeover_resyncwait_restore",
     3,
     {"RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"restore\" operation on the Remote Copy volume group rcgora_b",
      "Package is allowed to start up"},
     {"2*b: showrcopy groups rcgora_b -csvtable",
      "b: setrcopygroup restore -f -t vexaa_tgt -waittask rcgora_b",
      "AGAIN"}},
    {"ca_takeover_resyncwait_stoprcvg_reverse_startrcvg",
     3,
     {"RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"stop\" and \"reverse\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: showrcopy groups rcgora_a -csvtable",
      "a: setrcopygroup reverse -f -t vexab_tgt -stopgroups -waittask rcgora_a",
      "a: startrcopygroup -t vexab_tgt rcgora_a",
      "3*a: showrcopy groups rcgora_a -csvtable",
      "AGAIN"}},
    {"ca_takeover_resyncwait_syncrcopy_resyncwait_restore",
     3,
     {"RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Status of task id 1001 is done",
      "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"restore\" operation on the Remote Copy volume group rcgora_b",
      "Package is allowed to start up"},
     {"2*b: showrcopy groups rcgora_b -csvtable",
      "b: syncrcopy -t vexaa_tgt rcgora_b",
      "2*b: showtask -d 1001 -csvtable",
      "b: showrcopy groups rcgora_b -csvtable",
      "b: setrcopygroup restore -f -t vexaa_tgt -waittask rcgora_b",
      "AGAIN"}},
    {"ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     3,
     {"RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Status of task id 1001 is done",
      "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"stop\" and \"reverse\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: showrcopy groups rcgora_a -csvtable",
      "b: syncrcopy -t vexaa_tgt rcgora_b",
      "2*b: showtask -d 1001 -csvtable",
      "a: showrcopy groups rcgora_a -csvtable",
      "a: setrcopygroup reverse -f -t vexab_tgt -stopgroups -waittask rcgora_a",
      "a: startrcopygroup -t vexab_tgt rcgora_a",
      "3*a: showrcopy groups rcgora_a -csvtable",
      "AGAIN"}},
    {"ca_takeover_reverse_current_local",
     1,
     {"Error: The local Remote Copy volume group role is \"Secondary-Rev\" and the link is down. Restore the links and ensure the storage systems are up before restarting this package.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_reverse_startrcvg",
     3,
     {"Orvanta has detected a FORCEFLAG file.",
      "Executing \"reverse\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: setrcopygroup reverse -f -t vexab_tgt -waittask rcgora_a",
      "a: startrcopygroup -t vexab_tgt rcgora_a",
      "3*a: showrcopy groups rcgora_a -csvtable",
      "AGAIN"}},
    {"ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
     2,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_b",
      "RESYNC_WAIT_TIMEOUT is set to 0. Waiting upto 0 minutes for synchronization to complete",
      "Error: Resyncwait timeout has occurred. Either the data copy is still in progress between the virtual volumes of the primary and secondary Remote Copy volume groups (rcgora_a) or the status of the volume group/virtual volume is not started/synced.",
      "Package is not allowed to start up on this node"},
     {"b: startrcopygroup -t vexaa_tgt rcgora_b",
      "b: showrcopy groups rcgora_b -csvtable"}},
    {"ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
     3,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_b",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Status of task id 1001 is done",
      "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"restore\" operation on the Remote Copy volume group rcgora_b",
      "Package is allowed to start up"},
     {"b: startrcopygroup -t vexaa_tgt rcgora_b",
      "b: syncrcopy -t vexaa_tgt rcgora_b",
      "2*b: showtask -d 1001 -csvtable",
      "b: showrcopy groups rcgora_b -csvtable",
      "b: setrcopygroup restore -f -t vexaa_tgt -waittask rcgora_b",
      "AGAIN"}},
    {"ca_takeover_startrcvg_localsec_stop_local_localprirev_nop",
     2,
     {"Error: Not able to determine the status of the local storage system.\n\t\t\t\tThis may be due to the SSH connectivity issues or the local storage system being down.\n\t\t\t\tThe remote Remote Copy volume group's role is \"Primary\". \n\t\t\t\tThis means local Remote Copy volume group's role can be either \"Secondary\" or \"Primary-Rev\" or the local storage system is down.\n\t\t\t\tTo allow the package startup on this node, either fix the connectivity \n\t\t\t\tissue or use FORCEFLAG file.",
      "Package is not allowed to start up on this node"},
     {}},
    {"ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
     2,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_b",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Package is not allowed to start up on this node"},
     {"b: startrcopygroup -t vexaa_tgt rcgora_b",
      "b: syncrcopy -t vexaa_tgt rcgora_b"}},
    {"ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter",
     2,
     {"Error: Not able to determine the status of the remote storage system.\n\t\t\t\tThis may be due to the SSH connectivity issues or the remote storage system being down.\n\t\t\t\tThe local Remote Copy volume group's role is \"Primary\". \n\t\t\t\tThis means remote Remote Copy volume group's role can be either \"Secondary\" or \"Primary-Rev\" or the remote storage system is down.\n\t\t\t\tTo allow package startup on this node, either fix the connectivity \n\t\t\t\tissue or use FORCEFLAG file.",
      "Package is not allowed to start up on this node"},
     {}},
    {"ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
     0,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: startrcopygroup -t vexab_tgt rcgora_a",
      "a: showrcopy groups rcgora_a -csvtable",
      "a: syncrcopy -t vexab_tgt rcgora_a",
      "AGAIN"}},
    {"ca_takeover_startrcvg_syncrcopy_resyncwait_restore",
     2,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_b",
      "Error: Unable to perform syncrcopy when Remote Replication Role of the Remote Copy Volume Group is UNKNOWN.",
      "Package is not allowed to start up on this node"},
     {"b: startrcopygroup -t vexaa_tgt rcgora_b"}},
    {"ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     3,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_b",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Status of task id 1001 is done",
      "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"stop\" and \"reverse\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"b: startrcopygroup -t vexaa_tgt rcgora_b",
      "b: syncrcopy -t vexaa_tgt rcgora_b",
      "2*b: showtask -d 1001 -csvtable",
      "a: showrcopy groups rcgora_a -csvtable",
      "a: setrcopygroup reverse -f -t vexab_tgt -stopgroups -waittask rcgora_a",
      "a: startrcopygroup -t vexab_tgt rcgora_a",
      "3*a: showrcopy groups rcgora_a -csvtable",
      "AGAIN"}},
    {"ca_takeover_stop_datacenter",
     1,
     {"Error: The Remote Copy volume group is in either \"New\" status or its virtual volumes are in \"Stale\" state.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_datacenter_local_unknown",
     1,
     {"Error: Not able to determine the status of the local storage system.\n\t\t\t\tThis may be due to either the storage system being down or \n\t\t\t\tdue to the SSH connectivity issues.\n\t\t\t\tFix the problem to allow package startup.\n\t\t\t\tTo start the package forcefully, use FORCEFLAG file.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_datacenter_no_auto",
     1,
     {"Error: The Remote Copy link is down and data in the local storage system may not be current.",
      "The user has set AUTO_NONCURDATA to \"0\" and has not created the FORCEFLAG file.",
      "To start the package forcefully using non current data, use FORCEFLAG file.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_datacenter_no_rc",
     1,
     {"Error: The Remote Copy is not happening from the remote storage system to the local storage system.",
      "Start the Remote Copy volume group manually before restarting the package.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_datacenter_no_recover",
     1,
     {"Error: The local Remote Copy volume group role is \"Primary\" and the remote Remote Copy volume group role is \"Primary-Rev\".",
      "Start Remote Copy from the other site to this site using \"recover\" \n\t\t\t\toperation before restarting the package.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_datacenter_no_wait",
     1,
     {"Error: The Remote Copy volume group's virtual volume is in \"Syncing/Stale\" \n\t\t\t\tstate and RESYNC_WAIT_TIMEOUT parameter is set to 0.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover",
     1,
     {"Executing \"start\" operation on the Remote Copy volume group rcgora_b",
      "Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Package is not allowed to start up"},
     {"b: startrcopygroup -t vexaa_tgt rcgora_b",
      "b: syncrcopy -t vexaa_tgt rcgora_b"}},
    {"ca_takeover_stop_global",
     1,
     {"The Remote Copy volume group is set with fail_wrt_on_err and the link is down.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_global_no_ff",
     1,
     {"Error: The local Remote Copy volume group role is \"Primary\" and the remote Remote Copy volume group role is \"Primary-Rev\".",
      "The link is down and the user has not created the FORCEFLAG file.",
      "Package is not allowed to start up"},
     {}},
    {"ca_takeover_stop_local",
     2,
     {"Package is not allowed to start up on this node"},
     {}},
    {"ca_takeover_stop_local_local_unknown_ro",
     2,
     {"Error: Not able to determine the status of the local storage system.\n\t\t\t\tThis may be due to the SSH connectivity issues.\n\t\t\t\tThe remote Remote Copy volume group's role is \"Primary\" and the status is \"Started\".\n\t\t\t\tThis implies that the local Remote Copy volume group's role is \"Secondary\".\n\t\t\t\tTo allow package startup on this node, either fix the connectivity issues or\n\t\t\t\treverse the replication using Vexa Management Console.",
      "Package is not allowed to start up on this node"},
     {}},
    {"ca_takeover_stoprcvg_reverse_startrcvg",
     3,
     {"Executing \"stop\" and \"reverse\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"a: setrcopygroup reverse -f -t vexab_tgt -stopgroups -waittask rcgora_a",
      "a: startrcopygroup -t vexab_tgt rcgora_a",
      "3*a: showrcopy groups rcgora_a -csvtable",
      "AGAIN"}},
    // The array stops the group on the second poll of the wait.
    {"ca_takeover_stoprcvgwait_failover",
     3,
     {"Value for timeout is [250] ",
      "Executing \"failover\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"3*a: showrcopy groups rcgora_a -csvtable",
      "a: setrcopygroup failover -f -t vexab_tgt -waittask rcgora_a",
      "AGAIN"}},
    {"ca_takeover_syncrcopy_resyncwait_restore",
     3,
     {"Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Status of task id 1001 is done",
      "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"restore\" operation on the Remote Copy volume group rcgora_b",
      "Package is allowed to start up"},
     {"b: syncrcopy -t vexaa_tgt rcgora_b",
      "2*b: showtask -d 1001 -csvtable",
      "b: showrcopy groups rcgora_b -csvtable",
      "b: setrcopygroup restore -f -t vexaa_tgt -waittask rcgora_b",
      "AGAIN"}},
    {"ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     3,
     {"Executing \"syncrcopy\" operation on the Remote Copy volume group rcgora_b",
      "Status of task id 1001 is done",
      "RESYNC_WAIT_TIMEOUT is set to 1. Waiting upto 1 minutes for synchronization to complete",
      "Executing \"stop\" and \"reverse\" operation on the Remote Copy volume group rcgora_a",
      "Executing \"start\" operation on the Remote Copy volume group rcgora_a",
      "Package is allowed to start up"},
     {"b: syncrcopy -t vexaa_tgt rcgora_b",
      "2*b: showtask -d 1001 -csvtable",
      "a: showrcopy groups rcgora_a -csvtable",
      "a: setrcopygroup reverse -f -t vexab_tgt -stopgroups -waittask rcgora_a",
      "a: startrcopygroup -t vexab_tgt rcgora_a",
      "3*a: showrcopy groups rcgora_a -csvtable",
      "AGAIN"}},
};

std::vector<std::string> expandCommands(const std::vector<std::string>& spec) {
  std::vector<std::string> v;
  for (const std::string& item : spec) {
    if (item == "AGAIN") {
      for (const char* c : {"vexaa: showrcopy groups rcgora_a -csvtable",
                            "vexab: showrcopy groups rcgora_b -csvtable",
                            "vexaa: showrcopy links -csvtable", "vexab: showrcopy links -csvtable"})
        v.push_back(c);
      continue;
    }
    int times = 1;
    std::string cmd = item;
    size_t star = cmd.find('*');
    if (star != std::string::npos && star < 4) {
      times = atoi(cmd.substr(0, star).c_str());
      cmd = cmd.substr(star + 1);
    }
    cmd = std::string(cmd[0] == 'a' ? "vexaa" : "vexab") + cmd.substr(1);
    for (int k = 0; k < times; ++k) v.push_back(cmd);
  }
  return v;
}

TEST(TakeoverPaths, EachNamedActionFromARealDiscovery) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  ASSERT_EQ(36u, sizeof(kPaths) / sizeof(kPaths[0]));
  ASSERT_EQ(36u, orv_actions::actionCases().size());
  for (const PathCase& p : kPaths) {
    SCOPED_TRACE(p.action);
    const ActionCase* a = orv_actions::findActionCase(p.action);
    ASSERT_NE(nullptr, a);
    GateRun r = runState(a->state, {orv_e2e::rcgatePath(), "PKG"});
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    ASSERT_EQ(p.action, orv_actions::chosenAction(r.debug));
    EXPECT_EQ(p.exitCode, r.result.exitCode);
    EXPECT_EQ("", missingInOrder(r.msgs, p.messages)) << orv_fault::join(r.msgs);
    EXPECT_EQ(expandCommands(p.commands), r.after);
    EXPECT_TRUE(r.leftovers.empty()) << orv_fault::join(r.leftovers);
    // The decision is never the manual-intervention fallback here.
    EXPECT_EQ(-1, orv_e2e::findMessage(r.msgs, kManual));
  }
}

// A decision that names an action only in another case binds nothing: the
// run falls back to the manual-intervention action, touches no array and
// refuses the start.  The same decision passed on unchanged runs.
TEST(ActionBinding, NameDifferingOnlyInCaseIsNotFound) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  struct Case {
    const char* state;     // the action the state makes the table choose
    const char* decision;  // what the probe does with the table's choice
    const char* bound;     // the name that reaches the action table
  } cases[] = {
      {"ca_takeover_nop", "as-is", "ca_takeover_nop"},
      {"ca_takeover_nop", "upper", "CA_TAKEOVER_NOP"},
      {"ca_takeover_nop", "capital", "Ca_takeover_nop"},
      {"ca_takeover_nop", "ca_takeover_NOP", "ca_takeover_NOP"},
      {"ca_takeover_restore", "as-is", "ca_takeover_restore"},
      {"ca_takeover_restore", "upper", "CA_TAKEOVER_RESTORE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.state) + " " + c.decision);
    const ActionCase* a = orv_actions::findActionCase(c.state);
    ASSERT_NE(nullptr, a);
    GateRun r = runState(a->state, {GATE_PROBE_PATH, "PKG", c.decision});
    ASSERT_TRUE(r.result.exited()) << r.result.describe();
    EXPECT_NE(std::string::npos, r.result.output.find(std::string("PROBE decision ") + c.bound));
    const std::string notFound = std::string("Error: Could not find takeover function [") +
                                 c.bound + "]";
    if (std::string(c.decision) == "as-is") {
      EXPECT_EQ(-1, orv_e2e::findMessage(r.msgs, notFound));
      EXPECT_EQ(-1, orv_e2e::findMessage(r.msgs, kManual));
      EXPECT_NE(-1, orv_e2e::findMessage(r.debug, std::string("Action function is [") +
                                                      c.bound + "]"));
      EXPECT_NE(1, r.result.exitCode);
      continue;
    }
    EXPECT_EQ(1, r.result.exitCode);
    EXPECT_EQ("", missingInOrder(r.msgs, {notFound, kManual, "Package is not allowed to start up"}))
        << orv_fault::join(r.msgs);
    EXPECT_EQ("", orv_actions::chosenAction(r.debug));
    EXPECT_TRUE(r.after.empty()) << orv_fault::join(r.after);
    EXPECT_TRUE(r.leftovers.empty()) << orv_fault::join(r.leftovers);
  }
}

// A replication mode the arrays report but no top-level rule tests: no
// rule leads to an action, which is not an error of the table, so the run
// falls back to manual intervention (exit 1, not 2) and touches no array.
TEST(ActionBinding, UncoveredStateFallsBackToManualIntervention) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  const orv_actions::State unknownMode = {"UNKNOWN", "", "", "", false, "", "", "", "", ""};
  GateRun r = runState(unknownMode, {orv_e2e::rcgatePath(), "PKG"});
  ASSERT_TRUE(r.result.exited()) << r.result.describe();
  EXPECT_EQ(1, r.result.exitCode);
  EXPECT_EQ("", missingInOrder(r.msgs, {kManual, "Package is not allowed to start up"}))
      << orv_fault::join(r.msgs);
  EXPECT_EQ(-1, orv_e2e::findMessage(r.msgs, "Error: Could not find takeover function []"));
  EXPECT_EQ("", orv_actions::chosenAction(r.debug));
  EXPECT_TRUE(r.after.empty()) << orv_fault::join(r.after);
  EXPECT_TRUE(r.leftovers.empty()) << orv_fault::join(r.leftovers);
}


// The first lines of the Error and Warning messages among msgs from the
// first one equal to from on (all of them when from is '').
std::vector<std::string> findings(const std::vector<std::string>& msgs, const std::string& from) {
  std::vector<std::string> out;
  bool on = from.empty();
  for (const std::string& m : msgs) {
    on = on || m.compare(0, from.size(), from) == 0;
    if (on && (m.compare(0, 6, "Error:") == 0 || m.compare(0, 8, "Warning:") == 0))
      out.push_back(m.substr(0, m.find('\n')));
  }
  return out;
}

// The lines of text between the line starting with first and the one
// starting with last.
std::vector<std::string> linesBetween(const std::string& text, const std::string& first,
                                      const std::string& last) {
  std::vector<std::string> out;
  bool on = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    at = end + 1;
    if (line.compare(0, last.size(), last) == 0 && on) break;
    if (on) out.push_back(line);
    on = on || line.compare(0, first.size(), first) == 0;
  }
  return out;
}

// The dry run's verdict and plan against what rcgate then does on the same
// state: the same exit code, Error and Warning lines and group commands,
// as far as the arrays let every command succeed (up to the first that
// failed otherwise).  The dry run sends only queries.
TEST(TakeoverPaths, DryRunPlansWhatEachActionDoes) {
  ORV_REQUIRE_SANDBOX();
  ORV_REQUIRE_RCGATE();
  const std::string rcplan = orv_e2e::buildDir() + "/rcplan/rcplan";
  for (const ActionCase& a : orv_actions::actionCases()) {
    SCOPED_TRACE(a.action);
    GateRun gate = runState(a.state, {orv_e2e::rcgatePath(), "PKG"});
    GateRun plan = runState(a.state, {rcplan, "--gate-exit", "PKG"});
    ASSERT_TRUE(plan.result.exited()) << plan.result.describe();
    const std::string& out = plan.result.output;
    const std::string tail = out.substr(std::min(out.size(), out.find("Dry run of")));
    EXPECT_NE(out.find(std::string("Action: ") + a.action + "\n"), std::string::npos) << tail;
    for (const std::string& c : plan.after) EXPECT_EQ(c.find(": show"), 5u) << c;
    std::vector<std::string> steps =
        linesBetween(out, "Commands rcgate would send, if each succeeds:", "\x01");
    std::vector<std::string> planned;
    for (const std::string& step : steps)
      if (step.compare(0, 11, "then waits ") != 0 && step != "none") planned.push_back(step);
    // --state on the values rcgate decided on, without package or array:
    // the dry run's verdict, findings and plan, the placeholders renamed.
    std::vector<std::string> args = {rcplan, "--gate-exit", "--state",
                                     std::string("RESYNC_WAIT_TIMEOUT=") +
                                         (*a.state.resyncWait ? a.state.resyncWait : "1")};
    for (const auto& in : gate.inputs.items())
      if (in.value().is_string()) args.push_back(in.key() + "=" + in.value().get<std::string>());
    GateRun typed = runState(a.state, args);
    std::string said = typed.result.output;
    for (std::string n : {"array-a vexaa", "array-b vexab", "group-a rcgora_a", "group-b rcgora_b",
                          "target-a vexaa_tgt", "target-b vexab_tgt"})
      for (size_t at, cut = n.find(' '); (at = said.find(n.substr(0, cut))) != std::string::npos;)
        said.replace(at, cut, n.substr(cut + 1));
    EXPECT_EQ(plan.result.exitCode, typed.result.exitCode) << said;
    EXPECT_EQ(steps, linesBetween(said, "Commands rcgate would send, if each succeeds:", "\x01"));
    EXPECT_EQ(findings(linesBetween(out, "rcgate would log:", "Commands rcgate would send"), ""),
              findings(linesBetween(said, "rcgate would log:", "Commands rcgate would send"), ""));
    EXPECT_EQ(0u, typed.outside);
    // The plan assumes every wait ends in time, as every command succeeds.
    for (const std::string& m : gate.msgs)
      if (m.find("timeout has occurred") != std::string::npos) gate.allSucceeded = false;
    if (!gate.allSucceeded) {
      planned.resize(std::min(planned.size(), gate.changes.size()));
      EXPECT_EQ(gate.changes, planned) << tail;
      continue;
    }
    EXPECT_EQ(gate.result.exitCode, plan.result.exitCode) << tail;
    EXPECT_NE(out.find("Verdict: rcgate would exit " + std::to_string(gate.result.exitCode) + ": "),
              std::string::npos) << tail;
    EXPECT_EQ(gate.changes, planned) << tail;
    EXPECT_EQ(findings(gate.msgs, "INFO: Current status of the Remote Copy volume group"),
              findings(linesBetween(out, "rcgate would log:", "Commands rcgate would send"), ""))
        << tail;
  }
}

}  // namespace
