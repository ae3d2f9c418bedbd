// Composite takeover actions built from starts, group checks, recovers,
// resynchronisation waits and restores.  Where an action chooses between
// branches it does so by the outcome of the start before them (its success,
// or the local group's status read right after it), never by reading the
// roles again.

#include "controller/orv_rc_vexa.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/logger.h"

namespace {
constexpr bool kLocal = false;
constexpr bool kRemote = true;
}  // namespace

int OrvRCVexa::remoteStartStep(int kind) {
  StepOutputFile file(packageDir);
  if (!file.ok()) return -1;
  return groupStep(cliStartGroup, kRemote, file.path(), kind, "Start") ? 1 : 0;
}

int OrvRCVexa::ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover() {
  logger->logDebug(
      "OrvRCVexa::ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_"
      "recover");
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  groupStep(cliStartGroup, kLocal, file.path(), 2, "Start");

  int running = 0;
  int read = localGroupRunning(file.path(), running);
  if (read == 0) {
    reportStepFailure(file.path(), 2, "Start", localGroup);
    return 0;
  }
  if (read < 0 || running) return 0;
  // The start did not take: the remote side is the primary, so recover.
  groupStep(cliRecover, kLocal, file.path(), 2, "Recover");
  return 0;
}

int OrvRCVexa::ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover() {
  StepOutputFile file(packageDir);
  // Without an output file no command could be captured or judged; the
  // package starts as it is.
  if (!file.ok()) return 0;
  groupStep(cliStartGroup, kLocal, file.path(), 2, "Start");

  int running = 0;
  int read = localGroupRunning(file.path(), running);
  if (read == 0) {
    reportStepFailure(file.path(), 2, "Start", localGroup);
    return 0;
  }
  if (read < 0) return 0;
  if (running) {
    ca_takeover_nop_syncrcopy();
    return 0;
  }
  groupStep(cliRecover, kLocal, file.path(), 2, "Recover");
  return 0;
}

int OrvRCVexa::ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter() {
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  if (!groupStep(cliStartGroup, kLocal, file.path(), 2, "Start")) return 1;

  int running = 0;
  int read = localGroupRunning(file.path(), running);
  if (read == 0) {
    reportStepFailure(file.path(), 1, "Showrcopy group", localGroup);
    return 2;
  }
  if (read < 0) return 2;
  if (running) {
    ca_takeover_nop_syncrcopy();
    return 0;
  }
  return 1;
}

int OrvRCVexa::ca_takeover_resyncwait_stoprcvg_reverse_startrcvg() {
  logger->logDebug("OrvRCVexa::ca_takeover_resyncwait_stoprcvg_reverse_startrcvg");
  if (ca_resyncwait(1) != 0) return 2;
  return ca_takeover_stoprcvg_reverse_startrcvg();
}

int OrvRCVexa::ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg() {
  logger->logDebug(
      "OrvRCVexa::ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg");
  if (remoteStartStep(1) != 1) return 2;
  if (ca_resyncwait(1) != 0) return 2;
  return ca_takeover_stoprcvg_reverse_startrcvg();
}

int OrvRCVexa::ca_takeover_resyncwait_restore() {
  logger->logDebug("OrvRCVexa::ca_takeover_resyncwait_restore");
  if (ca_resyncwait(1) != 0) return 2;
  return singleStepAction(cliRestore, kRemote, 1, "Restore", 3, 2);
}

int OrvRCVexa::ca_takeover_startrcvg_resyncwait_restore() {
  logger->logDebug("OrvRCVexa::ca_takeover_startrcvg_resyncwait_restore");
  if (remoteStartStep(1) != 1) return 2;
  return ca_takeover_resyncwait_restore();
}

int OrvRCVexa::ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore() {
  if (remoteStartStep(1) != 1) return 2;
  return ca_takeover_resyncwait_restore();
}

int OrvRCVexa::ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore() {
  logger->logDebug(
      "OrvRCVexa::ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_"
      "restore");
  int started = remoteStartStep(5);
  if (started < 0) return 2;
  if (started == 0) return 0;
  return ca_takeover_resyncwait_restore();
}

int OrvRCVexa::ca_takeover_recover_resyncwait_restore() {
  logger->logDebug("OrvRCVexa::ca_takeover_recover_resyncwait_restore");
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  if (!groupStep(cliRecover, kRemote, file.path(), 1, "Recover")) return 2;
  if (ca_resyncwait(1) != 0) return 2;
  return groupStep(cliRestore, kRemote, file.path(), 1, "Restore") ? 3 : 2;
}

int OrvRCVexa::ca_takeover_stop_datacenter_startrcvg_recover() {
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  if (!groupStep(cliStartGroup, kRemote, file.path(), 2, "Start")) {
    groupStep(cliRecover, kRemote, file.path(), 2, "Recover");
  }
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover() {
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  if (runGroupStep(cliStartGroup, kRemote, file.path())) {
    syncrcopy();
    return 1;
  }
  reportStepFailure(file.path(), 2, "Start", remoteGroup);
  if (!runGroupStep(cliRecover, kRemote, file.path())) {
    PrintMessageFromVexaCLIOutput(file.path(), 5);
    logger->log(kStepFailureLine, "Recover", remoteGroup.getValue());
  }
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_startrcvg_syncrcopy() {
  if (StartRemoteGroup() == 0) syncrcopy();
  return 1;
}

int OrvRCVexa::ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local() {
  if (remoteStartStep(1) == 1) syncrcopy();
  return 2;
}

int OrvRCVexa::ca_takeover_nop_startrcvg_syncrcopy() {
  StartLocalGroup();
  ca_takeover_nop_syncrcopy();
  return 0;
}
