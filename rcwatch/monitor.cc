// Start-up steps and per-pass operations of the monitor.

#include "rcwatch/monitor.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "controller/orv_rc_vexa.h"
#include "foundation/safe_word.h"
#include "foundation/util.h"
#include "objectdb/attribute_source.h"
#include "objectdb/config_commands.h"
#include "objectdb/email_ids.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "rcwatch/metrics.h"
#include "rcwatch/monitor_interval.h"
#include "rcwatch/send_notify.h"

Logger* pLog_ = nullptr;
OrvObjectDb* pObjectDb_ = nullptr;
OrvRCVexa* pOrvRCVexa = nullptr;
OrvString sSearchObject_;
OrvString sOrvTempPath_;

namespace {

Logger* logger() {
  if (pLog_ == nullptr) pLog_ = Logger::getInstance();
  return pLog_;
}

}  // namespace

void clUsage() {
  fputs("Usage: rcwatch <package_name>\n", stdout);
  fputs("Warning: This binary is not recommended to be run outside of the Orvanta Vexa "
        "Package\n",
        stdout);
  fflush(stdout);
  exit(1);
}

int earlySetups(int argc, char** argv) {
  (void)argc;
  OrvString packageName(argv[1]);
  logger()->log("Starting Monitor for Orvanta with Vexa Remote Copy Package %s.",
                packageName.getValue());
  pObjectDb_ = new OrvObjectDb();
  if (!pObjectDb_->isGood()) return 2;
  pObjectDb_->setStrValByName("PackageName", packageName);
  if (!clSetSearchObject()) return 2;
  pObjectDb_->loadUserConfig(packageName);
  return 0;
}

int clSetSearchObject() {
  OrvString name;
  if (!pObjectDb_->getStrValByName("RunSearchObject", name, 1)) {
    sSearchObject_ = "";
    return 0;
  }
  sSearchObject_ = name;
  return 1;
}

int setHostInfo() {
  OrvString hostOutput;
  if (!orv_attributes::nodeName().empty()) {
    hostOutput = orv_attributes::nodeName().c_str();
  } else if (!OrvUtil::getCmdStrOutput("/bin/hostname", hostOutput, 80)) {
    logger()->logDebug("INFO: Could not get local hostname");
    hostOutput = "UNKNOWN";
  }
  // Node lists hold short names: drop any domain part.
  std::string host(hostOutput.getValue());
  size_t dot = host.find('.');
  if (dot != std::string::npos) host.resize(dot);
  return pObjectDb_->setStrValByName("LocalHostName", host.c_str());
}

int startUpInit() {
  Logger* log = logger();
  log->logDebug("Entering RCVG Monitor's startupInit ..");
  if (setHostInfo() == 0) {
    log->logDebug("There was a problem setting the host info");
    return 2;
  }
  if (sSearchObject_.getLength() > 0) {
    OrvObject* searchObject = nullptr;
    if (!pObjectDb_->getObjectByName(sSearchObject_, searchObject, 1)) {
      log->logDebug("Object %s is not found", sSearchObject_.getValue());
      return 2;
    }
    OrvString resourceGroup;
    if (!searchObject->findResourceGroup(resourceGroup)) {
      log->logDebug("Cannot find resource group for %s", sSearchObject_.getValue());
      return 2;
    }
    if (!pObjectDb_->updateValuesByContext(resourceGroup)) {
      log->logDebug("There was a problem updating values by context : %s",
                    resourceGroup.getValue());
      return 2;
    }
  }
  OrvString localHostName;
  if (!pObjectDb_->getStrValByName("LocalHostName", localHostName, 1)) return 2;
  if (pObjectDb_->getDataCenter(localHostName) != 0) return 2;
  if (!pObjectDb_->getStrValByName("VKR_PKG_DIR", sOrvTempPath_, 1)) return 2;

  pOrvRCVexa = new OrvRCVexa(pObjectDb_, sOrvTempPath_);
  if (!pOrvRCVexa->isGood()) return 2;
  log->logDebug("Returning from RCVG Monitor's startupInit successfully..");
  return 0;
}

int getClusterName(OrvString& name) {
  OrvString command("/usr/local/tarvos/bin/tvviewcl -s config -fline -v | grep ^name=");
  logger()->logDebug("The command to be executed is [%s]", command.getValue());
  OrvString output;
  int rc = 0;
  if (!OrvUtil::runShCmdOutputOnly(command, output, &rc) || output.getLength() == 0) return 0;
  std::string text(output.getValue());
  size_t eq = text.find('=');
  if (eq == std::string::npos) return 0;
  std::string value = text.substr(eq + 1);
  size_t next = value.find('=');
  if (next != std::string::npos) value.resize(next);
  name = value.c_str();
  return 1;
}

int populateEmailAddresses(OrvString packageName, OrvList<OrvString>* addresses) {
  Logger* log = logger();
  if (!OrvSafeWord::isPackageName(packageName.getValue())) {
    log->log("Error: The package name [%s] contains characters not allowed in a command "
             "line; the e-mail addresses are not read.",
             packageName.getValue());
    return 0;
  }
  log->logDebug("The command to be executed is [%s %s]", OrvConfigCommands::kPackageEnvProgram,
                packageName.getValue());
  OrvEmailIds ids;
  if (!orvReadEmailIds(packageName.getValue(), ids)) return 0;
  for (const std::string& word : ids.refused) log->log("%s", orvRefusedAddressWarning(word).c_str());
  for (const std::string& address : ids.addresses)
    addresses->insertAtBack(OrvString(address.c_str()));
  return ids.addresses.empty() ? 0 : 1;
}

int getMonitorInterval() {
  std::string path = std::string(kMonitorConfigDir) + kMonitorConfigName;
  return readMonitorInterval(path.c_str());
}

int getVolumeStatesAndErrorLog(OrvString& diagnostics) {
  diagnostics = "";
  OrvString reportFile;
  OrvUtil::createTempFile(sOrvTempPath_, "orv", reportFile);
  int code = pOrvRCVexa->caGetVolumeStatesForMonitor(reportFile);
  if (reportFile.getLength() == 0) return code;
  OrvString text;
  OrvUtil::orvReadFile(reportFile, text, 0);
  if (text.getLength() > 0 && code != 0) {
    diagnostics =
        OrvString("\n----------------------Diagnostic Messages and Resolution "
                  "notes----------------\n") +
        text +
        "\n------------------------------End of "
        "Messages------------------------------------------\n";
  }
  OrvUtil::OrvUnlink(reportFile.getValue());
  return code;
}

void getRemoteCopyInfo(OrvString& link, OrvString& group, OrvString& volumes) {
  OrvString value;
  if (pObjectDb_->getStrValByName("StatusRCLink", value, 1)) link = value;
  value = "";
  if (pObjectDb_->getStrValByName("StatusRCVolumeGroup", value, 1)) group = value;
  value = "";
  if (pObjectDb_->getStrValByName("StatusRCVGVirtualVolume", value, 1)) volumes = value;
}

void sendMonNotifications(SendNotify* notifier, int email, int syslog, int evq, int console,
                          OrvList<OrvString>& addresses, OrvString& packageName,
                          OrvString& message, OrvString& details) {
  Logger* log = logger();
  const std::string package(packageName.getValue());
  const std::string text(message.getValue());
  const std::string extra(details.getValue());
  if (email) {
    int failed = 0;
    for (int i = 0; i < addresses.numObjects(); ++i) {
      int r = notifier->sendNotification(package, text, "Email", extra,
                                         addresses[i]->data().getValue());
      orv_metrics::countNotification(orv_metrics::kEmail, r == 0);
      if (r != 0) failed = 1;
    }
    log->log(failed ? "Unable to send the Email notification. Check mail configuration"
                    : "Email notification sent successfully.");
  }
  if (syslog) {
    int r = notifier->sendNotification(package, text, "Syslog", extra, "");
    orv_metrics::countNotification(orv_metrics::kSyslog, r == 0);
    log->log(r == 0 ? "SYSLOG notification sent successfully."
                    : "Unable to send the SYSLOG notification.");
  }
  if (evq) {
    int r = notifier->sendNotification(package, text, "EVQ", extra, "");
    orv_metrics::countNotification(orv_metrics::kEvq, r == 0);
    log->log(r == 0 ? "EVQ notification sent successfully."
                    : "Unable to send the EVQ/Emberline notification.");
  }
  if (console) {
    int r = notifier->sendNotification(package, text, "Console", extra, "");
    orv_metrics::countNotification(orv_metrics::kConsole, r == 0);
    log->log(r == 0 ? "Console notification sent successfully."
                    : "Unable to send the Console notification.");
  }
}
