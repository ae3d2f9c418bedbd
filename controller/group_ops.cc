// Group operations of the replication controller: one array step and its
// failure report, the two group starts, the group-running check, and the
// reverse-and-start and stop-reverse-start sequences most switch-overs end
// in.

#include <cstring>

#include "array/orv_vexa_util.h"
#include "array/rc_records.h"
#include "controller/orv_rc_vexa.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "objectdb/orv_object_db.h"

int OrvRCVexa::runGroupStep(e_CLI_CMD_OPTION option, bool remoteSide,
                            OrvString& file) {
  int exitStatus = 0;
  if (remoteSide) {
    return OrvVexaUtil::JxVexaCliCmdExec(option, remoteArrayName,
                                         remotePasswordFile, remoteGroup,
                                         remoteTarget, file, &exitStatus,
                                         0) != 0;
  }
  return OrvVexaUtil::JxVexaCliCmdExec(option, localArrayName,
                                       localPasswordFile, localGroup,
                                       localTarget, file, &exitStatus,
                                       0) != 0;
}

void OrvRCVexa::reportStepFailure(OrvString& file, int kind, const char* word,
                                  const OrvString& group) {
  PrintMessageFromVexaCLIOutput(file, kind);
  if (kind == 5) {
    logger->logDebug(kStepFailureLine, word, group.getValue());
  } else {
    logger->log(kStepFailureLine, word, group.getValue());
  }
}

int OrvRCVexa::groupStep(e_CLI_CMD_OPTION option, bool remoteSide,
                         OrvString& file, int kind, const char* word) {
  if (runGroupStep(option, remoteSide, file)) return 1;
  reportStepFailure(file, kind, word, remoteSide ? remoteGroup : localGroup);
  return 0;
}

int OrvRCVexa::singleStepAction(e_CLI_CMD_OPTION option, bool remoteSide,
                                int kind, const char* word, int onSuccess,
                                int onFailure) {
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  return groupStep(option, remoteSide, file.path(), kind, word) ? onSuccess
                                                                : onFailure;
}

int OrvRCVexa::localGroupRunning(OrvString& file, int& running) {
  running = 0;
  if (!runGroupStep(cliShowRcopyGroup, false, file)) return 0;
  _VolGroupStatus status;
  if (!OrvVexaUtil::extractVolmeGroupDetails(file, localGroup, localTarget,
                                             status)) {
    // The caller decides without the status; the log must say why.
    logger->log(
        "Warning: Unable to find the properties for the Remote Copy volume "
        "group [%s] in the Jx Vexa storage system name [%s].",
        localGroup.getValue(), localArrayName.getValue());
    return -1;
  }
  running = (status.status == "Started" || status.status == "Starting");
  return 1;
}

void OrvRCVexa::askBackgroundStart() {
  OrvString pkgDir;
  objectDb->getStrValByName("VKR_PKG_DIR", pkgDir, 1);
  OrvVexaUtil::touchSTARTREP(pkgDir.getValue());
}

int OrvRCVexa::StartLocalGroup() {
  StepOutputFile file(packageDir);
  if (!file.ok()) return 0;
  groupStep(cliStartGroup, false, file.path(), 2, "Start");
  return 0;
}

int OrvRCVexa::StartRemoteGroup() {
  return singleStepAction(cliStartGroup, true, 1, "Start", 0, 2);
}

int OrvRCVexa::startLocalThenWait(StepOutputFile& file,
                                  const char* startFailedWarning) {
  if (!runGroupStep(cliStartGroup, false, file.path())) {
    PrintMessageFromVexaCLIOutput(file.path(), 2);
    logger->log(startFailedWarning, localGroup.getValue());
    file.release();
    askBackgroundStart();
    return 3;
  }
  file.release();
  if (ca_resyncwait(0) != 0) askBackgroundStart();
  return 3;
}

int OrvRCVexa::ca_takeover_reverse_startrcvg() {
  logger->logDebug("OrvRCVexa::ca_takeover_reverse_startrcvg");
  PrintForceFlagMessage();

  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  if (!groupStep(cliReverse, false, file.path(), 1, "Reverse")) return 2;

  return startLocalThenWait(file, "Warning: Start of Volume Group [%s] failed.");
}

int OrvRCVexa::asyncStopThenReverse(StepOutputFile& file) {
  // The stop runs on the remote array; the failure line has always named
  // the local group.
  if (!runGroupStep(cliStopGroupForce, true, file.path())) {
    reportStepFailure(file.path(), 1, "Stop", localGroup);
    return 2;
  }
  file.release();

  _VolGroupStatus local;
  if (!caGetVGStates(localArrayName, localPasswordFile, localGroup,
                     localTarget, local)) {
    logger->log("Unable to get the local state of the Volume Group");
    return 2;
  }
  _VolGroupStatus remote;
  if (!caGetVGStates(remoteArrayName, remotePasswordFile, remoteGroup,
                     remoteTarget, remote)) {
    logger->log("Unable to get the remote state of the Volume Group");
    return 2;
  }
  if (!(local.status == "Stopped" && remote.status == "Stopped")) {
    logger->log(
        "Remote Copy Group is not in the stopped state to perform the "
        "required operation");
    return 2;
  }
  int i = 0;
  for (OrvListNode<_VolumeStatus>* n = local.volumes[0]; n != nullptr;
       n = n->next(), ++i) {
    OrvListNode<_VolumeStatus>* r = remote.volumes[i];
    if (!(n->data().syncStatus == "Stopped" && r != nullptr &&
          r->data().syncStatus == "Stopped")) {
      logger->log("Unable to get the remote state of the Volume Group");
      return 2;
    }
  }
  return ca_takeover_reverse_startrcvg();
}

int OrvRCVexa::ca_takeover_stoprcvg_reverse_startrcvg() {
  logger->logDebug("OrvRCVexa::ca_takeover_stoprcvg_reverse_startrcvg");
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;

  OrvString mode;
  if (!objectDb->getStrValByName("StatusReplicationMode", mode, 1)) return 2;
  if (sameWordIgnoringCase(mode, "async")) {
    return asyncStopThenReverse(file);
  }

  if (!groupStep(cliStopReverse, false, file.path(), 1, "Reverse")) return 2;
  PrintMessageFromVexaCLIOutput(file.path(), 5);

  return startLocalThenWait(
      file,
      "Warning: Starting of the Remote Copy volume group [%s] has failed to "
      "complete. This means that Remote Copy is not happening between the "
      "primary and secondary volume groups. Orvanta will try to "
      "start the Remote Copy volume group  using the startrcopygroup "
      "command in the background after package start up is complete.");
}
