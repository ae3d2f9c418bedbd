// rcplan PKG: the dry run an operator makes before a planned switch-over.
//
// Runs the start-up stages of rcgate for the package on this node (the
// configuration from the cluster manager, host information, site, the
// controller) and the discovery of both arrays, with the driver's usual log
// lines and reports, then shows the decision of the rule table: the action
// rcgate would call and the matched conditions ("position : condition"),
// or that no rule matched.  Then the verdict: the action runs unchanged
// against the planning stand-in (rcplan/plan_runner.h), which sends the
// arrays nothing, and the output gives the exit code rcgate would end
// with, the lines the action would log and the commands it would send,
// each assumed to succeed.
//
// The FORCEFLAG file of the package directory is looked at, not consumed:
// when it is present, "StatusForceFlag" is "yes" for the decision (as for
// the rcgate start that would see it) and the file stays in place; the
// output says whether one is present.
//
// Exit codes: 0 an action was chosen; 1 no rule matched, or the chosen name
// is not in rcgate's action table (rcgate would ask for manual
// intervention and refuse the start); 2 a start-up stage, the discovery or
// the rule evaluation failed (rcgate would refuse the start as well).  With
// gateExit the exit code is rcgate's instead.

#ifndef RCPLAN_DRY_RUN_H_
#define RCPLAN_DRY_RUN_H_

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "foundation/force_flag.h"

class OrvBase;
class OrvObjectDb;

namespace rcplan {

const int kExitDryRunFailed = 2;

// What rcgate would do after its decision.
struct GatePlan {
  int gateExit = 2;
  std::vector<std::string> logged;  // the action's messages, as logged
  std::vector<std::string> steps;   // PlanRunner::steps()
  // What the dry run found on the way, for --json ('' / empty when not
  // reached).
  std::string node;
  std::string site;
  int forceFlag = -1;  // peekForceFlag()
  std::vector<std::pair<std::string, std::string>> state;  // the table's inputs
  std::vector<std::string> assumed;                        // "Assumed: ..." texts
  std::string action;
  std::vector<std::string> conditions;
};

// "the package starts on this node", ... for an rcgate exit code.
const char* gateExitMeaning(int code);

// Runs the action the driver has decided on (the fallback when none is
// bound) against a planning stand-in, with the log kept off standard
// output.  runner must be the stand-in that watched the discovery.
class PlanRunner;
GatePlan planTakeover(OrvBase& driver, PlanRunner& runner);

// The verdict line, the logged lines and the command plan.
void printPlan(const GatePlan& plan, std::ostream& out);

// The stages of the dry run up to the plan; out receives the dry run's own
// lines (the verdict is not printed).  Returns the dry run's exit code.
// assumed: NAME=VALUE texts set after the discovery (a refused one is
// explained on err and gives kExitUsage with gateExit -1).
int planStart(const std::string& package, const std::vector<std::string>& assumed,
              std::ostream& out, std::ostream& err, GatePlan& plan);

// out receives rcplan's own lines; the driver's log goes to standard
// output through the process logger, as rcgate's does.
// json: one JSON document on out instead of the text (rcplan/json_output.h).
int runDryRun(const std::string& package, const std::vector<std::string>& assumed,
              bool gateExit, bool json, std::ostream& out, std::ostream& err);

// The FORCEFLAG path of the package directory in "VKR_PKG_DIR", built as the
// start-up does ('' when the object has no text value).
std::string forceFlagPath(OrvObjectDb& db);

// Sets "StatusForceFlag" to "yes" when the FORCEFLAG file counts (a
// regular file owned by root, foundation/force_flag.h), else "no", without
// removing the file.  Returns 1 when it counts, 2 when something is there
// that does not count, 0 when it is absent, -1 when the object could not
// be set.  seen: what was found there (its path for the messages).
int peekForceFlag(OrvObjectDb& db, orv_force::Outcome& seen);

}  // namespace rcplan

#endif  // RCPLAN_DRY_RUN_H_
