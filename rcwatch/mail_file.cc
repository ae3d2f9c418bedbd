#include "rcwatch/mail_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orv_mail {

FILE* openMailFile(const char* path) {
  // No O_TRUNC here: a planted file must survive its refusal untouched.
  int fd = open(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                0600);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    int saved = errno;
    close(fd);
    errno = saved;
    return nullptr;
  }
  if (!S_ISREG(st.st_mode) || st.st_uid != geteuid() || st.st_nlink != 1) {
    close(fd);
    errno = EPERM;
    return nullptr;
  }
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (ftruncate(fd, 0) != 0) {
    int saved = errno;
    close(fd);
    errno = saved;
    return nullptr;
  }
  FILE* stream = fdopen(fd, "w");
  if (stream == nullptr) {
    int saved = errno;
    close(fd);
    errno = saved;
  }
  return stream;
}

std::string mailText(const std::string& address, const std::string& hostName,
                     const std::string& packageName, const std::string& body) {
  std::string text = "To: " + address + "\n";
  text += "From: root@" + hostName + "\n";
  text += "Subject: ";
  text += kSubjectText;
  text += " " + packageName + " package\n";
  text += body;
  return text;
}

}  // namespace orv_mail
