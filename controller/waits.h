// Arithmetic of the controller's timed waits, kept apart from the array
// work so that it can be checked on its own.
//
// All timed waits of one rcgate run share one clock: the controller's
// waitStartTime, set by the first wait.  Elapsed time is the difference of
// two readings of CLOCK_MONOTONIC (orv_guard::monotonicSeconds()) in whole
// seconds, so a step of the wall clock neither ends a wait early nor
// stretches it; the waits sleep with the plain sleep() between polls.

#ifndef CONTROLLER_WAITS_H_
#define CONTROLLER_WAITS_H_

#include <ctime>

#include "foundation/orv_string.h"

namespace orv_waits {

// Seconds between two polls of every polling wait.
constexpr unsigned kPollSeconds = 10;

// The link-down wait (seconds) of a failover whose setting is unusable or
// out of range: the catalogue's default of the setting.
int linkDownDefault();

// Starts the shared clock when it has not started yet (start == 0) and
// returns the whole seconds elapsed on it at `now`.  A clock that seems to
// run backwards counts as 0 elapsed.
long startAndElapsed(time_t& start, time_t now);

// Whole seconds from start to now (0 when now is before start).
long elapsedSeconds(time_t start, time_t now);

// Reads the text of the link-down time-out setting.  Returns 1 and value
// when the text (trimmed) is a plain non-negative number that fits an int;
// 0 when it is empty or not such a number.
int parseLinkDownTimeout(const OrvString& text, int& value);

// Applies the setting's accepted range, as the catalogue states it: values
// outside it become linkDownDefault().
int clampLinkDownTimeout(int value);

}  // namespace orv_waits

#endif  // CONTROLLER_WAITS_H_
