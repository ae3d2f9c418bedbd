#include "testing/sandbox/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orv_sandbox {

namespace {

long nowMs() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

void closeFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Reads what is available; false on end of file or error.
bool drain(int fd, std::string& into) {
  char buf[8192];
  for (;;) {
    ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) {
      into.append(buf, static_cast<size_t>(n));
      if (static_cast<size_t>(n) < sizeof buf) return true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    return false;
  }
}

[[noreturn]] void childFail(int errFd, const std::string& what) {
  std::string msg = what;
  if (errno) msg += std::string(": ") + std::strerror(errno);
  writeAll(errFd, msg);
  _exit(127);
}

}  // namespace

std::string ProcessResult::describe() const {
  std::string s;
  if (!setupError.empty()) {
    s = "setup failed: " + setupError;
  } else if (timedOut) {
    s = "timed out after " + std::to_string(elapsedMs) + " ms";
  } else if (signal) {
    s = "killed by signal " + std::to_string(signal);
  } else {
    s = "exit code " + std::to_string(exitCode);
  }
  return s + "; output:\n" + output;
}

const std::string* findEnv(const std::vector<std::string>& env,
                           const std::string& name) {
  for (const std::string& e : env) {
    if (e.size() > name.size() && e.compare(0, name.size(), name) == 0 &&
        e[name.size()] == '=')
      return &e;
  }
  return nullptr;
}

void setEnv(std::vector<std::string>& env, const std::string& name,
            const std::string& value) {
  for (std::string& e : env) {
    if (e.size() > name.size() && e.compare(0, name.size(), name) == 0 &&
        e[name.size()] == '=') {
      e = name + "=" + value;
      return;
    }
  }
  env.push_back(name + "=" + value);
}

ProcessResult runProcess(const ProcessSpec& spec) {
  ProcessResult result;
  if (spec.argv.empty()) {
    result.setupError = "no program given";
    return result;
  }
  std::vector<char*> argv;
  for (const std::string& a : spec.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& e : spec.env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);

  int out[2], err[2], in[2] = {-1, -1};
  if (pipe2(out, O_CLOEXEC) != 0) {
    result.setupError = std::string("pipe: ") + std::strerror(errno);
    return result;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    result.setupError = std::string("pipe: ") + std::strerror(errno);
    close(out[0]);
    close(out[1]);
    return result;
  }
  bool feed = !spec.stdinText.empty();
  if (feed && pipe2(in, O_CLOEXEC) != 0) {
    result.setupError = std::string("pipe: ") + std::strerror(errno);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    return result;
  }

  long start = nowMs();
  pid_t parent = getpid();
  pid_t pid = fork();
  if (pid < 0) {
    result.setupError = std::string("fork: ") + std::strerror(errno);
    for (int fd : {out[0], out[1], err[0], err[1], in[0], in[1]})
      if (fd >= 0) close(fd);
    return result;
  }
  if (pid == 0) {
    errno = 0;
    setpgid(0, 0);
    // A test process that dies (a crash, ^C) takes the program with it;
    // a program that never ends on its own (the monitor) must not linger.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    // Default dispositions and an empty mask: the test process may ignore
    // or block signals the program under test relies on.
    signal(SIGPIPE, SIG_DFL);
    signal(SIGCHLD, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    int inFd = feed ? in[0] : open("/dev/null", O_RDONLY);
    if (inFd < 0) childFail(err[1], "open /dev/null");
    if (dup2(inFd, 0) < 0 || dup2(out[1], 1) < 0 || dup2(out[1], 2) < 0)
      childFail(err[1], "dup2");
    if (spec.beforeExec) {
      std::string why;
      errno = 0;
      if (!spec.beforeExec(why)) childFail(err[1], why);
    }
    execve(argv[0], argv.data(), envp.data());
    childFail(err[1], "exec " + spec.argv[0]);
  }
  setpgid(pid, pid);  // also from here, so the group exists before a kill
  close(out[1]);
  close(err[1]);
  if (feed) {
    close(in[0]);
    // Small texts fit the pipe; a program that does not read its input
    // must not block the runner, so the write end is non-blocking.
    fcntl(in[1], F_SETFL, O_NONBLOCK);
    writeAll(in[1], spec.stdinText);
    closeFd(in[1]);
  }
  fcntl(out[0], F_SETFL, O_NONBLOCK);

  int outFd = out[0];
  int status = 0;
  bool reaped = false;
  long reapedAt = 0;
  long deadline = start + static_cast<long>(spec.timeoutSeconds) * 1000;
  for (;;) {
    if (!reaped) {
      pid_t w = waitpid(pid, &status, WNOHANG);
      if (w == pid) {
        reaped = true;
        reapedAt = nowMs();
      }
    }
    long now = nowMs();
    // A background child that keeps the output open must not hold the run:
    // give it a moment after the main child exited, then stop reading.
    if (reaped && (outFd < 0 || now - reapedAt > 300)) break;
    if (!reaped && now >= deadline) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timedOut = true;
      reaped = true;
      break;
    }
    if (!reaped && spec.onPoll) spec.onPoll(static_cast<int>(pid));
    struct pollfd fds[2];
    int n = 0;
    if (outFd >= 0) fds[n++] = {outFd, POLLIN, 0};
    if (spec.watchFd >= 0) fds[n++] = {spec.watchFd, POLLIN, 0};
    poll(fds, static_cast<nfds_t>(n), 20);
    for (int i = 0; i < n; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (fds[i].fd == outFd) {
        if (!drain(outFd, result.output)) closeFd(outFd);
      } else if (spec.onReadable) {
        spec.onReadable();
      }
    }
  }
  if (outFd >= 0) {
    drain(outFd, result.output);
    closeFd(outFd);
  }
  if (spec.watchFd >= 0 && spec.onReadable) spec.onReadable();
  // Whatever the program left running in its group goes with it.
  kill(-pid, SIGKILL);
  result.elapsedMs = nowMs() - start;

  std::string childError;
  fcntl(err[0], F_SETFL, O_NONBLOCK);
  drain(err[0], childError);
  close(err[0]);
  if (!childError.empty()) {
    result.setupError = childError;
    return result;
  }
  if (!result.timedOut) {
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace orv_sandbox
