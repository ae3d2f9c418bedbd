// The two cluster-manager command lines that read a package's replication
// attributes.  The package name is inserted as it is: callers pass only
// values already checked to be shell-literal.

#ifndef OBJECTDB_CONFIG_COMMANDS_H_
#define OBJECTDB_CONFIG_COMMANDS_H_

#include "foundation/orv_string.h"

class OrvConfigCommands {
 public:
  // Program that prints a package's attributes, one NAME=VALUE per line.
  static const char* const kPackageEnvProgram;  // "/usr/local/tarvos/bin/tvgetpkgenv"

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
