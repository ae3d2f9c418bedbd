// Text pieces of the configuration and status report.

#ifndef CONTROLLER_REPORT_TEXT_H_
#define CONTROLLER_REPORT_TEXT_H_

#include <string>

#include "foundation/orv_string.h"

namespace orv_report {

// Appends "\t" + label + value + "\n" to text when value is non-empty.
void addLine(OrvString& text, const char* label, const OrvString& value);

// The failsafe mode as reported: "no_fail_wrt_on_err" (exactly) carries a
// note that newer array software ignores it.
OrvString failsafeText(const OrvString& failsafeMode);

// RESYNC_WAIT_TIMEOUT as reported: "no_timeout" for -1, else the number.
OrvString resyncTimeoutText(int minutes);

// Why a listing failed, as the array or its client said it:
// "Array [NAME] (site X) answered: FIRST ERROR LINE", "... did not answer
// within N s" (exitStatus -1 with a bound of N > 0) or "... could not be
// reached (exit N)" (no output, ssh's own exit 255, or the client's failed
// connection).  Control characters show as '?'.
std::string arrayReasonLine(const std::string& array, char site, const std::string& output,
                            int exitStatus, int timeoutSeconds);

}  // namespace orv_report

#endif  // CONTROLLER_REPORT_TEXT_H_
