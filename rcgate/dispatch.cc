// Action selection and dispatch: the rule table's decision becomes one call
// on the replication controller.

#include "controller/orv_rc_vexa.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_record.h"
#include "rcgate/orv_base.h"
#include "rules/orv_rule_db.h"

namespace {

using ActionMember = OrvActionFunction;

struct ActionEntry {
  const char* name;
  ActionMember member;
};

// The name is produced from the member itself, so an entry can never bind a
// name to a member of another name.
#define ORV_ACTION(member) {#member, &OrvRCVexa::member}

const ActionEntry kActions[] = {
    ORV_ACTION(ca_takeover_stop_local),
    ORV_ACTION(ca_takeover_stop_global),
    ORV_ACTION(ca_takeover_stop_datacenter),
    ORV_ACTION(ca_takeover_stoprcvg_reverse_startrcvg),
    ORV_ACTION(ca_takeover_reverse_startrcvg),
    ORV_ACTION(ca_takeover_failover),
    ORV_ACTION(ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_nop),
    ORV_ACTION(ca_takeover_nop_recover),
    ORV_ACTION(ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover),
    ORV_ACTION(ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter),
    ORV_ACTION(ca_takeover_resyncwait_stoprcvg_reverse_startrcvg),
    ORV_ACTION(ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg),
    ORV_ACTION(ca_takeover_restore),
    ORV_ACTION(ca_takeover_startrcvg_localsec_stop_local_localprirev_nop),
    ORV_ACTION(ca_takeover_resyncwait_restore),
    ORV_ACTION(ca_takeover_startrcvg_resyncwait_restore),
    ORV_ACTION(ca_takeover_nop),
    ORV_ACTION(ca_takeover_stop_datacenter_startrcvg),
    ORV_ACTION(ca_takeover_nop_startrcvg),
    ORV_ACTION(ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore),
    ORV_ACTION(ca_takeover_reverse_current_local),
    ORV_ACTION(ca_takeover_recover_resyncwait_restore),
    ORV_ACTION(ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore),
    ORV_ACTION(ca_takeover_stop_datacenter_recover),
    ORV_ACTION(ca_takeover_nop_ff),
    ORV_ACTION(ca_takeover_stop_datacenter_no_wait),
    ORV_ACTION(ca_takeover_stop_datacenter_no_rc),
    ORV_ACTION(ca_takeover_stop_global_no_ff),
    ORV_ACTION(ca_takeover_stop_datacenter_no_recover),
    ORV_ACTION(ca_takeover_stop_datacenter_local_unknown),
    ORV_ACTION(ca_takeover_stop_local_local_unknown_ro),
    ORV_ACTION(ca_takeover_stop_datacenter_no_auto),
    ORV_ACTION(ca_takeover_nop_yes_auto),
    ORV_ACTION(ca_takeover_restore_force),
    ORV_ACTION(ca_unrecognized_states),
    ORV_ACTION(ca_takeover_nop_syncrcopy),
    ORV_ACTION(ca_takeover_nop_startrcvg_syncrcopy),
    ORV_ACTION(ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg),
    ORV_ACTION(ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg),
    ORV_ACTION(ca_takeover_syncrcopy_resyncwait_restore),
    ORV_ACTION(ca_takeover_startrcvg_syncrcopy_resyncwait_restore),
    ORV_ACTION(ca_takeover_stop_datacenter_startrcvg_syncrcopy),
    ORV_ACTION(ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover),
    ORV_ACTION(ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore),
    ORV_ACTION(ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover),
    ORV_ACTION(ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter),
    ORV_ACTION(ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local),
    ORV_ACTION(ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg),
    ORV_ACTION(ca_takeover_resyncwait_syncrcopy_resyncwait_restore),
    ORV_ACTION(ca_takeover_stoprcvgwait_failover),
    ORV_ACTION(ca_takeover_failsafe_override),
};

#undef ORV_ACTION

}  // namespace

void OrvBase::loadCaFunctionList() {
  for (const ActionEntry& entry : kActions) {
    caFunctionList.insertAtBack(OrvActionVal(OrvString(entry.name), entry.member));
  }
}

int OrvBase::ruleEngine() {
  logger->logDebug("Entering ruleEngine..");
  OrvString action;
  OrvList<OrvString> matched;
  if (!ruleDb->evaluateAndGetAction(action, matched)) {
    // No rule led to an action: an error stops the run, otherwise the
    // takeover falls back to the manual-intervention action.
    return ruleDb->hasError() ? 0 : 1;
  }
  if (record) record->noteDecision(action, matched);
  return bindAction(action);
}

const OrvActionVal* OrvBase::findAction(const OrvString& action) const {
  // Exact, case-sensitive match: a name that merely resembles an entry
  // must never start a takeover.
  for (int i = 0; i < caFunctionList.numObjects(); ++i) {
    const OrvActionVal& entry = caFunctionList[i]->data();
    if (entry.getActionName() == action) return &entry;
  }
  return nullptr;
}

int OrvBase::bindAction(const OrvString& action) {
  const OrvActionVal* found = findAction(action);
  if (found == nullptr) {
    logger->log("Error: Could not find takeover function [%s]", action.getValue());
    return 1;
  }

  OrvActionVal chosen(action, found->getValue());
  OrvObject* statusObject = nullptr;
  if (!objectDb->getObjectByName("StatusActionFunction", statusObject, 1)) return 0;
  if (!statusObject->setValue(&chosen)) {
    logger->log("Error: Could not set value for object name [%s]", "StatusActionFunction");
    return 0;
  }
  return 1;
}

int OrvBase::executeTakeover() {
  ActionMember function = &OrvRCVexa::ca_unrecognized_states;
  OrvObject* statusObject = nullptr;
  const OrvType* value = nullptr;
  if (objectDb->getObjectByName("StatusActionFunction", statusObject, 1)) {
    value = statusObject->getValue();
  }
  const OrvActionVal* actionValue =
      (value != nullptr && value->getType() == ACTION_TYPE)
          ? static_cast<const OrvActionVal*>(value)
          : nullptr;
  if (actionValue == nullptr) {
    logger->log("%s", kOrvManualIntervention);
  } else {
    OrvActionVal copy(*actionValue);
    function = copy.getValue();
    logger->logDebug("Action function is [%s]", copy.getActionName().getValue());
  }
  return (controller->*function)();
}
