// The two cluster-manager command lines that read a package's replication
// attributes.  The package name is inserted as it is: callers pass only
// values already checked to be shell-literal.  With an attribute file
// (objectdb/attribute_source.h) the same filters read the file's lines on
// standard input instead of the tool's output; run() feeds them.

#ifndef OBJECTDB_CONFIG_COMMANDS_H_
#define OBJECTDB_CONFIG_COMMANDS_H_

#include "foundation/orv_string.h"

class OrvConfigCommands {
 public:
  // Program that prints a package's attributes, one NAME=VALUE per line.
  static const char* const kPackageEnvProgram;  // "/usr/local/tarvos/bin/tvgetpkgenv"

  // The first command of every attribute pipeline: "tvgetpkgenv PKG", or
  // "/bin/cat" reading the attribute file's lines.
  static OrvString packageEnvCommand(const OrvString& packageName);
  // What the attributes are read with, for messages: the program or the file.
  static OrvString sourceName();
  // Runs one of these command lines, with the attribute file's text on
  // standard input when there is one; as OrvUtil::runShCmdCapture.
  static int run(const OrvString& command, OrvString& output, int* status);

  // Prints the package directory (attribute VKR_PKG_DIR) on one line.
  static OrvString packageDirCommand(const OrvString& packageName);
  // Prints the replication attributes as "NAME VALUE" lines: RCVEXA_
  // prefix stripped, quotes removed, NO_TIMEOUT / no_timeout turned into
  // -1; CLUSTER_TYPE and VKR_PKG_DIR lines dropped.  The caller reads them
  // from the pipe; no file is written.
  static OrvString attributeCommand(const OrvString& packageName);
  // The filter part of attributeCommand: the text after the program call
  // (it begins with " | ").
  static const char* attributeFilter();
};

#endif  // OBJECTDB_CONFIG_COMMANDS_H_
