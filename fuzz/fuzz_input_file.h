// A fuzz input as a file: the product's parsers read the arrays' output
// from files, so each input is written to a private temporary file first.

#ifndef FUZZ_FUZZ_INPUT_FILE_H_
#define FUZZ_FUZZ_INPUT_FILE_H_

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInputFile {
 public:
  FuzzInputFile(const uint8_t* data, size_t size) {
    char name[] = "/tmp/orvfuzzXXXXXX";
    int fd = mkstemp(name);
    if (fd < 0) return;
    path_ = name;
    size_t done = 0;
    while (done < size) {
      ssize_t n = write(fd, data + done, size - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    close(fd);
  }
  ~FuzzInputFile() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  bool ok() const { return !path_.empty(); }
  const char* path() const { return path_.c_str(); }

 private:
  std::string path_;
};

#endif  // FUZZ_FUZZ_INPUT_FILE_H_
