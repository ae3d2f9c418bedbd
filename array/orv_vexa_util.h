// OrvVexaUtil: the one place where either program talks to a storage array.
//
// All members are static; the class keeps no state between calls except the
// shared Logger pointer and the command time-out.  Results are 1 for success
// and 0 for failure unless stated.
//
// Running an array command:
//  1. Every value that reaches the shell (array name, password-file path,
//     group, target, task id, and on the ssh path the ssh user) must be a
//     safe word (OrvSafeWord); otherwise an "Error: ..." line names the value,
//     nothing is run and the call returns 0.
//  2. The access path is chosen anew on every call (setUpAccess(), shared by
//     both overloads and the task query): the release-file check, the
//     version probe "showversion -s" through the CLI client, and the ssh
//     user derived from the password file's name (the last path component up
//     to its first underscore).  See decideAccessPath().
//  3. One command line is built (buildCliCommand()) and run as
//     "/bin/sh -c LINE" with the kept descriptor of the caller's output file
//     (foundation/temp_files.h) as its standard output and error, and
//     /dev/null as its standard input; the file is never opened by name.
// With setCommandTimeout(N > 0) every array command (the version probe
// included) is bounded by N seconds of real time; one that runs longer is
// killed with its process group and counts as failed.  With or without the
// bound, a command's output is read to its end.  After a stop request
// (foundation/process_guard.h) no further command is started.
//
// Parsers read an output file of one of these commands and fill records
// (array/rc_records.h); they never look at the command's exit status.

#ifndef ARRAY_ORV_VEXA_UTIL_H_
#define ARRAY_ORV_VEXA_UTIL_H_

#include <string>
#include <vector>

#include "array/rc_records.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

class Logger;

// The array command catalogue.  The values are fixed: the controller stores
// them in an integer member and passes them through.
enum e_CLI_CMD_OPTION {
  cliShowRcopyDetail = 0,     // "showrcopy -d -csvtable"                short
  cliShowRcopyGroup = 1,      // "showrcopy groups %s -csvtable"         long: group
  cliShowRcopyGroups = 2,     // "showrcopy groups -csvtable"            short
  cliShowRcopyLinks = 3,      // "showrcopy links -csvtable"             short
  cliStopGroup = 4,           // "stoprcopygroup -t %s %s"               long: target, group
  cliStopGroupForce = 5,      // "stoprcopygroup -f -t %s %s"
  cliStartGroup = 6,          // "startrcopygroup -t %s %s"
  cliReverse = 7,             // "setrcopygroup reverse -f -t %s -waittask %s"
  cliStopReverse = 8,         // "setrcopygroup reverse -f -t %s -stopgroups -waittask %s"
  cliFailover = 9,            // "setrcopygroup failover -f -t %s -waittask %s"
  cliRecover = 10,            // "setrcopygroup recover -f -t %s %s"
  cliRestore = 11,            // "setrcopygroup restore -f -t %s -waittask %s"
  cliRestoreAllTargets = 12,  // "setrcopygroup restore -f -waittask %s" long: group
  cliStopRestore = 13,        // "setrcopygroup restore -f -t %s -stopgroups -waittask %s"
  // 14 is unassigned.
  cliOverride = 15,           // "setrcopygroup override -f -t %s %s"
  cliShowTask = 16,           // no text: task queries carry their id (vexa_task.cc)
  cliShowSysDetail = 17,      // "showsys -d"                            short
  cliShowSys = 18,            // "showsys"                               short
  cliSync = 19                // "syncrcopy -t %s %s"                    long: target, group
};

class OrvVexaUtil {
 public:
  // How an array is reached.
  enum AccessPath { kAccessCli = 0, kAccessSsh = 1 };

  OrvVexaUtil() {}
  ~OrvVexaUtil() {}

  // ---- Command execution -------------------------------------------------

  // Group commands (options 1, 4-13, 15, 19).  outputFile is an existing file
  // that receives the command's standard output and error; exitStatus the
  // command's exit status (-1 when it did not end normally).  waitForTask
  // non-zero follows the task the command started until it is done (0 when
  // it failed); every caller in this system passes 0.
  static int JxVexaCliCmdExec(e_CLI_CMD_OPTION option, OrvString system,
                              OrvString passwordFile, OrvString group,
                              OrvString target, OrvString& outputFile,
                              int* exitStatus, int waitForTask);
  // Array-wide commands (options 0, 2, 3, 17, 18); never waits.
  static int JxVexaCliCmdExec(e_CLI_CMD_OPTION option, OrvString system,
                              OrvString passwordFile, OrvString& outputFile,
                              int* exitStatus);
  // Runs command with outputFile as its standard output and error (the
  // file is emptied first; command is not changed); 1 only when it ran and
  // *exitStatus is 0.  outputFile is a temporary file of this process, or
  // else an existing regular file with one link.
  static int runRCCliCommands(OrvString& command, OrvString& outputFile,
                              int* exitStatus);

  // Bounds every array command to seconds of real time; 0 (the default)
  // leaves commands unbounded.  Negative values count as 0.
  static void setCommandTimeout(int seconds);
  static int getCommandTimeout();

  // Creates packageDirectory + "/ORVVEXASTARTRCVG" (mode 0644) without
  // following a link or blocking on a FIFO; an existing regular file counts
  // as created.  0 when created, else an errno value (-1: the directory was
  // refused).
  static int touchSTARTREP(std::string packageDirectory);

  // 1 when path is non-null, not a directory and exists.
  static int checkPwdFile(const char* path);
  static int isDirectory(const char* path);  // 1 for an existing directory
  static int isFile(const char* path);       // 1 for an existing regular file

  // ---- Access path and command lines (nothing is run) ----------------------

  // Numeric comparison of dotted version texts, component by component
  // (missing components count as 0): *order := -1, 0 or 1.  Returns 0 when
  // either text is not dotted decimal numbers.
  static int compareCliVersions(const char* a, const char* b, int* order);
  // The path for one call.  releaseField is the output of the release-file
  // check; probeStarted/probeStatus/version describe the version probe.
  // A probe that did not start, exited non-zero or printed no dotted version
  // gives ssh; a version below "3.3.1" gives CLI; from "3.3.1" on, CLI on a
  // RHEL 5 host (releaseField "5") and ssh on any other.
  static AccessPath decideAccessPath(const OrvString& releaseField,
                                     int probeStarted, int probeStatus,
                                     const OrvString& version);
  // "/usr/bin/cli -sys S -sockssl -pwf P " or
  // "/usr/bin/ssh -l U -o ConnectTimeout=3 S ".
  static OrvString accessPrefix(AccessPath path, const OrvString& system,
                                const OrvString& passwordFile,
                                const OrvString& sshUser);
  // The command text of option for the long (longForm != 0) or short
  // overload; 0 when that overload has no text for option.  *taskMode
  // (may be null) := 1 for options 4, 5, 6 (scan-all-lines task-id reading),
  // else 0.
  static int cliCommandText(e_CLI_CMD_OPTION option, int longForm,
                            const OrvString& group, const OrvString& target,
                            OrvString& text, int* taskMode);
  // Prefix and command text joined: the line JxVexaCliCmdExec runs, before
  // the output redirection is appended.  0 when the option has no text.
  static int buildCliCommand(e_CLI_CMD_OPTION option, int longForm,
                             AccessPath path, const OrvString& system,
                             const OrvString& passwordFile,
                             const OrvString& sshUser, const OrvString& group,
                             const OrvString& target, OrvString& commandLine,
                             int* taskMode);
  // The release-file check, the version probe and the ssh-user pipeline as
  // they are run.
  static OrvString releaseCheckCommand();
  static OrvString versionProbeCommand(const OrvString& system,
                                       const OrvString& passwordFile);
  static OrvString sshUserCommand(const OrvString& passwordFile);

  // ---- Access path selection (runs the preparatory commands) ---------------

  // Release-file check, version probe and ssh-user pipeline; 0 when one of
  // the local commands cannot be started.  The caller has checked system and
  // passwordFile with checkSafeWord().
  static int selectAccessPath(const OrvString& system,
                              const OrvString& passwordFile, AccessPath* path,
                              OrvString& sshUser);
  // 1 when value is a safe array word; else logs
  // "Error: Refused unsafe <what> [<value>]; no array command was run" and 0.
  static int checkSafeWord(const char* what, const OrvString& value);

  // ---- Output parsing -----------------------------------------------------

  // Finds the first line (trimmed, longer than one character) containing
  // every required tag; tagRow := that line, its trimmed cells are appended
  // to tags up to the first empty cell.
  static int getTagRow(OrvString file, OrvList<OrvString> requiredTags,
                       OrvList<OrvString>& tags, OrvString& tagRow);
  static int parseShowRCopyLinks(OrvString file, OrvList<_RcLink>& links);
  static int parseShowRCopyTargets(OrvString file, OrvList<_RcTarget>& targets);
  static int parseShowRCopyGroups(OrvString file,
                                  OrvList<_VolGroupStatus>& groups);
  static int parseShowSysD(OrvString file, _ArrayInfo& info);
  // The first group named group on target (both exact) into result.
  static int extractVolmeGroupDetails(OrvString file, OrvString group,
                                      OrvString target,
                                      _VolGroupStatus& result);
  // Names of all groups on target, in table order (1 also when none).
  static int extractVolumeGroupNames(OrvString file, OrvString target,
                                     OrvList<OrvString>& names);
  // Combined status of the links to target: "Up" when one is "Up", else
  // "Down" when one is "Down", else "Not Started"; 0 when none is listed.
  static int extractLinkStatus(OrvString file, OrvString target,
                               OrvString& linkStatus);

  // ---- Task tracking ------------------------------------------------------

  // Reads the task id a command printed.  mode 1 scans every line for
  // "task ID = "; mode 0 reads only the first line, which must hold
  // "tasks:".  taskId := digits or "NOTASK" (no task started); anything else
  // is refused with 0.
  static int getCliCmdTaskId(OrvString outputFile, int mode, OrvString& taskId);
  // Runs "showtask -d <id> -csvtable" into outputFile and fills tasks
  // (emptied first), one record per task block, in file order.
  static int getCliCmdTaskInfo(OrvString taskId, OrvString system,
                               OrvString passwordFile, OrvString& outputFile,
                               OrvList<_TaskInfo>& tasks);
  // The parsing half of getCliCmdTaskInfo: the task blocks of a saved
  // "showtask -d" output (tasks emptied first).
  static int parseShowTaskD(OrvString file, OrvList<_TaskInfo>& tasks);

  // One pass of the task wait: logs each record's status in order and
  // judges them; a "failed" record (any case) fails, a record not "done"
  // (any case) leaves the task pending, otherwise all are done.
  enum TaskState { kTasksDone = 0, kTasksPending = 1, kTasksFailed = 2 };
  static TaskState judgeTasks(const OrvList<_TaskInfo>& tasks);

 private:
  // The access set-up of one command.
  struct Access {
    AccessPath path = kAccessCli;
    OrvString sshUser;
  };
  // A further value to check with checkSafeWord() before anything runs.
  struct NamedWord {
    const char* what;
    const OrvString* value;
  };
  // One array command: who, how, what, and (once it ended) its result.
  struct CommandRun {
    OrvString array;          // '' when only the line is known
    const char* path = "";    // "cli", "ssh" or ''
    OrvString text;           // the command text, without the access prefix
    OrvString line;           // what /bin/sh -c runs
    int exitStatus = -1;      // -1: did not end normally (or timed out)
    long durationMs = 0;
  };

  static void refreshLogger();
  // Safe words (array name, password file, then words in order), then
  // enteredLine at debug level when not null, then the path selection and,
  // on the ssh path, the ssh user's check.  0 when anything was refused or
  // could not be run.
  static int setUpAccess(const OrvString& system, const OrvString& passwordFile,
                         const std::vector<NamedWord>& words, const char* enteredLine,
                         Access* access);
  // Builds the line of text for access and runs it (logLine: debug line
  // "The command to be executed is: [...]" first).
  static int runCliCommand(const OrvString& system, const OrvString& passwordFile,
                           const Access& access, const OrvString& text, int logLine,
                           OrvString& outputFile, int* exitStatus);
  static int runOnArray(CommandRun& run, OrvString& outputFile, int* exitStatus);
  // Called once for every array command that ended, with its result.
  static void commandEnded(const CommandRun& run);
  // Notes the command for the decision record (also one that was refused).
  static void noteCommand(const CommandRun& run);
  static int runProbe(const OrvString& command, OrvString& output, int* status);
  static int waitForTaskEnd(const OrvString& system,
                            const OrvString& passwordFile,
                            OrvString& outputFile, int mode);

  static Logger* logger_;
  static int commandTimeout_;
};

#endif  // ARRAY_ORV_VEXA_UTIL_H_
