// Running array commands: access-path selection, the two entry points, the
// runner with its optional time bound, the marker file and the path checks.

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "array/cli_catalogue.h"
#include "array/command_runner.h"
#include "array/command_record.h"
#include "array/orv_vexa_util.h"
#include "array/timed_command.h"
#include "foundation/logger.h"
#include "foundation/process_guard.h"
#include "foundation/safe_word.h"
#include "foundation/temp_files.h"
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
// time bound.  Its whole output is read (a probe that prints more lines
// must not die of SIGPIPE), the first line kept: the same with and without
// the bound.
int OrvVexaUtil::runProbe(const OrvString& command, OrvString& output, int* status) {
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
  OrvString release = releaseCheckCommand();
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

int OrvVexaUtil::setUpAccess(const OrvString& system, const OrvString& passwordFile,
                             const std::vector<NamedWord>& words, const char* enteredLine,
                             Access* access) {
  refreshLogger();
  if (!checkSafeWord("array name", system) || !checkSafeWord("password file", passwordFile))
    return 0;
  for (const NamedWord& w : words)
    if (!checkSafeWord(w.what, *w.value)) return 0;
  if (enteredLine != nullptr) logger_->logDebug("%s", enteredLine);
  access->path = kAccessCli;
  access->sshUser = "";
  // A stand-in answers without the array: nothing to probe.
  if (OrvCommandRunner::standingIn()) return 1;
  if (!selectAccessPath(system, passwordFile, &access->path, access->sshUser)) return 0;
  if (access->path == kAccessSsh && !checkSafeWord("ssh user", access->sshUser)) return 0;
  return 1;
}

void OrvVexaUtil::noteCommand(const CommandRun& run) {
  OrvCommandRecord::Entry e;
  e.array = run.array.getValue();
  e.path = run.path;
  e.command = run.line.getValue();
  e.exitStatus = run.exitStatus;
  e.durationMs = run.durationMs;
  OrvCommandRecord::note(e);
}

// The one place where the result of an array command is known.
void OrvVexaUtil::commandEnded(const CommandRun& run) {
  std::string step = run.text.getValue();
  if (run.array.getLength() > 0) step += std::string(" on ") + run.array.getValue();
  orv_guard::noteStep(step);
  noteCommand(run);
}

namespace {

// The descriptor the command's output goes to: the kept one of a temporary
// file of this run; any other path only when it is a regular file with one
// link (opened without following a link, never created).  -1 when refused.
int outputDescriptor(const OrvString& outputFile, bool* own) {
  *own = false;
  int fd = orv_temp::descriptorOf(outputFile.getValue());
  if (fd >= 0) return fd;
  fd = open(outputFile.getValue(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_nlink != 1) {
    close(fd);
    return -1;
  }
  *own = true;
  return fd;
}

}  // namespace

int OrvVexaUtil::runOnArray(CommandRun& run, OrvString& outputFile, int* exitStatus) {
  OrvCommandRunner* stand = OrvCommandRunner::installed();
  std::string answer;
  if (stand != nullptr && stand->answering() &&
      stand->answer(run.array.getValue(), run.text.getValue(), answer, exitStatus)) {
    bool own = false;
    int fd = outputDescriptor(outputFile, &own);
    if (fd >= 0) {
      orv_temp::reset(fd);
      orv_temp::writeAll(fd, answer);
      if (own) close(fd);
    }
    run.exitStatus = *exitStatus;
    return *exitStatus == 0 ? 1 : 0;
  }
  // Same contract with and without a bound: the first word must be
  // executable.  A refused command is still noted (exit status -1).
  OrvString first(run.line);
  const char* word = first.strTok(" ", 1);
  if (word == nullptr || !OrvUtil::checkExecutable(word)) {
    logger_->log("Error: File [%s] not found or does not have execute permissions.",
                 word != nullptr ? word : "");
    noteCommand(run);
    return 0;
  }
  bool own = false;
  int fd = outputDescriptor(outputFile, &own);
  if (fd < 0) {
    logger_->log("Error: Output file [%s] is not a regular file of this run; the command was "
                 "not run",
                 outputFile.getValue());
    noteCommand(run);
    return 0;
  }
  // As the shell's ">" did: the file holds this command's output only.
  orv_temp::rewind(fd);
  OrvTimedCommand::Result r;
  int started = OrvTimedCommand::runInto(run.line.getValue(), commandTimeout_, fd, &r);
  if (!orv_temp::endHere(fd)) {
    // Nothing of an earlier output may pass for this command's.
    logger_->log("Error: Output file [%s] could not be cut to the command's output: %s",
                 outputFile.getValue(), strerror(errno));
    orv_temp::reset(fd);
  }
  std::string output;
  if (stand != nullptr && started) orv_temp::readAll(fd, output);
  if (own) close(fd);
  if (!started) {
    *exitStatus = -1;
    noteCommand(run);
    return 0;
  }

  int code = -1;
  if (!r.timedOut && r.rawStatus != -1 && WIFEXITED(r.rawStatus)) code = WEXITSTATUS(r.rawStatus);
  if (stand != nullptr) stand->observed(run.array.getValue(), run.text.getValue(), output, code);
  run.exitStatus = code;
  run.durationMs = r.durationMs;
  commandEnded(run);
  *exitStatus = code;

  if (r.timedOut) {
    logger_->log("Error: Array command timed out after %d seconds: %s", commandTimeout_,
                 run.line.getValue());
  } else if (code != -1) {
    logger_->logDebug("runShCmdRcOnly command=%s, *rc=%d", run.line.getValue(), code);
    if (code != 0)
      logger_->log("Execution of command \"%s\" failed with return value %d",
                   run.line.getValue(), code);
  }
  // No new command after a stop request: this one was the last.
  orv_guard::checkpoint();
  return code == 0 ? 1 : 0;
}

int OrvVexaUtil::runRCCliCommands(OrvString& command, OrvString& outputFile,
                                  int* exitStatus) {
  refreshLogger();
  int local = -1;
  if (exitStatus == nullptr) exitStatus = &local;
  CommandRun run;
  run.text = command;
  run.line = command;
  return runOnArray(run, outputFile, exitStatus);
}

int OrvVexaUtil::runCliCommand(const OrvString& system, const OrvString& passwordFile,
                               const Access& access, const OrvString& text, int logLine,
                               OrvString& outputFile, int* exitStatus) {
  int local = -1;
  if (exitStatus == nullptr) exitStatus = &local;
  CommandRun run;
  run.array = system;
  run.path = access.path == kAccessCli ? "cli" : "ssh";
  run.text = text;
  run.line = accessPrefix(access.path, system, passwordFile, access.sshUser) + text;
  if (logLine) logger_->logDebug("The command to be executed is: [%s]", run.line.getValue());
  return runOnArray(run, outputFile, exitStatus);
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
  const OrvCliCommand* cmd = OrvCliCatalogue::find(option);
  std::vector<NamedWord> words;
  if (cmd != nullptr && cmd->longForm) {
    if (OrvCliCatalogue::usesTarget(*cmd)) words.push_back({"target", &target});
    if (OrvCliCatalogue::usesGroup(*cmd)) words.push_back({"group", &group});
  }
  Access access;
  if (!setUpAccess(system, passwordFile, words, nullptr, &access)) return 0;

  logger_->logDebug("Entered JxVexaCliCmdExec");
  if (cmd != nullptr && cmd->longForm && cmd->operation != nullptr) {
    logger_->log("Executing %s operation on the Remote Copy volume group %s", cmd->operation,
                 group.getValue());
  }
  OrvString text;
  int mode = 0;
  if (!cliCommandText(option, 1, group, target, text, &mode)) {
    logger_->logDebug("No array command for option %d", static_cast<int>(option));
    return 0;
  }
  if (!runCliCommand(system, passwordFile, access, text, 1, outputFile, exitStatus)) return 0;
  if (waitForTask == 0) {
    logger_->logDebug("Leaving JxVexaCliCmdExec");
    return 1;
  }
  return waitForTaskEnd(system, passwordFile, outputFile, mode);
}

int OrvVexaUtil::JxVexaCliCmdExec(e_CLI_CMD_OPTION option, OrvString system,
                                  OrvString passwordFile, OrvString& outputFile,
                                  int* exitStatus) {
  Access access;
  if (!setUpAccess(system, passwordFile, {}, "Entered JxVexaCliCmdExec", &access)) return 0;
  OrvString text;
  if (!cliCommandText(option, 0, OrvString(), OrvString(), text, nullptr)) {
    logger_->logDebug("No array command for option %d", static_cast<int>(option));
    return 0;
  }
  if (!runCliCommand(system, passwordFile, access, text, 0, outputFile, exitStatus)) return 0;
  logger_->logDebug("Leaving JxVexaCliCmdExec");
  return 1;
}

int OrvVexaUtil::touchSTARTREP(std::string packageDirectory) {
  refreshLogger();
  if (!checkSafeWord("package directory", OrvString(packageDirectory.c_str()))) {
    logger_->log("Unable to start replication in background");
    return -1;
  }
  std::string path = packageDirectory + "/ORVVEXASTARTRCVG";
  logger_->log("Creating file: [%s] ", path.c_str());
  if (OrvCommandRunner::standingIn()) {
    logger_->log("Replication will be started after package startup");
    return 0;
  }
  // Never through a link, never blocking on a FIFO; an existing regular
  // file is the marker already (nothing is written into it).
  const int flags = O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int status = 0;
  int fd = open(path.c_str(), flags | O_CREAT | O_EXCL, 0644);
  if (fd >= 0) {
    if (fchmod(fd, 0644) != 0) status = errno;
  } else if (errno == EEXIST) {
    fd = open(path.c_str(), flags);
    struct stat st;
    if (fd < 0) {
      status = errno;
    } else if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
      status = EEXIST;
    }
  } else {
    status = errno;
  }
  if (fd >= 0) close(fd);
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
