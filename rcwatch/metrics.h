// The monitor's view of the replication as Prometheus metrics.
//
// rcwatch is not a server, so it publishes through node_exporter's textfile
// collector: with MetricsDir=DIRECTORY in the monitor's parameter file,
// every pass (the start collection included) ends by writing
// DIRECTORY/orvanta_<package>.prom in the Prometheus text format.  The file
// is written under a temporary name in the same directory and renamed into
// place, so the collector never reads half a file; the temporary name does
// not end in ".prom", so the collector never reads it at all.
//
// Without MetricsDir nothing is written.  When the file cannot be written
// the monitor says so in one Warning per start and goes on; notifications
// do not depend on it.  The directory is opened once per write and the
// files in it are reached only through its descriptor, never following a
// link: the directory may be writable by the exporter's user.

#ifndef RCWATCH_METRICS_H_
#define RCWATCH_METRICS_H_

#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "foundation/orv_string.h"

namespace orv_metrics {

const char kMetricsDirKey[] = "MetricsDir";

// Everything one pass leaves for the file.
struct PassMetrics {
  std::string package;
  std::string localArray;
  std::string remoteArray;
  long intervalSeconds = 0;
  long passEnd = 0;           // seconds since the epoch
  long passMicroseconds = 0;  // how long the pass took
  int localReachable = 0;
  int remoteReachable = 0;
  std::string link;
  std::string group;
  std::string volumes;
  std::string localRole;
  std::string remoteRole;
  std::string mode;
  long stoppedSeconds = 0;
  int thresholdMinutes = 0;  // 0: no RPO threshold
  std::string node;
  std::string site;
  // Per target, the state of each of its links as listed.
  std::vector<std::pair<std::string, std::vector<std::string>>> links;
  std::vector<std::string> volumeStates;  // one per volume
  // The newest decision record of this node, when there is one.
  bool hasGateStart = false;
  long gateStart = 0;  // seconds since the epoch
  int gateExitCode = 0;
  int gateForced = 0;
};

enum Channel { kEmail, kSyslog, kEvq, kConsole, kChannelCount };

// Deliveries since the monitor started, per channel; one e-mail per
// address counts once.
struct NotificationCounts {
  long sent[kChannelCount] = {};
  long failed[kChannelCount] = {};
};

// Counts one delivery in the process-wide counts.
void countNotification(Channel channel, int sent);
const NotificationCounts& notificationCounts();

// value with backslash, double quote and line feed escaped as the text
// format wants them inside a label value.
std::string escapeLabelValue(const std::string& value);

// The whole file: HELP and TYPE for every metric, every value of the state
// enums listed (1 for the current one, matched ignoring case; a value the
// list does not know gets a series of its own).
std::string renderMetrics(const PassMetrics& pass, const NotificationCounts& counts);

// "orvanta_<package>.prom", with any character outside letters, digits,
// '.', '_' and '-' replaced by '_', so the name stays in the directory.
std::string metricsFileName(const std::string& package);

// Writes text as dir/name (dir opened without following a link, the file
// reached only through its descriptor): temporary file (mode 0644, whatever the umask),
// fsync, rename.  0 on success; otherwise errno, with step naming what
// failed; the temporary file is gone either way.
int writeMetricsFile(const std::string& dir, const std::string& name, const std::string& text,
                     std::string& step);

// The monitor's hook: reads MetricsDir at construction, is told when a
// pass begins and ends, and writes the file at each end.
class MonitorMetrics {
 public:
  // paramsPath: the monitor's parameter file.
  MonitorMetrics(const char* paramsPath, const OrvString& package, const OrvString& localArray,
                 const OrvString& remoteArray, int intervalSeconds, int thresholdMinutes);

  bool enabled() const { return !dir_.empty(); }
  void passBegins();
  // Takes roles, mode and reachability from the object database and the
  // controller, the rest from the arguments, and writes the file.
  void passEnds(const OrvString& link, const OrvString& group, const OrvString& volumes,
                long stoppedSeconds);

 private:
  void warnOnce(const std::string& text);
  // The newest decision record of this node in the package directory.
  void readGateStart();

  std::string dir_;
  std::string fileName_;
  PassMetrics pass_;
  struct timespec passStart_ = {0, 0};
  bool warned_ = false;
};

}  // namespace orv_metrics

#endif  // RCWATCH_METRICS_H_
