// Checks shared by the fault-matrix and hostile-input end-to-end tests:
// what a run left on disk, whether an injected command ran, how long the
// run waited in virtual time.
#ifndef ORV_TESTS_E2E_FAULT_SUPPORT_H_
#define ORV_TESTS_E2E_FAULT_SUPPORT_H_

#include <map>
#include <string>
#include <vector>

#include "testing/sandbox/sandbox.h"

namespace orv_fault {

// Every file, directory and link below the sandbox's writable roots, keyed
// by sandbox path, with size and modification time so that a rewritten file
// shows up as changed.
typedef std::map<std::string, std::string> TreeSnapshot;
TreeSnapshot snapshot(const orv_sandbox::Sandbox& sb);

// Sandbox paths that are new or changed in `after`, leaving out those below
// any of the allowed prefixes.
std::vector<std::string> changedOutside(const TreeSnapshot& before, const TreeSnapshot& after,
                                        const std::vector<std::string>& allowedPrefixes);

// Host paths of files with the base name `name` anywhere below `hostDir`.
std::vector<std::string> findByName(const std::string& hostDir, const std::string& name);

// Entries of the package directory other than the start-replication marker,
// which a takeover may leave on purpose, and the decision records; anything
// else in the records' directory (a temporary record) is named as
// "decisions/NAME".
std::vector<std::string> leftovers(const orv_sandbox::Sandbox& sb, const std::string& packageDir);

// Total virtual seconds slept, and whether the shim ended the process, read
// from the shim's log (one line per sleep request).
struct SleepLog {
  double seconds = 0;
  int sleeps = 0;
  bool endedByShim = false;
};
SleepLog readSleepLog(const orv_sandbox::Sandbox& sb, const std::string& path);

// True when some message starts with text.
bool hasMessageStarting(const std::vector<std::string>& msgs, const std::string& text);
// True when some message contains text.
bool hasMessageContaining(const std::vector<std::string>& msgs, const std::string& text);

// Joins lines for failure messages.
std::string join(const std::vector<std::string>& lines, const char* sep = "\n");

}  // namespace orv_fault

#endif  // ORV_TESTS_E2E_FAULT_SUPPORT_H_
