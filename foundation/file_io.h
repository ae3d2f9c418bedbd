// File access wrappers: OrvFileIO (name and good flag), OrvInFile (text file
// read line by line or whole) and OrvOutFile (write by truncation or append).
// Results are int 1/0 and the good flag; nothing throws and nothing is logged
// here, callers write their own messages.

#ifndef FOUNDATION_FILE_IO_H_
#define FOUNDATION_FILE_IO_H_

#include <cstdio>
#include <string>

#include "foundation/orv_string.h"

class OrvFileIO {
 public:
  explicit OrvFileIO(const char* name);
  explicit OrvFileIO(const OrvString& name);
  virtual ~OrvFileIO();

  OrvString getFileName() const { return fileName_; }
  int isGood() const { return good_; }
  void setGoodFlag() { good_ = 1; }

 private:
  OrvString fileName_;
  int good_ = 0;
};

class OrvInFile : public OrvFileIO {
 public:
  // Opens name read-only; mode is accepted and has no effect.  A temporary
  // file of this process (foundation/temp_files.h) is read through its
  // kept descriptor instead: its name is not opened.
  OrvInFile(const char* name, int mode);
  OrvInFile(const OrvString& name, int mode);
  ~OrvInFile() override;

  // Next line, at most 1023 characters (a longer line comes in pieces), line
  // feed included when it fit.  Follows the stream's end-of-file rule: after
  // a final line feed one more call returns 1 with an empty line; then 0.
  // 0 without touching line when not good or the end was already seen.
  int getNextLine(OrvString& line);
  // Reads up to size bytes (size 0: the whole file) into content (as text,
  // up to the first NUL); size := bytes read.  0 when not good or on error.
  int fileRead(OrvString& content, int& size);
  // True when not good or a read has hit the end of file.
  bool endOfFile() const;

 private:
  OrvInFile(const OrvInFile&) = delete;
  OrvInFile& operator=(const OrvInFile&) = delete;
  void open();

  FILE* stream_ = nullptr;
  std::string kept_;     // content of a kept temporary file
  long keptSize_ = -1;   // its size; -1 for a file opened by name
};

class OrvOutFile : public OrvFileIO {
 public:
  // Opens write-only, creating with mode 0644; append != 0 writes at the end,
  // else truncates.  reserved has no effect.
  OrvOutFile(const char* name, int append, int reserved);
  OrvOutFile(const OrvString& name, int append, int reserved);
  ~OrvOutFile() override;

  // Writes the text in one write call; written := its result; 1 when >= 0.
  int fileWrite(const OrvString& text, int& written);

 private:
  OrvOutFile(const OrvOutFile&) = delete;
  OrvOutFile& operator=(const OrvOutFile&) = delete;
  void open(int append);

  int fd_ = -1;
};

#endif  // FOUNDATION_FILE_IO_H_
