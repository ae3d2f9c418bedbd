// Runs one program as a child process with a given argument list and
// environment, captures standard output and standard error (interleaved, as
// written) and the exit status, and kills the child's process group when a
// real-time limit passes.  The sandbox builds on it; tests that need no
// private namespace (the virtual-time shim's) use it directly.
#ifndef ORV_TESTING_SANDBOX_PROCESS_H_
#define ORV_TESTING_SANDBOX_PROCESS_H_

#include <functional>
#include <string>
#include <vector>

namespace orv_sandbox {

struct ProcessSpec {
  std::vector<std::string> argv;  // argv[0] is the path that is executed
  std::vector<std::string> env;   // the complete environment, NAME=VALUE
  std::string stdinText;          // fed on standard input; empty: /dev/null
  int timeoutSeconds = 60;        // real time; then SIGKILL to the group
  // Runs in the child between fork and exec (after the child became its
  // own process group leader).  Returns false with a message to abandon
  // the run; the message reaches ProcessResult::setupError.  The parent is
  // single-threaded, so the hook may allocate.
  std::function<bool(std::string& error)> beforeExec;
  // Optional extra descriptor watched while the child runs (the sandbox's
  // syslog socket); onReadable is called whenever it can be read.
  int watchFd = -1;
  std::function<void()> onReadable;
  // Optional: called about every 20 ms while the child runs, with its pid
  // (a test sends it signals at the moment it chooses).
  std::function<void(int pid)> onPoll;
};

struct ProcessResult {
  int exitCode = -1;       // exit status; -1 when the child did not exit
  int signal = 0;          // signal that ended the child, 0 if none
  bool timedOut = false;   // the real-time limit passed; the group was killed
  std::string output;      // standard output and standard error
  std::string setupError;  // non-empty when fork, the hook or exec failed
  long elapsedMs = 0;

  // True when the program ran and exited on its own.
  bool exited() const { return setupError.empty() && !timedOut && signal == 0; }
  // One line for failure messages: how it ended and what it printed.
  std::string describe() const;
};

ProcessResult runProcess(const ProcessSpec& spec);

// The environment entry "NAME=..." for name in env, or nullptr.
const std::string* findEnv(const std::vector<std::string>& env,
                           const std::string& name);
// Sets NAME=VALUE in env, replacing an existing entry of that name.
void setEnv(std::vector<std::string>& env, const std::string& name,
            const std::string& value);

}  // namespace orv_sandbox

#endif  // ORV_TESTING_SANDBOX_PROCESS_H_
