#include "objectdb/config_commands.h"

#include "foundation/child_process.h"
#include "objectdb/attribute_source.h"

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
OrvString OrvConfigCommands::packageEnvCommand(const OrvString& packageName) {
  if (orv_attributes::fromFile()) return OrvString("/bin/cat");
  return OrvString(kPackageEnvProgram) + " " + packageName;
}

OrvString OrvConfigCommands::sourceName() {
  if (orv_attributes::fromFile()) return OrvString(orv_attributes::fileName().c_str());
  return OrvString(kPackageEnvProgram);
}

int OrvConfigCommands::run(const OrvString& command, OrvString& output, int* status) {
  orv_child::Spec spec;
  spec.command = command.getValue();
  spec.capture = true;
  if (orv_attributes::fromFile()) spec.input = &orv_attributes::text();
  orv_child::Result r;
  const int started = orv_child::run(spec, &r);
  if (status != nullptr) *status = started ? r.rawStatus : -1;
  output = r.output.c_str();
  return started;
}

OrvString OrvConfigCommands::packageDirCommand(const OrvString& packageName) {
  // The cluster manager's settings matter only to its own tool.
  OrvString command(orv_attributes::fromFile() ? "val1=`" : ". /etc/tarvos.conf; val1=`");
  command += packageEnvCommand(packageName);
  command += OrvString(" | grep VKR_PKG_DIR  | cut -d '=' -f 2 | tr -d '\"'`;echo \"$val1\"");
  return command;
}

OrvString OrvConfigCommands::attributeCommand(const OrvString& packageName) {
  OrvString command = packageEnvCommand(packageName);
  command += OrvString(kAttributeFilter);
  return command;
}

const char* OrvConfigCommands::attributeFilter() { return kAttributeFilter; }
