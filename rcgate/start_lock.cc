#include "rcgate/start_lock.h"

#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace orv_start_lock {

namespace {

std::string lockDir() { return std::string(kLockParent) + "/" + kLockDirName; }

// A directory of this user (root) that nobody else may write.
bool safeDirectory(int fd, const std::string& shown, std::string& why) {
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
    why = "[" + shown + "] is not a directory";
    return false;
  }
  if (st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    why = "[" + shown + "] may be written by users other than root";
    return false;
  }
  return true;
}

// The pid written by the holder; it writes it right after taking the lock,
// so an empty file is read again a few times.
long readHolder(int fd) {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    char text[32] = {0};
    const ssize_t n = pread(fd, text, sizeof(text) - 1, 0);
    long pid = 0;
    for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9' && pid < 100000000; ++i)
      pid = pid * 10 + (text[i] - '0');
    if (pid > 0) return pid;
    sched_yield();
  }
  return 0;
}

}  // namespace

Result take(const std::string& package, long& holder, std::string& why) {
  holder = 0;
  if (mkdir(kLockParent, 0755) != 0 && errno != EEXIST) {
    why = "cannot create [" + std::string(kLockParent) + "]: " + std::strerror(errno);
    return kFailed;
  }
  const int parent = open(kLockParent, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) {
    why = "cannot open [" + std::string(kLockParent) + "]: " + std::strerror(errno);
    return kFailed;
  }
  if (mkdirat(parent, kLockDirName, 0700) != 0 && errno != EEXIST) {
    why = "cannot create [" + lockDir() + "]: " + std::strerror(errno);
    close(parent);
    return kFailed;
  }
  const int dir = openat(parent, kLockDirName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  const int openError = errno;
  close(parent);
  if (dir < 0) {
    why = openError == ELOOP || openError == ENOTDIR
              ? "[" + lockDir() + "] is not a directory (a link or another file is in its place)"
              : "cannot open [" + lockDir() + "]: " + std::strerror(openError);
    return kFailed;
  }
  if (!safeDirectory(dir, lockDir(), why)) {
    close(dir);
    return kFailed;
  }
  const std::string name = package + ".lock";
  const int fd =
      openat(dir, name.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  const int fileError = errno;
  close(dir);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = fd < 0 ? "cannot open [" + lockDir() + "/" + name + "]: " + std::strerror(fileError)
                 : "[" + lockDir() + "/" + name + "] is not a regular file";
    if (fd >= 0) close(fd);
    return kFailed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    if (err == EWOULDBLOCK) {
      holder = readHolder(fd);
      close(fd);
      return kBusy;
    }
    close(fd);
    why = "cannot lock [" + lockDir() + "/" + name + "]: " + std::strerror(err);
    return kFailed;
  }
  // Kept open, and so locked, until the process ends.
  const std::string pid = std::to_string(static_cast<long>(getpid())) + "\n";
  // Written over the last holder's number, then cut to it: shortening a
  // file costs the file system far more than writing a few bytes.
  struct stat now;
  const bool written = pwrite(fd, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
  if (!written || fstat(fd, &now) != 0 ||
      (now.st_size > static_cast<off_t>(pid.size()) &&
       ftruncate(fd, static_cast<off_t>(pid.size())) != 0)) {
    // The lock holds all the same; only the refusal's pid would be missing.
  }
  return kHeld;
}

}  // namespace orv_start_lock
