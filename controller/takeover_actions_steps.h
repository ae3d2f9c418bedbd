// Small pieces shared by the group operations, the waits and the takeover
// actions of OrvRCVexa.
//
// StepOutputFile owns one temporary output file in the package directory
// for the array commands of an operation.  It is removed when release() is
// called or when the object goes out of scope, so no return path can leave a
// file behind.  ok() tells whether the file could be made; when it could
// not, the caller sends nothing to the arrays.

#ifndef CONTROLLER_TAKEOVER_ACTIONS_STEPS_H_
#define CONTROLLER_TAKEOVER_ACTIONS_STEPS_H_

#include <strings.h>

#include "foundation/orv_string.h"
#include "foundation/util.h"

class StepOutputFile {
 public:
  explicit StepOutputFile(const OrvString& directory) {
    ok_ = OrvUtil::createTempFile(directory, "orv", path_) != 0;
  }
  ~StepOutputFile() { release(); }
  StepOutputFile(const StepOutputFile&) = delete;
  StepOutputFile& operator=(const StepOutputFile&) = delete;

  bool ok() const { return ok_; }
  OrvString& path() { return path_; }

  // Removes the file now (once); later calls do nothing.
  void release() {
    if (ok_) {
      ok_ = false;
      OrvUtil::OrvUnlink(path_.getValue());
    }
  }

 private:
  bool ok_ = false;
  OrvString path_;
};

// The line that reports a failed array step: operation word, group name.
constexpr char kStepFailureLine[] =
    "Execution of \"%s\" operation failed on the Remote Copy volume group %s";

// Equality ignoring letter case, as the status words of the arrays are
// compared where the product does not insist on the exact spelling.
inline bool sameWordIgnoringCase(const OrvString& a, const char* b) {
  return strcasecmp(a.getValue(), b) == 0;
}

#endif  // CONTROLLER_TAKEOVER_ACTIONS_STEPS_H_
