#include "foundation/child_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "foundation/logger.h"
#include "foundation/process_guard.h"

extern char** environ;

namespace orv_child {

namespace {

const int kMaxPollMs = 50;
// The child runs on a stack of its own until it execs the shell.
const size_t kChildStack = 32 * 1024;
// The command's group dies with us: the shell gets SIGHUP when its parent
// ends, for whatever reason (SIGKILL included), and its trap kills the
// group.  The command itself runs as a job of that shell, because a trap
// waits for a foreground command but interrupts the wait builtin.
const char kTrap[] = "trap 'kill -KILL 0' HUP\n{ ";
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
    // A plain default (the usual case) is what it was: nothing to put back.
    const int flags = SA_NOCLDSTOP | SA_NOCLDWAIT | SA_SIGINFO | SA_ONSTACK | SA_RESTART |
                      SA_NODEFER | SA_RESETHAND;
    if (savedOk_ && (saved_.sa_handler != SIG_DFL || (saved_.sa_flags & flags) != 0))
      sigaction(SIGCHLD, &saved_, nullptr);
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

struct ChildSetup {
  const char* argv[4];
  int in;       // becomes 0 (and 9 for the job, see wrap())
  int out;      // becomes 1, -1: inherited
  int err;      // becomes 2, -1: inherited
  pid_t parent;
};

// dup2 keeps the close-on-exec flag of a descriptor that is already in place.
void moveTo(int fd, int target) {
  if (fd == target) {
    fcntl(fd, F_SETFD, 0);
  } else {
    dup2(fd, target);
  }
}

// Runs in the child, which shares our memory until it execs: system calls
// only.  Handlers are ours and would run on our data, so every handled
// signal goes back to its default before the inherited full mask is lifted.
int childMain(void* arg) {
  const ChildSetup* c = static_cast<const ChildSetup*>(arg);
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGHUP);
  // We may have ended before the death signal was asked for.
  if (getppid() != c->parent) _exit(127);
  struct sigaction dfl;
  memset(&dfl, 0, sizeof(dfl));
  dfl.sa_handler = SIG_DFL;
  for (int sig = 1; sig < NSIG; ++sig) {
    struct sigaction cur;
    if (sig == SIGKILL || sig == SIGSTOP || sigaction(sig, nullptr, &cur) != 0) continue;
    // An ignored SIGHUP could not be trapped by the shell.
    if (sig == SIGHUP || (cur.sa_handler != SIG_DFL && cur.sa_handler != SIG_IGN))
      sigaction(sig, &dfl, nullptr);
  }
  // Output first: a pipe of ours may be descriptor 9.
  if (c->out >= 0) moveTo(c->out, 1);
  if (c->err >= 0) moveTo(c->err, 2);
  int devNull = c->in < 0 ? open("/dev/null", O_RDONLY) : c->in;
  if (devNull >= 0) {
    moveTo(devNull, 0);
    moveTo(devNull, 9);
  }
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  execve("/bin/sh", const_cast<char* const*>(c->argv), environ);
  _exit(127);
}

// The shell line that runs command as a job whose group ends with us.
// A job of a non-interactive shell reads /dev/null unless told otherwise,
// so its input comes from descriptor 9.
std::string wrap(const std::string& command) {
  std::string line = kTrap;
  line += command;
  line += "\n} 0<&9 9<&- & exec 9<&-; wait $!";
  return line;
}

// Starts the child like vfork (no copy of our page tables) with every
// signal blocked meanwhile; its pid, or -1.
pid_t spawn(ChildSetup* setup) {
  // One child at a time (we wait for each), so one stack serves them all.
  alignas(64) static char stack[kChildStack];
  sigset_t all, saved;
  sigfillset(&all);
  sigprocmask(SIG_SETMASK, &all, &saved);
  pid_t pid = clone(childMain, stack + sizeof stack, CLONE_VM | CLONE_VFORK | SIGCHLD, setup);
  sigprocmask(SIG_SETMASK, &saved, nullptr);
  return pid;
}

// A descriptor that becomes readable when pid ends (-1 where the kernel has
// none; the wait then polls in growing steps).
int openPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
  // The kernel always gives a pid descriptor close-on-exec.
  long fd = syscall(SYS_pidfd_open, pid, 0);
  if (fd >= 0) return static_cast<int>(fd);
#endif
  (void)pid;
  return -1;
}

// Reads what is there into the output (captured, or written on to the
// output file) and counts it; false at the end of the output (or an error).
struct Drain {
  int fd = -1;
  int to = -1;  // >= 0: written on to this descriptor
  std::string* kept = nullptr;
  size_t total = 0;
  int writeErrno = 0;

  bool readSome() {
    char buf[16384];
    for (;;) {
      ssize_t n = read(fd, buf, sizeof buf);
      if (n > 0) {
        size_t len = static_cast<size_t>(n);
        total += len;
        if (total > kOutputCap) return true;  // the caller ends the command
        if (to >= 0) {
          writeAll(buf, len);
        } else if (kept != nullptr) {
          kept->append(buf, len);
        }
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && errno == EAGAIN) return true;
      return false;
    }
  }

  void writeAll(const char* p, size_t len) {
    while (len > 0 && writeErrno == 0) {
      ssize_t w = write(to, p, len);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        writeErrno = w < 0 ? errno : ENOSPC;
        break;
      }
      p += w;
      len -= static_cast<size_t>(w);
    }
  }
};

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
  // Output to a file goes through us too, so that it can be counted.
  const bool piped = spec.outputFd >= 0 || spec.capture;
  int outPipe[2] = {-1, -1};
  int inPipe[2] = {-1, -1};
  if (piped && pipe2(outPipe, O_CLOEXEC) != 0) return 0;
  if (spec.input != nullptr && pipe2(inPipe, O_CLOEXEC) != 0) {
    closeFd(outPipe[0]);
    closeFd(outPipe[1]);
    return 0;
  }

  const std::string line = wrap(spec.command);
  ChildSetup setup;
  setup.argv[0] = "sh";
  setup.argv[1] = "-c";
  setup.argv[2] = line.c_str();
  setup.argv[3] = nullptr;
  setup.in = inPipe[0];
  setup.out = outPipe[1];
  setup.err = spec.outputFd >= 0 ? outPipe[1] : -1;
  setup.parent = getpid();

  std::fflush(nullptr);
  const long long start = nowMillis();
  pid_t pid = spawn(&setup);
  if (pid < 0) {
    for (int* fd : {&outPipe[0], &outPipe[1], &inPipe[0], &inPipe[1]}) closeFd(*fd);
    return 0;
  }
  // The child set its group before it exec'd (we were suspended until then).
  result->started = 1;
  closeFd(outPipe[1]);
  closeFd(inPipe[0]);
  int pidFd = openPidFd(pid);
  Drain out;
  out.fd = outPipe[0];
  out.to = spec.outputFd;
  out.kept = spec.outputFd < 0 ? &result->output : nullptr;
  if (out.fd >= 0) fcntl(out.fd, F_SETFL, O_NONBLOCK);
  int inFd = inPipe[1];
  size_t fed = 0;
  if (inFd >= 0) {
    fcntl(inFd, F_SETFL, O_NONBLOCK);
    if (spec.input->empty()) closeFd(inFd);
  }

  const long long deadline =
      spec.timeoutSeconds > 0 ? start + static_cast<long long>(spec.timeoutSeconds) * 1000 : -1;
  int status = -1;
  int pollMs = 1;
  // With a pid descriptor the child is only looked at once it says it ended.
  bool mayHaveEnded = false;
  for (;;) {
    if (mayHaveEnded || pidFd < 0) {
      pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) break;
      if (done < 0 && errno != EINTR) {
        killGroup(pid);
        status = -1;
        break;
      }
      mayHaveEnded = false;
    }
    if (out.total > kOutputCap) {
      status = killGroup(pid);
      result->overflowed = 1;
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
    struct pollfd fds[3];
    nfds_t n = 0;
    if (out.fd >= 0) fds[n++] = {out.fd, POLLIN, 0};
    if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
    if (pidFd >= 0) fds[n++] = {pidFd, POLLIN, 0};
    // With a pid descriptor the end of the child wakes us; without one we
    // look again in growing steps.
    long long step = pidFd >= 0 ? kMaxPollMs : pollMs;
    int wait = static_cast<int>(left < step ? left : step);
    int ready = poll(n > 0 ? fds : nullptr, n, wait);
    if (ready <= 0) {
      if (pollMs < kMaxPollMs) pollMs *= 2;
      continue;
    }
    pollMs = 1;
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == pidFd) {
        mayHaveEnded = true;
      } else if (fds[i].fd == out.fd) {
        if (!out.readSome()) closeFd(out.fd);
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
  if (out.fd >= 0 && !result->overflowed) out.readSome();
  if (out.total > kOutputCap && !result->overflowed) result->overflowed = 1;
  closeFd(out.fd);
  closeFd(inFd);
  closeFd(pidFd);
  if (result->overflowed) {
    // Nobody reads a part of it as if it were the whole.
    result->output.clear();
    if (spec.outputFd >= 0) {
      int emptied = ftruncate(spec.outputFd, 0);
      (void)emptied;  // the status is -1 anyway
    }
    status = -1;
    Logger::getInstance()->log(
        "Error: Output of command [%s] exceeded 16 MiB; the command was stopped.",
        spec.command.c_str());
  }
  if (out.writeErrno != 0 && !result->overflowed) {
    result->outputLost = 1;
    Logger::getInstance()->log("Error: The output of command [%s] could not be written: %s",
                               spec.command.c_str(), strerror(out.writeErrno));
  }
  result->rawStatus = status;
  result->durationMs = static_cast<long>(nowMillis() - start);
  return 1;
}

}  // namespace orv_child
