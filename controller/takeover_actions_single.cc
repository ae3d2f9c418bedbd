// Takeover actions made of one array step: failover, restore, override,
// recover, start and sync on the side each action names.  How a failed
// step's output is copied (error 1, warning 2) and which result it gives
// are fixed per action.

#include "controller/orv_rc_vexa.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/logger.h"

namespace {
constexpr bool kLocal = false;
constexpr bool kRemote = true;
}  // namespace

int OrvRCVexa::ca_takeover_failover() {
  logger->logDebug("OrvRCVexa::ca_takeover_failover");
  StepOutputFile file(packageDir);
  if (!file.ok()) return 2;
  PrintForceFlagMessage();
  return groupStep(cliFailover, kLocal, file.path(), 1, "Failover") ? 3 : 2;
}

int OrvRCVexa::ca_takeover_restore() {
  logger->logDebug("OrvRCVexa::ca_takeover_restore");
  return singleStepAction(cliRestore, kRemote, 1, "Restore", 3, 2);
}

int OrvRCVexa::ca_takeover_restore_force() {
  logger->logDebug("OrvRCVexa::ca_takeover_restore_force");
  return singleStepAction(cliRestoreAllTargets, kRemote, 1, "Restore", 3, 2);
}

int OrvRCVexa::ca_takeover_failsafe_override() {
  logger->logDebug("OrvRCVexa::ca_takeover_failsafe_override");
  return singleStepAction(cliOverride, kLocal, 1, "Failsafe Override", 0, 2);
}

int OrvRCVexa::ca_takeover_nop_recover() {
  logger->logDebug("OrvRCVexa::ca_takeover_nop_recover");
  return singleStepAction(cliRecover, kLocal, 2, "Recover", 0, 0);
}

int OrvRCVexa::ca_takeover_nop_startrcvg() {
  logger->logDebug("OrvRCVexa::ca_takeover_nop_startrcvg");
  return singleStepAction(cliStartGroup, kLocal, 2, "Start", 0, 0);
}

int OrvRCVexa::ca_takeover_stop_datacenter_startrcvg() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_startrcvg");
  return singleStepAction(cliStartGroup, kRemote, 2, "Start", 1, 1);
}

int OrvRCVexa::ca_takeover_stop_datacenter_recover() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_recover");
  return singleStepAction(cliRecover, kRemote, 2, "Recover", 1, 1);
}

int OrvRCVexa::ca_takeover_nop_syncrcopy() {
  StepOutputFile file(packageDir);
  if (!file.ok()) return 0;
  groupStep(cliSync, kLocal, file.path(), 2, "syncrcopy");
  return 0;
}
