// OrvCommandRunner: a stand-in for the arrays, consulted by the array
// command entry points (array/vexa_exec.cc, array/vexa_task.cc).
//
// Nothing is installed in rcgate and rcwatch: every command goes to the
// array.  rcplan installs one to plan a start: the takeover actions run
// unchanged while the stand-in answers their commands, so the plan is what
// the actions themselves would send.  While one is installed:
//  - each command is offered to answer() first; a command it answers is
//    not run, the access path is not probed and nothing is created in the
//    package directory (touchSTARTREP only logs);
//  - a command it leaves to the array is run as usual and its output handed
//    to observed();
//  - the controller's timed waits announce themselves through noteWait().

#ifndef ARRAY_COMMAND_RUNNER_H_
#define ARRAY_COMMAND_RUNNER_H_

#include <string>

class OrvCommandRunner {
 public:
  virtual ~OrvCommandRunner() {}

  // Whether commands are answered here from now on (then no access path is
  // set up for them).
  virtual bool answering() const = 0;
  // array: the array's name; text: the command without the access prefix.
  // Returns true with output and *exitStatus when the command is answered.
  virtual bool answer(const std::string& array, const std::string& text, std::string& output,
                      int* exitStatus) = 0;
  // A command that ran on the array, with all it printed.
  virtual void observed(const std::string& array, const std::string& text,
                        const std::string& output, int exitStatus) = 0;
  // A controller wait begins.  what: "volumes", "task" or "group stop";
  // subject: the group or task; boundSeconds -1 without a limit.
  virtual void noteWait(const char* what, const std::string& subject, long boundSeconds,
                        unsigned pollSeconds) = 0;

  // The installed runner, or null.  install(nullptr) removes it.
  static OrvCommandRunner* installed();
  static void install(OrvCommandRunner* runner);
  // True when one is installed and answering.
  static bool standingIn();
};

#endif  // ARRAY_COMMAND_RUNNER_H_
