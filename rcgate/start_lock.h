// One start of a package at a time on a node: each rcgate run holds an
// exclusive flock on a file of its package for its whole life.  Two runs
// at once (a retried start, an operator's manual run) would otherwise send
// their takeovers to the arrays together and undo each other.
//
// The files live in kLockDir, a directory only root may write (the package
// directory may belong to the application's user), opened without following
// links and checked on its descriptor; the file of package PKG is
// "PKG.lock", opened through that descriptor, again without following a
// link.  It holds the pid of the run that has the lock, for the refusal's
// message.  The kernel drops the lock when its holder ends, however it
// ends, so a lock left behind never blocks a start.  Different packages
// have different files and never wait for one another.

#ifndef RCGATE_START_LOCK_H_
#define RCGATE_START_LOCK_H_

#include <string>

namespace orv_start_lock {

const char kLockParent[] = "/usr/local/tarvos/run";
const char kLockDirName[] = "rcgate-locks";

enum Result {
  kHeld,    // this process holds the lock until it ends
  kBusy,    // another run holds it; holder is its pid (0 when unknown)
  kFailed,  // the lock could not be taken; why says what failed
};

// The package name must be a safe word (letters, digits, '.', '_', '-').
Result take(const std::string& package, long& holder, std::string& why);

}  // namespace orv_start_lock

#endif  // RCGATE_START_LOCK_H_
