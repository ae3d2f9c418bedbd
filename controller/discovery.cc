// Replication state discovery: both arrays' views of the group and the links
// turned into the status objects the rule table tests.

#include "array/orv_vexa_util.h"
#include "controller/orv_rc_vexa.h"
#include "controller/report_text.h"
#include "controller/status_rules.h"
#include "foundation/logger.h"
#include "foundation/util.h"
#include "objectdb/orv_object_db.h"

namespace {

const char kGroupWarningLocal[] =
    "Warning: Unable to find the properties for the Remote Copy volume group [%s] in the "
    "Jx Vexa storage system name [%s].";
const char kGroupWarningRemote[] =
    "Warning: Unable to find the properties for the Remote Copy volume group [%s] in the "
    "Jx Vexa storage system name [%s]\n";
const char kLinkWarningLocal[] =
    "Warning: Unable to find the Remote Copy link status for the Jx Vexa storage system name [%s].";
const char kLinkWarningRemote[] =
    "Warning: Unable to find the Remote Copy link status for the Jx Vexa storage system name [%s]";
const char kBothFailedGroup[] =
    "ERROR: Orvanta failed to discover the properties of both remote and local Remote Copy "
    "volume group.";
const char kBothFailedLink[] =
    "Error: Orvanta failed to discover the properties of both remote and local Remote Copy "
    "volume group.";

}  // namespace

int OrvRCVexa::setStatus(const char* name, const OrvString& value) {
  return objectDb->setStrValByName(name, value);
}

OrvString OrvRCVexa::statusText(const char* name) {
  OrvString v;
  objectDb->getStrValByName(name, v, 1);
  return v;
}

void OrvRCVexa::noteProblem(std::ostream* report, OrvString& file, int kind, int isLocal,
                            int isGroup, int isLink, int& warningNumber, int& problem) {
  if (report == nullptr) return;
  problem = 1;
  if (kind >= 0)
    printMonitorMessages(*report, file, kind, isLocal, isGroup, isLink, warningNumber);
}

void OrvRCVexa::noteListingFailed(bool localSide, OrvString& file, int exitStatus) {
  const OrvString& array = localSide ? localArrayName : remoteArrayName;
  const std::string prefix = std::string("Array [") + array.getValue() + "]";
  for (const std::string& r : reasons)
    if (r.compare(0, prefix.size(), prefix) == 0) return;
  OrvString output;
  OrvUtil::orvReadFile(file, output, 0);
  const char site = localSide == localSiteA ? 'A' : 'B';
  reasons.push_back(orv_report::arrayReasonLine(array.getValue(), site, output.getValue(),
                                                exitStatus, OrvVexaUtil::getCommandTimeout()));
}

void OrvRCVexa::noteLinks(bool localSide, OrvString& file) {
  LinkStates& side = localSide ? localLinks : remoteLinks;
  side.target = (localSide ? localTarget : remoteTarget).getValue();
  OrvList<_RcLink> links;
  if (!OrvVexaUtil::parseShowRCopyLinks(file, links)) return;
  for (int i = 0; i < links.numObjects(); ++i)
    if (links[i]->data().target == side.target.c_str())
      side.states.push_back(links[i]->data().status.getValue());
}

void OrvRCVexa::logArrayReasons() {
  for (const std::string& r : reasons) logger->log("%s", r.c_str());
}

void OrvRCVexa::fillRCVGVirtualVolumeStatus(_VolGroupStatus group) {
  volumeSyncStates.clear();
  for (int i = 0; i < group.volumes.numObjects(); ++i)
    volumeSyncStates.push_back(group.volumes[i]->data().syncStatus.getValue());
  OrvList<OrvString> writes = orv_status::volumeStatusWrites(group);
  for (int i = 0; i < writes.numObjects(); ++i)
    setStatus("StatusRCVGVirtualVolume", writes[i]->data());
}

int OrvRCVexa::caGetVolumeStates(int afterTakeover) {
  (void)afterTakeover;  // both calls do the same
  logger->logDebug("Entering caGetVolumeStates..");
  OrvString file;
  if (!OrvUtil::createTempFile(packageDir, "orv", file)) return 0;
  int warningNumber = 1;
  int problem = 0;
  int result = discoverStates(file, nullptr, warningNumber, problem);
  OrvUtil::OrvUnlink(file.getValue());
  return result;
}

int OrvRCVexa::discoverStates(OrvString& file, std::ostream* report, int& warningNumber,
                              int& problem) {
  const bool monitor = report != nullptr;
  _VolGroupStatus local;
  _VolGroupStatus remote;
  OrvString localLink("UNKNOWN");
  OrvString remoteLink("UNKNOWN");
  int localRead = 1;
  int remoteRead = 1;
  int rc = 0;
  localAnswered = 1;
  remoteAnswered = 1;
  localRoleRead = 0;
  reasons.clear();
  localLinks = LinkStates();
  remoteLinks = LinkStates();
  volumeSyncStates.clear();

  bool localWarned = false;
  // Neither group listing could be used: both sides are named as when their
  // commands fail (the local one unless already named), then the verdict.
  auto neitherGroupRead = [&]() {
    if (!localWarned)
      logger->log(kGroupWarningLocal, localGroup.getValue(), localArrayName.getValue());
    logger->log(kGroupWarningRemote, remoteGroup.getValue(), remoteArrayName.getValue());
    logArrayReasons();
    logger->log("%s", kBothFailedGroup);
    if (!monitor) logger->log("Package is not allowed to start up");
    return 0;
  };

  // Local group.
  rc = -1;
  if (!OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyGroup, localArrayName, localPasswordFile,
                                     localGroup, localTarget, file, &rc, 0)) {
    noteListingFailed(true, file, rc);
    PrintMessageFromVexaCLIOutput(file, 2);
    localRead = 0;
    localAnswered = 0;
    logger->log(kGroupWarningLocal, localGroup.getValue(), localArrayName.getValue());
    localWarned = true;
    noteProblem(report, file, 0, 1, 1, 0, warningNumber, problem);
  } else {
    PrintMessageFromVexaCLIOutput(file, 5);
  }
  if (localRead &&
      !OrvVexaUtil::extractVolmeGroupDetails(file, localGroup, localTarget, local)) {
    localRead = 0;
    noteProblem(report, file, 1, 1, 1, 0, warningNumber, problem);
  }

  if (localRead) {
    if (!setStatus("StatusReplicationMode", local.mode) ||
        !setStatus("StatusLocalReplicationRole", local.role) ||
        !setStatus("StatusRCVolumeGroup", local.status) ||
        !setStatus("StatusFailsafeMode", local.failsafeMode) ||
        !setStatus("StatusAutoRecover", local.autoRecover)) {
      localRead = 0;
      noteProblem(report, file, -1, 1, 1, 0, warningNumber, problem);
    } else {
      localRoleRead = 1;
    }
    fillRCVGVirtualVolumeStatus(local);
  }

  // Remote group.
  rc = -1;
  if (!OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyGroup, remoteArrayName, remotePasswordFile,
                                     remoteGroup, remoteTarget, file, &rc, 0)) {
    noteListingFailed(false, file, rc);
    remoteRead = 0;
    remoteAnswered = 0;
    noteProblem(report, file, 0, 0, 1, 0, warningNumber, problem);
    if (!localRead) {
      PrintMessageFromVexaCLIOutput(file, 1);
      return neitherGroupRead();
    }
    PrintMessageFromVexaCLIOutput(file, 2);
    logger->log(kGroupWarningRemote, remoteGroup.getValue(), remoteArrayName.getValue());
  } else {
    PrintMessageFromVexaCLIOutput(file, 5);
  }
  if (remoteRead &&
      !OrvVexaUtil::extractVolmeGroupDetails(file, remoteGroup, remoteTarget, remote)) {
    remoteRead = 0;
    if (!localRead) {
      noteProblem(report, file, 1, 0, 1, 0, warningNumber, problem);
      return neitherGroupRead();
    }
  }

  if (remoteRead) {
    if (!localRead) {
      if (!setStatus("StatusReplicationMode", remote.mode) ||
          !setStatus("StatusRemoteReplicationRole", remote.role) ||
          !setStatus("StatusRCVolumeGroup", remote.status) ||
          !setStatus("StatusFailsafeMode", remote.failsafeMode) ||
          !setStatus("StatusAutoRecover", remote.autoRecover)) {
        noteProblem(report, file, 2, 1, 1, 0, warningNumber, problem);
        return neitherGroupRead();
      }
      fillRCVGVirtualVolumeStatus(remote);
    } else {
      setStatus("StatusRemoteReplicationRole", remote.role);
      // The local array may still show a group it cannot run; the remote
      // view of a stopped or failed half is the one that holds.
      if (orv_status::remoteGroupStatusPrevails(local.status, remote.status)) {
        setStatus("StatusRCVolumeGroup", remote.status);
        fillRCVGVirtualVolumeStatus(remote);
      }
    }
  }

  // Local links.
  if (localRead) {
    rc = -1;
    if (!OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyLinks, localArrayName, localPasswordFile, file,
                                       &rc)) {
      noteListingFailed(true, file, rc);
      PrintMessageFromVexaCLIOutput(file, 2);
      localRead = 0;
      localAnswered = 0;
      logger->log(kLinkWarningLocal, localArrayName.getValue());
      noteProblem(report, file, 0, 1, 0, 1, warningNumber, problem);
    } else {
      PrintMessageFromVexaCLIOutput(file, 5);
    }
    if (localRead && monitor) noteLinks(true, file);
    if (localRead && !OrvVexaUtil::extractLinkStatus(file, localTarget, localLink)) {
      localRead = 0;
      noteProblem(report, file, 1, 1, 0, 1, warningNumber, problem);
    }
    if (localRead && !setStatus("StatusRCLink", localLink)) {
      localRead = 0;
      noteProblem(report, file, -1, 1, 0, 1, warningNumber, problem);
    }
  }

  // Remote links.
  if (remoteRead) {
    rc = -1;
    if (!OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyLinks, remoteArrayName, remotePasswordFile,
                                       file, &rc)) {
      noteListingFailed(false, file, rc);
      remoteRead = 0;
      remoteAnswered = 0;
      logger->log(kLinkWarningRemote, remoteArrayName.getValue());
      noteProblem(report, file, 0, 0, 0, 1, warningNumber, problem);
    } else {
      PrintMessageFromVexaCLIOutput(file, 5);
    }
    if (remoteRead && monitor) noteLinks(false, file);
    if (remoteRead && !OrvVexaUtil::extractLinkStatus(file, remoteTarget, remoteLink)) {
      remoteRead = 0;
      noteProblem(report, file, 1, 0, 0, 1, warningNumber, problem);
    }
    if (!localRead && remoteRead && !setStatus("StatusRCLink", remoteLink)) {
      remoteRead = 0;
      noteProblem(report, file, -1, 0, 0, 1, warningNumber, problem);
    }
  }

  if (!localRead && !remoteRead) {
    logArrayReasons();
    logger->log("%s", kBothFailedLink);
    if (!monitor) logger->log("Package is not allowed to start up.");
    return 0;
  }

  // A link that is up as the local array sees it but down or not started as
  // the remote array sees it is reported as the remote array sees it.
  if (orv_status::remoteLinkPrevails(localLink, remoteLink)) setStatus("StatusRCLink", remoteLink);

  // A synchronous group that does not fail writes on error cannot replicate
  // over a down link, whatever the arrays still call it.
  if (!orv_status::sameText(local.mode, "Periodic")) {
    OrvString failsafe = statusText("StatusFailsafeMode");
    if (failsafe == "no_fail_wrt_on_err") {
      OrvString link = statusText("StatusRCLink");
      if (orv_status::syncLinkDownRuleApplies(local.mode, failsafe, link)) {
        if (orv_status::linkDownStopsGroupStatus(statusText("StatusRCVolumeGroup")))
          setStatus("StatusRCVolumeGroup", "Stopped");
        if (orv_status::linkDownStopsVolumeStatus(statusText("StatusRCVGVirtualVolume")))
          setStatus("StatusRCVolumeGroup", "Stopped");
      }
    }
  }

  switch (orv_status::periodicVolumesSource(remoteRead, remote.mode, local.mode)) {
    case 2:
      periodicVolumes = remote.volumes;
      break;
    case 1:
      periodicVolumes = local.volumes;
      break;
    default:
      break;
  }
  return 1;
}

int OrvRCVexa::caGetVGStates(OrvString array, OrvString passwordFile, OrvString group,
                             OrvString target, _VolGroupStatus& result) {
  OrvString file;
  if (!OrvUtil::createTempFile(packageDir, "orv", file)) return 0;
  int rc = 0;
  if (!OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyGroup, array, passwordFile, group, target, file,
                                     &rc, 0)) {
    PrintMessageFromVexaCLIOutput(file, 2);
    logger->log("Error: RC VG status failed [%s] at [%s] ", group.getValue(), array.getValue());
    OrvUtil::OrvUnlink(file.getValue());
    return 0;
  }
  PrintMessageFromVexaCLIOutput(file, 5);
  int ok = OrvVexaUtil::extractVolmeGroupDetails(file, group, target, result);
  OrvUtil::OrvUnlink(file.getValue());
  return ok;
}

int OrvRCVexa::caGetlinkStates(OrvString array, OrvString passwordFile, OrvString target,
                               OrvString& linkStatus) {
  OrvString file;
  if (!OrvUtil::createTempFile(packageDir, "orv", file)) return 0;
  int rc = 0;
  if (!OrvVexaUtil::JxVexaCliCmdExec(cliShowRcopyLinks, array, passwordFile, file, &rc)) {
    PrintMessageFromVexaCLIOutput(file, 2);
    logger->log("Error: RC Link Status is failed [%s] ", array.getValue());
    OrvUtil::OrvUnlink(file.getValue());
    return 0;
  }
  PrintMessageFromVexaCLIOutput(file, 5);
  int ok = OrvVexaUtil::extractLinkStatus(file, target, linkStatus);
  OrvUtil::OrvUnlink(file.getValue());
  return ok;
}
