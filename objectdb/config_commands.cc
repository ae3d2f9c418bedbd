#include "objectdb/config_commands.h"

const char* const OrvConfigCommands::kPackageEnvProgram = "/usr/local/tarvos/bin/tvgetpkgenv";

namespace {

const char kAttributeFilter[] =
    " | grep -e ^RCVEXA -e ^VKR | grep -v CLUSTER_TYPE | sed 's/^RCVEXA_//' | grep -v VKR_PKG_DIR"
    " | sed 's/=/ /' | sed 's/\"//g' |"
    " sed 's/NO_TIMEOUT/-1/' | sed 's/no_timeout/-1/'";

}  // namespace

// The attribute value is only ever taken as text: it comes from the
// configuration, so it is never evaluated by the shell (no eval, the
// variable quoted when printed).  Surrounding double quotes are stripped, as
// the cluster manager may print the value quoted.
OrvString OrvConfigCommands::packageDirCommand(const OrvString& packageName) {
  OrvString command(". /etc/tarvos.conf; val1=`");
  command += OrvString(kPackageEnvProgram);
  command += OrvString(" ") + packageName;
  command += OrvString(" | grep VKR_PKG_DIR  | cut -d '=' -f 2 | tr -d '\"'`;echo \"$val1\"");
  return command;
}

OrvString OrvConfigCommands::attributeCommand(const OrvString& packageName) {
  OrvString command(kPackageEnvProgram);
  command += OrvString(" ") + packageName;
  command += OrvString(kAttributeFilter);
  return command;
}

const char* OrvConfigCommands::attributeFilter() { return kAttributeFilter; }
