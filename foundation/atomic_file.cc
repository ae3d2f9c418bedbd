#include "foundation/atomic_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "foundation/temp_files.h"

namespace orv_files {

int writeAtomically(int dirFd, const std::string& name,
                    const std::function<std::string(int attempt)>& tempName, int attempts,
                    const std::string& text, mode_t mode, AtomicStep* failed) {
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < attempts && fd < 0; ++attempt) {
    temp = tempName(attempt);
    fd = openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    *failed = kCreateTemporary;
    return errno != 0 ? errno : EEXIST;
  }
  int err = 0;
  if (!orv_temp::writeAll(fd, text)) {
    err = errno != 0 ? errno : EIO;
    *failed = kWriteTemporary;
  } else if (fchmod(fd, mode) != 0) {
    err = errno;
    *failed = kModeTemporary;
  } else if (fsync(fd) != 0) {
    err = errno;
    *failed = kSyncTemporary;
  }
  if (close(fd) != 0 && err == 0) {
    err = errno;
    *failed = kCloseTemporary;
  }
  if (err == 0 && renameat(dirFd, temp.c_str(), dirFd, name.c_str()) != 0) {
    err = errno;
    *failed = kRenameTemporary;
  }
  if (err != 0) unlinkat(dirFd, temp.c_str(), 0);
  return err;
}

}  // namespace orv_files
