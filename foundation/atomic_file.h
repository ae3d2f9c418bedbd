// Writing a whole file into a directory held by its descriptor, so that a
// reader of the name only ever sees a complete file and nothing planted in
// the directory is followed.
//
// A new temporary file (name from tempName(attempt), created with O_EXCL
// and O_NOFOLLOW, mode 0600; up to `attempts` names are tried while they
// exist) is written in full, given `mode`, synced, closed and renamed over
// `name`.  On every failure the temporary file is removed.

#ifndef FOUNDATION_ATOMIC_FILE_H_
#define FOUNDATION_ATOMIC_FILE_H_

#include <sys/types.h>

#include <functional>
#include <string>

namespace orv_files {

enum AtomicStep { kCreateTemporary, kWriteTemporary, kModeTemporary, kSyncTemporary,
                  kCloseTemporary, kRenameTemporary };

// 0, or the errno of the step that failed (*failed names it).
int writeAtomically(int dirFd, const std::string& name,
                    const std::function<std::string(int attempt)>& tempName, int attempts,
                    const std::string& text, mode_t mode, AtomicStep* failed);

}  // namespace orv_files

#endif  // FOUNDATION_ATOMIC_FILE_H_
