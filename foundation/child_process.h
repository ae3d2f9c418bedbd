// The one way this system runs a command line: LINE as a job of "/bin/sh"
// in a process group of its own, waited for in poll() so that a time bound
// and a stop request (foundation/process_guard.h) are seen at once.
//
// The group never outlives us: the shell asks for SIGHUP at its parent's
// end (SIGKILL of us, or of our process group, included) and its trap then
// kills the whole group.  The child is started vfork-like, sharing our
// memory until it execs, so a start costs no copy of our page tables.
//
// The child's standard input is /dev/null unless input text is given (then
// a pipe it reads that text from).  Its standard output (and error) go
// through a pipe that we read to its end while the command runs (never
// closed early, so a talkative command cannot die of SIGPIPE): into
// Result::output, or on to a descriptor the caller keeps (an output file).
// Or both are inherited.  More than kOutputCap bytes of output end the
// command: "Error: Output of command [LINE] exceeded 16 MiB; the command was
// stopped." is logged, nothing of the output is kept (an output file is
// emptied) and the status is -1.  Time is measured on CLOCK_BOOTTIME, real
// time that the tests' virtual-time shim leaves alone.  A command that
// outlives its bound, a stop that asks for it, too much output or a failed
// wait end it with SIGKILL to its whole process group.

#ifndef FOUNDATION_CHILD_PROCESS_H_
#define FOUNDATION_CHILD_PROCESS_H_

#include <string>

namespace orv_child {

// The most output a command may write (standard output and error together
// when they go to an output file).
const size_t kOutputCap = 16u << 20;

struct Spec {
  std::string command;
  // >= 0: the child's standard output and standard error.
  int outputFd = -1;
  // outputFd < 0: read standard output through a pipe into Result::output
  // (standard error is inherited); false: both are inherited.
  bool capture = false;
  // Fed to the child's standard input; null: /dev/null.
  const std::string* input = nullptr;
  // > 0: the command is killed after this many seconds.
  int timeoutSeconds = 0;
};

struct Result {
  int started = 0;     // 1 when the child was forked
  int timedOut = 0;    // killed at the bound
  int stopped = 0;     // killed for a stop request
  int overflowed = 0;  // killed for writing more than kOutputCap
  int outputLost = 0;  // the output file could not take it all (logged)
  int rawStatus = -1;  // wait status; -1 when not known
  long durationMs = 0;
  std::string output;  // captured standard output
};

// Runs spec.command; 1 when it was started and waited for (also when it
// was killed), 0 when it could not be started.
int run(const Spec& spec, Result* result);

// The first line of text (without its line feed), at most 1023 characters.
std::string firstLine(const std::string& text);

}  // namespace orv_child

#endif  // FOUNDATION_CHILD_PROCESS_H_
