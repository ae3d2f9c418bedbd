// The planning stand-in for the arrays (array/command_runner.h) behind the
// dry run's verdict.
//
// While the dry run discovers, it only watches: the listings go to the
// arrays and it keeps what each answered.  Once planning, it answers every
// command itself and sends nothing: a command that changes a group is
// noted and succeeds (a sync with a task that is done at once); a listing
// gets the answer discovery had, edited to the state the commands noted so
// far leave the pair in (a reverse swaps the roles, a start starts both
// halves and brings their volumes in step, a stop stops them, ...); a wait
// is noted with its bound and ends at its first poll.

#ifndef RCPLAN_PLAN_RUNNER_H_
#define RCPLAN_PLAN_RUNNER_H_

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "array/command_runner.h"

namespace rcplan {

class PlanRunner : public OrvCommandRunner {
 public:
  // Installs itself on construction, removes itself on destruction.
  PlanRunner();
  ~PlanRunner() override;
  PlanRunner(const PlanRunner&) = delete;
  PlanRunner& operator=(const PlanRunner&) = delete;

  // From now on commands are answered here.
  void startPlanning() { planning_ = true; }

  // The plan, in order: "ARRAY: command" per changing command, and one
  // "then waits ..." line per wait.
  const std::vector<std::string>& steps() const { return steps_; }

  bool answering() const override { return planning_; }
  bool answer(const std::string& array, const std::string& text, std::string& output,
              int* exitStatus) override;
  void observed(const std::string& array, const std::string& text, const std::string& output,
                int exitStatus) override;
  void noteWait(const char* what, const std::string& subject, long boundSeconds,
                unsigned pollSeconds) override;

  // One half of the pair as the planned commands leave it.
  struct Half {
    bool known = false;  // discovery read the group on this array
    std::string group;
    std::string role;
    std::string status;
    bool synced = false;
    bool changed = false;
  };

  // The group listing text edited to show half (exposed for the tests).
  static std::string editListing(const std::string& listing, const Half& half);

  // A state typed in by hand stands for what discovery read: these build
  // the listings the array client would have printed for it ("-csvtable"),
  // to be handed to observed() before planning.
  struct Listed {
    std::string group, target, status, role, mode;
    std::vector<std::string> options;  // '-' when empty
    std::string volumeSync;            // of each of the group's two volumes
  };
  // "showrcopy groups GROUP -csvtable"
  static std::string groupListing(const Listed& half);
  // "showrcopy links -csvtable": two links to target, both in status.
  static std::string linksListing(const std::string& target, const std::string& status);

 private:
  struct Answer {
    std::string output;
    int exitStatus = 0;
  };
  Half* halfOf(const std::string& array);
  Half* otherHalf(const std::string& array);
  Half* halfOfGroup(const std::string& group);
  void apply(const std::string& array, const std::vector<std::string>& words);

  bool planning_ = false;
  std::map<std::pair<std::string, std::string>, Answer> seen_;
  std::vector<std::string> arrays_;  // in the order discovery met them
  std::map<std::string, Half> halves_;
  std::vector<std::string> steps_;
  int nextTask_ = 9001;
};

}  // namespace rcplan

#endif  // RCPLAN_PLAN_RUNNER_H_
