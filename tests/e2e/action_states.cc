#include "tests/e2e/action_states.h"

#include "testing/arraysim/sim_model.h"
#include "tests/e2e/fault_support.h"

namespace orv_actions {

using orv_e2e::PackageScenario;

namespace {

// One state per action the rule table names.
const std::vector<ActionCase> kActions = {
    {"ca_takeover_failover",
     {"Sync", "Secondary", "Primary", "Down", true, "", "Stopped", "Stopped", "", ""}, {2, 3}},
    {"ca_takeover_failsafe_override",
     {"Sync", "Primary-Rev", "Primary", "Up", false, "", "Failsafe", "", "", ""}, {0, 2}},
    {"ca_takeover_nop", {"", "", "", "", false, "", "", "", "", ""}, {0}},
    {"ca_takeover_nop_ff",
     {"Sync", "Primary", "Primary-Rev", "Down", true, "", "", "", "", ""}, {0}},
    {"ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover",
     {"Periodic", "Primary-Rev", "Unknown", "Up", false, "", "", "", "", "auto_recover"}, {0}},
    {"ca_takeover_restore",
     {"Sync", "Unknown", "Primary-Rev", "Up", true, "", "Started", "Stale", "", ""}, {2, 3}},
    {"ca_takeover_restore_force",
     {"Sync", "Secondary-Rev", "Unknown", "Up", true, "", "Stopped", "New", "", ""}, {2, 3}},
    {"ca_takeover_resyncwait_restore",
     {"Sync", "Unknown", "Primary-Rev", "Up", true, "", "Started", "Syncing", "", ""}, {2, 3}},
    {"ca_takeover_resyncwait_stoprcvg_reverse_startrcvg",
     {"Sync", "Secondary", "Primary", "Up", true, "", "Started", "Syncing", "", ""}, {2, 3}},
    {"ca_takeover_resyncwait_syncrcopy_resyncwait_restore",
     {"Periodic", "Unknown", "Primary-Rev", "Up", false, "", "Started", "Syncing", "", ""},
     {1, 2, 3}},
    {"ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     {"Periodic", "Secondary", "Primary", "Up", false, "", "Started", "Syncing", "", ""}, {2, 3}},
    {"ca_takeover_reverse_current_local",
     {"Sync", "Secondary-Rev", "Unknown", "Down", false, "", "", "", "", ""}, {1}},
    {"ca_takeover_reverse_startrcvg",
     {"Sync", "Secondary", "Primary", "Up", true, "", "Stopped", "New", "", ""}, {2, 3}},
    // 1: the start failed and the local half, read again, is Secondary-Rev.
    {"ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore",
     {"Periodic", "Unknown", "Primary-Rev", "Up", true, "", "Stopped", "Stopped", "0", ""},
     {0, 1, 2, 3}},
    {"ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore",
     {"Periodic", "Unknown", "Primary-Rev", "Up", false, "", "Stopped", "New", "", ""},
     {1, 2, 3}},
    {"ca_takeover_startrcvg_localsec_stop_local_localprirev_nop",
     {"Sync", "Unknown", "Primary", "Up", false, "", "Stopped", "Stopped", "", ""}, {2}},
    {"ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local",
     {"Periodic", "Unknown", "Primary", "Up", false, "", "Stopped", "Stopped", "", ""}, {2}},
    {"ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter",
     {"Sync", "Primary", "Unknown", "Down", false, "", "Stopped", "Stopped", "", ""}, {2}},
    {"ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter",
     {"Periodic", "Primary", "Unknown", "Up", false, "", "Stopped", "Stopped", "", ""}, {0, 1, 2}},
    {"ca_takeover_startrcvg_syncrcopy_resyncwait_restore",
     {"Periodic", "Secondary-Rev", "Unknown", "Up", false, "", "Stopped", "New", "", ""},
     {1, 2, 3}},
    {"ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     {"Periodic", "Secondary", "Primary", "Up", false, "", "Stopped", "Stale", "", ""}, {2, 3}},
    {"ca_takeover_stop_datacenter",
     {"Sync", "Unknown", "Primary", "Up", true, "", "New", "", "", ""}, {1}},
    {"ca_takeover_stop_datacenter_local_unknown",
     {"Sync", "Unknown", "Secondary", "Down", false, "", "New", "Stale", "", ""}, {1}},
    {"ca_takeover_stop_datacenter_no_auto",
     {"Sync", "Secondary", "Primary", "Down", false, "0", "", "", "", ""}, {1}},
    {"ca_takeover_stop_datacenter_no_rc",
     {"Periodic", "Secondary", "Primary", "Up", false, "", "Stopped", "New", "0", ""}, {1}},
    {"ca_takeover_stop_datacenter_no_recover",
     {"Sync", "Primary", "Primary-Rev", "Up", false, "1", "Failsafe", "", "", ""}, {1}},
    {"ca_takeover_stop_datacenter_no_wait",
     {"Sync", "Secondary", "Primary", "Up", false, "", "Started", "Syncing", "0", ""}, {1}},
    {"ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover",
     {"Periodic", "Unknown", "Primary-Rev", "Up", false, "", "New", "Stale", "0", "auto_recover"},
     {1}},
    {"ca_takeover_stop_global",
     {"Sync", "Secondary", "Primary", "Down", false, "", "", "", "", "fail_wrt_on_err"}, {1}},
    {"ca_takeover_stop_global_no_ff",
     {"Sync", "Primary", "Primary-Rev", "Down", false, "", "", "", "", ""}, {1}},
    {"ca_takeover_stop_local",
     {"Periodic", "Unknown", "Primary", "Up", true, "", "Started", "Stale", "", ""}, {2}},
    {"ca_takeover_stop_local_local_unknown_ro",
     {"Sync", "Unknown", "Primary", "Up", true, "", "Started", "Synced", "", ""}, {2}},
    {"ca_takeover_stoprcvg_reverse_startrcvg",
     {"Sync", "Secondary", "Primary", "Up", true, "", "Started", "Synced", "", ""}, {2, 3}},
    // The array stops the group itself within the wait: the failover runs.
    {"ca_takeover_stoprcvgwait_failover",
     {"Periodic", "Secondary", "Primary", "Down", false, "1", "Started", "Stale", "", "", 3},
     {2, 3}},
    {"ca_takeover_syncrcopy_resyncwait_restore",
     {"Periodic", "Unknown", "Primary-Rev", "Up", false, "", "Started", "Stale", "", ""},
     {1, 2, 3}},
    {"ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg",
     {"Periodic", "Secondary", "Primary", "Up", false, "", "Started", "Stale", "", ""}, {2, 3}},
};


// The role the other half of a pair holds.
std::string counterpart(const std::string& role) {
  if (role == "Primary") return "Secondary";
  if (role == "Secondary") return "Primary";
  if (role == "Primary-Rev") return "Secondary-Rev";
  if (role == "Secondary-Rev") return "Primary-Rev";
  return role;
}

}  // namespace

PackageScenario scenarioFor(const State& st) {
  PackageScenario s;
  s.set("RCVEXA_RESYNC_WAIT_TIMEOUT", *st.resyncWait ? st.resyncWait : "1", false);
  if (*st.autoNonCur) s.set("RCVEXA_AUTO_NONCURDATA", st.autoNonCur);
  arraysim::SimGroup& local = s.arrays.array(kLocal).group(kLocalGroup);
  arraysim::SimGroup& remote = s.arrays.array(kRemote).group(kRemoteGroup);
  for (arraysim::SimGroup* g : {&local, &remote}) {
    if (*st.mode) g->mode = st.mode;
    if (*st.group) g->status = st.group;
    if (*st.volumes) g->setVolumes(st.volumes);
    // Syncing volumes catch up after two listings, so the waits can end.
    if (std::string(st.volumes) == "Syncing") g->polls = 2;
    if (*st.options) g->options = st.options;
  }
  // An unknown role is a group query that fails during the discovery; the
  // half behind it holds the role that matches the other half's, so the
  // array operations of the action can succeed.
  const std::string localRole = st.localRole, remoteRole = st.remoteRole;
  if (localRole == "Unknown") {
    s.arrays.array(kLocal).addFault("unreachable", "showrcopy groups", 1);
    if (!remoteRole.empty() && remoteRole != "Unknown") local.role = counterpart(remoteRole);
  } else if (!localRole.empty()) {
    local.role = localRole;
  }
  if (remoteRole == "Unknown") {
    s.arrays.array(kRemote).addFault("unreachable", "showrcopy groups", 1);
    if (!localRole.empty() && localRole != "Unknown") remote.role = counterpart(localRole);
  } else if (!remoteRole.empty()) {
    remote.role = remoteRole;
  }
  if (std::string(st.link) == "Down") s.arrays.linkDown(kLocal, kRemote);
  local.stopAfter = st.selfStopAfter;
  return s;
}

const std::vector<ActionCase>& actionCases() { return kActions; }

const ActionCase* findActionCase(const std::string& action) {
  for (const ActionCase& a : kActions)
    if (action == a.action) return &a;
  return nullptr;
}

std::string installState(orv_sandbox::Sandbox& sb, const PackageScenario& s, const State& st) {
  std::string err = s.install(sb);
  if (err.empty() && st.forceFlag && !sb.writeFile(s.packageDir() + "/FORCEFLAG", ""))
    err = sb.error();
  return err;
}

std::vector<std::string> leftoversOf(const orv_sandbox::Sandbox& sb, const PackageScenario& s) {
  std::vector<std::string> left;
  for (const std::string& name : orv_fault::leftovers(sb, s.packageDir()))
    if (name != "FORCEFLAG") left.push_back(name);
  return left;
}

std::vector<const arraysim::SimJournalEntry*> arrayCalls(const arraysim::SimJournal& j) {
  std::vector<const arraysim::SimJournalEntry*> calls;
  for (const arraysim::SimJournalEntry& e : j.entries)
    if (e.command.compare(0, 11, "showversion") != 0) calls.push_back(&e);
  return calls;
}

size_t firstAfterDiscovery(const std::vector<const arraysim::SimJournalEntry*>& calls) {
  size_t i = 0;
  int groupQueries = 0;
  for (; i < calls.size(); ++i) {
    const std::string p = commandPrefix(calls[i]->command);
    if (p == "showrcopy groups" && groupQueries < 2) {
      ++groupQueries;
    } else if (p != "showrcopy links") {
      break;
    }
  }
  return i;
}

std::string chosenAction(const std::vector<std::string>& msgs) {
  const std::string head = "Action function is [";
  for (const std::string& m : msgs)
    if (m.compare(0, head.size(), head) == 0 && m.back() == ']')
      return m.substr(head.size(), m.size() - head.size() - 1);
  return "";
}

std::string commandPrefix(const std::string& command) {
  size_t first = command.find(' ');
  std::string word = command.substr(0, first);
  if (first != std::string::npos && (word == "showrcopy" || word == "setrcopygroup")) {
    size_t second = command.find(' ', first + 1);
    return command.substr(0, second);
  }
  return word;
}

}  // namespace orv_actions
