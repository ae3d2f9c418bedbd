// rcplan PKG: the dry run an operator makes before a planned switch-over.
//
// Runs the start-up stages of rcgate for the package on this node (the
// configuration from the cluster manager, host information, site, the
// controller) and the discovery of both arrays, with the driver's usual log
// lines and reports, then shows the decision of the rule table: the action
// rcgate would call and the matched conditions ("position : condition"),
// or that no rule matched.  Nothing is run on the arrays beyond the
// discovery queries.
//
// The FORCEFLAG file of the package directory is looked at, not consumed:
// when it is present, "StatusForceFlag" is "yes" for the decision (as for
// the rcgate start that would see it) and the file stays in place; the
// output says whether one is present.
//
// Exit codes: 0 an action was chosen; 1 no rule matched, or the chosen name
// is not in rcgate's action table (rcgate would ask for manual
// intervention and refuse the start); 2 a start-up stage, the discovery or
// the rule evaluation failed (rcgate would refuse the start as well).

#ifndef RCPLAN_DRY_RUN_H_
#define RCPLAN_DRY_RUN_H_

#include <ostream>
#include <string>

class OrvObjectDb;

namespace rcplan {

const int kExitDryRunFailed = 2;

// out receives rcplan's own lines; the driver's log goes to standard
// output through the process logger, as rcgate's does.
int runDryRun(const std::string& package, std::ostream& out);

// The FORCEFLAG path of the package directory in "VKR_PKG_DIR", built as the
// start-up does ('' when the object has no text value).
std::string forceFlagPath(OrvObjectDb& db);

// Sets "StatusForceFlag" to "yes" when the FORCEFLAG file counts (a
// regular file owned by root, foundation/force_flag.h), else "no", without
// removing the file.  Returns 1 when it counts, 2 when something is there
// that does not count, 0 when it is absent, -1 when the object could not
// be set.  path is only what the caller shows.
int peekForceFlag(OrvObjectDb& db, const std::string& path);

}  // namespace rcplan

#endif  // RCPLAN_DRY_RUN_H_
