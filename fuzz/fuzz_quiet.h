// The parsers log what they refuse; a fuzzer would drown in those lines.

#ifndef FUZZ_FUZZ_QUIET_H_
#define FUZZ_FUZZ_QUIET_H_

#include <fcntl.h>
#include <unistd.h>

inline void fuzzSilenceStdout() {
  static bool done = false;
  if (done || getenv("ORV_FUZZ_VERBOSE") != nullptr) return;
  done = true;
  int devnull = open("/dev/null", O_WRONLY);
  if (devnull >= 0) {
    dup2(devnull, STDOUT_FILENO);
    close(devnull);
  }
}

#endif  // FUZZ_FUZZ_QUIET_H_
