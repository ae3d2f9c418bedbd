// Helpers shared by the object database tests.

#ifndef TESTS_OBJECTDB_TEST_SUPPORT_H_
#define TESTS_OBJECTDB_TEST_SUPPORT_H_

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "foundation/logger.h"

// Runs fn and returns what the logger wrote to standard output meanwhile.
inline std::string capturedLog(const std::function<void()>& fn) {
  Logger::getInstance();  // created outside the capture, as in the programs
  testing::internal::CaptureStdout();
  fn();
  return testing::internal::GetCapturedStdout();
}

// A fresh directory under the system's temporary directory, removed with
// everything in it at the end of the test.
class TempDir {
 public:
  TempDir() {
    const char* base = getenv("TMPDIR");
    std::string tmpl = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                       "/objectdb_test_XXXXXX";
    if (mkdtemp(&tmpl[0]) != nullptr) path_ = tmpl;
  }
  ~TempDir() {
    if (!path_.empty()) {
      std::string cmd = "rm -rf '" + path_ + "'";
      if (system(cmd.c_str()) != 0) {
        // Nothing sensible to do in a destructor.
      }
    }
  }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  void write(const std::string& name, const std::string& content) const {
    std::ofstream(file(name), std::ios::binary) << content;
  }
  bool exists(const std::string& name) const {
    struct stat st;
    return stat(file(name).c_str(), &st) == 0;
  }
  // Entry names, "." and ".." left out.
  std::vector<std::string> list() const {
    std::vector<std::string> names;
    DIR* d = opendir(path_.c_str());
    if (d == nullptr) return names;
    while (struct dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    closedir(d);
    return names;
  }

 private:
  std::string path_;
};

#endif  // TESTS_OBJECTDB_TEST_SUPPORT_H_
