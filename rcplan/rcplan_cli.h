// Command-line handling of rcplan, the operator tool for the rule table.
//
//   rcplan --dump                    the condition list, the rule-set list and
//                                    the flattened rule paths, each under a
//                                    title line
//   rcplan --state NAME=VALUE ...    sets the named catalogue objects, then
//                                    evaluates the table: the chosen action and
//                                    the matched conditions ("position :
//                                    condition"), or that no rule matched; then
//                                    the dry run's verdict and command plan, on
//                                    placeholder names (rcplan/state_plan.h)
//   rcplan --check PKG               every finding about the configuration of
//                                    package PKG on this node, one per line
//                                    (rcplan/config_check.h); exit 0 without
//                                    an Error, 1 with one
//   rcplan PKG                       the dry run of a start of package PKG on
//                                    this node: discovery of both arrays and
//                                    the decision, no action (rcplan/dry_run.h)
//
// Exit codes: 0 an action was chosen (or the dump was written), 1 no rule
// matched (PKG: also a chosen name rcgate does not know), 2 usage error,
// unknown object or refused value (PKG: a start-up stage, the discovery or
// the rule evaluation failed).

#ifndef RCPLAN_RCPLAN_CLI_H_
#define RCPLAN_RCPLAN_CLI_H_

#include <ostream>
#include <string>
#include <vector>

class OrvObjectDb;

namespace rcplan {

const int kExitDecided = 0;
const int kExitNoRule = 1;
const int kExitUsage = 2;

// Dispatches on the first argument; args excludes the program name.
int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

void printUsage(std::ostream& os);

// Sets one catalogue object from a NAME=VALUE text; on refusal explains why
// on err (an unknown name with the names the decision table reads) and
// returns 0.
int applyPair(OrvObjectDb& db, const std::string& pair, std::ostream& err);

// The three dumps of the rule table.
int runDump(std::ostream& out);

// pairs are NAME=VALUE texts.  Every pair is checked before anything is
// evaluated: an unknown object or a value outside the object's possible set
// is reported on err and gives kExitUsage.  gateExit: exit with rcgate's
// code instead.
int runState(const std::vector<std::string>& pairs, bool gateExit, std::ostream& out,
             std::ostream& err);

}  // namespace rcplan

#endif  // RCPLAN_RCPLAN_CLI_H_
