// OrvRCVexa: the replication controller of one package run.
//
// One object per run of rcgate or rcwatch, created after the object database
// holds the package configuration and the node's site (StatusCurrentDC).  It
// knows the two sides of the replication pair, local (this node's data
// center) and remote: per side the array, its password file, its Remote Copy
// volume group and the target by which that array reaches the other one.
// Every array command of both programs' controller work goes through
// OrvVexaUtil with these values; command output lands in temporary files in
// the package directory, each removed before the operation returns.
//
// Result conventions: queries return 1 success / 0 failure; the takeover
// actions return 0 or 3 (package may start, state read again), 4 (may start,
// nothing done), 2 (not on this node) or 1 (not at all).  Nothing throws.
//
// The constructor runs initialize(); the owner checks isGood() and ends the
// run when it is 0.  The object database is borrowed, never deleted here.

#ifndef CONTROLLER_ORV_RC_VEXA_H_
#define CONTROLLER_ORV_RC_VEXA_H_

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

#include "array/orv_vexa_util.h"
#include "array/rc_records.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

class Logger;
class OrvObjectDb;

class OrvRCVexa {
 public:
  // ---- Set-up -------------------------------------------------------------

  // Stores both arguments, takes the process logger and runs initialize();
  // its result shows only through isGood().
  OrvRCVexa(OrvObjectDb* objectDb, OrvString packageDir);
  // Releases the members only: neither the database nor the logger.
  ~OrvRCVexa();

  // Reads StatusCurrentDC, VKR_PKG_DIR and the DC1_/DC2_ user, array name,
  // volume group and target objects and maps them onto the local and remote
  // members by site ("A": data center 1 is local; anything else, 'a'
  // included: data center 2).  The first unreadable object clears good and
  // returns 0, leaving the members read so far in place.  Also bounds every
  // array command by JxVexaCLICommandTimeout seconds when that object holds
  // a positive number (no bound otherwise).  Sends nothing to an array.
  int initialize();
  int isGood();

  // ---- State discovery ----------------------------------------------------

  // Queries the group on the local and then the remote array, then the
  // links on both, reconciles the two views and writes the status objects
  // (StatusReplicationMode, StatusLocalReplicationRole,
  // StatusRemoteReplicationRole, StatusRCVolumeGroup, StatusFailsafeMode,
  // StatusAutoRecover, StatusRCLink, StatusRCVGVirtualVolume); keeps the
  // volumes of a periodic group in periodicVolumes.  1 when at least one
  // side was read, 0 when neither was.  The argument (0 before the
  // takeover, 1 after it) changes nothing.
  int caGetVolumeStates(int afterTakeover);
  // Condenses the group's per-volume sync states into
  // StatusRCVGVirtualVolume (see controller/status_rules.h for the rules).
  void fillRCVGVirtualVolumeStatus(_VolGroupStatus group);
  // Single-array query of one group: 1 when it was read into result.
  int caGetVGStates(OrvString array, OrvString passwordFile, OrvString group,
                    OrvString target, _VolGroupStatus& result);
  // Single-array query of the combined link status ("Up", "Down",
  // "Not Started") towards target: 1 when read.
  int caGetlinkStates(OrvString array, OrvString passwordFile, OrvString target,
                      OrvString& linkStatus);

  // ---- Reports ------------------------------------------------------------

  // Logs the configuration and the discovered state (afterTakeover 0), or
  // only the state after the takeover (non-zero), as "INFO: %s" texts.
  void displayConfigs(int afterTakeover);
  // Copies a command's captured output into the log unchanged: kinds 1 and
  // 2 at normal level, any other kind (5 is used) at debug level.  A missing
  // or empty file logs nothing.
  void PrintMessageFromVexaCLIOutput(OrvString outputFile, int kind);
  // Explains how AUTO_NONCURDATA and the FORCEFLAG file combine.
  void PrintForceFlagMessage();
  // One "Array [NAME] (site X) ..." line per side whose listing failed in
  // the last discovery, logged before a verdict that names no cause.
  void logArrayReasons();
  const std::vector<std::string>& arrayReasons() const { return reasons; }
  // The links of the last discovery: per side, the target and the state of
  // every link to it as listed (empty when the listing was not read).
  struct LinkStates {
    std::string target;
    std::vector<std::string> states;
  };
  const LinkStates& linkStates(bool localSide) const {
    return localSide ? localLinks : remoteLinks;
  }
  // The sync status of each volume of the group view last condensed into
  // StatusRCVGVirtualVolume.
  const std::vector<std::string>& volumeStates() const { return volumeSyncStates; }

  // ---- Monitor status collection (rcwatch) --------------------------------

  // The discovery above, which also appends a numbered diagnostic entry to
  // reportFile for each failure.  0 when all state was read and written,
  // 1 when something failed (or the files could not be made or opened).
  int caGetVolumeStatesForMonitor(OrvString& reportFile);
  // Writes one diagnostic entry.  kind: 0 the command failed, 1 its output
  // did not parse, 2 the two sides' group states were not combined; isLocal
  // picks the side; isGroup / isLink the query.  Always increments
  // warningNumber and returns 0.
  int printMonitorMessages(std::ostream& report, OrvString& cliOutputFile,
                           int kind, int isLocal, int isGroup, int isLink,
                           int& warningNumber);

  // ---- Group operations ---------------------------------------------------

  int StartLocalGroup();   // always 0; a failed start is only reported
  int StartRemoteGroup();  // 0 started, 2 failure

  // ---- Resynchronisation waits and on-demand sync -------------------------

  // 0 when the group is Started and its volumes Synced within
  // RESYNC_WAIT_TIMEOUT minutes (-1: no limit); 2 otherwise.
  int ca_resyncwait(int reportAsError);
  // Follows one array sync task to its end: 0 ended (or "NOTASK"), 2 not.
  int ca_periodic_resyncwait(OrvString taskId, int unused);
  // 0 a sync was requested (taskId: its id or "NOTASK"); 1 remote role
  // UNKNOWN; 2 failure; 4 the link is down.
  int syncrcopy(OrvString& taskId);
  // Fire and forget: 0 (also when the command failed); 1 remote role
  // UNKNOWN; 2 role unreadable.
  int syncrcopy();
  // 1 when an array task phase 'done/total' has done == total.
  int IsTaskCompleted(OrvString& phase);

  // ---- Takeover actions (bound by name in the driver's action table) ------

  int ca_takeover_stop_local();
  int ca_takeover_stop_global();
  int ca_takeover_stop_datacenter();
  int ca_takeover_stoprcvg_reverse_startrcvg();
  int ca_takeover_reverse_startrcvg();
  int ca_takeover_failover();
  int ca_takeover_startrcvg_localsec_stop_datacenter_localprirev_nop();
  int ca_takeover_nop_recover();
  int ca_takeover_nop_startrcvg_remotesecrev_nop_remotepri_recover();
  int ca_takeover_startrcvg_remotesec_nop_remoteprirev_stop_datacenter();
  int ca_takeover_resyncwait_stoprcvg_reverse_startrcvg();
  int ca_takeover_startrcvg_resyncwait_stoprcvg_reverse_startrcvg();
  int ca_takeover_restore();
  int ca_takeover_startrcvg_localsec_stop_local_localprirev_nop();
  int ca_takeover_resyncwait_restore();
  int ca_takeover_startrcvg_resyncwait_restore();
  int ca_takeover_nop();
  int ca_takeover_stop_datacenter_startrcvg();
  int ca_takeover_nop_startrcvg();
  int ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_resyncwait_restore();
  int ca_takeover_reverse_current_local();
  int ca_takeover_recover_resyncwait_restore();
  int ca_takeover_startrcvg_localpri_nop_localsecrev_resyncwait_restore();
  int ca_takeover_stop_datacenter_recover();
  int ca_takeover_nop_ff();
  int ca_takeover_stop_datacenter_no_wait();
  int ca_takeover_stop_datacenter_no_rc();
  int ca_takeover_stop_global_no_ff();
  int ca_takeover_stop_datacenter_no_recover();
  int ca_takeover_stop_datacenter_local_unknown();
  int ca_takeover_stop_local_local_unknown_ro();
  int ca_takeover_stop_datacenter_no_auto();
  int ca_takeover_nop_yes_auto();
  int ca_takeover_restore_force();
  int ca_unrecognized_states();
  int ca_takeover_nop_syncrcopy();
  int ca_takeover_nop_startrcvg_syncrcopy();
  int ca_takeover_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg();
  int ca_takeover_startrcvg_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg();
  int ca_takeover_syncrcopy_resyncwait_restore();
  int ca_takeover_startrcvg_syncrcopy_resyncwait_restore();
  int ca_takeover_stop_datacenter_startrcvg_syncrcopy();
  int ca_takeover_stop_datacenter_startrcvg_localsecrev_syncrcopy_localpri_recover();
  int ca_takeover_startrcvg_localpri_stop_datacenter_localsecrev_syncrcopy_resyncwait_restore();
  int ca_takeover_nop_startrcvg_remotesecrev_syncrcopy_remotepri_recover();
  int ca_takeover_startrcvg_remotesec_nop_syncrcopy_remoteprirev_stop_datacenter();
  int ca_takeover_startrcvg_localsec_stop_local_syncrcopy_localprirev_stop_local();
  int ca_takeover_resyncwait_syncrcopy_resyncwait_stoprcvg_reverse_startrcvg();
  int ca_takeover_resyncwait_syncrcopy_resyncwait_restore();
  int ca_takeover_stoprcvgwait_failover();
  int ca_takeover_failsafe_override();
  // Part of the catalogue, not of the driver's action table.
  int ca_takeover_stop_datacenter_startrcvg_recover();

  // ---- Inspection ---------------------------------------------------------

  const OrvString& getPackageDir() const { return packageDir; }
  const OrvString& getLocalPasswordFile() const { return localPasswordFile; }
  const OrvString& getRemotePasswordFile() const { return remotePasswordFile; }
  const OrvString& getLocalArrayName() const { return localArrayName; }
  const OrvString& getRemoteArrayName() const { return remoteArrayName; }
  const OrvString& getLocalGroup() const { return localGroup; }
  const OrvString& getRemoteGroup() const { return remoteGroup; }
  const OrvString& getLocalTarget() const { return localTarget; }
  const OrvString& getRemoteTarget() const { return remoteTarget; }
  const OrvList<_VolumeStatus>& getPeriodicVolumes() const { return periodicVolumes; }
  // Whether the local / remote array answered every command the last
  // discovery sent it (1), or one of them failed (0; also before any
  // discovery).  Output that did not parse still counts as an answer.
  int localArrayAnswered() const { return localAnswered; }
  int remoteArrayAnswered() const { return remoteAnswered; }
  // Whether the last discovery read the local group's role from the local
  // array's own listing (StatusLocalReplicationRole holds it); 0 when that
  // listing failed or did not parse, and the object keeps an older value.
  int localRoleReadAgain() const { return localRoleRead; }
  // The shared wait clock: seconds on orv_guard::monotonicSeconds(), 0
  // until the first wait.
  time_t getWaitStartTime() const { return waitStartTime; }
  // Lets a caller (or a test) stand for an earlier wait of the same run.
  void setWaitStartTime(time_t t) { waitStartTime = t; }
  int getWaitTimeout() const { return waitTimeout; }

 private:
  OrvRCVexa(const OrvRCVexa&) = delete;
  OrvRCVexa& operator=(const OrvRCVexa&) = delete;

  // ---- Set-up, discovery, report and monitor: helpers. --------------------

  // Shared body of caGetVolumeStates and caGetVolumeStatesForMonitor, with
  // file the temporary output file (removed by the caller).  A null report
  // selects the rcgate wording; otherwise each failure sets problem and
  // appends its report entry.  1 at the normal end, 0 when neither side
  // could be read (or a remote-only write failed).
  int discoverStates(OrvString& file, std::ostream* report, int& warningNumber,
                     int& problem);
  // Monitor only (report non-null): problem := 1 and, for kind >= 0, one
  // report entry from file.
  void noteProblem(std::ostream* report, OrvString& file, int kind, int isLocal,
                   int isGroup, int isLink, int& warningNumber, int& problem);
  // Fills the side's LinkStates from a links listing in file.
  void noteLinks(bool localSide, OrvString& file);
  // Keeps the side's reason line for a failed listing (once per side).
  void noteListingFailed(bool localSide, OrvString& file, int exitStatus);
  // Writes one status object; 1 when accepted.
  int setStatus(const char* name, const OrvString& value);
  // Reads one string object ('' when it has no text).
  OrvString statusText(const char* name);

  // ---- Group operations, waits and takeover actions: helpers. -------------

  // Runs one group command on the local or the remote side with its output
  // in file (an existing temporary file); 1 when it exited with status 0.
  int runGroupStep(e_CLI_CMD_OPTION option, bool remoteSide, OrvString& file);
  // Copies the output (kind as for PrintMessageFromVexaCLIOutput) and logs
  // the "Execution of ... failed" line with word and group; kind 5 puts the
  // line at debug level too.
  void reportStepFailure(OrvString& file, int kind, const char* word,
                         const OrvString& group);
  // runGroupStep, reporting a failure with the side's own group name.
  int groupStep(e_CLI_CMD_OPTION option, bool remoteSide, OrvString& file,
                int kind, const char* word);
  // One step in its own temporary file: onSuccess / onFailure, 2 when no
  // file could be made.
  int singleStepAction(e_CLI_CMD_OPTION option, bool remoteSide, int kind,
                       const char* word, int onSuccess, int onFailure);
  // Shows the local group into file: 1 read (running := Started or
  // Starting), 0 the command failed, -1 the output did not parse.
  int localGroupRunning(OrvString& file, int& running);
  // Creates the start-replication marker in VKR_PKG_DIR.
  void askBackgroundStart();
  // The tail of the reverse-and-start sequences: starts the local group and
  // waits for it to resynchronise; a failed start (output copied, then
  // startFailedWarning with the local group) or wait asks for a start in the
  // background.  Releases file before waiting; always 3.
  int startLocalThenWait(class StepOutputFile& file, const char* startFailedWarning);
  // Asynchronous branch of the stop-reverse-start sequence.
  int asyncStopThenReverse(class StepOutputFile& file);
  // Starts the shared wait clock when needed; seconds elapsed on it.
  long waitClockElapsed();
  // RESYNC_WAIT_TIMEOUT in minutes (0 with a warning when unset).
  int readResyncWaitTimeout();
  // Remote role check of both sync forms: 0 go on, 1 UNKNOWN, 2 unreadable.
  int readRemoteRoleForSync();
  // 1 when the link reads "Down" from the local array or, when that cannot
  // be read, from the remote one.
  int linkIsDownForSync();
  // Reads the link-down time-out into waitTimeout (the catalogue's default
  // with a warning when unusable, the default outside the accepted range);
  // returns it.
  int readLinkDownTimeout(int traceCorrected);
  // Polls the local group every 10 s until it reads Stopped (1) or the
  // link-down time-out passes on the shared clock (0).  failoverTrace
  // selects the trace lines of the failover wait.
  int waitForLocalGroupStopped(int failoverTrace);
  // The start on the remote side that opens several composite actions:
  // 1 started; 0 failed (reported with kind), -1 no temporary file.
  int remoteStartStep(int kind);

  // ---- Members --------------------------------------------------------------

  Logger* logger;
  OrvList<_VolumeStatus> periodicVolumes;
  time_t waitStartTime;
  int waitTimeout;
  OrvObjectDb* objectDb;
  OrvString packageDir;
  int good;
  OrvString localPasswordFile;
  OrvString remotePasswordFile;
  OrvString localArrayName;
  OrvString remoteArrayName;
  OrvString localGroup;
  OrvString remoteGroup;
  OrvString localTarget;
  OrvString remoteTarget;
  int localAnswered = 0;
  int remoteAnswered = 0;
  int localRoleRead = 0;
  std::vector<std::string> reasons;
  LinkStates localLinks;
  LinkStates remoteLinks;
  std::vector<std::string> volumeSyncStates;
  bool localSiteA = true;
};

#endif  // CONTROLLER_ORV_RC_VEXA_H_
