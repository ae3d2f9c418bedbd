// Entries of the monitor's diagnostic report: what failed, on which side,
// and what the operator can do about it.  Each builder returns the whole
// entry text ('' when the entry is not written); every item ends with a
// line feed unless stated.

#ifndef CONTROLLER_MONITOR_NOTES_H_
#define CONTROLLER_MONITOR_NOTES_H_

#include "foundation/orv_string.h"

// The side an entry is about.
struct OrvMonitorSide {
  const char* word = "local";  // "local" or "remote"
  OrvString group;
  OrvString array;
};

namespace orv_monitor {

// An array command failed; output is its captured text ('' writes nothing).
// The explanation names the group query (isGroup 1) or the link query
// (isLink 1) and ends by the first of these found in the output:
// "unreachable", "Could not open connection", "many CLI", "Badly formatted";
// with none of them it stays unfinished, without a line feed.
OrvString commandFailedEntry(int number, const OrvString& output, const OrvMonitorSide& side,
                             int isGroup, int isLink);

// A command's output did not parse ('' output writes nothing).
OrvString unparsedEntry(int number, const OrvString& output, const OrvMonitorSide& side,
                        int isGroup, int isLink);

// The two sides' group states could not be written together.
OrvString unconsolidatedEntry(int number, const OrvString& localGroup,
                              const OrvString& localArray, const OrvString& remoteGroup,
                              const OrvString& remoteArray);

}  // namespace orv_monitor

#endif  // CONTROLLER_MONITOR_NOTES_H_
