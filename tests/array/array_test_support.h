// Helpers of the array tests: data files, scratch files and captured log
// output.

#ifndef TESTS_ARRAY_ARRAY_TEST_SUPPORT_H_
#define TESTS_ARRAY_ARRAY_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "foundation/orv_string.h"

namespace array_test {

inline std::string dataFile(const std::string& name) {
  return std::string(ORV_SOURCE_DIR) + "/tests/data/array/" + name;
}

inline std::string simFile(const std::string& name) {
  return std::string(ORV_SOURCE_DIR) + "/tests/data/arraysim/" + name;
}

inline bool exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

inline std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A scratch file holding the given bytes, removed at the end of the scope.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& content = "") {
    char tmpl[] = "/tmp/orv_array_testXXXXXX";
    int fd = mkstemp(tmpl);
    path_ = tmpl;
    if (fd >= 0) {
      if (!content.empty() && write(fd, content.data(), content.size()) < 0) path_.clear();
      close(fd);
    }
  }
  ~ScratchFile() { unlink(path_.c_str()); }
  const std::string& path() const { return path_; }
  OrvString orv() const { return OrvString(path_.c_str()); }

 private:
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  std::string path_;
};

// Everything the logger writes to standard output while it lives.
class LogCapture {
 public:
  LogCapture() { testing::internal::CaptureStdout(); }
  ~LogCapture() {
    if (!taken_) testing::internal::GetCapturedStdout();
  }
  std::string text() {
    if (!taken_) {
      text_ = testing::internal::GetCapturedStdout();
      taken_ = true;
    }
    return text_;
  }

 private:
  bool taken_ = false;
  std::string text_;
};

}  // namespace array_test

#endif  // TESTS_ARRAY_ARRAY_TEST_SUPPORT_H_
