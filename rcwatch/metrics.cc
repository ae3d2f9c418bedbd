#include "rcwatch/metrics.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "controller/orv_rc_vexa.h"
#include "foundation/atomic_file.h"
#include "foundation/logger.h"
#include "foundation/program_info.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_store.h"
#include "rcwatch/monitor.h"
#include "rcwatch/monitor_interval.h"

namespace orv_metrics {

namespace {

// The values the object catalogue allows for each status; a dashboard
// needs every one of them present, at 0, to tell "not this" from "no data".
const char* const kLinkStates[] = {"Up", "Down", "Not Started", "UNKNOWN"};
const char* const kGroupStates[] = {"New", "Starting", "Started", "Stopped", "Failsafe", "UNKNOWN"};
const char* const kVolumeStates[] = {"New",     "Remote", "Synced", "Syncing",  "NotSynced",
                                     "Stopped", "Stale",  "NoVVol", "Failsafe", "UNKNOWN"};
const char* const kRoles[] = {"Primary", "Primary-Rev", "Secondary", "Secondary-Rev", "UNKNOWN"};
const char* const kModes[] = {"Sync", "Periodic", "Async", "UNKNOWN"};
const char* const kChannelNames[kChannelCount] = {"email", "syslog", "evq", "console"};

NotificationCounts gCounts;

std::string label(const char* name, const std::string& value) {
  return std::string(",") + name + "=\"" + escapeLabelValue(value) + "\"";
}

// Accumulates the file; every sample carries the package label first.
class Exposition {
 public:
  explicit Exposition(const std::string& package)
      : package_("package=\"" + escapeLabelValue(package) + "\"") {}

  void family(const char* name, const char* type, const char* help) {
    text_ += std::string("# HELP ") + name + " " + help + "\n# TYPE " + name + " " + type + "\n";
  }
  void sample(const char* name, const std::string& labels, const std::string& value) {
    text_ += std::string(name) + "{" + package_ + labels + "} " + value + "\n";
  }
  void sample(const char* name, const std::string& labels, long value) {
    sample(name, labels, std::to_string(value));
  }
  // One series per known value, 1 for the current one.
  template <size_t N>
  void enumSamples(const char* name, const std::string& labels, const char* labelName,
                   const char* const (&values)[N], const std::string& current) {
    const std::string value = current.empty() ? "UNKNOWN" : current;
    bool known = false;
    for (const char* v : values) {
      const bool on = strcasecmp(v, value.c_str()) == 0;
      known = known || on;
      sample(name, labels + label(labelName, v), on ? 1 : 0);
    }
    if (!known) sample(name, labels + label(labelName, value), 1);
  }
  const std::string& text() const { return text_; }

 private:
  std::string package_;
  std::string text_;
};

std::string seconds(long microseconds) {
  std::string fraction = std::to_string(microseconds % 1000000);
  fraction.insert(0, 6 - fraction.size(), '0');
  return std::to_string(microseconds / 1000000) + "." + fraction;
}

long microsecondsSince(const struct timespec& start) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  long us = (now.tv_sec - start.tv_sec) * 1000000L + (now.tv_nsec - start.tv_nsec) / 1000;
  return us < 0 ? 0 : us;
}

std::string statusText(const char* name) {
  OrvString value;
  if (pObjectDb_ != nullptr) pObjectDb_->getStrValByName(name, value, 0);
  return value.getValue();
}

}  // namespace

void countNotification(Channel channel, int sent) {
  if (channel < 0 || channel >= kChannelCount) return;
  ++(sent ? gCounts.sent : gCounts.failed)[channel];
}

const NotificationCounts& notificationCounts() { return gCounts; }

std::string escapeLabelValue(const std::string& value) {
  std::string out;
  out.reserve(value.size());
  for (unsigned char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '"') {
      out += "\\\"";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c < 0x20 || c >= 0x7f) {
      // Array output is not promised to be UTF-8, and the collector drops
      // a whole file over one bad byte.
      out += '?';
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

namespace {

// Counts per state: the listed ones always (0 when none), then the others
// in the order first seen.
template <size_t N>
std::vector<std::pair<std::string, long>> stateCounts(const char* const (&known)[N],
                                                      const std::vector<std::string>& states) {
  std::vector<std::pair<std::string, long>> counts;
  for (const char* k : known) counts.push_back({k, 0});
  for (const std::string& st : states) {
    bool found = false;
    for (auto& c : counts)
      if (!found && strcasecmp(c.first.c_str(), st.c_str()) == 0) {
        ++c.second;
        found = true;
      }
    if (!found) counts.push_back({st.empty() ? "UNKNOWN" : st, 1});
  }
  return counts;
}

const char* const kLinkCountStates[] = {"Up", "Down"};
const char* const kVolumeCountStates[] = {"Synced", "Syncing", "NotSynced", "Stale"};

}  // namespace

std::string renderMetrics(const PassMetrics& p, const NotificationCounts& counts) {
  Exposition e(p.package);
  e.family("orvanta_info", "gauge", "The monitor: its node, the node's site and the version.");
  e.sample("orvanta_info",
           label("node", p.node) + label("site", p.site) + label("version", orvProgramVersion()),
           1);
  e.family("orvanta_monitor_last_pass_timestamp_seconds", "gauge",
           "When the monitor last finished a pass, in seconds since the epoch.");
  e.sample("orvanta_monitor_last_pass_timestamp_seconds", "", p.passEnd);
  e.family("orvanta_monitor_pass_duration_seconds", "gauge",
           "How long the last pass took: array queries and notifications.");
  e.sample("orvanta_monitor_pass_duration_seconds", "", seconds(p.passMicroseconds));
  e.family("orvanta_monitor_interval_seconds", "gauge",
           "Seconds between two passes of the monitor (MonitorInterval).");
  e.sample("orvanta_monitor_interval_seconds", "", p.intervalSeconds);

  e.family("orvanta_array_reachable", "gauge",
           "Whether the array answered every query of the last pass (1) or not (0).");
  e.sample("orvanta_array_reachable", label("side", "local") + label("array", p.localArray),
           p.localReachable ? 1 : 0);
  e.sample("orvanta_array_reachable", label("side", "remote") + label("array", p.remoteArray),
           p.remoteReachable ? 1 : 0);

  bool allUp = strcasecmp(p.link.c_str(), "Up") == 0;
  for (const auto& target : p.links)
    for (const std::string& st : target.second) allUp = allUp && strcasecmp(st.c_str(), "Up") == 0;
  e.family("orvanta_rc_link_up", "gauge",
           "Whether the Remote Copy link is Up with every link of it (1) or not (0).");
  e.sample("orvanta_rc_link_up", "", allUp ? 1 : 0);
  e.family("orvanta_rc_links", "gauge", "Links of each Remote Copy target, counted by state.");
  for (const auto& target : p.links)
    for (const auto& c : stateCounts(kLinkCountStates, target.second))
      e.sample("orvanta_rc_links", label("target", target.first) + label("state", c.first),
               c.second);
  e.family("orvanta_rc_link_state", "gauge",
           "Remote Copy link status: 1 for the current value, 0 for the others.");
  e.enumSamples("orvanta_rc_link_state", "", "state", kLinkStates, p.link);
  e.family("orvanta_rc_group_state", "gauge",
           "Remote Copy volume group status: 1 for the current value, 0 for the others.");
  e.enumSamples("orvanta_rc_group_state", "", "state", kGroupStates, p.group);
  e.family("orvanta_rc_volumes_state", "gauge",
           "Sync status of the group's virtual volumes: 1 for the current value, 0 for the "
           "others.");
  e.enumSamples("orvanta_rc_volumes_state", "", "state", kVolumeStates, p.volumes);
  e.family("orvanta_rc_volumes", "gauge", "Virtual volumes of the group, counted by sync state.");
  for (const auto& c : stateCounts(kVolumeCountStates, p.volumeStates))
    e.sample("orvanta_rc_volumes", label("state", c.first), c.second);
  e.family("orvanta_rc_role", "gauge",
           "Replication role of the group on each side: 1 for the current value, 0 for the "
           "others.");
  e.enumSamples("orvanta_rc_role", label("side", "local"), "role", kRoles, p.localRole);
  e.enumSamples("orvanta_rc_role", label("side", "remote"), "role", kRoles, p.remoteRole);
  e.family("orvanta_rc_mode", "gauge",
           "Replication mode of the group: 1 for the current value, 0 for the others.");
  e.enumSamples("orvanta_rc_mode", "", "mode", kModes, p.mode);

  e.family("orvanta_rc_stopped_seconds", "gauge",
           "How long the group has been seen Stopped, in seconds; 0 while it runs.");
  e.sample("orvanta_rc_stopped_seconds", "", p.stoppedSeconds);
  const long threshold = static_cast<long>(p.thresholdMinutes) * 60;
  if (threshold > 0) {
    e.family("orvanta_rpo_threshold_seconds", "gauge",
             "The recovery-point threshold RPO_THRESHOLD, in seconds.");
    e.sample("orvanta_rpo_threshold_seconds", "", threshold);
  }
  e.family("orvanta_rpo_exceeded", "gauge",
           "Whether the group has been stopped longer than the RPO threshold (1) or not (0).");
  e.sample("orvanta_rpo_exceeded", "", threshold > 0 && p.stoppedSeconds > threshold ? 1 : 0);

  e.family("orvanta_notifications_total", "counter",
           "Notifications sent or failed per channel since the monitor started.");
  for (int c = 0; c < kChannelCount; ++c) {
    const std::string channel = label("channel", kChannelNames[c]);
    e.sample("orvanta_notifications_total", channel + label("result", "sent"), counts.sent[c]);
    e.sample("orvanta_notifications_total", channel + label("result", "failed"), counts.failed[c]);
  }
  if (p.hasGateStart) {
    e.family("orvanta_gate_last_start_timestamp_seconds", "gauge",
             "When the newest rcgate run on this node started, in seconds since the epoch.");
    e.sample("orvanta_gate_last_start_timestamp_seconds", "", p.gateStart);
    e.family("orvanta_gate_last_exit_code", "gauge",
             "The exit code of that run: 0 or 3 started here, 2 not on this node, 1 not at all.");
    e.sample("orvanta_gate_last_exit_code", "", p.gateExitCode);
    e.family("orvanta_gate_last_forced", "gauge",
             "Whether that run used a FORCEFLAG file (1) or not (0).");
    e.sample("orvanta_gate_last_forced", "", p.gateForced);
  }
  return e.text();
}

std::string metricsFileName(const std::string& package) {
  std::string name = "orvanta_";
  for (char c : package) {
    const bool safe = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '_' || c == '-';
    name += safe ? c : '_';
  }
  return name + ".prom";
}

int writeMetricsFile(const std::string& dir, const std::string& name, const std::string& text,
                     std::string& step) {
  static unsigned long serial = 0;
  step = "open the directory";
  // Its owner may swap the directory for a link to one root must not write.
  int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (dirFd < 0) return errno;

  static const char* const kSteps[] = {"create a temporary file", "write the temporary file",
                                       "set the mode of the temporary file",
                                       "sync the temporary file", "close the temporary file",
                                       "rename the temporary file"};
  orv_files::AtomicStep failed = orv_files::kCreateTemporary;
  const int err = orv_files::writeAtomically(
      dirFd, name,
      [&name](int) {
        return "." + name + "." + std::to_string(getpid()) + "." + std::to_string(++serial) +
               ".tmp";
      },
      100, text, 0644, &failed);
  if (err != 0) step = kSteps[failed];
  close(dirFd);
  return err;
}

MonitorMetrics::MonitorMetrics(const char* paramsPath, const OrvString& package,
                               const OrvString& localArray, const OrvString& remoteArray,
                               int intervalSeconds, int thresholdMinutes) {
  pass_.package = package.getValue();
  pass_.localArray = localArray.getValue();
  pass_.remoteArray = remoteArray.getValue();
  pass_.intervalSeconds = intervalSeconds;
  pass_.thresholdMinutes = thresholdMinutes;
  fileName_ = metricsFileName(pass_.package);
  clock_gettime(CLOCK_MONOTONIC, &passStart_);

  OrvString value;
  if (!readMonitorParameter(paramsPath, kMetricsDirKey, value) || value.getLength() == 0) return;
  const std::string dir(value.getValue());
  if (dir[0] != '/') {
    warnOnce("Warning: The MetricsDir value [" + dir + "] in " + paramsPath +
             " is not an absolute path; no metrics file is written.");
    return;
  }
  dir_ = dir;
}

void MonitorMetrics::passBegins() { clock_gettime(CLOCK_MONOTONIC, &passStart_); }

void MonitorMetrics::passEnds(const OrvString& link, const OrvString& group,
                              const OrvString& volumes, long stoppedSeconds) {
  if (!enabled()) return;
  pass_.passEnd = static_cast<long>(time(nullptr));
  pass_.link = link.getValue();
  pass_.group = group.getValue();
  pass_.volumes = volumes.getValue();
  pass_.localRole = statusText("StatusLocalReplicationRole");
  pass_.remoteRole = statusText("StatusRemoteReplicationRole");
  pass_.mode = statusText("StatusReplicationMode");
  pass_.localReachable = pOrvRCVexa != nullptr && pOrvRCVexa->localArrayAnswered();
  pass_.remoteReachable = pOrvRCVexa != nullptr && pOrvRCVexa->remoteArrayAnswered();
  pass_.stoppedSeconds = stoppedSeconds;
  pass_.node = statusText("LocalHostName");
  pass_.site = statusText("StatusCurrentDC");
  pass_.links.clear();
  pass_.volumeStates.clear();
  if (pOrvRCVexa != nullptr) {
    for (bool local : {true, false}) {
      const OrvRCVexa::LinkStates& l = pOrvRCVexa->linkStates(local);
      if (!l.target.empty()) pass_.links.push_back({l.target, l.states});
    }
    pass_.volumeStates = pOrvRCVexa->volumeStates();
  }
  readGateStart();
  pass_.passMicroseconds = microsecondsSince(passStart_);

  std::string step;
  const int err = writeMetricsFile(dir_, fileName_, renderMetrics(pass_, gCounts), step);
  const std::string path = dir_ + "/" + fileName_;
  if (err == 0) {
    Logger::getInstance()->logDebug("Metrics written to %s", path.c_str());
    return;
  }
  warnOnce("Warning: Unable to write the metrics file " + path + " (" + step + ": " +
           strerror(err) +
           "). The monitor tries again after every pass; notifications are "
           "not affected.");
}

void MonitorMetrics::readGateStart() {
  pass_.hasGateStart = false;
  std::string why;
  const int dirFd = orv_decisions::openDir(sOrvTempPath_.getValue(), false, why);
  if (dirFd < 0) return;
  const std::vector<std::string> names = orv_decisions::listRecords(dirFd);
  // Newest first; a record of another node or one that does not parse is
  // passed over.
  for (size_t i = names.size(); i-- > 0 && !pass_.hasGateStart;) {
    std::string text;
    orv_decisions::Record r;
    if (!orv_decisions::readAt(dirFd, names[i], text, why) || !orv_decisions::parse(text, r, why) ||
        r.node != pass_.node)
      continue;
    pass_.hasGateStart = true;
    pass_.gateStart = static_cast<long>(r.startTime);
    pass_.gateExitCode = r.exitCode;
    pass_.gateForced = r.forceFlagConsumed ? 1 : 0;
  }
  close(dirFd);
}

void MonitorMetrics::warnOnce(const std::string& text) {
  Logger* log = Logger::getInstance();
  if (warned_) {
    log->logDebug("%s", text.c_str());
    return;
  }
  warned_ = true;
  log->log("%s", text.c_str());
}

}  // namespace orv_metrics
