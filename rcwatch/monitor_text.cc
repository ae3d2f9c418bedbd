#include "rcwatch/monitor_text.h"

#include <syslog.h>

#include <strings.h>

#include <cstring>
#include <string>

OrvString monitorHeader(const MonitorIdentity& id, const char* lastLineEnd) {
  OrvString text;
  text += OrvString("Cluster Name                     : ") + id.clusterName + "\n";
  text += OrvString("Package Name                     : ") + id.packageName + "\n";
  text += OrvString("Remote Copy Group Name(Local)    : ") + id.localGroup + "\n";
  text += OrvString("Remote Copy Group Name(Remote)   : ") + id.remoteGroup + "\n";
  text += OrvString("Local Array Name/IP              : ") + id.localArray + "\n";
  text += OrvString("Remote Array Name/IP             : ") + id.remoteArray + lastLineEnd;
  return text;
}

OrvString monitorStartMessage(const MonitorIdentity& id, const OrvString& link,
                              const OrvString& group, const OrvString& volumes) {
  OrvString text = OrvString("Orvanta Vexa Replication Monitor for Package ") + id.packageName +
                   " has started\n\n";
  text += monitorHeader(id, "\n\n\n");
  text += OrvString("The Replication Link Status is ") + link + "\n";
  text += OrvString("The Remote Copy Volume Group Status is ") + group + "\n";
  text += OrvString("The Remote Copy Virtual Volume Status is ") + volumes + "\n\n";
  return text;
}

int appendChangeLine(const char* subject, const OrvString& previous, const OrvString& current,
                     OrvString& message, OrvString& line) {
  if (previous == current) return 0;
  line = OrvString(subject) + " has changed from " + previous + " to " + current + "\n";
  message += line;
  return 1;
}

OrvString rpoNoticeText(const OrvString& packageName, const OrvString& header,
                        long stoppedSeconds, int thresholdMinutes) {
  OrvString text = OrvString("Orvanta Vexa RPO Monitor for the package ") + packageName + "\n\n";
  text += header;
  text += "The Remote Copy Volume Group Replication has been stopped for ";
  text += std::to_string(stoppedSeconds / 60).c_str();
  text += " minutes and ";
  text += std::to_string(stoppedSeconds % 60).c_str();
  text += " seconds.\nIt exceeds the configured RPO THRESHOLD value of ";
  text += thresholdMinutes;
  text += " minutes.\nThe Package will not start after a failover to standby site.\n";
  return text;
}

RpoWatch::RpoWatch(int thresholdMinutes)
    : thresholdMinutes_(thresholdMinutes),
      thresholdSeconds_(static_cast<long>(thresholdMinutes) * 60) {}

int RpoWatch::observe(const OrvString& groupStatus, time_t now, long& stoppedSeconds) {
  if (strcasecmp(groupStatus.getValue(), "Stopped") != 0) {
    awaitingStopTime_ = 1;
    noticePending_ = 1;
    stoppedSeconds_ = 0;
    return 0;
  }
  if (awaitingStopTime_) {
    stopTime_ = now;
    awaitingStopTime_ = 0;
    stoppedSeconds_ = 0;
    return 0;
  }
  stoppedSeconds_ = now > stopTime_ ? static_cast<long>(now - stopTime_) : 0;
  if (thresholdMinutes_ <= 0 || !noticePending_) return 0;
  if (stoppedSeconds_ <= thresholdSeconds_) return 0;
  stoppedSeconds = stoppedSeconds_;
  noticePending_ = 0;
  return 1;
}

namespace {

const char* const kStateNames[3] = {"link", "group", "volumes"};
const char* const kHealthy[3] = {"Up", "Started", "Synced"};

bool healthy(const OrvString states[3], int problem) {
  for (int i = 0; i < 3; ++i)
    if (!(states[i] == kHealthy[i])) return false;
  return problem == 0;
}

void add(std::string& summary, const std::string& part) {
  summary += (summary.empty() ? "" : ", ") + part;
}

}  // namespace

NotifyEvent startEvent(const OrvString& link, const OrvString& group, const OrvString& volumes,
                       int problem) {
  const OrvString states[3] = {link, group, volumes};
  NotifyEvent e{"monitor started", LOG_INFO};
  for (int i = 0; i < 3; ++i)
    if (!(states[i] == kHealthy[i])) add(e.summary, std::string(kStateNames[i]) + " " +
                                                        states[i].getValue());
  if (problem) add(e.summary, "array not answering");
  if (!healthy(states, problem)) e.priority = LOG_WARNING;
  return e;
}

NotifyEvent passEvent(const OrvString previous[3], const OrvString current[3],
                      int previousProblem, int problem) {
  NotifyEvent e{"", healthy(current, problem) ? LOG_NOTICE : LOG_WARNING};
  for (int i = 0; i < 3; ++i)
    if (!(previous[i] == current[i]))
      add(e.summary, std::string(kStateNames[i]) + " " + current[i].getValue());
  if (problem != previousProblem)
    add(e.summary, problem ? "array not answering" : "arrays answering again");
  return e;
}

NotifyEvent rpoEvent() { return {"RPO threshold exceeded", LOG_WARNING}; }
