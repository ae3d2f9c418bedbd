// The two cluster-manager command lines that read a package's replication
// attributes.  The package name and the data file path are inserted as they
// are: callers pass only values already checked to be shell-literal.

#ifndef OBJECTDB_CONFIG_COMMANDS_H_
#define OBJECTDB_CONFIG_COMMANDS_H_

#include "foundation/orv_string.h"

class OrvConfigCommands {
 public:
  // Program that prints a package's attributes, one NAME=VALUE per line.
  static const char* const kPackageEnvProgram;  // "/usr/local/tarvos/bin/tvgetpkgenv"

  // Prints the package directory (attribute VKR_PKG_DIR) on one line.
  static OrvString packageDirCommand(const OrvString& packageName);
  // Writes the replication attributes to dataFile as "NAME VALUE" lines:
  // RCVEXA_ prefix stripped, quotes removed, NO_TIMEOUT / no_timeout turned
  // into -1; CLUSTER_TYPE and VKR_PKG_DIR lines dropped.
  static OrvString attributeCommand(const OrvString& packageName, const OrvString& dataFile);
  // The filter part of attributeCommand: the text between the program call
  // and the output redirection (it begins with " | ").
  static const char* attributeFilter();
};

#endif  // OBJECTDB_CONFIG_COMMANDS_H_
