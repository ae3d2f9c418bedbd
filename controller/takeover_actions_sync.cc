// Takeover actions that ask the arrays to sync now and follow that sync
// before switching (periodic and asynchronous groups), and the failover
// that waits for the array to stop a group whose link went down.

#include <strings.h>

#include "controller/orv_rc_vexa.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/logger.h"
#include "objectdb/orv_object_db.h"

namespace {
constexpr bool kLocal = false;

// AUTO_NONCURDATA holds "0" or "1"; "yes" is the product's old spelling.
bool allowsNonCurrentData(const OrvString& value) {
  return value == "1" || strcasecmp(value.getValue(), "yes") == 0;
}
}  // namespace

int OrvRCVexa::ca_takeover_stoprcvgwait_failover() {
  if (!waitForLocalGroupStopped(1)) return 2;
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  return groupStep(cliFailover, kLocal, file.path(), 1, "Failover") ? 3 : 2;
}

int OrvRCVexa::ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg() {
  OrvString taskId;
  int r = syncrcopy(taskId);
  if (r == 0) {
    if (ca_periodic_resyncwait(taskId, 1) != 0) {
      logger->logDebug("Doing ca periodic resyncwait");
      return 2;
    }
    if (ca_resyncwait(1) != 0) return 2;
    return ca_takeover_stoprcvg_reverse_startrcvg();
  }
  if (r != 4) return 2;

  // The link is down: only a configuration that accepts non-current data
  // lets this site take over, by failover once the array has stopped the
  // group.
  OrvString autoNonCur;
  if (!objectDb->getStrValByName("AUTO_NONCURDATA", autoNonCur, 1)) return 2;
  if (!allowsNonCurrentData(autoNonCur)) {
    logger->log(
        "Error: Remote Copy Links are down and AUTO_NONCURDATA is set to no "
        "for [%s]",
        localGroup.getValue());
    return 1;
  }
  logger->log(
      "Package is configured to start up with non current data when link "
      "down [%s] ",
      localGroup.getValue());
  if (!waitForLocalGroupStopped(0)) return 2;
  return ca_takeover_failover();
}

int OrvRCVexa::ca_takeover_syncrcopy_resyncwait_restore() {
  OrvString taskId;
  int r = syncrcopy(taskId);
  if (r == 4) return 1;
  if (r != 0) return 2;
  if (ca_periodic_resyncwait(taskId, 1) != 0) return 2;
  if (ca_resyncwait(1) != 0) return 2;
  return ca_takeover_restore();
}

int OrvRCVexa::ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore() {
  if (remoteStartStep(1) != 1) return 2;
  return ca_takeover_syncrcopy_resyncwait_restore();
}

int OrvRCVexa::ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg() {
  if (StartRemoteGroup() != 0) return 2;
  return ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg();
}

int OrvRCVexa::ca_takeover_startrcvg_syncrcopy_resyncwait_restore() {
  if (StartRemoteGroup() != 0) return 2;
  return ca_takeover_syncrcopy_resyncwait_restore();
}

int OrvRCVexa::ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg() {
  if (ca_resyncwait(1) != 0) return 2;
  return ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg();
}

int OrvRCVexa::ca_takeover_resyncwait_syncrcopy_resyncwait_restore() {
  if (ca_resyncwait(1) != 0) return 2;
  return ca_takeover_syncrcopy_resyncwait_restore();
}
