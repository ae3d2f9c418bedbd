// Where a run takes the package attributes from: the cluster manager's tool
// (the default), or NAME=VALUE lines handed over with "--attributes FILE"
// ("-": standard input), as a cluster engine's resource agent does.  The
// lines of either source pass the same filter and checks
// (objectdb/config_commands.h); only the first command of the pipeline
// differs.  "--node NAME" names this node for the site lookup instead of
// /bin/hostname (a cluster engine's node name need not be the host name).
//
// The file is read once, when the option is taken, and kept in memory: a
// pipe cannot be read twice, and later reads must not see another file at
// that name.  It is opened without following a link, through its directory,
// which group and others must not be able to write; it must be a regular
// file with one name or a pipe, owned by root (or by the user running the
// program), not writable by group or others, and at most 1 MiB.

#ifndef OBJECTDB_ATTRIBUTE_SOURCE_H_
#define OBJECTDB_ATTRIBUTE_SOURCE_H_

#include <string>

namespace orv_attributes {

// Takes the leading "--attributes FILE" and "--node NAME" options (in any
// order, each at most once) off argv; argv[0] stays, the rest moves up.
// 1 when every option taken was sound; 0 with why := the "Error: ..." text.
int takeOptions(int& argc, char** argv, std::string& why);

// Reads path ('-': standard input) as the attribute source; 0 with why.
int useFile(const std::string& path, std::string& why);
// The node name (cut at its first '.'); 0 with why when it is not a
// letters, digits, '.', '_', '-' word.
int useNodeName(const std::string& name, std::string& why);
// Back to the cluster manager and /bin/hostname.
void reset();

bool fromFile();
const std::string& fileName();  // as given; '' without a file
const std::string& text();      // the file's whole text
const std::string& nodeName();  // '' : ask /bin/hostname

}  // namespace orv_attributes

#endif  // OBJECTDB_ATTRIBUTE_SOURCE_H_
