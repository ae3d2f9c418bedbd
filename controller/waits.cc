// Resynchronisation waits, the task wait and the on-demand sync of the
// replication controller, plus the arithmetic of the shared wait clock.

#include "controller/waits.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "array/command_runner.h"
#include "array/orv_vexa_util.h"
#include "array/rc_records.h"
#include "controller/orv_rc_vexa.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/process_guard.h"
#include "objectdb/catalogue.h"
#include "objectdb/int_text.h"
#include "objectdb/orv_object_db.h"

namespace orv_waits {

long elapsedSeconds(time_t start, time_t now) {
  double d = difftime(now, start);
  if (d <= 0) return 0;
  if (d >= static_cast<double>(LONG_MAX)) return LONG_MAX;
  return static_cast<long>(d);
}

long startAndElapsed(time_t& start, time_t now) {
  if (start == 0) start = now;
  return elapsedSeconds(start, now);
}

int parseLinkDownTimeout(const OrvString& text, int& value) {
  OrvString t(text);
  t.trim();
  if (t.getLength() == 0 || t.getLength() > 9 || !t.isNumeric()) return 0;
  value = atoi(t.getValue());
  return 1;
}

namespace {
const char kLinkDownName[] = "PERIODIC_ASYNC_LINK_DOWN_TIMEOUT";
}  // namespace

int linkDownDefault() { return orvAtoi(OrvCatalogue::find(kLinkDownName)->defaultValue); }

int clampLinkDownTimeout(int value) {
  const OrvAcceptedValues range = OrvCatalogue::accepted(kLinkDownName);
  if (value < range.min || value > range.max) return linkDownDefault();
  return value;
}

}  // namespace orv_waits

namespace {

// A planning stand-in must learn of a wait before its first poll, so that
// the poll finds the wait over instead of sleeping through its bound.
void announceWait(const char* what, const OrvString& subject, long bound) {
  if (OrvCommandRunner* r = OrvCommandRunner::installed())
    r->noteWait(what, subject.getValue(), bound, orv_waits::kPollSeconds);
}

}  // namespace

int OrvRCVexa::IsTaskCompleted(OrvString& phase) {
  // 'done/total': the part before the first '/', then the rest up to the
  // first blank, tab or line feed.  The tokenizer leaves the value alone.
  const char* first = phase.strTok("/", 1);
  OrvString done(first);
  const char* second = phase.strTok(" \t\n", 0);
  OrvString total(second);
  done.trim();
  total.trim();
  return done == total ? 1 : 0;
}

long OrvRCVexa::waitClockElapsed() {
  time_t start = static_cast<time_t>(waitStartTime);
  long elapsed = orv_waits::startAndElapsed(start, orv_guard::monotonicSeconds());
  waitStartTime = start;
  return elapsed;
}

int OrvRCVexa::readResyncWaitTimeout() {
  int timeout = 0;
  if (!objectDb->getIntValByName("RESYNC_WAIT_TIMEOUT", timeout)) {
    logger->log("Warning: Attribute [%s] is not set", "RESYNC_WAIT_TIMEOUT");
    timeout = 0;
  }
  logger->logDebug("ResyncWaitTimeout = %d", timeout);
  return timeout;
}

int OrvRCVexa::ca_resyncwait(int reportAsError) {
  logger->logDebug("OrvRCVexa::ca_resyncwait");
  OrvString localRole;
  objectDb->getStrValByName("StatusLocalReplicationRole", localRole, 1);

  waitClockElapsed();
  long elapsed = 0;

  int timeout = readResyncWaitTimeout();

  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;

  const bool noLimit = (timeout == -1);
  if (reportAsError) {
    if (noLimit) {
      logger->log(
          "RESYNC_WAIT_TIMEOUT is set to no_timeout. Waiting for "
          "synchronization to complete");
    } else {
      logger->log(
          "RESYNC_WAIT_TIMEOUT is set to %d. Waiting upto %d minutes for "
          "synchronization to complete",
          timeout, timeout);
    }
  }
  long limit = noLimit ? 0 : static_cast<long>(timeout) * 60;
  announceWait("volumes", localGroup, noLimit ? -1 : limit);
  const bool localUnknown = sameWordIgnoringCase(localRole, "UNKNOWN");

  bool synced = false;
  while (noLimit || elapsed <= limit) {
    logger->logDebug("Elapsed Time = %ld", elapsed);

    OrvString group;
    OrvString target;
    // One listing of the group on either array into the pass's file.
    auto listGroup = [&](bool remote) {
      return runGroupStep(cliShowRcopyGroup, remote, file.path()) != 0;
    };
    bool read = false;
    if (localUnknown) {
      read = listGroup(true);
      if (read) {
        group = remoteGroup;
        target = remoteTarget;
        PrintMessageFromVexaCLIOutput(file.path(), 5);
      }
    } else {
      read = listGroup(false);
      PrintMessageFromVexaCLIOutput(file.path(), 5);
      if (!read) {
        logger->logDebug(kStepFailureLine, "Showrcopy group",
                         localGroup.getValue());
        read = listGroup(true);
        if (read) {
          group = remoteGroup;
          target = remoteTarget;
        }
      } else {
        group = localGroup;
        target = localTarget;
      }
    }
    if (!read) {
      // Neither array answered; the failures show at debug level only.
      // The next pass comes after the usual poll interval: asking again at
      // once would spin against an array that is down (without end when
      // the wait has no limit).
      PrintMessageFromVexaCLIOutput(file.path(), 5);
      logger->logDebug(kStepFailureLine, "Showrcopy group",
                       remoteGroup.getValue());
      sleep(orv_waits::kPollSeconds);
      elapsed = waitClockElapsed();
      continue;
    }

    _VolGroupStatus status;
    if (OrvVexaUtil::extractVolmeGroupDetails(file.path(), group, target,
                                              status)) {
      logger->logDebug("Volume Group Status = %s", status.status.getValue());
      if (status.status == "Started") {
        fillRCVGVirtualVolumeStatus(status);
        OrvString combined;
        objectDb->getStrValByName("StatusRCVGVirtualVolume", combined, 1);
        logger->logDebug("Combined Virtual Volume Status = %s",
                         combined.getValue());
        if (combined == "Synced") {
          synced = true;
          break;
        }
      }
    }
    sleep(orv_waits::kPollSeconds);
    elapsed = waitClockElapsed();
  }

  file.release();
  if (synced) return 0;
  if (reportAsError) {
    logger->log(
        "Error: Resyncwait timeout has occurred. Either the data copy is "
        "still in progress between the virtual volumes of the primary and "
        "secondary Remote Copy volume groups (%s) or the status of the volume "
        "group/virtual volume is not started/synced.",
        localGroup.getValue());
  } else {
    logger->log(
        "Warning: Resyncwait timeout has occurred. Either the data copy is "
        "still in progress between the virtual volumes of the primary and "
        "secondary Remote Copy volume groups (%s) or the status of the volume "
        "group/virtual volume is not started/synced.",
        localGroup.getValue());
  }
  return 2;
}

int OrvRCVexa::ca_periodic_resyncwait(OrvString taskId, int /*unused*/) {
  OrvString localRole;
  objectDb->getStrValByName("StatusLocalReplicationRole", localRole, 1);
  waitClockElapsed();

  int timeout = readResyncWaitTimeout();

  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;

  const bool noLimit = (timeout == -1);
  long elapsed = waitClockElapsed();
  logger->logDebug("ElapsedTime = %ld", elapsed);
  long limit = noLimit ? 0 : static_cast<long>(timeout) * 60;
  if (taskId != "NOTASK") announceWait("task", taskId, noLimit ? -1 : limit);

  bool ended = false;
  int pending = 0;
  while (noLimit || elapsed <= limit) {
    logger->logDebug("Elapsed Time = %ld", elapsed);
    logger->logDebug("The remote storage name is [%s] ",
                     remoteArrayName.getValue());
    logger->logDebug("The task id is [%s] ", taskId.getValue());

    if (taskId == "NOTASK") {
      logger->logDebug("There is no data changes to sync!");
      return 0;
    }

    OrvList<_TaskInfo> tasks;
    if (!OrvVexaUtil::getCliCmdTaskInfo(taskId, remoteArrayName,
                                        remotePasswordFile, file.path(),
                                        tasks)) {
      return 2;
    }

    bool failed = false;
    for (OrvListNode<_TaskInfo>* n = tasks[0]; n != nullptr; n = n->next()) {
      _TaskInfo& task = n->data();
      OrvString line = OrvString("Status of task id ") + task.id + " is " +
                       task.status;
      logger->log("%s", line.getValue());
      if (sameWordIgnoringCase(task.status, "failed")) {
        failed = true;
        break;
      }
      if (sameWordIgnoringCase(task.status, "active")) {
        if (IsTaskCompleted(task.phase) == 1) {
          pending = 0;
          continue;
        }
        pending = 1;
        break;
      }
      if (sameWordIgnoringCase(task.status, "done")) pending = 0;
    }
    if (failed) break;
    if (pending == 0) {
      ended = true;
      break;
    }
    sleep(orv_waits::kPollSeconds);
    elapsed = waitClockElapsed();
    logger->logDebug("ElapsedTime = %ld", elapsed);
  }

  file.release();
  if (ended) return 0;
  logger->log(" Data copy in progress for [%s] ", localGroup.getValue());
  return 2;
}

int OrvRCVexa::readRemoteRoleForSync() {
  OrvString remoteRole;
  if (!objectDb->getStrValByName("StatusRemoteReplicationRole", remoteRole,
                                 1)) {
    return 2;
  }
  if (sameWordIgnoringCase(remoteRole, "UNKNOWN")) {
    logger->log(
        "Error: Unable to perform syncrcopy when Remote Replication Role of "
        "the Remote Copy Volume Group is UNKNOWN.");
    return 1;
  }
  return 0;
}

int OrvRCVexa::linkIsDownForSync() {
  OrvString link;
  if (caGetlinkStates(localArrayName, localPasswordFile, localTarget, link)) {
    return link == "Down" ? 1 : 0;
  }
  if (caGetlinkStates(remoteArrayName, remotePasswordFile, remoteTarget,
                      link)) {
    return link == "Down" ? 1 : 0;
  }
  return 0;
}

int OrvRCVexa::syncrcopy(OrvString& taskId) {
  int role = readRemoteRoleForSync();
  if (role != 0) return role;

  StepOutputFile first(packageDir);
  if (!first.ok()) return 2;
  if (runGroupStep(cliSync, true, first.path())) {
    int mode = 1;
    int got = OrvVexaUtil::getCliCmdTaskId(first.path(), mode, taskId);
    first.release();
    return got ? 0 : 2;
  }
  reportStepFailure(first.path(), 2, "syncrcopy", remoteGroup);
  first.release();

  if (linkIsDownForSync()) return 4;

  // Retry while the resynchronisation wait lets us.  The limit is the
  // minutes value compared with elapsed seconds, as the product always did;
  // -1 therefore makes no pass.
  int limit = 0;
  if (!objectDb->getIntValByName("RESYNC_WAIT_TIMEOUT", limit)) {
    logger->log("Object APP_RESYNC_TIMEOUT is not set");
    limit = 0;
  }
  logger->logDebug("ResyncWaitTimeout = %d", limit);
  long elapsed = waitClockElapsed();

  StepOutputFile retry(packageDir);
  if (!retry.ok()) return 2;
  bool accepted = false;
  while (static_cast<long>(limit) >= elapsed) {
    logger->logDebug("Elapsed Time = %ld", elapsed);
    if (ca_resyncwait(1) == 0) {
      if (runGroupStep(cliSync, true, retry.path())) {
        accepted = true;
        break;
      }
      PrintMessageFromVexaCLIOutput(retry.path(), 5);
      // The group is in step but the array refused the sync: pause before
      // asking again rather than spin for the whole limit.
      sleep(orv_waits::kPollSeconds);
    }
    elapsed = waitClockElapsed();
  }
  if (!accepted) return 2;

  int mode = 1;
  int got = OrvVexaUtil::getCliCmdTaskId(retry.path(), mode, taskId);
  retry.release();
  return got ? 0 : 2;
}

int OrvRCVexa::syncrcopy() {
  int role = readRemoteRoleForSync();
  if (role != 0) return role;

  StepOutputFile file(packageDir);
  if (!file.ok()) return 0;
  if (!runGroupStep(cliSync, true, file.path())) {
    reportStepFailure(file.path(), 2, "syncrcopy", remoteGroup);
  }
  return 0;
}

int OrvRCVexa::readLinkDownTimeout(int traceCorrected) {
  const char* name = "PERIODIC_ASYNC_LINK_DOWN_TIMEOUT";
  OrvString text;
  int value = 0;
  objectDb->getStrValByName(name, text, 0);
  if (orv_waits::parseLinkDownTimeout(text, value)) {
    waitTimeout = value;
  } else {
    logger->log("Warning: Attribute [%s] is not set", name);
    waitTimeout = orv_waits::linkDownDefault();
  }
  logger->log("Value for timeout is [%d] ", waitTimeout);
  waitTimeout = orv_waits::clampLinkDownTimeout(waitTimeout);
  if (traceCorrected) {
    logger->logDebug("JxVexaRCPeriodicLinkDownTimeout = %d", waitTimeout);
  }
  return waitTimeout;
}

int OrvRCVexa::waitForLocalGroupStopped(int failoverTrace) {
  long elapsed = waitClockElapsed();
  if (failoverTrace) logger->logDebug("ElapsedTime = %ld", elapsed);
  readLinkDownTimeout(failoverTrace);
  if (failoverTrace) logger->logDebug("ElapsedTime = %ld", elapsed);
  announceWait("group stop", localGroup, waitTimeout);

  while (elapsed <= static_cast<long>(waitTimeout)) {
    _VolGroupStatus status;
    if (caGetVGStates(localArrayName, localPasswordFile, localGroup,
                      localTarget, status) &&
        sameWordIgnoringCase(status.status, "Stopped")) {
      if (failoverTrace) logger->logDebug("RC VG is stopped");
      return 1;
    }
    sleep(orv_waits::kPollSeconds);
    elapsed = waitClockElapsed();
    if (failoverTrace) {
      logger->logDebug("ElapsedTime = %ld", elapsed);
    } else {
      logger->logDebug("Elapsed Time = %ld", elapsed);
    }
  }
  return 0;
}
