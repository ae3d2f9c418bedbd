#include "foundation/temp_files.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>

namespace orv_temp {

namespace {

std::map<std::string, int>& files() {
  static std::map<std::string, int>* kept = new std::map<std::string, int>();
  return *kept;
}

}  // namespace

void keep(const std::string& path, int fd) {
  forget(path);
  files()[path] = fd;
}

int descriptorOf(const std::string& path) {
  auto it = files().find(path);
  return it == files().end() ? -1 : it->second;
}

bool reset(int fd) { return ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0; }

bool rewind(int fd) { return lseek(fd, 0, SEEK_SET) == 0; }

bool endHere(int fd) {
  const off_t at = lseek(fd, 0, SEEK_CUR);
  struct stat st;
  if (at < 0 || fstat(fd, &st) != 0) return false;
  return st.st_size <= at || ftruncate(fd, at) == 0;
}

bool readAll(int fd, std::string& content) {
  content.clear();
  char buf[8192];
  off_t at = 0;
  for (;;) {
    ssize_t n = pread(fd, buf, sizeof buf, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    content.append(buf, static_cast<size_t>(n));
    at += n;
  }
}

bool append(int fd, const std::string& text) {
  return lseek(fd, 0, SEEK_END) >= 0 && writeAll(fd, text);
}

bool writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool forget(const std::string& path) {
  auto it = files().find(path);
  if (it == files().end()) return false;
  close(it->second);
  files().erase(it);
  return true;
}

void removeAll() {
  for (const auto& entry : files()) {
    unlink(entry.first.c_str());
    close(entry.second);
  }
  files().clear();
}

}  // namespace orv_temp
