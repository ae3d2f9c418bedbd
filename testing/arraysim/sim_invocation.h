// How the simulator was called: as the array CLI client
//   cli -sys NAME [-sockssl] -pwf FILE COMMAND...
// or as ssh
//   ssh -l USER [-o OPTION]... NAME COMMAND...
// chosen by the base name of argv[0] ("ssh" means ssh, anything else the
// CLI client, so the built "arraysim" binary acts as the client).
#ifndef ORV_TESTING_ARRAYSIM_SIM_INVOCATION_H_
#define ORV_TESTING_ARRAYSIM_SIM_INVOCATION_H_

#include <string>
#include <vector>

namespace arraysim {

struct SimInvocation {
  std::string path;        // "cli" or "ssh"
  std::string array;       // system name / host
  std::string credential;  // password file (cli) or user (ssh)
  std::vector<std::string> words;  // the array command, one word each
  std::string error;       // non-empty: the call itself is malformed
};

SimInvocation parseInvocation(int argc, const char* const* argv);

// The command words joined by single blanks.
std::string joinWords(const std::vector<std::string>& words);

}  // namespace arraysim

#endif  // ORV_TESTING_ARRAYSIM_SIM_INVOCATION_H_
