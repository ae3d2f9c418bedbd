// The texts the monitor composes for its notifications, and the watch over
// how long replication has been stopped (the RPO watch).

#ifndef RCWATCH_MONITOR_TEXT_H_
#define RCWATCH_MONITOR_TEXT_H_

#include <ctime>
#include <string>

#include "foundation/orv_string.h"

// Names shown in the six-line header of every notification.
struct MonitorIdentity {
  OrvString clusterName;
  OrvString packageName;
  OrvString localGroup;
  OrvString remoteGroup;
  OrvString localArray;
  OrvString remoteArray;
};

// The six "Label : value" lines; the last one ends in lastLineEnd ("\n\n\n"
// in the start message, "\n\n" in every pass) instead of one line feed.
OrvString monitorHeader(const MonitorIdentity& id, const char* lastLineEnd);

// "... has started", the header and the three current states.
OrvString monitorStartMessage(const MonitorIdentity& id, const OrvString& link,
                              const OrvString& group, const OrvString& volumes);

// When current differs from previous (exactly, case included): appends
// "<subject> has changed from <previous> to <current>\n" to message, sets
// line to that text and returns 1.  Else 0 and nothing changes.
int appendChangeLine(const char* subject, const OrvString& previous, const OrvString& current,
                     OrvString& message, OrvString& line);

// The RPO notice: its own title, the pass header, the time stopped in
// minutes and seconds and the threshold in minutes.
OrvString rpoNoticeText(const OrvString& packageName, const OrvString& header,
                        long stoppedSeconds, int thresholdMinutes);

// What a notification is about, for the mail subject (": " + summary) and
// the syslog priority: LOG_WARNING while the link is not Up, the group not
// Started, the volumes not Synced or an array did not answer (problem 1),
// and for the RPO notice; LOG_NOTICE for a pass back to all healthy;
// LOG_INFO otherwise.
struct NotifyEvent {
  std::string summary;
  int priority;
};
// "monitor started", with what is not healthy ("..., link Down").
NotifyEvent startEvent(const OrvString& link, const OrvString& group, const OrvString& volumes,
                       int problem);
// The changes of a pass: "link Down, group Stopped", "array not answering",
// "arrays answering again".
NotifyEvent passEvent(const OrvString previous[3], const OrvString current[3],
                      int previousProblem, int problem);
NotifyEvent rpoEvent();

// Per stop episode: the first pass that sees the group "Stopped" (any
// case) records the time; the first later pass stopped for more than the
// threshold is due one notice; a pass with any other status starts over.
// A threshold of 0 (or less) never makes a notice due, but the stop time is
// kept all the same, for stoppedSeconds().  Times are seconds on the
// monotonic clock (orv_guard::monotonicSeconds()), so a step of the wall
// clock does not change how long replication counts as stopped.
class RpoWatch {
 public:
  explicit RpoWatch(int thresholdMinutes);
  // 1 when a notice is due in this pass (stoppedSeconds := whole seconds
  // stopped), else 0.  now: seconds on the monotonic clock.
  int observe(const OrvString& groupStatus, time_t now, long& stoppedSeconds);

  int thresholdMinutes() const { return thresholdMinutes_; }
  // Whole seconds between the recorded stop time and the last observe();
  // 0 while replication runs and in the pass that first sees it stopped.
  long stoppedSeconds() const { return stoppedSeconds_; }

 private:
  int thresholdMinutes_;
  long thresholdSeconds_;
  int awaitingStopTime_ = 1;
  int noticePending_ = 1;
  long stoppedSeconds_ = 0;
  time_t stopTime_ = 0;
};

#endif  // RCWATCH_MONITOR_TEXT_H_
