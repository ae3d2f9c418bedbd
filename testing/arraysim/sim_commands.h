// The array commands: what each one prints and how it changes the pair.
//
// Semantics (a "half" is one array's group of a pair; the peer is the
// other half, named by peerArray/peerGroup; the pair is "linked" when both
// arrays see an Up link on the group's target):
//   stoprcopygroup [-f] -t T G     this half Stopped (volumes Stopped), the
//                                  peer too when linked
//   startrcopygroup -t T G         on a Primary/Primary-Rev half whose peer
//                                  is secondary, linked: both "Starting"
//                                  for settings.startingPolls listings,
//                                  then Started with their volumes Syncing
//                                  for settings.startPolls listings, then
//                                  Synced
//   setrcopygroup reverse [-stopgroups] [-waittask]
//                                  (stopped) roles swapped, Primary <->
//                                  Secondary and Primary-Rev <->
//                                  Secondary-Rev; the peer too when linked
//   setrcopygroup failover         a secondary half becomes Primary-Rev,
//                                  Stopped; the peer is untouched
//   setrcopygroup recover          Primary-Rev + Primary pair, linked: the
//                                  Primary becomes Secondary-Rev, both start
//   setrcopygroup restore [-t T]   Primary-Rev + Secondary-Rev pair, linked:
//                                  back to Secondary + Primary, both Started
//   setrcopygroup override         a Failsafe half becomes Stopped
//   syncrcopy -t T G               started primary half, linked: prints
//                                  "... task ID = N" and starts a task that
//                                  is "active" for settings.taskPolls
//                                  queries, then done (volumes Synced on
//                                  both halves) or failed; nothing to copy
//                                  (changes=no): no task line
//   -waittask                      the task runs to its end before the
//                                  command returns: "Started tasks: N",
//                                  then "Task N has completed." (exit 0) or
//                                  "Task N has failed." (exit 1, and the
//                                  pair is left as it was)
//   showrcopy [-d] [groups [G...]|links|targets] [-csvtable], showsys [-d],
//   showversion [-s], showtask [-d ID] [-csvtable]
// Every listing that shows a started group with Syncing volumes counts one
// poll of that pair.  Errors print "Error: ..." and exit 1, changing
// nothing.
#ifndef ORV_TESTING_ARRAYSIM_SIM_COMMANDS_H_
#define ORV_TESTING_ARRAYSIM_SIM_COMMANDS_H_

#include <string>
#include <vector>

#include "testing/arraysim/sim_faults.h"
#include "testing/arraysim/sim_model.h"

namespace arraysim {

struct SimOutput {
  std::string out;  // standard output
  std::string err;  // standard error
  int exitCode = 0;
};

// Runs one command on `arrayName` (which must exist in s), updating s.
SimOutput runCommand(SimScenario& s, const std::string& arrayName,
                     const std::vector<std::string>& words,
                     const SimFaultEffect& effect);

}  // namespace arraysim

#endif  // ORV_TESTING_ARRAYSIM_SIM_COMMANDS_H_
