// Configuration and status report, command-output copying and the force-flag
// explanation.

#include "controller/orv_rc_vexa.h"
#include "controller/report_text.h"
#include "controller/site_objects.h"
#include "foundation/file_io.h"
#include "foundation/logger.h"
#include "objectdb/orv_object_db.h"

void OrvRCVexa::displayConfigs(int afterTakeover) {
  logger->logDebug("Entering OrvRCVexa::displayConfigs");
  // A fresh text per read: a failed read must not show the previous value.
  auto get = [this](const char* name) {
    OrvString v;
    objectDb->getStrValByName(name, v, 1);
    return v;
  };
  OrvString text;
  if (afterTakeover == 0) {
    OrvString currentDC;
    if (!objectDb->getStrValByName("StatusCurrentDC", currentDC, 1)) return;
    const OrvSiteObjects& site = orvSiteObjects(currentDC);
    text = "Configuration for the Remote Copy volume group:\n";
    struct {
      const char* label;
      const char* object;
    } const lines[] = {
        {"Local Remote Copy Volume Group Name  = ", site.localGroup},
        {"Remote Remote Copy Volume Group Name  = ", site.remoteGroup},
        {"Local Jx Vexa Storage System User Name = ", site.localUser},
        {"Remote Jx Vexa Storage System User Name = ", site.remoteUser},
        {"Local Jx Vexa Storage System Name/IP = ", site.localName},
        {"Remote Jx Vexa Storage System Name/IP = ", site.remoteName},
        {"Replication Mode of the Remote Copy Volume Group = ", "StatusReplicationMode"},
    };
    for (const auto& line : lines) orv_report::addLine(text, line.label, get(line.object));
    orv_report::addLine(text, "FailSafe Mode of the Remote Copy Volume Group = ",
                        orv_report::failsafeText(get("StatusFailsafeMode")));
    orv_report::addLine(text, "AutoRecover = ", get("StatusAutoRecover"));
    int timeout = 0;
    if (objectDb->getIntValByName("RESYNC_WAIT_TIMEOUT", timeout))
      orv_report::addLine(text, "RESYNC_WAIT_TIMEOUT = ", orv_report::resyncTimeoutText(timeout));
    orv_report::addLine(text, "AUTO_NONCURDATA = ", get("AUTO_NONCURDATA"));
    logger->log("INFO: %s", text.getValue());
    text = "Current status of the Remote Copy volume group:\n";
  } else {
    text = "Status of the Remote Copy volume group after takeover:\n";
  }

  orv_report::addLine(text, "Local Replication Role of the Remote Copy Volume Group  = ", get("StatusLocalReplicationRole"));
  orv_report::addLine(text, "Remote Replication Role of the Remote Copy Volume Group  = ", get("StatusRemoteReplicationRole"));
  if (afterTakeover == 0) {
    orv_report::addLine(text, "Remote Copy Link Status = ", get("StatusRCLink"));
  }
  orv_report::addLine(text, "Remote Copy Volume Group Status = ", get("StatusRCVolumeGroup"));
  orv_report::addLine(text, "Remote Copy Volume Group Virtual Volume SyncStatus  = ", get("StatusRCVGVirtualVolume"));
  logger->log("INFO: %s", text.getValue());
}

void OrvRCVexa::PrintMessageFromVexaCLIOutput(OrvString outputFile, int kind) {
  OrvInFile in(outputFile, 1);
  OrvString text;
  int size = 0;
  if (!in.isGood() || !in.fileRead(text, size) || text.getLength() == 0) return;
  // The array's text is data, never a format.
  if (kind == 1 || kind == 2)
    logger->log("%s", text.getValue());
  else
    logger->logDebug("%s", text.getValue());
}

void OrvRCVexa::PrintForceFlagMessage() {
  OrvString autoValue("0");
  OrvString force("no");
  OrvString value;
  if (objectDb->getStrValByName("AUTO_NONCURDATA", value, 0) && value.getLength() > 0)
    autoValue = value;
  if (objectDb->getStrValByName("StatusForceFlag", value, 0) && value.getLength() > 0)
    force = value;

  if (autoValue == "1" && force == "yes") {
    logger->log("The user has set AUTO_NONCURDATA to \"1\"");
    logger->logDebug("AUTO_NONCURDATA is set to \"1\" and FORCEFLAG file is present.");
  } else if (autoValue == "0" && force == "yes") {
    logger->log("Orvanta has detected a FORCEFLAG file.");
  } else if (autoValue == "1" && force == "no") {
    logger->log("The user has set AUTO_NONCURDATA to \"1\"");
  } else {
    logger->log("The user has set AUTO_NONCURDATA to \"0\" and has not created the FORCEFLAG file.");
  }
}
