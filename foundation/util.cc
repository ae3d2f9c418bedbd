#include "foundation/util.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "foundation/child_process.h"
#include "foundation/file_io.h"
#include "foundation/logger.h"
#include "foundation/process_guard.h"
#include "foundation/temp_files.h"

namespace {

const int kMaxCapture = 1024;     // getCmdStrOutput keeps at most 1023 characters
const int kLineBufferSize = 1024; // runShCmdOutputOnly keeps one line of 1023
const size_t kMaxDirPath = 511;
const size_t kMarkerWindow = 1024;

Logger* logger() { return Logger::getInstance(); }

// First blank-separated word; uses (and restarts) the string's strTok pass.
std::string firstWord(OrvString& command) {
  const char* w = command.strTok(" ", 1);
  return w ? w : "";
}

bool exists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

bool makeDir(const std::string& path) {
  if (exists(path.c_str())) return true;
  return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST;
}

}  // namespace

int OrvUtil::getCmdStrOutput(OrvString command, OrvString& output, int maxLength) {
  std::string word = firstWord(command);
  if (!checkExecutable(word.c_str())) {
    logger()->log("Error: File [%s] not found or does not have execute permissions.",
                  word.c_str());
    return 0;
  }
  FILE* pipe = popen(command.getValue(), "r");
  if (pipe == nullptr) {
    logger()->logDebug("Could not start the command [%s]", command.getValue());
    return 0;
  }
  int limit = (maxLength < kMaxCapture ? maxLength : kMaxCapture) - 1;
  std::string text;
  int c;
  while (static_cast<int>(text.size()) < limit && (c = fgetc(pipe)) != EOF)
    text += static_cast<char>(c);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  pclose(pipe);
  output = text.c_str();
  return 1;
}

int OrvUtil::runShCmdRcOnly(OrvString& command, int* rc, int skipCheck) {
  int localRc = 0;
  if (rc == nullptr) rc = &localRc;
  std::string word = firstWord(command);
  if (!skipCheck && !checkExecutable(word.c_str())) {
    logger()->log("Error: File [%s] not found or does not have execute permissions.",
                  word.c_str());
    return 0;
  }
  // The command redirects its own output; whatever it still prints is
  // read and dropped (a popen reader that closed at once would have ended
  // it with SIGPIPE).
  OrvString dropped;
  int status = -1;
  if (!runShCmdCapture(command, dropped, &status)) {
    *rc = -1;
    return 0;
  }
  if (status == -1 || !WIFEXITED(status)) {
    *rc = -1;
    return 0;
  }
  *rc = WEXITSTATUS(status);
  logger()->logDebug("runShCmdRcOnly command=%s, *rc=%d", command.getValue(), *rc);
  if (*rc != 0) {
    logger()->log("Execution of command \"%s\" failed with return value %d",
                  command.getValue(), *rc);
    return 0;
  }
  return 1;
}

int OrvUtil::runShCmdOutputOnly(OrvString command, OrvString& output, int* rc) {
  int localRc = 0;
  if (rc == nullptr) rc = &localRc;
  OrvString whole;
  if (!runShCmdCapture(command, whole, rc)) return 0;
  // The whole output was read, so the status is the command's own, not
  // that of a broken pipe.
  if (whole.getLength() > 0) {
    OrvString line(orv_child::firstLine(whole.getValue()).c_str());
    line.tokenReplacement("\n", "");
    output = line;
  }
  return 1;
}

int OrvUtil::runShCmdCapture(OrvString command, OrvString& output, int* rc) {
  int localRc = 0;
  if (rc == nullptr) rc = &localRc;
  orv_child::Spec spec;
  spec.command = command.getValue();
  spec.capture = true;
  orv_child::Result r;
  if (!orv_child::run(spec, &r) || r.overflowed) {
    *rc = -1;
    return 0;
  }
  *rc = r.rawStatus;
  output = r.output.c_str();
  return 1;
}

int OrvUtil::runShCmdRcOnly(OrvString wrapper, OrvString arguments, OrvString tempDir,
                            OrvString command, int* rc) {
  int localRc = 0;
  if (rc == nullptr) rc = &localRc;
  std::string word = firstWord(command);
  if (!checkExecutable(word.c_str())) {
    logger()->log("Error: Either the file [%s] is not found or does not have execute permissions.",
                  word.c_str());
    return 0;
  }
  OrvString tmp;
  if (!createTempFile(tempDir, "orv", tmp)) return 0;
  OrvString quoted = command + " 2>" + "/dev/null";
  if (!checkExecutable(wrapper.getValue())) {
    logger()->log("Error: Either the file [%s] is not found or does not have execute permissions.",
                  wrapper.getValue());
    OrvUnlink(tmp.getValue());
    return 0;
  }
  // The wrapper's output goes to the kept descriptor of tmp, its errors
  // are discarded.
  std::string line = std::string(wrapper.getValue()) + " \"" + quoted.getValue() + "\" " +
                     arguments.getValue() + " 2> " + "/dev/null";
  logger()->logDebug("runShCmdRcOnly 6 params cmdStr = {%s}", line.c_str());
  orv_child::Spec spec;
  spec.command = line;
  spec.outputFd = orv_temp::descriptorOf(tmp.getValue());
  orv_child::Result r;
  if (!orv_child::run(spec, &r)) {
    *rc = -1;
    OrvUnlink(tmp.getValue());
    return 0;
  }
  int status = r.rawStatus;
  *rc = status;
  OrvString output;
  int readOk = orvReadFile(tmp, output, 1);
  OrvUnlink(tmp.getValue());
  if (!readOk) return 0;
  if (status == -1) {
    *rc = -1;
    return 0;
  }
  if (WIFSIGNALED(status) || !WIFEXITED(status)) return 0;
  *rc = WEXITSTATUS(status);
  if (*rc == 255) {
    std::string head = std::string(output.getValue()).substr(0, kMarkerWindow);
    if (head.find("qelixcmd_env_error") != std::string::npos) {
      OrvString words(head.c_str());
      std::string name, value;
      for (const char* w = words.strTok(" \t\r\n", 1); w; w = words.strTok(" \t\r\n", 0)) {
        name = value;
        value = w;
      }
      logger()->log("Error: Could not set environment variable [%s] with value [%s]",
                    name.c_str(), value.c_str());
      return 0;
    }
    if (head == "qelixcmd_arg_error") {
      logger()->log("Error: Invalid arguments passed to the Orvanta binary.");
      return 0;
    }
  }
  logger()->logDebug("runShCmdRcOnly 6 command result= {%s}, *rc=%d", output.getValue(), *rc);
  return 1;
}

int OrvUtil::createTempFile(OrvString directory, OrvString prefix, OrvString& path) {
  if (!checkFile(directory.getValue()) && !createDir(directory.getValue())) {
    logger()->log("Error: Could not create temporary directory [%s]", directory.getValue());
    path = "";
    return 0;
  }
  std::string templ(directory.getValue());
  if (templ.empty() || (templ.back() != '/' && templ.back() != '\\')) templ += "/";
  templ += prefix.getValue();
  templ += "XXXXXX";
  std::vector<char> name(templ.begin(), templ.end());
  name.push_back('\0');
  int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) {
    logger()->log("Error: Could not generate a temporary file name [%s]", templ.c_str());
    path = "";
    return 0;
  }
  // The descriptor is kept: the file is never opened by name again.
  orv_temp::keep(name.data(), fd);
  path = static_cast<const char*>(name.data());
  logger()->logDebug("Created temp file name: %s", path.getValue());
  return 1;
}

int OrvUtil::createDir(const char* path) {
  if (path == nullptr) return 0;
  std::string p(path);
  if (p.empty() || p.size() > kMaxDirPath) return 0;
  for (size_t i = 1; i < p.size(); ++i) {
    if (p[i] == '/' && !makeDir(p.substr(0, i))) return 0;
  }
  return makeDir(p) ? 1 : 0;
}

int OrvUtil::OrvUnlink(const char* path) {
  if (path == nullptr) return 1;
  orv_temp::forget(path);
  if (unlink(path) != 0) {
    int err = errno;
    if (err == EACCES) {
      logger()->logDebug("DELETE file: %s could not be deleted, errno = EACCES", path);
    } else if (err == ENOENT) {
      logger()->logDebug("DELETE file: %s could not be deleted, errno = ENOENT", path);
    } else {
      logger()->logDebug("DELETE file: %s could not be deleted, errno = %d", path, err);
    }
  }
  return 1;
}

int OrvUtil::orvReadFile(OrvString path, OrvString& content, int verbose) {
  Logger* log = logger();
  log->logDebug("Entering the function orvReadFile..");
  OrvInFile file(path, 1);
  if (!file.isGood()) {
    if (verbose) {
      log->log("Error: Could not open the file [%s]", path.getValue());
      log->logDebug("Leaving the function orvReadFile..");
    }
    return 0;
  }
  OrvString line;
  std::string text;
  bool ok = file.getNextLine(line) != 0;
  if (ok) text = line.getValue();
  while (ok && !file.endOfFile()) {
    ok = file.getNextLine(line) != 0;
    if (ok) text += line.getValue();
  }
  if (!ok) {
    if (verbose) {
      log->log("Error: Could not access the file [%s]", path.getValue());
      log->logDebug("Leaving the function orvReadFile..");
    }
    return 0;
  }
  content = text.c_str();
  log->logDebug("orvReadFile:Contents of the file:%s", content.getValue());
  log->logDebug("Leaving the function orvReadFile..");
  return 1;
}

int OrvUtil::checkExecutable(const char* path) {
  if (path == nullptr || *path == '\0') return 0;
  return access(path, X_OK) == 0 ? 1 : 0;
}

int OrvUtil::checkFile(const char* path) {
  if (path == nullptr) return 0;
  return access(path, F_OK) == 0 ? 1 : 0;
}

int OrvUtil::isNumeric(const char* text) {
  if (text == nullptr) return 0;
  for (; *text != '\0'; ++text)
    if (*text < '0' || *text > '9') return 0;
  return 1;
}

void OrvUtil::_sleep(int seconds) {
  if (seconds > 0) sleep(static_cast<unsigned int>(seconds));
  // A stop signal cuts the sleep short; act on it now.
  orv_guard::checkpoint();
}

int OrvUtil::Rand(int n) {
  srand(static_cast<unsigned int>(time(nullptr)));
  float draw = static_cast<float>(rand()) / 2147483648.0f;
  int r = static_cast<int>(static_cast<float>(n) * draw);
  return r > 0 ? r : n / 2;
}
