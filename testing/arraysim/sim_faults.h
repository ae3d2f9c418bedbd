// Injected faults: which of an array's faults apply to one call, and what
// the call then prints.  The fault kinds are listed in sim_model.h.
#ifndef ORV_TESTING_ARRAYSIM_SIM_FAULTS_H_
#define ORV_TESTING_ARRAYSIM_SIM_FAULTS_H_

#include <string>

#include "testing/arraysim/sim_invocation.h"
#include "testing/arraysim/sim_model.h"

namespace arraysim {

struct SimFaultEffect {
  double hangSeconds = 0;  // block this long before answering
  bool respond = false;    // answer with text/exitCode instead of running
  std::string out;         // standard output of such an answer
  std::string err;         // standard error of such an answer
  int exitCode = 0;
  bool groupMissing = false;
  bool linkDown = false;
  bool taskFails = false;
};

// The longest hang the simulator ever blocks, whatever a fault says.
constexpr double kMaxHangSeconds = 600;

// Counts this call against every matching fault of `array` (null: the
// array is unknown, which answers like an unreachable one) and returns
// the combined effect.  The first answering fault in list order wins.
SimFaultEffect applyFaults(SimArray* array, const SimInvocation& inv);

// The answer of an array that cannot be reached on this path.
SimFaultEffect unreachableEffect(const SimInvocation& inv);

}  // namespace arraysim

#endif  // ORV_TESTING_ARRAYSIM_SIM_FAULTS_H_
