// Takeover actions that touch no array: the refusals, which tell the
// operator why the package may not start here and what to fix, and the
// no-ops, which let it start as it is.

#include "controller/orv_rc_vexa.h"
#include "foundation/logger.h"

int OrvRCVexa::ca_takeover_stop_local() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_local");
  return 2;
}

int OrvRCVexa::ca_takeover_stop_global() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_global");
  logger->log(
      "The Remote Copy volume group is set with fail_wrt_on_err and the link "
      "is down.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_global_no_ff() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_global_no_ff");
  logger->log(
      "Error: The local Remote Copy volume group role is \"Primary\" and the "
      "remote Remote Copy volume group role is \"Primary-Rev\".");
  logger->log(
      "The link is down and the user has not created the FORCEFLAG file.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter");
  logger->log(
      "Error: The Remote Copy volume group is in either \"New\" status or its "
      "virtual volumes are in \"Stale\" state.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_no_wait() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_no_wait");
  logger->log(
      "Error: The Remote Copy volume group's virtual volume is in "
      "\"Syncing/Stale\" \n\t\t\t\tstate and RESYNC_WAIT_TIMEOUT parameter is "
      "set to 0.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_no_rc() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_no_rc");
  logger->log(
      "Error: The Remote Copy is not happening from the remote storage system "
      "to the local storage system.");
  logger->log(
      "Start the Remote Copy volume group manually before restarting the "
      "package.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_no_recover() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_no_recover");
  logger->log(
      "Error: The local Remote Copy volume group role is \"Primary\" and the "
      "remote Remote Copy volume group role is \"Primary-Rev\".");
  logger->log(
      "Start Remote Copy from the other site to this site using \"recover\" "
      "\n\t\t\t\toperation before restarting the package.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_no_auto() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_no_auto");
  logger->log(
      "Error: The Remote Copy link is down and data in the local storage "
      "system may not be current.");
  logger->log(
      "The user has set AUTO_NONCURDATA to \"0\" and has not created the "
      "FORCEFLAG file.");
  logger->log(
      "To start the package forcefully using non current data, use FORCEFLAG "
      "file.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_datacenter_local_unknown() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_datacenter_local_unknown");
  logArrayReasons();
  logger->log(
      "%s",
      "Error: Not able to determine the status of the local storage "
      "system.\n\t\t\t\t"
      "This may be due to either the storage system being down or "
      "\n\t\t\t\t"
      "due to the SSH connectivity issues.\n\t\t\t\t"
      "Fix the problem to allow package startup.\n\t\t\t\t"
      "To start the package forcefully, use FORCEFLAG file.");
  return 1;
}

int OrvRCVexa::ca_takeover_stop_local_local_unknown_ro() {
  logger->logDebug("OrvRCVexa::ca_takeover_stop_local_local_unknown_ro");
  logArrayReasons();
  logger->log(
      "%s",
      "Error: Not able to determine the status of the local storage "
      "system.\n\t\t\t\t"
      "This may be due to the SSH connectivity issues.\n\t\t\t\t"
      "The remote Remote Copy volume group's role is \"Primary\" and the "
      "status is \"Started\".\n\t\t\t\t"
      "This implies that the local Remote Copy volume group's role is "
      "\"Secondary\".\n\t\t\t\t"
      "To allow package startup on this node, either fix the connectivity "
      "issues or\n\t\t\t\t"
      "reverse the replication using Vexa Management Console.");
  return 2;
}

int OrvRCVexa::ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter() {
  logger->logDebug(
      "OrvRCVexa::ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_"
      "datacenter");
  logArrayReasons();
  logger->log(
      "%s",
      "Error: Not able to determine the status of the remote storage "
      "system.\n\t\t\t\t"
      "This may be due to the SSH connectivity issues or the remote storage "
      "system being down.\n\t\t\t\t"
      "The local Remote Copy volume group's role is \"Primary\". \n\t\t\t\t"
      "This means remote Remote Copy volume group's role can be either "
      "\"Secondary\" or \"Primary-Rev\" or the remote storage system is "
      "down.\n\t\t\t\t"
      "To allow package startup on this node, either fix the connectivity "
      "\n\t\t\t\t"
      "issue or use FORCEFLAG file.");
  return 2;
}

int OrvRCVexa::ca_takeover_startrcvg_localsec_stop_local_localprirev_nop() {
  logger->logDebug(
      "OrvRCVexa::ca_takeover_startrcvg_localsec_stop_local_localprirev_nop");
  logArrayReasons();
  logger->log(
      "%s",
      "Error: Not able to determine the status of the local storage "
      "system.\n\t\t\t\t"
      "This may be due to the SSH connectivity issues or the local storage "
      "system being down.\n\t\t\t\t"
      "The remote Remote Copy volume group's role is \"Primary\". \n\t\t\t\t"
      "This means local Remote Copy volume group's role can be either "
      "\"Secondary\" or \"Primary-Rev\" or the local storage system is "
      "down.\n\t\t\t\t"
      "To allow the package startup on this node, either fix the "
      "connectivity \n\t\t\t\t"
      "issue or use FORCEFLAG file.");
  return 2;
}

int OrvRCVexa::ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_nop() {
  logger->logDebug(
      "OrvRCVexa::ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_"
      "nop");
  return 1;
}

int OrvRCVexa::ca_takeover_reverse_current_local() {
  logger->logDebug("ca_takeover_reverse_current_local");
  logger->log(
      "Error: The local Remote Copy volume group role is \"Secondary-Rev\" and "
      "the link is down. Restore the links and ensure the storage systems are "
      "up before restarting this package.");
  return 1;
}

int OrvRCVexa::ca_takeover_nop() {
  logger->logDebug("OrvRCVexa::ca_takeover_nop");
  logger->log(
      "Orvanta has determined that the Remote Copy volumes are in a "
      "read/write state.");
  return 4;
}

int OrvRCVexa::ca_takeover_nop_ff() {
  logger->logDebug("OrvRCVexa::ca_takeover_nop_ff");
  logger->log(
      "Orvanta has detected a FORCEFLAG file. This means the user has "
      "indicated that the Remote Copy volumes are in a read/write state.");
  return 4;
}

int OrvRCVexa::ca_takeover_nop_yes_auto() {
  logger->logDebug("OrvRCVexa::ca_takeover_nop_yes_auto");
  logger->log(
      "Orvanta has detected that the Remote Copy volumes are in a read/write "
      "state. The local Remote Copy volume group is in \"Primary\" and the "
      "remote Remote Copy volume group is in \"Primary-Rev\" role. As a "
      "result, data in the local storage may not be current. The user has set "
      "\"AUTO_NONCURDATA = 1 \".");
  return 4;
}

int OrvRCVexa::ca_unrecognized_states() { return 1; }
