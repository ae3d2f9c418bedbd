// The mail addresses of a package: the values of its EMAIL_ID attribute.
//
// EMAIL_ID carries no RCVEXA_ prefix, so the loader's filter does not pass
// it; it is read here from the attribute command's own NAME=VALUE lines,
// without any shell filter.  Every line whose name is EMAIL_ID counts, in
// order; its value may be quoted (a quoted value may go on over several
// lines) or not (then it ends at the line's end or a '#').  The values are
// split at blanks.  A line that only mentions EMAIL_ID inside another
// attribute's value gives nothing.

#ifndef OBJECTDB_EMAIL_IDS_H_
#define OBJECTDB_EMAIL_IDS_H_

#include <string>
#include <vector>

struct OrvEmailIds {
  std::vector<std::string> addresses;  // local@domain words, in order
  std::vector<std::string> refused;    // the other words, in order
};

// The EMAIL_ID words of an attribute listing, sorted into the two lists.
OrvEmailIds orvEmailIdsOf(const std::string& listing);

// local@domain: one '@', a local part of printable characters outside
// ()<>[]:;,\" and a domain of letters, digits, '-' and inner dots.
bool orvIsMailAddress(const std::string& word);

// Runs the attribute command for a package name already checked to be
// shell-literal; 1 with result filled, 0 when the command failed.
int orvReadEmailIds(const std::string& packageName, OrvEmailIds& result);

// "Warning: [TEXT] in EMAIL_ID is not an e-mail address; it is skipped."
std::string orvRefusedAddressWarning(const std::string& word);

#endif  // OBJECTDB_EMAIL_IDS_H_
