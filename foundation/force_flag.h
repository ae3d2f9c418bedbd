// The FORCEFLAG file of a package directory: an operator's leave to start
// on data that may not be current.  The package directory may belong to the
// application's user, so only a file that user cannot have made counts: a
// regular file, not a link, owned by root.  It is looked at through the
// directory's descriptor and on the opened file itself (O_PATH, so opening
// a device or a FIFO planted there does nothing).  rcgate consumes a flag
// that counts; rcplan only looks.  Both use this, so they agree.

#ifndef FOUNDATION_FORCE_FLAG_H_
#define FOUNDATION_FORCE_FLAG_H_

#include <string>

namespace orv_force {

const char kFileName[] = "FORCEFLAG";

enum State {
  kAbsent,   // nothing of that name
  kCounts,   // a regular file owned by root
  kIgnored,  // something else: a link, another kind of file, another owner
};

struct Outcome {
  State state = kAbsent;
  bool consumed = false;  // a flag that counts was removed
  std::string path;       // packageDir/FORCEFLAG, for messages
};

// Looks at packageDir/FORCEFLAG; with consume, removes it when it counts
// (and only when the name still is the file that was checked).  A file
// that does not count is left in place.
Outcome inspect(const std::string& packageDir, bool consume);

// "Warning: FORCEFLAG [PATH] is ignored: it is not a regular file owned by root."
std::string ignoredWarning(const std::string& path);

}  // namespace orv_force

#endif  // FOUNDATION_FORCE_FLAG_H_
