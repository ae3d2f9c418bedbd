// OrvTimedCommand: runs one shell command line with a bound on real time.
//
// The line runs as "/bin/sh -c LINE" in a process group of its own, with
// standard input from /dev/null.  Time is measured on CLOCK_MONOTONIC and
// waited for with poll(), never with sleeps, so a clock shim that fakes
// sleeping and wall-clock time does not shorten or stretch the bound.  A
// command still running at the limit is killed together with its process
// group (SIGKILL).

#ifndef ARRAY_TIMED_COMMAND_H_
#define ARRAY_TIMED_COMMAND_H_

#include "foundation/orv_string.h"

class OrvTimedCommand {
 public:
  struct Result {
    int timedOut = 0;   // 1 when the command was killed at the limit
    int rawStatus = -1; // wait status (as waitpid gives it); -1 when not run
    OrvString firstLine;  // captureFirstLine: first output line, no line feeds
  };

  // Runs command for at most timeoutSeconds (> 0).  With captureFirstLine
  // standard output is read through a pipe and its first line (at most 1023
  // characters) kept, the pipe is closed after it, as a popen reader would;
  // otherwise standard output goes to /dev/null (commands redirect their own
  // output).  Returns 1 when the command was started and waited for (also
  // when it timed out), 0 when it could not be started.
  static int run(const char* command, int timeoutSeconds, int captureFirstLine,
                 Result* result);
};

#endif  // ARRAY_TIMED_COMMAND_H_
