// rcplan --check PKG: the whole configuration of a package checked in one
// run on this node, before it goes live or after a change, with nothing
// changed anywhere.
//
// A start stops reading the attributes at the first unknown name and then
// fails on the first missing or refused value; this reads every attribute
// line itself (tvgetpkgenv through the loader's own filter, never evaluated
// by a shell) so that every finding shows at once.  One line per finding,
// "Error: ..." when it would stop or endanger a start, "Warning: ..."
// otherwise, each saying what to do:
//  - attribute names outside the catalogue, names of run-time objects,
//    required settings missing, values outside their possible sets, values
//    that may not be put into a command line;
//  - this node in exactly one node list, no other node in both, no empty
//    list;
//  - per site, the array's password file: present, a regular file, readable
//    by its owner only;
//  - per array, with queries only (version probe, group listing, link
//    listing): reachable and by which path, the group there on the
//    configured target, the target in the links, a mode the decision table
//    knows; both halves: one primary and one secondary, the same mode;
//  - a FORCEFLAG file (left in place; the next start consumes it).
// The array queries of a site are skipped when one of its values is missing
// or unsafe.  Temporary files go to /tmp and are removed: the package
// directory is not touched, not even created.
//
// It ends with the dry run's verdict line for this node once both arrays
// were read; a pair the decision table starts the package on is then no
// Error.  Every array command is bounded (the attribute, else 30 s).
//
// Exit code: 0 without an Error, 1 with one.

#ifndef RCPLAN_CONFIG_CHECK_H_
#define RCPLAN_CONFIG_CHECK_H_

#include <ostream>
#include <string>

namespace rcplan {

const int kExitCheckClean = 0;
const int kExitCheckFailed = 1;

// gateExit: exit with rcgate's code instead (the verdict is then given
// even when an array could not be read; a check that ends before it gives
// 1 as before).
int runConfigCheck(const std::string& package, std::ostream& out, bool gateExit = false);

}  // namespace rcplan

#endif  // RCPLAN_CONFIG_CHECK_H_
