// Helpers shared by the foundation tests: a private temporary directory and
// a fresh logger with a chosen debug setting.

#ifndef TESTS_FOUNDATION_TEST_SUPPORT_H_
#define TESTS_FOUNDATION_TEST_SUPPORT_H_

#include <dirent.h>
#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "foundation/logger.h"

namespace orv_test {

// Number of entries in a directory ("." and ".." not counted); -1 when it
// cannot be opened.
inline int entriesIn(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return -1;
  int n = 0;
  while (struct dirent* e = readdir(d))
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++n;
  closedir(d);
  return n;
}

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/orv_fnd_test.XXXXXX";
    const char* made = mkdtemp(templ);
    path_ = made ? made : "";
  }
  ~TempDir() {
    if (!path_.empty())
      nftw(path_.c_str(), [](const char* p, const struct stat*, int, struct FTW*) { return remove(p); },
           16, FTW_DEPTH | FTW_PHYS);
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  std::string write(const std::string& name, const std::string& content) const {
    std::ofstream(file(name), std::ios::binary) << content;
    return file(name);
  }

 private:
  std::string path_;
};

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Drops every logger reference so the next getInstance() samples the
// environment again.
inline void dropLogger() {
  Logger* holder = nullptr;
  while (Logger::removeInstance(&holder)) {
  }
}

inline Logger* freshLogger(bool debug) {
  dropLogger();
  if (debug) {
    setenv("DATAREP_DEBUG", "", 1);
  } else {
    unsetenv("DATAREP_DEBUG");
  }
  return Logger::getInstance();
}

}  // namespace orv_test

#endif  // TESTS_FOUNDATION_TEST_SUPPORT_H_
