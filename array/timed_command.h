// OrvTimedCommand: runs one array-side command line, optionally bounded in
// real time (foundation/child_process.h does the work).
//
// The line runs as a job of /bin/sh in a process group of its own that dies
// with this process, with standard input from /dev/null; more than 16 MiB
// of output stops it (foundation/child_process.h).  Time is measured on CLOCK_BOOTTIME and
// waited for with poll(), never with sleeps, so the tests' virtual-time
// shim, which fakes sleeping, the wall clock and CLOCK_MONOTONIC, does not
// shorten or stretch the bound.  A command still running at the limit is
// killed together with its process group (SIGKILL); so is one whose wait
// fails.

#ifndef ARRAY_TIMED_COMMAND_H_
#define ARRAY_TIMED_COMMAND_H_

#include "foundation/orv_string.h"

class OrvTimedCommand {
 public:
  struct Result {
    int timedOut = 0;   // 1 when the command was killed at the limit
    int rawStatus = -1; // wait status (as waitpid gives it); -1 when not known,
                        // also after a time-out, a stop or too much output
    OrvString firstLine;  // captureFirstLine: first output line, no line feeds
    long durationMs = 0;
  };

  // Runs command for at most timeoutSeconds (0 or less: no bound).  With
  // captureFirstLine standard output is read through a pipe until the
  // command ends (or the bound passes) and its first line (at most 1023
  // characters) kept; otherwise standard output goes to /dev/null (commands
  // redirect their own output).  Returns 1 when the command was started and
  // waited for (also when it timed out), 0 when it could not be started.
  static int run(const char* command, int timeoutSeconds, int captureFirstLine,
                 Result* result);
  // The same with outputFd as the command's standard output and error.
  static int runInto(const char* command, int timeoutSeconds, int outputFd, Result* result);
};

#endif  // ARRAY_TIMED_COMMAND_H_
