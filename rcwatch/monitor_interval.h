// The monitor interval from the monitor's parameter file.
//
// The first line whose first word (up to '#', blank or tab) contains
// "MonitorInterval" counts; its value follows the first '=' after the key,
// blanks around '=' allowed, a '#' starting a comment.  A value that is not
// a positive whole number of seconds gives the default and a warning: the
// monitor must never poll the arrays without a pause.  No file, or no such
// line, gives the default.

#ifndef RCWATCH_MONITOR_INTERVAL_H_
#define RCWATCH_MONITOR_INTERVAL_H_

#include "foundation/orv_string.h"

const char kMonitorConfigDir[] = "/usr/local/tarvos/conf/vexarc/";
const char kMonitorConfigName[] = "OrvVexaMONConfigParams";
const int kDefaultMonitorInterval = 30;

// Seconds between passes, read from the file at path.
int readMonitorInterval(const char* path);

// Any other parameter of the file, found and cut out the same way: 1 and
// value := the value text of the first line for key; 0 when there is no
// file or no such line.
int readMonitorParameter(const char* path, const char* key, OrvString& value);

#endif  // RCWATCH_MONITOR_INTERVAL_H_
