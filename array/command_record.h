// OrvCommandRecord: a process-wide note of the array commands a run sent,
// for rcgate's decision record.
//
// Off until enable(1): rcwatch runs for months and must not collect.  The
// runner of array commands opens one Scope per command; when the scope ends
// it notes the command line (as built, before the output redirection), its
// exit status and how long it ran.  Array and access path are read back from
// the line's access prefix (see OrvVexaUtil::accessPrefix).

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

  // Held across one run of a command.  exitStatus may be the caller's own
  // variable: a command that never started leaves it as it was, and is
  // noted with -1.
  class Scope {
   public:
    Scope(const OrvString& command, int* exitStatus);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    std::string command_;
    int* exitStatus_;
    int callerStatus_;
    long startMs_;
  };

  static void enable(int on);
  static int enabled();
  static const std::vector<Entry>& entries();
  static void clear();

  // Array and path of a command line built from an access prefix.
  static void describe(const std::string& command, std::string& array, std::string& path);
};

#endif  // ARRAY_COMMAND_RECORD_H_
