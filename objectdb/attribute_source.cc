#include "objectdb/attribute_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "foundation/safe_word.h"

namespace orv_attributes {

namespace {

const size_t kMaxText = 1 << 20;

struct Source {
  bool fromFile = false;
  std::string file;
  std::string text;
  std::string node;
};

Source& source() {
  static Source s;
  return s;
}

std::string errorText(int error) { return std::strerror(error); }

std::string fileError(const std::string& path, const std::string& what) {
  return "Error: Attribute file [" + path + "] " + what;
}

// The directory part and the last component of path.
void splitPath(const std::string& path, std::string& dir, std::string& base) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    dir = ".";
    base = path;
  } else {
    dir = slash == 0 ? "/" : path.substr(0, slash);
    base = path.substr(slash + 1);
  }
}

int openChecked(const std::string& path, int& fd, std::string& why) {
  std::string dir;
  std::string base;
  splitPath(path, dir, base);
  if (base.empty() || base == "." || base == "..") {
    why = fileError(path, "does not name a file.");
    return 0;
  }
  const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) {
    why = fileError(path, "cannot be opened: " + errorText(errno) + ".");
    return 0;
  }
  struct stat st;
  if (fstat(dirFd, &st) != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    close(dirFd);
    why = fileError(path, "lies in directory [" + dir +
                              "], which group or others may write; put it in a directory "
                              "only its owner writes.");
    return 0;
  }
  // Non-blocking so that a pipe without a writer does not hold the open.
  fd = openat(dirFd, base.c_str(), O_RDONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  const int openError = errno;
  close(dirFd);
  if (fd < 0) {
    why = openError == ELOOP ? fileError(path, "is a symbolic link; give the file itself.")
                             : fileError(path, "cannot be opened: " + errorText(openError) + ".");
    return 0;
  }
  const char* refusal = nullptr;
  if (fstat(fd, &st) != 0) {
    refusal = "cannot be examined.";
  } else if (!S_ISREG(st.st_mode) && !S_ISFIFO(st.st_mode)) {
    refusal = "is neither a regular file nor a pipe.";
  } else if (st.st_uid != 0 && st.st_uid != geteuid()) {
    refusal = "is not owned by root.";
  } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    refusal = "is writable by group or others; chmod go-w it.";
  } else if (S_ISREG(st.st_mode) && st.st_nlink != 1) {
    refusal = "has more than one name (a hard link); give a file of its own.";
  }
  if (refusal == nullptr && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    refusal = "cannot be read.";
  if (refusal != nullptr) {
    close(fd);
    why = fileError(path, refusal);
    return 0;
  }
  return 1;
}

int readAll(int fd, const std::string& path, std::string& text, std::string& why) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n == 0) return 1;
    if (n < 0) {
      if (errno == EINTR) continue;
      why = fileError(path, "could not be read: " + errorText(errno) + ".");
      return 0;
    }
    if (text.size() + static_cast<size_t>(n) > kMaxText) {
      why = fileError(path, "holds more than 1 MiB.");
      return 0;
    }
    text.append(buffer, static_cast<size_t>(n));
  }
}

}  // namespace

int useFile(const std::string& path, std::string& why) {
  if (path.empty()) {
    why = "Error: Option [--attributes] needs a file name ('-' for standard input).";
    return 0;
  }
  std::string text;
  if (path == "-") {
    if (!readAll(0, path, text, why)) return 0;
  } else {
    int fd = -1;
    if (!openChecked(path, fd, why)) return 0;
    const int ok = readAll(fd, path, text, why);
    close(fd);
    if (!ok) return 0;
  }
  Source& s = source();
  s.fromFile = true;
  s.file = path;
  s.text = text;
  return 1;
}

int useNodeName(const std::string& name, std::string& why) {
  if (!OrvSafeWord::isPackageName(name.c_str())) {
    why = "Error: Node name [" + name + "] is not a host name (letters, digits, . _ - only).";
    return 0;
  }
  // Node lists hold short names, as /bin/hostname's output is cut.
  source().node = name.substr(0, name.find('.'));
  return 1;
}

int takeOptions(int& argc, char** argv, std::string& why) {
  bool sawFile = false;
  bool sawNode = false;
  int at = 1;
  while (at < argc) {
    const std::string option = argv[at];
    const bool isFile = option == "--attributes";
    if (!isFile && option != "--node") break;
    bool& seen = isFile ? sawFile : sawNode;
    if (seen) {
      why = "Error: Option [" + option + "] is given twice.";
      return 0;
    }
    seen = true;
    if (at + 1 >= argc) {
      why = isFile ? "Error: Option [--attributes] needs a file name ('-' for standard input)."
                   : "Error: Option [--node] needs a node name.";
      return 0;
    }
    const std::string value = argv[at + 1];
    if (!(isFile ? useFile(value, why) : useNodeName(value, why))) return 0;
    at += 2;
  }
  const int taken = at - 1;
  for (int i = at; i <= argc; ++i) argv[i - taken] = argv[i];  // argv[argc] is null
  argc -= taken;
  return 1;
}

void reset() { source() = Source(); }

bool fromFile() { return source().fromFile; }
const std::string& fileName() { return source().file; }
const std::string& text() { return source().text; }
const std::string& nodeName() { return source().node; }

}  // namespace orv_attributes
