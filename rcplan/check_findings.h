// Pieces shared by the two halves of rcplan --check: the configuration
// checks (rcplan/config_check.cc) and the array queries
// (rcplan/array_check.cc).

#ifndef RCPLAN_CHECK_FINDINGS_H_
#define RCPLAN_CHECK_FINDINGS_H_

#include <ostream>
#include <string>

namespace rcplan {

// Writes one line per call.  A line whose text starts with "Error:" or
// "Warning:" is a finding and is counted; any other line only informs.
class CheckFindings {
 public:
  explicit CheckFindings(std::ostream& out) : out_(out) {}
  void line(const char* format, ...) __attribute__((format(printf, 2, 3)));
  int errors() const { return errors_; }
  int warnings() const { return warnings_; }

 private:
  std::ostream& out_;
  int errors_ = 0;
  int warnings_ = 0;
};

// One site's array as the configuration names it.  Values are '' when the
// attribute is missing.
struct CheckSite {
  const char* site = "";     // "A" or "B"
  const char* prefix = "";   // "DC1" or "DC2"
  const char* targetAttribute = "";  // "DC1_RC_TARGET_FOR_DC2", ...
  std::string array;
  std::string user;
  std::string group;
  std::string target;
  std::string passwordFile;  // built from user and array; '' without them
  // Every value present and safe for a command line: the array may be
  // asked.
  bool queryable = false;
  // The bound of each array command, and whether the package's
  // RCVEXA_JxVexaCLICommandTimeout set it (else it is --check's own).
  int commandTimeout = 0;
  bool timeoutFromAttribute = false;
};

// --check's own bound of an array command when the package sets none: a
// hanging array must not hold the check up.
const int kCheckCommandTimeout = 30;

// What the group listing of one array showed.
struct ArrayView {
  bool groupRead = false;  // the array answered and holds the group
  std::string role;
  std::string mode;
};

// The version probe, the group listing and the link listing of one array,
// and what they show against the site's configuration.
void checkArray(const CheckSite& site, CheckFindings& findings, ArrayView& view);

// The two halves together: one primary and one secondary, the same mode.
// tableStarts: the decision table lets the package start on this node in
// this state; then a pair of two primaries is a Warning, not an Error.
void checkPair(const CheckSite sites[2], const ArrayView views[2], bool tableStarts,
               CheckFindings& findings);

}  // namespace rcplan

#endif  // RCPLAN_CHECK_FINDINGS_H_
