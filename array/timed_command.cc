#include "array/timed_command.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>

namespace {

long long nowMillis() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

int remainingMillis(long long deadline) {
  long long left = deadline - nowMillis();
  if (left < 0) return 0;
  if (left > 1000000000LL) return 1000000000;
  return static_cast<int>(left);
}

// SIGCHLD must not be ignored while we wait for our child, or the kernel
// reaps it and waitpid() cannot report its status.
class ChildSignalDefault {
 public:
  ChildSignalDefault() {
    struct sigaction dfl;
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    dfl.sa_flags = 0;
    saved_ok_ = sigaction(SIGCHLD, &dfl, &saved_) == 0;
  }
  ~ChildSignalDefault() {
    if (saved_ok_) sigaction(SIGCHLD, &saved_, nullptr);
  }

 private:
  struct sigaction saved_;
  bool saved_ok_;
};

// Reads up to the first line feed, 1023 characters or the end of output,
// whichever comes first, within the deadline.  Returns false at the limit.
bool readFirstLine(int fd, long long deadline, std::string& line) {
  bool more = true;
  while (more && line.size() < 1023) {
    struct pollfd pfd;
    pfd.fd = fd;
    pfd.events = POLLIN;
    pfd.revents = 0;
    int wait = remainingMillis(deadline);
    if (wait == 0) return false;
    int n = poll(&pfd, 1, wait);
    if (n < 0) {
      if (errno == EINTR) continue;
      return true;
    }
    if (n == 0) continue;  // the deadline check above ends the loop
    char c;
    ssize_t got = read(fd, &c, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;  // end of output
    if (c == '\n') {
      more = false;
    } else {
      line += c;
    }
  }
  return true;
}

}  // namespace

int OrvTimedCommand::run(const char* command, int timeoutSeconds,
                         int captureFirstLine, Result* result) {
  result->timedOut = 0;
  result->rawStatus = -1;
  if (command == nullptr || timeoutSeconds <= 0) return 0;

  ChildSignalDefault childSignal;
  int pipeFds[2] = {-1, -1};
  if (captureFirstLine && pipe(pipeFds) != 0) return 0;

  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid < 0) {
    if (captureFirstLine) {
      close(pipeFds[0]);
      close(pipeFds[1]);
    }
    return 0;
  }
  if (pid == 0) {
    setpgid(0, 0);
    int devNull = open("/dev/null", O_RDWR);
    if (devNull >= 0) {
      dup2(devNull, 0);
      if (!captureFirstLine) dup2(devNull, 1);
    }
    if (captureFirstLine) {
      dup2(pipeFds[1], 1);
      close(pipeFds[0]);
      close(pipeFds[1]);
    }
    if (devNull > 2) close(devNull);
    execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
    _exit(127);
  }
  // Both sides set the group, so the kill below works whichever runs first.
  setpgid(pid, pid);
  long long deadline = nowMillis() + static_cast<long long>(timeoutSeconds) * 1000;

  bool inTime = true;
  if (captureFirstLine) {
    close(pipeFds[1]);
    std::string line;
    inTime = readFirstLine(pipeFds[0], deadline, line);
    close(pipeFds[0]);
    result->firstLine = line.c_str();
  }

  int status = 0;
  int pollMs = 1;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      status = -1;
      break;
    }
    int wait = inTime ? remainingMillis(deadline) : 0;
    if (wait == 0) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result->timedOut = 1;
      break;
    }
    poll(nullptr, 0, wait < pollMs ? wait : pollMs);
    if (pollMs < 50) pollMs *= 2;
  }
  result->rawStatus = status;
  return 1;
}
