#include "foundation/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "foundation/temp_files.h"

namespace {
const int kLineBufferSize = 1024;  // lines arrive in pieces of 1023 characters
}  // namespace

OrvFileIO::OrvFileIO(const char* name) : fileName_(name) {}

OrvFileIO::OrvFileIO(const OrvString& name) : fileName_(name) {}

OrvFileIO::~OrvFileIO() {}

OrvInFile::OrvInFile(const char* name, int mode) : OrvFileIO(name) {
  (void)mode;
  open();
}

OrvInFile::OrvInFile(const OrvString& name, int mode) : OrvFileIO(name) {
  (void)mode;
  open();
}

void OrvInFile::open() {
  int fd = orv_temp::descriptorOf(getFileName().getValue());
  if (fd >= 0) {
    if (!orv_temp::readAll(fd, kept_)) return;
    keptSize_ = static_cast<long>(kept_.size());
    // A memory stream of an empty buffer is not portable; an empty file
    // reads the same.
    stream_ = kept_.empty() ? fopen("/dev/null", "r") : fmemopen(&kept_[0], kept_.size(), "r");
  } else {
    stream_ = fopen(getFileName().getValue(), "r");
  }
  if (stream_ != nullptr) setGoodFlag();
}

OrvInFile::~OrvInFile() {
  if (stream_ != nullptr) fclose(stream_);
}

int OrvInFile::getNextLine(OrvString& line) {
  if (!isGood() || feof(stream_)) return 0;
  char buf[kLineBufferSize];
  memset(buf, 0, sizeof(buf));
  if (fgets(buf, sizeof(buf), stream_) == nullptr) buf[0] = '\0';
  line = static_cast<const char*>(buf);
  return ferror(stream_) ? 0 : 1;
}

int OrvInFile::fileRead(OrvString& content, int& size) {
  if (!isGood()) return 0;
  if (size == 0) {
    struct stat st;
    if (keptSize_ >= 0)
      size = static_cast<int>(keptSize_);
    else if (fstat(fileno(stream_), &st) == 0)
      size = static_cast<int>(st.st_size);
  }
  if (size < 0) size = 0;
  std::vector<char> buf(static_cast<size_t>(size) + 1, '\0');
  size_t got = fread(buf.data(), 1, static_cast<size_t>(size), stream_);
  buf[got] = '\0';
  content = static_cast<const char*>(buf.data());
  size = static_cast<int>(got);
  return ferror(stream_) ? 0 : 1;
}

bool OrvInFile::endOfFile() const { return !isGood() || feof(stream_); }

OrvOutFile::OrvOutFile(const char* name, int append, int reserved) : OrvFileIO(name) {
  (void)reserved;
  open(append);
}

OrvOutFile::OrvOutFile(const OrvString& name, int append, int reserved) : OrvFileIO(name) {
  (void)reserved;
  open(append);
}

void OrvOutFile::open(int append) {
  int flags = O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC);
  fd_ = ::open(getFileName().getValue(), flags, 0644);
  if (fd_ >= 0) setGoodFlag();
}

OrvOutFile::~OrvOutFile() {
  if (fd_ >= 0) close(fd_);
}

int OrvOutFile::fileWrite(const OrvString& text, int& written) {
  if (!isGood()) return 0;
  ssize_t n = write(fd_, text.getValue(), static_cast<size_t>(text.getLength()));
  written = static_cast<int>(n);
  return n >= 0 ? 1 : 0;
}
