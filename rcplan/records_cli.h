// rcplan's view of rcgate's decision records (records/decision_record.h).
//
//   rcplan --history PKG [N]   the newest N records (default 20) of package
//                              PKG on this node, oldest first, one aligned
//                              line each: local start time, node, action,
//                              exit code, duration, the reason of a refusal
//   rcplan --replay FILE       decides again with the built-in table on the
//                              rule inputs FILE recorded and prints the
//                              decision as --state does
//
// --history exits 0 when every record was listed (also when there are none
// yet), 1 when some could not be read (each named in its line), 2 for a
// usage error or a package directory that cannot be read.  --replay exits 0
// when the decision equals the recorded one, 1 when it differs (both
// actions printed), 2 with "Error: FILE: ..." for a file that is not a
// readable record or holds nothing to decide on.

#ifndef RCPLAN_RECORDS_CLI_H_
#define RCPLAN_RECORDS_CLI_H_

#include <ctime>
#include <ostream>
#include <string>
#include <vector>

namespace rcplan {

const int kDefaultHistory = 20;

// A record's start time in local time, in strftime's format; "?" when it
// cannot be shown.
std::string recordLocalTime(time_t t, const char* format);

// args: what follows the option.
// json: one JSON document on out instead of the table (rcplan(8)).
int runHistory(const std::vector<std::string>& args, bool json, std::ostream& out,
               std::ostream& err);
int runReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace rcplan

#endif  // RCPLAN_RECORDS_CLI_H_
