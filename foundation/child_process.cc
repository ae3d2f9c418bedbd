#include "foundation/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "foundation/process_guard.h"

namespace orv_child {

namespace {

const size_t kMaxKept = 1 << 20;
const int kMaxPollMs = 50;

long long nowMillis() {
  struct timespec ts;
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// SIGCHLD must not be ignored while we wait for our child, or the kernel
// reaps it and waitpid() cannot report its status.
class ChildSignalDefault {
 public:
  ChildSignalDefault() {
    struct sigaction dfl;
    memset(&dfl, 0, sizeof(dfl));
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    savedOk_ = sigaction(SIGCHLD, &dfl, &saved_) == 0;
  }
  ~ChildSignalDefault() {
    if (savedOk_) sigaction(SIGCHLD, &saved_, nullptr);
  }

 private:
  struct sigaction saved_;
  bool savedOk_;
};

void ignorePipe(int) {}

// Writing to a child that has gone must fail with EPIPE, not end us: where
// SIGPIPE still has its default action, a handler that does nothing stands
// in for the run (children get the default back when they exec).
class PipeSignalHandled {
 public:
  PipeSignalHandled() {
    struct sigaction current;
    if (sigaction(SIGPIPE, nullptr, &current) != 0 || current.sa_handler != SIG_DFL) return;
    struct sigaction sa;
    memset(&sa, 0, sizeof(sa));
    sa.sa_handler = ignorePipe;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    replaced_ = sigaction(SIGPIPE, &sa, &saved_) == 0;
  }
  ~PipeSignalHandled() {
    if (replaced_) sigaction(SIGPIPE, &saved_, nullptr);
  }

 private:
  struct sigaction saved_;
  bool replaced_ = false;
};

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Reads what is there; false at the end of the output (or an error).
bool readSome(int fd, std::string& into) {
  char buf[4096];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      if (into.size() < kMaxKept)
        into.append(buf, static_cast<size_t>(n) < kMaxKept - into.size()
                             ? static_cast<size_t>(n)
                             : kMaxKept - into.size());
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    return false;
  }
}

int reap(pid_t pid) {
  int status = -1;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

int killGroup(pid_t pid) {
  kill(-pid, SIGKILL);
  kill(pid, SIGKILL);
  return reap(pid);
}

}  // namespace

std::string firstLine(const std::string& text) {
  std::string line = text.substr(0, text.find('\n'));
  if (line.size() > 1023) line.resize(1023);
  return line;
}

int run(const Spec& spec, Result* result) {
  *result = Result();
  orv_guard::checkpoint();

  ChildSignalDefault childSignal;
  PipeSignalHandled pipeSignal;
  int outPipe[2] = {-1, -1};
  int inPipe[2] = {-1, -1};
  if (spec.outputFd < 0 && spec.capture && pipe2(outPipe, O_CLOEXEC) != 0) return 0;
  if (spec.input != nullptr && pipe2(inPipe, O_CLOEXEC) != 0) {
    closeFd(outPipe[0]);
    closeFd(outPipe[1]);
    return 0;
  }

  std::fflush(nullptr);
  const long long start = nowMillis();
  pid_t pid = fork();
  if (pid < 0) {
    for (int* fd : {&outPipe[0], &outPipe[1], &inPipe[0], &inPipe[1]}) closeFd(*fd);
    return 0;
  }
  if (pid == 0) {
    setpgid(0, 0);
    int devNull = open("/dev/null", O_RDWR);
    int in = spec.input != nullptr ? inPipe[0] : devNull;
    if (in >= 0) dup2(in, 0);
    if (spec.outputFd >= 0) {
      dup2(spec.outputFd, 1);
      dup2(spec.outputFd, 2);
    } else if (spec.capture) {
      dup2(outPipe[1], 1);
    }
    if (devNull > 2) close(devNull);
    execl("/bin/sh", "sh", "-c", spec.command.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Both sides set the group, so a kill works whichever runs first.
  setpgid(pid, pid);
  result->started = 1;
  closeFd(outPipe[1]);
  closeFd(inPipe[0]);
  int outFd = outPipe[0];
  int inFd = inPipe[1];
  if (outFd >= 0) fcntl(outFd, F_SETFL, O_NONBLOCK);
  size_t fed = 0;
  if (inFd >= 0) {
    fcntl(inFd, F_SETFL, O_NONBLOCK);
    if (spec.input->empty()) closeFd(inFd);
  }

  const long long deadline =
      spec.timeoutSeconds > 0 ? start + static_cast<long long>(spec.timeoutSeconds) * 1000 : -1;
  int status = -1;
  int pollMs = 1;
  for (;;) {
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) {
      killGroup(pid);
      status = -1;
      break;
    }
    if (orv_guard::killRunningCommand()) {
      status = killGroup(pid);
      result->stopped = 1;
      break;
    }
    long long left = deadline < 0 ? kMaxPollMs : deadline - nowMillis();
    if (left <= 0) {
      status = killGroup(pid);
      result->timedOut = 1;
      break;
    }
    struct pollfd fds[2];
    nfds_t n = 0;
    if (outFd >= 0) fds[n++] = {outFd, POLLIN, 0};
    if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
    int wait = static_cast<int>(left < pollMs ? left : pollMs);
    int ready = poll(n > 0 ? fds : nullptr, n, wait);
    if (ready <= 0) {
      if (pollMs < kMaxPollMs) pollMs *= 2;
      continue;
    }
    pollMs = 1;
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == outFd) {
        if (!readSome(outFd, result->output)) closeFd(outFd);
      } else if (fds[i].fd == inFd) {
        ssize_t w = write(inFd, spec.input->data() + fed, spec.input->size() - fed);
        if (w > 0) fed += static_cast<size_t>(w);
        if ((w < 0 && errno != EAGAIN && errno != EINTR) || fed >= spec.input->size() ||
            (fds[i].revents & (POLLERR | POLLHUP)))
          closeFd(inFd);
      }
    }
  }
  // What the command wrote before it ended is still in the pipe.
  if (outFd >= 0) readSome(outFd, result->output);
  closeFd(outFd);
  closeFd(inFd);
  result->rawStatus = status;
  result->durationMs = static_cast<long>(nowMillis() - start);
  return 1;
}

}  // namespace orv_child
