#include "foundation/program_info.h"

#include <cstdio>
#include <cstring>

const char* orvProgramVersion() { return ORV_PROGRAM_VERSION; }

int orvInfoOption(int argc, char** argv, const char* program, const char* usage) {
  if (argc != 2) return 0;
  if (std::strcmp(argv[1], "--help") == 0) {
    std::fputs(usage, stdout);
  } else if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("%s %s\n", program, orvProgramVersion());
  } else {
    return 0;
  }
  std::fflush(stdout);
  return 1;
}
