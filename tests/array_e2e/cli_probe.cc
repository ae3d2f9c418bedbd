// cli_probe: sends array commands through OrvVexaUtil::JxVexaCliCmdExec,
// inside the sandbox, so a test can read what the simulator received.
//
//   cli_probe SYSTEM PASSWORDFILE GROUP TARGET [--wait] [--timeout=N] CALL...
//
// CALL is "long:N" or "short:N" (option N through the group or the
// array-wide overload) or "all" (options 0 to 20 through the long overload,
// then through the short one).  --wait makes long calls wait for the task
// they start; --timeout=N bounds every array command to N seconds.  Each call gets a fresh output file in /tmp, removed after;
// the probe prints "CALL <long|short> <N> <result> <exit status>".
// Exit status 0 when every CALL was understood, 64 otherwise.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "array/orv_vexa_util.h"
#include "foundation/logger.h"
#include "foundation/util.h"

namespace {

struct Call {
  bool longForm;
  int option;
};

int parseCall(const char* arg, std::vector<Call>& calls) {
  if (strcmp(arg, "all") == 0) {
    for (int form = 1; form >= 0; --form)
      for (int n = 0; n <= 20; ++n) calls.push_back({form == 1, n});
    return 1;
  }
  bool longForm = strncmp(arg, "long:", 5) == 0;
  if (!longForm && strncmp(arg, "short:", 6) != 0) return 0;
  const char* num = arg + (longForm ? 5 : 6);
  char* end = nullptr;
  long n = strtol(num, &end, 10);
  if (*num == '\0' || *end != '\0' || n < -1 || n > 99) return 0;
  calls.push_back({longForm, static_cast<int>(n)});
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 6) {
    fprintf(stderr, "usage: cli_probe SYSTEM PASSWORDFILE GROUP TARGET [--wait] CALL...\n");
    return 64;
  }
  OrvString system(argv[1]), pwf(argv[2]), group(argv[3]), target(argv[4]);
  int wait = 0;
  std::vector<Call> calls;
  for (int i = 5; i < argc; ++i) {
    if (strcmp(argv[i], "--wait") == 0) {
      wait = 1;
    } else if (strncmp(argv[i], "--timeout=", 10) == 0) {
      OrvVexaUtil::setCommandTimeout(atoi(argv[i] + 10));
    } else if (!parseCall(argv[i], calls)) {
      fprintf(stderr, "cli_probe: bad call [%s]\n", argv[i]);
      return 64;
    }
  }
  Logger::createInstance();
  for (const Call& c : calls) {
    OrvString out;
    if (!OrvUtil::createTempFile("/tmp", "orvcli", out)) {
      printf("PROBE no output file\n");
      return 64;
    }
    int status = -7;
    auto option = static_cast<e_CLI_CMD_OPTION>(c.option);
    int result = c.longForm ? OrvVexaUtil::JxVexaCliCmdExec(option, system, pwf, group, target,
                                                            out, &status, wait)
                            : OrvVexaUtil::JxVexaCliCmdExec(option, system, pwf, out, &status);
    // Logger lines and probe lines share stdout; keep them in order.
    fflush(stdout);
    printf("CALL %s %d %d %d\n", c.longForm ? "long" : "short", c.option, result, status);
    fflush(stdout);
    unlink(out.getValue());
  }
  return 0;
}
