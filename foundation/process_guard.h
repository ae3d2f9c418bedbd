// What a program of this system does about its process as a whole: the
// standard descriptors at start, the signals that would end it half way,
// and the clock elapsed times are measured on.
//
// Signals.  install() gives SIGPIPE a handler that does nothing (not
// SIG_IGN, which children would inherit), so a closed standard output
// makes writes fail instead of ending the program.  A stop signal only
// records the request; the program acts on it at its checkpoints:
//   kGate (rcgate)     SIGTERM, SIGINT, SIGHUP.  No new command is started
//                      after the first one; the running one may end (within
//                      its time bound when one is set).  A second signal
//                      kills the running command's process group at once.
//   kMonitor (rcwatch) SIGTERM, SIGINT.  The running command is killed at
//                      once.
// checkpoint() calls the program's stop action when a stop was requested;
// that action does not return.  The command runner calls it before it
// starts a command, and the array runner again once a command has ended.
//
// Without install() (the tests of single modules) nothing is handled and
// checkpoint() never stops anything.

#ifndef FOUNDATION_PROCESS_GUARD_H_
#define FOUNDATION_PROCESS_GUARD_H_

#include <ctime>
#include <string>

namespace orv_guard {

enum Mode { kGate, kMonitor };

// Opens /dev/null on each of the descriptors 0, 1 and 2 that is closed, so
// that no file opened later lands on one of them.
void openStandardDescriptors();

// Installs the handlers of mode; onStop(signal) is the stop action.
void install(Mode mode, void (*onStop)(int signal));
// Only the SIGPIPE handler (a program that handles no stop signal).
void handleBrokenPipe();

// The first stop signal received, 0 when none.
int stopSignal();
// True when a running command must be killed now.
bool killRunningCommand();
// Runs the stop action when a stop was requested.
void checkpoint();

// The last array step that ended ("none" before the first), for the line
// that reports a stop.
void noteStep(const std::string& step);
std::string lastStep();

// Whole seconds on CLOCK_MONOTONIC, never 0 (so 0 can mean "not started").
// Differences of two readings are elapsed time that a step of the wall
// clock does not change.
time_t monotonicSeconds();

}  // namespace orv_guard

#endif  // FOUNDATION_PROCESS_GUARD_H_
