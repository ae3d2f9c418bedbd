// A small text format that prepares a sandbox, for the command-line runner
// and for tests that keep a scenario in a file.  One command per line;
// blank lines and lines starting with '#' are skipped:
//
//   node NAME                   node name (/bin/hostname, host name)
//   file PATH [MODE] <<TAG      the following lines up to a line that is
//   ...                         exactly TAG become the file (each line with
//   TAG                         its line feed); MODE is octal, default 0644
//   dir PATH [MODE]             a directory (default 0755)
//   copy HOSTPATH PATH [MODE]   a copy of a host file (default 0755)
//   rm PATH                     removes a file or tree
//   env NAME=VALUE              an environment entry for the run (the
//                               value runs to the end of the line)
//   bind HOSTPATH PATH [ro]     an extra bind mount
//   freshdir PATH               a fresh writable directory over PATH
//
// PATHs are sandbox paths (see Sandbox::hostPath).
#ifndef ORV_TESTING_SANDBOX_SETUP_SCRIPT_H_
#define ORV_TESTING_SANDBOX_SETUP_SCRIPT_H_

#include <string>
#include <vector>

#include "testing/sandbox/sandbox.h"

namespace orv_sandbox {

// Applies the script to sb; env receives the "env" entries.  On failure
// returns false with "line N: reason" in error; commands before the
// failing line have been applied.
bool applySetupScript(Sandbox& sb, const std::string& script,
                      std::vector<std::string>& env, std::string& error);

}  // namespace orv_sandbox

#endif  // ORV_TESTING_SANDBOX_SETUP_SCRIPT_H_
