// rcplan --state: the verdict and the command plan of a state typed in by
// hand, with no package and no array.
//
// rcgate's driver is set up on a placeholder configuration instead of a
// package (arrays, users, groups and targets of both sites; /tmp as the
// directory of the actions' temporary files, as for --check), with the
// typed-in values on top and this node on the site in StatusCurrentDC (A
// unless given).  The planning stand-in (rcplan/plan_runner.h) is handed
// the listings discovery would have read in that state: per half the group
// with the given status, role, mode, options and volume state (a listing
// that fails for a role of UNKNOWN, as for an array that did not answer)
// and, for a half that was read, its links in StatusRCLink.  The chosen
// action then runs unchanged against it, as in the dry run, so nothing is
// sent and nothing runs outside the process.

#ifndef RCPLAN_STATE_PLAN_H_
#define RCPLAN_STATE_PLAN_H_

#include <ostream>
#include <string>
#include <vector>

#include "rcplan/dry_run.h"

class OrvObjectDb;

namespace rcplan {

// The start-up mode's object; a state that does not give it gets the mode
// rcgate derives from RESYNC_WAIT_TIMEOUT.
constexpr char kStartupMode[] = "ApplicationStartup";
bool givesStartupMode(const std::vector<std::string>& pairs);

// Sets the placeholder configuration, then the pairs (applyPair), then the
// start-up mode when no pair gives it.  A pair that names a placeholder
// attribute, a site other than A or B, or that applyPair refuses is
// explained on err and gives false.
bool setPlaceholderState(OrvObjectDb& db, const std::vector<std::string>& pairs,
                         std::ostream& err);

// The plan of the action bound in a driver set up with setPlaceholderState
// (the fallback when none is).  out receives the line naming the
// placeholders, and why nothing runs when both roles are UNKNOWN (rcgate
// stops at the discovery then).
GatePlan planState(OrvBase& driver, std::ostream& out);

}  // namespace rcplan

#endif  // RCPLAN_STATE_PLAN_H_
