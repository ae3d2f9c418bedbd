#include "array/timed_command.h"

#include <fcntl.h>
#include <unistd.h>

#include <string>

#include "foundation/child_process.h"

namespace {

int runSpec(orv_child::Spec& spec, int timeoutSeconds, OrvTimedCommand::Result* result) {
  result->timedOut = 0;
  result->rawStatus = -1;
  result->firstLine = "";
  result->durationMs = 0;
  spec.timeoutSeconds = timeoutSeconds > 0 ? timeoutSeconds : 0;
  orv_child::Result r;
  if (!orv_child::run(spec, &r)) return 0;
  result->timedOut = r.timedOut;
  result->rawStatus = r.timedOut || r.stopped || r.overflowed || r.outputLost ? -1 : r.rawStatus;
  result->durationMs = r.durationMs;
  if (spec.capture) result->firstLine = orv_child::firstLine(r.output).c_str();
  return 1;
}

}  // namespace

int OrvTimedCommand::run(const char* command, int timeoutSeconds, int captureFirstLine,
                         Result* result) {
  if (command == nullptr) return 0;
  orv_child::Spec spec;
  spec.command = command;
  int devNull = -1;
  if (captureFirstLine) {
    spec.capture = true;
  } else {
    devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    spec.outputFd = devNull;
  }
  int started = runSpec(spec, timeoutSeconds, result);
  if (devNull >= 0) close(devNull);
  return started;
}

int OrvTimedCommand::runInto(const char* command, int timeoutSeconds, int outputFd,
                             Result* result) {
  if (command == nullptr || outputFd < 0) return 0;
  orv_child::Spec spec;
  spec.command = command;
  spec.outputFd = outputFd;
  return runSpec(spec, timeoutSeconds, result);
}
