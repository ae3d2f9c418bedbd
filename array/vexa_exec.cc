// Running array commands: access-path selection, the two entry points, the
// runner with its optional time bound, the marker file and the path checks.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "array/cli_catalogue.h"
#include "array/command_record.h"
#include "array/orv_vexa_util.h"
#include "array/timed_command.h"
#include "foundation/logger.h"
#include "foundation/safe_word.h"
#include "foundation/util.h"

Logger* OrvVexaUtil::logger_ = nullptr;
int OrvVexaUtil::commandTimeout_ = 0;

void OrvVexaUtil::refreshLogger() { logger_ = Logger::getInstance(); }

void OrvVexaUtil::setCommandTimeout(int seconds) {
  commandTimeout_ = seconds > 0 ? seconds : 0;
}

int OrvVexaUtil::getCommandTimeout() { return commandTimeout_; }

int OrvVexaUtil::checkSafeWord(const char* what, const OrvString& value) {
  if (OrvSafeWord::isArrayWord(value.getValue())) return 1;
  refreshLogger();
  logger_->log("Error: Refused unsafe %s [%s]; the command was not run", what,
               value.getValue());
  return 0;
}

// The version probe talks to the array, so it shares the array commands'
// time bound.
int OrvVexaUtil::runProbe(const OrvString& command, OrvString& output, int* status) {
  if (commandTimeout_ <= 0) return OrvUtil::runShCmdOutputOnly(command, output, status);
  OrvTimedCommand::Result r;
  if (!OrvTimedCommand::run(command.getValue(), commandTimeout_, 1, &r)) {
    *status = -1;
    return 0;
  }
  if (r.timedOut) {
    logger_->log("Error: Array command timed out after %d seconds: %s", commandTimeout_,
                 command.getValue());
    *status = -1;
    return 1;
  }
  if (r.firstLine.getLength() > 0) output = r.firstLine;
  *status = r.rawStatus;
  return 1;
}

int OrvVexaUtil::selectAccessPath(const OrvString& system, const OrvString& passwordFile,
                                  AccessPath* path, OrvString& sshUser) {
  refreshLogger();
  OrvString probe = versionProbeCommand(system, passwordFile);

  logger_->logDebug("Entered RHEL5 check");
  OrvString release("/bin/cat /etc/redhat-release | awk -F \"[ .]\" '{print $7}'");
  logger_->logDebug("The command to be executed is: [%s]", release.getValue());
  OrvString releaseField;
  int rc = 0;
  if (!OrvUtil::runShCmdOutputOnly(release, releaseField, &rc)) return 0;

  OrvString version;
  int probeStatus = -1;
  int started = runProbe(probe, version, &probeStatus);
  *path = decideAccessPath(releaseField, started, probeStatus, version);

  OrvString user;
  if (!OrvUtil::runShCmdOutputOnly(sshUserCommand(passwordFile), user, &rc)) return 0;
  sshUser = user;
  return 1;
}

int OrvVexaUtil::runArrayCommand(OrvString& command, int* exitStatus) {
  if (commandTimeout_ <= 0) return OrvUtil::runShCmdRcOnly(command, exitStatus, 0);

  // Same contract as the unbounded runner: the first word must be executable.
  OrvString first(command);
  const char* word = first.strTok(" ", 1);
  if (word == nullptr || !OrvUtil::checkExecutable(word)) {
    logger_->log("Error: File [%s] not found or does not have execute permissions.",
                 word != nullptr ? word : "");
    return 0;
  }
  OrvTimedCommand::Result r;
  if (!OrvTimedCommand::run(command.getValue(), commandTimeout_, 0, &r)) {
    *exitStatus = -1;
    return 0;
  }
  if (r.timedOut) {
    logger_->log("Error: Array command timed out after %d seconds: %s", commandTimeout_,
                 command.getValue());
    *exitStatus = -1;
    return 0;
  }
  if (r.rawStatus == -1 || !WIFEXITED(r.rawStatus)) {
    *exitStatus = -1;
    return 0;
  }
  int code = WEXITSTATUS(r.rawStatus);
  *exitStatus = code;
  logger_->logDebug("runShCmdRcOnly command=%s, *rc=%d", command.getValue(), code);
  if (code != 0) {
    logger_->log("Execution of command \"%s\" failed with return value %d",
                 command.getValue(), code);
    return 0;
  }
  return 1;
}

int OrvVexaUtil::runRCCliCommands(OrvString& command, OrvString& outputFile,
                                  int* exitStatus) {
  refreshLogger();
  int local = -1;
  if (exitStatus == nullptr) exitStatus = &local;
  if (!checkSafeWord("output file", outputFile)) return 0;
  OrvCommandRecord::Scope record(command, exitStatus);
  command = command + " >" + outputFile + " 2>&1";
  return runArrayCommand(command, exitStatus) && *exitStatus == 0 ? 1 : 0;
}

int OrvVexaUtil::waitForTaskEnd(const OrvString& system, const OrvString& passwordFile,
                                OrvString& outputFile, int mode) {
  OrvString taskId;
  if (!getCliCmdTaskId(outputFile, mode, taskId)) return 0;
  if (taskId == "NOTASK") return 1;
  for (;;) {
    OrvList<_TaskInfo> tasks;
    if (!getCliCmdTaskInfo(taskId, system, passwordFile, outputFile, tasks)) return 0;
    TaskState state = judgeTasks(tasks);
    if (state == kTasksFailed) return 0;
    if (state == kTasksDone) break;
    OrvUtil::_sleep(10);
  }
  logger_->logDebug("Leaving JxVexaCliCmdExec");
  return 1;
}

int OrvVexaUtil::JxVexaCliCmdExec(e_CLI_CMD_OPTION option, OrvString system,
                                  OrvString passwordFile, OrvString group, OrvString target,
                                  OrvString& outputFile, int* exitStatus, int waitForTask) {
  refreshLogger();
  if (!checkSafeWord("array name", system) || !checkSafeWord("password file", passwordFile))
    return 0;
  const OrvCliCommand* cmd = OrvCliCatalogue::find(option);
  if (cmd != nullptr && cmd->longForm) {
    if (OrvCliCatalogue::usesTarget(*cmd) && !checkSafeWord("target", target)) return 0;
    if (OrvCliCatalogue::usesGroup(*cmd) && !checkSafeWord("group", group)) return 0;
  }

  AccessPath path = kAccessCli;
  OrvString sshUser;
  if (!selectAccessPath(system, passwordFile, &path, sshUser)) return 0;
  if (path == kAccessSsh && !checkSafeWord("ssh user", sshUser)) return 0;

  logger_->logDebug("Entered JxVexaCliCmdExec");
  if (cmd != nullptr && cmd->longForm && cmd->operation != nullptr) {
    logger_->log("Executing %s operation on the Remote Copy volume group %s", cmd->operation,
                 group.getValue());
  }
  OrvString line;
  int mode = 0;
  if (!buildCliCommand(option, 1, path, system, passwordFile, sshUser, group, target, line,
                       &mode)) {
    logger_->logDebug("No array command for option %d", static_cast<int>(option));
    return 0;
  }
  logger_->logDebug("The command to be executed is: [%s]", line.getValue());
  if (!runRCCliCommands(line, outputFile, exitStatus)) return 0;
  if (waitForTask == 0) {
    logger_->logDebug("Leaving JxVexaCliCmdExec");
    return 1;
  }
  return waitForTaskEnd(system, passwordFile, outputFile, mode);
}

int OrvVexaUtil::JxVexaCliCmdExec(e_CLI_CMD_OPTION option, OrvString system,
                                  OrvString passwordFile, OrvString& outputFile,
                                  int* exitStatus) {
  refreshLogger();
  if (!checkSafeWord("array name", system) || !checkSafeWord("password file", passwordFile))
    return 0;
  logger_->logDebug("Entered JxVexaCliCmdExec");
  AccessPath path = kAccessCli;
  OrvString sshUser;
  if (!selectAccessPath(system, passwordFile, &path, sshUser)) return 0;
  if (path == kAccessSsh && !checkSafeWord("ssh user", sshUser)) return 0;

  OrvString line;
  if (!buildCliCommand(option, 0, path, system, passwordFile, sshUser, OrvString(),
                       OrvString(), line, nullptr)) {
    logger_->logDebug("No array command for option %d", static_cast<int>(option));
    return 0;
  }
  if (!runRCCliCommands(line, outputFile, exitStatus)) return 0;
  logger_->logDebug("Leaving JxVexaCliCmdExec");
  return 1;
}

int OrvVexaUtil::touchSTARTREP(std::string packageDirectory) {
  refreshLogger();
  if (!checkSafeWord("package directory", OrvString(packageDirectory.c_str()))) {
    logger_->log("Unable to start replication in background");
    return -1;
  }
  std::string command = "/bin/touch " + packageDirectory + "/ORVVEXASTARTRCVG";
  logger_->log("Executing command: [%s] ", command.c_str());
  int status = system(command.c_str());
  if (status == 0) {
    logger_->log("Replication will be started after package startup");
  } else {
    logger_->log("Unable to start replication in background");
  }
  return status;
}

int OrvVexaUtil::isDirectory(const char* path) {
  struct stat st;
  if (path == nullptr || stat(path, &st) != 0) return 0;
  return (st.st_mode & 0xF000) == 0x4000 ? 1 : 0;
}

int OrvVexaUtil::isFile(const char* path) {
  struct stat st;
  if (path == nullptr || stat(path, &st) != 0) return 0;
  return (st.st_mode & 0xF000) == 0x8000 ? 1 : 0;
}

int OrvVexaUtil::checkPwdFile(const char* path) {
  if (path == nullptr || isDirectory(path)) return 0;
  return access(path, F_OK) == 0 ? 1 : 0;
}
