// OrvCommandRecord: a process-wide note of the array commands a run sent,
// for rcgate's decision record.
//
// Off until enable(1): rcwatch runs for months and must not collect.  The
// runner of array commands notes each command once, when it has ended or
// was refused (exit status -1 then); array and access path come from the
// runner, or are read back from the line's access prefix (see
// OrvVexaUtil::accessPrefix) when the runner was handed a whole line.

#ifndef ARRAY_COMMAND_RECORD_H_
#define ARRAY_COMMAND_RECORD_H_

#include <string>
#include <vector>

#include "foundation/orv_string.h"

class OrvCommandRecord {
 public:
  struct Entry {
    std::string array;    // '' when the line has no known access prefix
    std::string path;     // "cli", "ssh" or ''
    std::string command;  // the whole line
    int exitStatus = -1;  // -1: did not run or did not end normally
    long durationMs = 0;
  };

  // Keeps e when recording is on; an empty array is filled from the line.
  static void note(const Entry& e);

  static void enable(int on);
  static int enabled();
  static const std::vector<Entry>& entries();
  static void clear();

  // Array and path of a command line built from an access prefix.
  static void describe(const std::string& command, std::string& array, std::string& path);
};

#endif  // ARRAY_COMMAND_RECORD_H_
