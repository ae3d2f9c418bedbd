// Every takeover action that works on the arrays, with each of its array
// steps failing in turn (the command fails, or the array cannot be
// reached): the action's result code, its failure lines, no command after a
// step that ends the action, and no temporary file left.  Then the success
// paths and the link-down branches that a failure table does not reach.

#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/controller_e2e/probe_harness.h"

namespace ctrl_e2e {
namespace {

using arraysim::SimScenario;
using Strings = std::vector<std::string>;

std::string failed(const char* word, const char* group) {
  return std::string("Execution of \"") + word +
         "\" operation failed on the Remote Copy volume group " + group;
}

enum Scene {
  kLocalPrimary,   // this site primary, pair running
  kRemotePrimary,  // other site primary, pair running
  kRemoteStopped,  // other site primary, pair stopped
  kFailedOver,     // other site failed over (Primary-Rev), pair stopped
};

struct Fault {
  const char* array;
  const char* command;  // prefix of the command words
};

struct StepCase {
  const char* name;
  const char* action;
  Scene scene;
  const char* mode;
  std::vector<Fault> faults;
  int result;
  Strings lines;      // must be logged at normal level
  Strings debugOnly;  // must be logged at debug level only
  bool ends;          // the (first) failing command is the last one sent
};

void PrintTo(const StepCase& c, std::ostream* os) { *os << c.name; }

SimScenario sceneFor(Scene s) {
  if (s == kLocalPrimary)
    return SimScenario::healthyPair("arrA", "arrB", "grpA", "grpB");
  SimScenario sc = SimScenario::healthyPair("arrB", "arrA", "grpB", "grpA");
  if (s == kFailedOver) {
    sc.array("arrA").group("grpA").role = "Primary";
    sc.array("arrB").group("grpB").role = "Primary-Rev";
  }
  if (s == kRemoteStopped || s == kFailedOver) {
    for (arraysim::SimArray& a : sc.arrays) {
      a.groups.front().status = "Stopped";
      a.groups.front().setVolumes("Stopped");
    }
  }
  return sc;
}

const char kStartWarning[] =
    "Warning: Starting of the Remote Copy volume group [grpA] has failed to "
    "complete. This means that Remote Copy is not happening between the "
    "primary and secondary volume groups. Orvanta will try to "
    "start the Remote Copy volume group  using the startrcopygroup command in "
    "the background after package start up is complete.";

const char kTimeoutError[] =
    "Error: Resyncwait timeout has occurred. Either the data copy is still in "
    "progress between the virtual volumes of the primary and secondary Remote "
    "Copy volume groups (grpA) or the status of the volume group/virtual "
    "volume is not started/synced.";

// Both arrays refuse the group listing: a resynchronisation wait cannot end.
const std::vector<Fault> kNoListing = {{"arrA", "showrcopy groups"},
                                       {"arrB", "showrcopy groups"}};

const StepCase kSteps[] = {
    // Single steps.
    {"Failover", "ca_takeover_failover", kRemotePrimary, "sync",
     {{"arrA", "setrcopygroup failover"}}, 2, {failed("Failover", "grpA")}, {}, true},
    {"Restore", "ca_takeover_restore", kRemotePrimary, "sync",
     {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"RestoreForce", "ca_takeover_restore_force", kRemotePrimary, "sync",
     {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"Override", "ca_takeover_failsafe_override", kLocalPrimary, "sync",
     {{"arrA", "setrcopygroup override"}}, 2, {failed("Failsafe Override", "grpA")}, {}, true},
    {"NopRecover", "ca_takeover_nop_recover", kLocalPrimary, "sync",
     {{"arrA", "setrcopygroup recover"}}, 0, {failed("Recover", "grpA")}, {}, true},
    {"NopStart", "ca_takeover_nop_startrcvg", kLocalPrimary, "sync",
     {{"arrA", "startrcopygroup"}}, 0, {failed("Start", "grpA")}, {}, true},
    {"StopDcStart", "ca_takeover_stop_datacenter_startrcvg", kRemotePrimary, "sync",
     {{"arrB", "startrcopygroup"}}, 1, {failed("Start", "grpB")}, {}, true},
    {"StopDcRecover", "ca_takeover_stop_datacenter_recover", kRemotePrimary, "sync",
     {{"arrB", "setrcopygroup recover"}}, 1, {failed("Recover", "grpB")}, {}, true},
    {"NopSync", "ca_takeover_nop_syncrcopy", kLocalPrimary, "periodic",
     {{"arrA", "syncrcopy"}}, 0, {failed("syncrcopy", "grpA")}, {}, true},

    // Start, look at the group, then recover or sync.
    {"NopStartRecover_Start", "ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover",
     kLocalPrimary, "sync", {{"arrA", "startrcopygroup"}}, 0, {failed("Start", "grpA")}, {}, false},
    {"NopStartRecover_Show", "ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover",
     kLocalPrimary, "sync", {{"arrA", "showrcopy groups"}}, 0, {failed("Start", "grpA")}, {}, true},
    {"NopStartRecover_Recover", "ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover",
     kRemoteStopped, "sync", {{"arrA", "setrcopygroup recover"}}, 0,
     {failed("Start", "grpA"), failed("Recover", "grpA")}, {}, true},
    {"NopStartSyncRecover_Start", "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     kLocalPrimary, "periodic", {{"arrA", "startrcopygroup"}}, 0, {failed("Start", "grpA")}, {}, false},
    {"NopStartSyncRecover_Show", "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     kLocalPrimary, "periodic", {{"arrA", "showrcopy groups"}}, 0, {failed("Start", "grpA")}, {}, true},
    {"NopStartSyncRecover_Sync", "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     kLocalPrimary, "periodic", {{"arrA", "syncrcopy"}}, 0, {failed("syncrcopy", "grpA")}, {}, true},
    {"NopStartSyncRecover_Recover", "ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     kRemoteStopped, "periodic", {{"arrA", "setrcopygroup recover"}}, 0,
     {failed("Recover", "grpA")}, {}, true},
    {"StartRemoteSecSync_Start", "ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
     kLocalPrimary, "periodic", {{"arrA", "startrcopygroup"}}, 1, {failed("Start", "grpA")}, {}, true},
    {"StartRemoteSecSync_Show", "ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
     kLocalPrimary, "periodic", {{"arrA", "showrcopy groups"}}, 2,
     {failed("Showrcopy group", "grpA")}, {}, true},
    {"StartRemoteSecSync_Sync", "ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
     kLocalPrimary, "periodic", {{"arrA", "syncrcopy"}}, 0, {failed("syncrcopy", "grpA")}, {}, true},

    // Reverse-and-start and stop-reverse-start.
    {"ReverseStart_Reverse", "ca_takeover_reverse_startrcvg", kRemoteStopped, "sync",
     {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"ReverseStart_Start", "ca_takeover_reverse_startrcvg", kRemoteStopped, "sync",
     {{"arrA", "startrcopygroup"}}, 3, {"Warning: Start of Volume Group [grpA] failed."}, {}, true},
    {"StopReverseStart_Reverse", "ca_takeover_stoprcvg_reverse_startrcvg", kRemotePrimary, "sync",
     {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"AsyncStop", "ca_takeover_stoprcvg_reverse_startrcvg", kRemotePrimary, "async",
     {{"arrB", "stoprcopygroup"}}, 2, {failed("Stop", "grpA")}, {}, true},
    {"AsyncLocalState", "ca_takeover_stoprcvg_reverse_startrcvg", kRemotePrimary, "async",
     {{"arrA", "showrcopy groups"}}, 2,
     {"Error: RC VG status failed [grpA] at [arrA] ",
      "Unable to get the local state of the Volume Group"}, {}, true},
    {"AsyncRemoteState", "ca_takeover_stoprcvg_reverse_startrcvg", kRemotePrimary, "async",
     {{"arrB", "showrcopy groups"}}, 2,
     {"Error: RC VG status failed [grpB] at [arrB] ",
      "Unable to get the remote state of the Volume Group"}, {}, true},

    // Waits, then the sequence or a restore.
    {"WaitStopReverse_Wait", "ca_takeover_resyncwait_stoprcvg_reverse_startrcvg", kRemotePrimary,
     "sync", kNoListing, 2, {kTimeoutError}, {}, false},
    {"WaitStopReverse_Reverse", "ca_takeover_resyncwait_stoprcvg_reverse_startrcvg", kRemotePrimary,
     "sync", {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"StartWaitStopReverse_Start", "ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "sync", {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"StartWaitStopReverse_Wait", "ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "sync", kNoListing, 2, {kTimeoutError}, {}, false},
    {"StartWaitStopReverse_Reverse", "ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "sync", {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"WaitRestore_Wait", "ca_takeover_resyncwait_restore", kRemotePrimary, "sync", kNoListing, 2,
     {kTimeoutError}, {}, false},
    {"WaitRestore_Restore", "ca_takeover_resyncwait_restore", kRemotePrimary, "sync",
     {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"StartWaitRestore_Start", "ca_takeover_startrcvg_resyncwait_restore", kRemotePrimary, "sync",
     {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"StartWaitRestore_Restore", "ca_takeover_startrcvg_resyncwait_restore", kRemotePrimary, "sync",
     {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"LocalPriStopDc_Start", "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore",
     kRemotePrimary, "sync", {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"LocalPriStopDc_Wait", "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore",
     kRemotePrimary, "sync", kNoListing, 2, {kTimeoutError}, {}, false},
    {"LocalPriStopDc_Restore", "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore",
     kRemotePrimary, "sync", {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"LocalPriNop_Start", "ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
     kRemotePrimary, "sync", {{"arrB", "startrcopygroup"}}, 0, {}, {failed("Start", "grpB")}, true},
    {"LocalPriNop_Restore", "ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
     kRemotePrimary, "sync", {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"RecoverWaitRestore_Recover", "ca_takeover_recover_resyncwait_restore", kRemotePrimary, "sync",
     {{"arrB", "setrcopygroup recover"}}, 2, {failed("Recover", "grpB")}, {}, true},
    {"RecoverWaitRestore_Wait", "ca_takeover_recover_resyncwait_restore", kFailedOver, "sync",
     kNoListing, 2, {kTimeoutError}, {}, false},
    {"RecoverWaitRestore_Restore", "ca_takeover_recover_resyncwait_restore", kFailedOver, "sync",
     {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"StopReverseStart_Start", "ca_takeover_stoprcvg_reverse_startrcvg", kRemotePrimary, "sync",
     {{"arrA", "startrcopygroup"}}, 3, {kStartWarning}, {}, true},
    {"WaitStopReverse_Start", "ca_takeover_resyncwait_stoprcvg_reverse_startrcvg", kRemotePrimary,
     "sync", {{"arrA", "startrcopygroup"}}, 3, {kStartWarning}, {}, true},
    {"StartWaitStopReverse_LocalStart", "ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "sync", {{"arrA", "startrcopygroup"}}, 3, {kStartWarning}, {}, true},

    // Stop-datacenter forms: the start or sync only helps; the package stays down.
    {"StopDcStartRecover_Start", "ca_takeover_stop_datacenter_startrcvg_recover", kRemotePrimary,
     "sync", {{"arrB", "startrcopygroup"}}, 1,
     {failed("Start", "grpB"), failed("Recover", "grpB")}, {}, false},
    {"StopDcStartRecover_Recover", "ca_takeover_stop_datacenter_startrcvg_recover", kRemotePrimary,
     "sync", {{"arrB", "startrcopygroup"}, {"arrB", "setrcopygroup recover"}}, 1,
     {failed("Start", "grpB"), failed("Recover", "grpB")}, {}, false},
    {"StopDcStartSyncRecover_Sync",
     "ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover", kRemotePrimary,
     "periodic", {{"arrB", "syncrcopy"}}, 1, {failed("syncrcopy", "grpB")}, {}, true},
    {"StopDcStartSyncRecover_Recover",
     "ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover", kRemotePrimary,
     "periodic", {{"arrB", "startrcopygroup"}, {"arrB", "setrcopygroup recover"}}, 1,
     {failed("Start", "grpB"), failed("Recover", "grpB")}, {}, false},
    {"StopDcStartSync_Start", "ca_takeover_stop_datacenter_startrcvg_syncrcopy", kRemotePrimary,
     "periodic", {{"arrB", "startrcopygroup"}}, 1, {failed("Start", "grpB")}, {}, true},
    {"StopDcStartSync_Sync", "ca_takeover_stop_datacenter_startrcvg_syncrcopy", kRemotePrimary,
     "periodic", {{"arrB", "syncrcopy"}}, 1, {failed("syncrcopy", "grpB")}, {}, true},
    {"LocalSecStopLocal_Start", "ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
     kRemotePrimary, "periodic", {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"LocalSecStopLocal_Sync", "ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
     kRemotePrimary, "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, true},
    {"NopStartSync_Start", "ca_takeover_nop_startrcvg_syncrcopy", kLocalPrimary, "periodic",
     {{"arrA", "startrcopygroup"}}, 0, {failed("Start", "grpA")}, {}, false},
    {"NopStartSync_Sync", "ca_takeover_nop_startrcvg_syncrcopy", kLocalPrimary, "periodic",
     {{"arrA", "syncrcopy"}}, 0, {failed("syncrcopy", "grpA")}, {}, true},

    // Sync, follow the task, wait, then reverse or restore.
    {"SyncStopReverse_Sync", "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"SyncStopReverse_Task", "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "showtask"}}, 2, {}, {}, true},
    {"SyncStopReverse_Wait", "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrA", "showrcopy groups"}, {"arrB", "showrcopy groups"}}, 2,
     {kTimeoutError}, {}, false},
    {"SyncStopReverse_Reverse", "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"SyncRestore_Sync", "ca_takeover_syncrcopy_resyncwait_restore", kRemotePrimary, "periodic",
     {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"SyncRestore_Task", "ca_takeover_syncrcopy_resyncwait_restore", kRemotePrimary, "periodic",
     {{"arrB", "showtask"}}, 2, {}, {}, true},
    {"SyncRestore_Restore", "ca_takeover_syncrcopy_resyncwait_restore", kRemotePrimary, "periodic",
     {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"StartSyncStopReverse_Start", "ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"StartSyncStopReverse_Reverse", "ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"StartSyncRestore_Start", "ca_takeover_startrcvg_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"StartSyncRestore_Restore", "ca_takeover_startrcvg_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"LocalPriSyncRestore_Start",
     "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
     kRemotePrimary, "periodic", {{"arrB", "startrcopygroup"}}, 2, {failed("Start", "grpB")}, {}, true},
    {"LocalPriSyncRestore_Restore",
     "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
     kRemotePrimary, "periodic", {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},
    {"WaitSyncStopReverse_Wait", "ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", kNoListing, 2, {kTimeoutError}, {}, false},
    {"WaitSyncStopReverse_Reverse", "ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrA", "setrcopygroup reverse"}}, 2, {failed("Reverse", "grpA")}, {}, true},
    {"WaitSyncRestore_Wait", "ca_takeover_resyncwait_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", kNoListing, 2, {kTimeoutError}, {}, false},
    {"WaitSyncRestore_Restore", "ca_takeover_resyncwait_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "setrcopygroup restore"}}, 2, {failed("Restore", "grpB")}, {}, true},

    {"SyncStopReverse_Start", "ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrA", "startrcopygroup"}}, 3, {kStartWarning}, {}, true},
    {"StartSyncStopReverse_Sync", "ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"StartSyncStopReverse_Task", "ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "showtask"}}, 2, {}, {}, true},
    {"StartSyncRestore_Sync", "ca_takeover_startrcvg_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"StartSyncRestore_Task", "ca_takeover_startrcvg_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "showtask"}}, 2, {}, {}, true},
    {"LocalPriSyncRestore_Sync",
     "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
     kRemotePrimary, "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"LocalPriSyncRestore_Task",
     "ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
     kRemotePrimary, "periodic", {{"arrB", "showtask"}}, 2, {}, {}, true},
    {"WaitSyncStopReverse_Sync", "ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"WaitSyncStopReverse_Task", "ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     kRemotePrimary, "periodic", {{"arrB", "showtask"}}, 2, {}, {}, true},
    {"WaitSyncRestore_Sync", "ca_takeover_resyncwait_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "syncrcopy"}}, 2, {failed("syncrcopy", "grpB")}, {}, false},
    {"WaitSyncRestore_Task", "ca_takeover_resyncwait_syncrcopy_resyncwait_restore", kRemotePrimary,
     "periodic", {{"arrB", "showtask"}}, 2, {}, {}, true},

    // The failover that waits for the array to stop the group.
    {"StopWaitFailover_Wait", "ca_takeover_stoprcvgwait_failover", kRemoteStopped, "sync",
     {{"arrA", "showrcopy groups"}}, 2, {"Error: RC VG status failed [grpA] at [arrA] "}, {}, true},
    {"StopWaitFailover_Failover", "ca_takeover_stoprcvgwait_failover", kRemoteStopped, "sync",
     {{"arrA", "setrcopygroup failover"}}, 2, {failed("Failover", "grpA")}, {}, true},
};

class ActionStepTest
    : public ProbeTest,
      public ::testing::WithParamInterface<std::tuple<StepCase, const char*>> {};

TEST_P(ActionStepTest, FailingStepGivesTheActionsCode) {
  const StepCase& c = std::get<0>(GetParam());
  const char* kind = std::get<1>(GetParam());
  scenario = sceneFor(c.scene);
  // A short wait limit keeps the wait-failure cases to one pass.
  attrs["RCVEXA_RESYNC_WAIT_TIMEOUT"] = "0";
  // Sync tasks and starts complete at once, so no wait meets that limit
  // unless the case makes it.
  scenario.settings.taskPolls = 0;
  scenario.settings.startPolls = 0;
  for (const Fault& f : c.faults) scenario.array(f.array).addFault(kind, f.command);
  const char* localRole = c.scene == kLocalPrimary || c.scene == kFailedOver
                              ? "Primary"
                              : "Secondary";
  const char* remoteRole = c.scene == kLocalPrimary  ? "Secondary"
                           : c.scene == kFailedOver ? "Primary-Rev"
                                                    : "Primary";
  Outcome o = run(join(status(c.mode, localRole, remoteRole), {c.action}));
  ASSERT_EQ(o.results.size(), 1u) << o.describe();
  EXPECT_EQ(o.result(), c.result) << o.describe();
  for (const std::string& line : c.lines) EXPECT_TRUE(o.logged(line)) << line;
  for (const std::string& line : c.debugOnly) {
    EXPECT_FALSE(o.logged(line)) << line;
    EXPECT_TRUE(o.loggedDebug(line)) << line;
  }
  // The failing command was sent.
  const Fault& first = c.faults.front();
  bool sent = false;
  for (const arraysim::SimJournalEntry& e : o.journal.entries)
    sent |= e.array == first.array && e.command.rfind(first.command, 0) == 0;
  EXPECT_TRUE(sent) << first.command;
  if (c.ends) {
    ASSERT_FALSE(o.journal.entries.empty());
    const arraysim::SimJournalEntry& last = o.journal.entries.back();
    EXPECT_EQ(last.array, first.array);
    EXPECT_EQ(last.command.rfind(first.command, 0), 0u) << last.command;
  }
  EXPECT_TRUE(o.leftovers.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Steps, ActionStepTest,
    ::testing::Combine(::testing::ValuesIn(kSteps),
                       ::testing::Values("fail", "unreachable")),
    [](const ::testing::TestParamInfo<std::tuple<StepCase, const char*>>& i) {
      return std::string(std::get<0>(i.param).name) + "_" +
             std::get<1>(i.param);
    });

}  // namespace
}  // namespace ctrl_e2e
