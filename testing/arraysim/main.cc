// arraysim: the two simulated arrays of a replication pair, answering as
// the array CLI client (installed as /usr/bin/cli) or as ssh (installed as
// /usr/bin/ssh).  See sim_model.h for the state and the faults and
// sim_commands.h for the commands.
//
// Each call: lock the state directory, load the state, count the call
// against the faults, then (after any hang, without holding the lock) run
// the command, save the state, append one journal line and print.  A
// hanging call is journaled when its hang begins, with exit code -1.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "testing/arraysim/sim_commands.h"
#include "testing/arraysim/sim_faults.h"
#include "testing/arraysim/sim_invocation.h"
#include "testing/arraysim/sim_model.h"

namespace {

using namespace arraysim;

// The directory's lock file: two simulator processes (or a test reading
// the state) must not interleave updates.
class DirLock {
 public:
  explicit DirLock(const std::string& dir) : path_(dir + "/lock") {}
  ~DirLock() { unlock(); }
  bool lock() {
    fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd_ >= 0 && flock(fd_, LOCK_EX) != 0) unlock();
    return fd_ >= 0;
  }
  void unlock() {
    if (fd_ >= 0) close(fd_);  // releases the lock
    fd_ = -1;
  }

 private:
  std::string path_;
  int fd_ = -1;
};

// Real time: the tests' virtual-time shim fakes CLOCK_MONOTONIC, not
// CLOCK_BOOTTIME.
double monotonicNow() {
  timespec ts;
  clock_gettime(CLOCK_BOOTTIME, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Blocks in poll() rather than sleep(): the tests' virtual-time shim makes
// sleeps return at once, but a hanging array must really keep its caller
// waiting.
void hang(double seconds) {
  if (seconds > kMaxHangSeconds) seconds = kMaxHangSeconds;
  const double deadline = monotonicNow() + seconds;
  for (;;) {
    double left = deadline - monotonicNow();
    if (left <= 0) return;
    poll(nullptr, 0, static_cast<int>(left * 1000) + 1);
  }
}

void appendJournal(const std::string& dir, const SimInvocation& inv,
                   const std::string& argv, int exitCode) {
  SimJournalEntry e;
  e.array = inv.array;
  e.path = inv.path;
  e.credential = inv.credential;
  e.exitCode = exitCode;
  e.command = joinWords(inv.words);
  e.argv = argv;
  std::string line = SimJournal::format(e) + "\n";
  int fd = open((dir + "/journal").c_str(),
                O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t n = write(fd, line.data(), line.size());
  (void)n;
  close(fd);
}

std::string allArguments(int argc, char** argv) {
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return joinWords(args);
}

// Set once a hanging call has been journaled.
bool journaled = false;

// Journals the call and prints its answer; returns the exit code.
int finish(const std::string& dir, const SimInvocation& inv,
           const std::string& argv, const std::string& out,
           const std::string& err, int exitCode) {
  if (!journaled) appendJournal(dir, inv, argv, exitCode);
  std::fputs(out.c_str(), stdout);
  std::fflush(stdout);  // keeps the order when both go to one file
  std::fputs(err.c_str(), stderr);
  return exitCode;
}

// As the real client does, the ssh form takes in what its standard input
// holds (without -n, ssh forwards it to the remote command): a caller that
// lets it inherit a list it is reading loses the rest of the list.  Only
// what is there already is taken; an open terminal or pipe is not waited on.
void consumeWaitingInput() {
  int flags = fcntl(0, F_GETFL);
  if (flags < 0 || isatty(0)) return;
  fcntl(0, F_SETFL, flags | O_NONBLOCK);
  char buf[4096];
  while (read(0, buf, sizeof buf) > 0) {
  }
  fcntl(0, F_SETFL, flags);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = simDirectory();
  SimInvocation inv = parseInvocation(argc, argv);
  if (inv.path == "ssh") consumeWaitingInput();
  const std::string args = allArguments(argc, argv);
  DirLock lock(dir);
  if (!lock.lock()) {
    std::fprintf(stderr, "arraysim: cannot lock %s/lock\n", dir.c_str());
    return 3;
  }
  if (!inv.error.empty())
    return finish(dir, inv, args, "", "arraysim: " + inv.error + "\n", 2);

  std::string loadError;
  SimScenario s = SimScenario::load(dir, &loadError);
  if (!loadError.empty())
    return finish(dir, inv, args, "", "arraysim: " + loadError + "\n", 3);

  SimFaultEffect effect = applyFaults(s.findArray(inv.array), inv);
  if (effect.linkDown) s.cutLinks(inv.array);
  if (!s.saveState(dir))
    return finish(dir, inv, args, "", "arraysim: cannot write the state\n", 3);

  if (effect.hangSeconds > 0) {
    // The caller may kill a hanging call, so it is journaled now, with the
    // exit code -1.  Other calls (and tests) get through while it hangs.
    appendJournal(dir, inv, args, -1);
    journaled = true;
    lock.unlock();
    hang(effect.hangSeconds);
    if (!lock.lock()) return 3;
    s = SimScenario::load(dir, &loadError);
    if (!loadError.empty())
      return finish(dir, inv, args, "", "arraysim: " + loadError + "\n", 3);
  }
  if (effect.respond)
    return finish(dir, inv, args, effect.out, effect.err, effect.exitCode);

  SimOutput o = runCommand(s, inv.array, inv.words, effect);
  if (!s.saveState(dir))
    return finish(dir, inv, args, "", "arraysim: cannot write the state\n", 3);
  return finish(dir, inv, args, o.out, o.err, o.exitCode);
}
