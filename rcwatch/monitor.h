// rcwatch: the replication monitor of one package.
//
// Started with the package name as its only argument, it builds the object
// database and the replication controller as rcgate does (without the rule
// engine), reads the package's notification settings, sends a start
// notification and then, every monitor interval, collects the state of both
// arrays and notifies when the link, group or volume status or the problem
// code changed, or once per stop episode when replication has been stopped
// longer than RPO_THRESHOLD minutes.  It runs until it is killed.
//
// Exit codes: 1 wrong argument count (usage text) or start-up failure,
// 2 early set-up failure.
//
// Process-wide state lives in the globals below; the operations follow the
// start-up order of runMonitor.

#ifndef RCWATCH_MONITOR_H_
#define RCWATCH_MONITOR_H_

#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

class OrvObjectDb;
class OrvRCVexa;
class SendNotify;

extern Logger* pLog_;
extern OrvObjectDb* pObjectDb_;
extern OrvRCVexa* pOrvRCVexa;
extern OrvString sSearchObject_;  // value of "RunSearchObject"
extern OrvString sOrvTempPath_;   // the package directory (VKR_PKG_DIR)

// The whole program; returns only for a start-up failure (the exit code).
int runMonitor(int argc, char** argv);

// Object database, "PackageName", search object, configuration: 0 / 2.
int earlySetups(int argc, char** argv);
// 1 when "RunSearchObject" was read into sSearchObject_, else 0.
int clSetSearchObject();
// Host, resource group, site, package directory, controller: 0 / 2.
int startUpInit();
// Sets "LocalHostName" from /bin/hostname (short form); non-zero success.
int setHostInfo();
// Usage text on standard output, exit 1.
void clUsage();

// name := the cluster's name from the cluster manager; 1 found, 0 not
// (name unchanged).
int getClusterName(OrvString& name);
// Appends the package's EMAIL_ID addresses in order; 1 when at least one
// was added.  A package name outside the safe set runs no command.
int populateEmailAddresses(OrvString packageName, OrvList<OrvString>* addresses);
// Seconds between passes (see rcwatch/monitor_interval.h).
int getMonitorInterval();
// One state collection; the problem code (0 all read, 1 something failed).
// diagnostics := the framed report when there was a problem, else ''.
int getVolumeStatesAndErrorLog(OrvString& diagnostics);
// Copies the non-empty values of StatusRCLink, StatusRCVolumeGroup and
// StatusRCVGVirtualVolume.
void getRemoteCopyInfo(OrvString& link, OrvString& group, OrvString& volumes);
// One notification on every enabled channel: e-mail (one per address),
// syslog, event command, console; each channel's outcome is logged.
void sendMonNotifications(SendNotify* notifier, int email, int syslog, int evq, int console,
                          OrvList<OrvString>& addresses, OrvString& packageName,
                          OrvString& message, OrvString& details);

#endif  // RCWATCH_MONITOR_H_
