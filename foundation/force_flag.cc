#include "foundation/force_flag.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv_force {

Outcome inspect(const std::string& packageDir, bool consume) {
  Outcome out;
  if (packageDir.empty()) return out;
  out.path = packageDir + (packageDir.back() == '/' ? "" : "/") + kFileName;
  const int dirFd = open(packageDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return out;
  // O_PATH with O_NOFOLLOW opens a link itself, so fstat shows what is there.
  const int fd = openat(dirFd, kFileName, O_PATH | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    out.state = errno == ENOENT ? kAbsent : kIgnored;
    close(dirFd);
    return out;
  }
  struct stat st;
  const bool counts = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == 0;
  close(fd);
  out.state = counts ? kCounts : kIgnored;
  if (counts && consume) {
    // Only the file checked goes: a name swapped meanwhile stays.
    struct stat now;
    if (fstatat(dirFd, kFileName, &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == st.st_dev &&
        now.st_ino == st.st_ino)
      out.consumed = unlinkat(dirFd, kFileName, 0) == 0;
  }
  close(dirFd);
  return out;
}

std::string ignoredWarning(const std::string& path) {
  return "Warning: FORCEFLAG [" + path + "] is ignored: it is not a regular file owned by root.";
}

}  // namespace orv_force
