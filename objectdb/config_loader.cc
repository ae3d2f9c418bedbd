// Loading of the package configuration into value sets of the context "ORV".

#include <sys/wait.h>

#include <memory>
#include <string>

#include "foundation/child_process.h"
#include "foundation/safe_word.h"
#include "foundation/util.h"
#include "objectdb/config_commands.h"
#include "objectdb/config_line.h"
#include "objectdb/orv_object_db.h"

namespace {

const char kContext[] = "ORV";
const char kNoPackageDetails[] = "Could not retrieve the package name details.";

}  // namespace

int OrvObjectDb::loadUserConfig(OrvString packageName) {
  // The name goes into shell command lines; refuse anything the shell would
  // not take literally before a command is built.
  if (!OrvSafeWord::isPackageName(packageName.getValue())) {
    log_->log("Error: Invalid package name [%s]; the package configuration is not loaded.",
              packageName.getValue());
    return 0;
  }

  OrvString command = OrvConfigCommands::packageDirCommand(packageName);
  log_->logDebug("The command to be executed is [%s]", command.getValue());
  OrvString packageDir;
  int rc = 0;
  if (!OrvConfigCommands::run(command, packageDir, &rc)) {
    log_->log("%s", kNoPackageDetails);
    return 0;
  }
  packageDir = orv_child::firstLine(packageDir.getValue()).c_str();
  log_->logDebug("The package dir for package [%s] is [%s]", packageName.getValue(),
                 packageDir.getValue());
  // Without a directory the data file would land at the file-system root.
  if (packageDir.getLength() == 0) {
    log_->log("%s", kNoPackageDetails);
    return 0;
  }
  // The directory becomes a value of the configuration and a path of the
  // temporary files.
  if (!OrvSafeWord::isArrayWord(packageDir.getValue())) {
    log_->log("Error: Invalid package directory [%s] for package [%s].", packageDir.getValue(),
              packageName.getValue());
    return 0;
  }

  // The extract is read straight from the pipe: no file of the package
  // directory is written, read or removed, whatever stands at any name there.
  command = OrvConfigCommands::attributeCommand(packageName);
  log_->logDebug("The command to be executed is [%s]", command.getValue());
  OrvString extract;
  if (!runAttributeCommand(command, extract)) {
    log_->log("Could not retrieve the package %s attributes.", packageName.getValue());
    return 0;
  }
  return loadConfigText(packageDir, extract);
}

int OrvObjectDb::runAttributeCommand(OrvString& command, OrvString& extract) {
  const char* word = command.strTok(" ", 1);
  std::string program = word != nullptr ? word : "";
  if (!OrvUtil::checkExecutable(program.c_str())) {
    log_->log("Error: File [%s] not found or does not have execute permissions.",
              program.c_str());
    return 0;
  }
  int status = 0;
  if (!OrvConfigCommands::run(command, extract, &status)) return 0;
  int code = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  log_->logDebug("runShCmdRcOnly command=%s, *rc=%d", command.getValue(), code);
  if (code != 0) {
    if (code != -1)
      log_->log("Execution of command \"%s\" failed with return value %d", command.getValue(),
                code);
    return 0;
  }
  return 1;
}

int OrvObjectDb::loadConfigText(const OrvString& packageDir, const OrvString& extract) {
  if (packageDir.getLength() == 0) {
    log_->log("%s", kNoPackageDetails);
    return 0;
  }
  OrvObject* obj = nullptr;
  if (!getObjectByName("PackageName", obj, 1)) return 0;
  OrvStrVal contextValue(kContext);
  obj->addToValueSetList(kContext, &contextValue);
  if (!getObjectByName("VKR_PKG_DIR", obj, 1)) return 0;
  OrvStrVal dirValue(packageDir);
  obj->addToValueSetList(kContext, &dirValue);

  const std::string text(extract.getValue());
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    size_t next = end == std::string::npos ? text.size() : end + 1;
    OrvString line(text.substr(at, next - at).c_str());
    at = next;
    OrvString name;
    OrvString rest;
    if (!OrvConfigLine::split(line, name, rest)) continue;
    if (!getObjectByName(name, obj, 1)) return 0;
    std::unique_ptr<OrvType> value = OrvConfigLine::value(obj->getType(), name, rest);
    if (value) obj->addToValueSetList(kContext, value.get());
  }
  return 1;
}
