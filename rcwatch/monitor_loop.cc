// The monitor's start-up sequence and its endless loop of passes.

#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <string>

#include "controller/orv_rc_vexa.h"
#include "foundation/process_guard.h"
#include "foundation/program_info.h"
#include "foundation/temp_files.h"
#include "foundation/util.h"
#include "objectdb/attribute_source.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "rcwatch/metrics.h"
#include "rcwatch/monitor.h"
#include "rcwatch/monitor_interval.h"
#include "rcwatch/monitor_text.h"
#include "rcwatch/send_notify.h"

namespace {

const char kUsage[] =
    "Usage: rcwatch <package_name>\n"
    "       rcwatch --help | --version\n"
    "       rcwatch [--attributes FILE|-] [--node NAME] <package_name>\n"
    "Watches the replication of the package's Remote Copy volume group and notifies\n"
    "on changes (e-mail, syslog, event command, console); runs until stopped.\n";

struct Channels {
  int email = 0;
  int syslog = 0;
  int evq = 0;
  int console = 0;
};

struct ReplicationState {
  OrvString link;
  OrvString group;
  OrvString volumes;
};

Channels readChannels(OrvString& packageName, OrvList<OrvString>& addresses) {
  Channels channels;
  OrvObject* choices = nullptr;
  if (!pObjectDb_->getObjectByName("DR_NOTIFICATION_CHOICES", choices, 1)) return channels;
  if (choices->contains("EMAIL")) channels.email = populateEmailAddresses(packageName, &addresses);
  if (choices->contains("SYSLOG")) channels.syslog = 1;
  if (choices->contains("EVQ")) channels.evq = 1;
  if (choices->contains("CONSOLE")) channels.console = 1;
  return channels;
}

OrvString objectText(const char* name) {
  OrvString value;
  pObjectDb_->getStrValByName(name, value, 1);
  return value;
}

// SIGTERM (or SIGINT): the files of the pass in progress go, then the
// monitor ends normally.
void stopMonitor(int signal) {
  orv_temp::removeAll();
  Logger::getInstance()->log("INFO: Monitor stopped by signal %d.", signal);
  fflush(nullptr);
  _exit(0);
}

}  // namespace

int runMonitor(int argc, char** argv) {
  if (orvInfoOption(argc, argv, "rcwatch", kUsage)) return 0;
  orv_guard::openStandardDescriptors();
  orv_guard::install(orv_guard::kMonitor, stopMonitor);
  pLog_ = Logger::getInstance();
  // --attributes FILE / --node NAME come before the package name.
  std::string why;
  if (!orv_attributes::takeOptions(argc, argv, why)) {
    pLog_->log("%s", why.c_str());
    return 1;
  }
  if (argc != 2) clUsage();

  SendNotify notifier;
  OrvList<OrvString> addresses;
  MonitorIdentity id;
  getClusterName(id.clusterName);

  if (earlySetups(argc, argv) != 0) {
    pLog_->logDebug("Initialization failed.");
    return 2;
  }
  id.packageName = argv[1];
  if (startUpInit() != 0) {
    pLog_->logDebug("Initializing the Remote Copy group functions for RCVG Monitor");
    return 1;
  }

  Channels channels = readChannels(id.packageName, addresses);
  const int interval = getMonitorInterval();

  int threshold = 0;
  if (!pObjectDb_->getIntValByName("RPO_THRESHOLD", threshold)) threshold = 0;
  pLog_->logDebug("The RPO_THRESHOLD value is %d", threshold);
  RpoWatch rpo(threshold);

  OrvString site = objectText("StatusCurrentDC");
  const bool dc1Local = site == "A";
  id.localGroup = objectText(dc1Local ? "DC1_RC_VOLUME_GROUP" : "DC2_RC_VOLUME_GROUP");
  id.remoteGroup = objectText(dc1Local ? "DC2_RC_VOLUME_GROUP" : "DC1_RC_VOLUME_GROUP");
  id.localArray = objectText(dc1Local ? "DC1_STORAGE_SYSTEM_NAME" : "DC2_STORAGE_SYSTEM_NAME");
  id.remoteArray = objectText(dc1Local ? "DC2_STORAGE_SYSTEM_NAME" : "DC1_STORAGE_SYSTEM_NAME");

  const std::string params = std::string(kMonitorConfigDir) + kMonitorConfigName;
  orv_metrics::MonitorMetrics metrics(params.c_str(), id.packageName, id.localArray,
                                      id.remoteArray, interval, threshold);

  ReplicationState current;
  OrvString diagnostics;
  OrvString details;
  int problem = getVolumeStatesAndErrorLog(diagnostics);
  details += diagnostics;
  getRemoteCopyInfo(current.link, current.group, current.volumes);

  OrvString message = monitorStartMessage(id, current.link, current.group, current.volumes);
  const NotifyEvent started = startEvent(current.link, current.group, current.volumes, problem);
  notifier.setEvent(started.summary, started.priority);
  sendMonNotifications(&notifier, channels.email, channels.syslog, channels.evq,
                       channels.console, addresses, id.packageName, message, details);
  metrics.passEnds(current.link, current.group, current.volumes, 0);

  ReplicationState previous = current;
  for (;;) {
    const int previousProblem = problem;
    OrvUtil::_sleep(interval);
    metrics.passBegins();

    message = "";
    details = "";
    problem = getVolumeStatesAndErrorLog(diagnostics);
    details += diagnostics;
    getRemoteCopyInfo(current.link, current.group, current.volumes);

    message = monitorHeader(id, "\n\n");
    long stopped = 0;
    if (rpo.observe(current.group, orv_guard::monotonicSeconds(), stopped)) {
      OrvString notice = rpoNoticeText(id.packageName, message, stopped, threshold);
      pLog_->log("%s", notice.getValue());
      const NotifyEvent exceeded = rpoEvent();
      notifier.setEvent(exceeded.summary, exceeded.priority);
      sendMonNotifications(&notifier, channels.email, channels.syslog, channels.evq,
                           channels.console, addresses, id.packageName, notice, details);
    }

    OrvString line;
    int changed = 0;
    if (appendChangeLine("The Replication Link Status", previous.link, current.link, message,
                         line)) {
      pLog_->log("%s", line.getValue());
      changed = 1;
    }
    if (appendChangeLine("The Remote Copy Volume Group Status", previous.group, current.group,
                         message, line)) {
      pLog_->log("%s", line.getValue());
      changed = 1;
    }
    if (appendChangeLine("The Remote Copy Virtual Volume Status", previous.volumes,
                         current.volumes, message, line)) {
      pLog_->log("%s", line.getValue());
      changed = 1;
    }
    if (changed || problem != previousProblem) {
      const OrvString before[3] = {previous.link, previous.group, previous.volumes};
      const OrvString after[3] = {current.link, current.group, current.volumes};
      const NotifyEvent event = passEvent(before, after, previousProblem, problem);
      notifier.setEvent(event.summary, event.priority);
      sendMonNotifications(&notifier, channels.email, channels.syslog, channels.evq,
                           channels.console, addresses, id.packageName, message, details);
    }
    metrics.passEnds(current.link, current.group, current.volumes, rpo.stoppedSeconds());
    previous = current;
  }
}
