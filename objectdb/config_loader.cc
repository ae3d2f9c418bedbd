// Loading of the package configuration into value sets of the context "ORV".

#include <unistd.h>

#include <memory>

#include "foundation/file_io.h"
#include "foundation/safe_word.h"
#include "foundation/util.h"
#include "objectdb/config_commands.h"
#include "objectdb/config_line.h"
#include "objectdb/orv_object_db.h"

namespace {

const char kContext[] = "ORV";
const char kNoPackageDetails[] = "Could not retrieve the package name details.";

OrvString dataFileOf(const OrvString& packageDir) { return packageDir + "/config_data"; }

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
  if (!OrvUtil::runShCmdOutputOnly(command, packageDir, &rc)) {
    log_->log("%s", kNoPackageDetails);
    return 0;
  }
  log_->logDebug("The package dir for package [%s] is [%s]", packageName.getValue(),
                 packageDir.getValue());
  // Without a directory the data file would land at the file-system root.
  if (packageDir.getLength() == 0) {
    log_->log("%s", kNoPackageDetails);
    return 0;
  }
  // The directory becomes the redirection target of the next command line.
  if (!OrvSafeWord::isArrayWord(packageDir.getValue())) {
    log_->log("Error: Invalid package directory [%s] for package [%s].", packageDir.getValue(),
              packageName.getValue());
    return 0;
  }

  const OrvString dataFile = dataFileOf(packageDir);
  command = OrvConfigCommands::attributeCommand(packageName, dataFile);
  log_->logDebug("The command to be executed is [%s]", command.getValue());
  if (!OrvUtil::runShCmdRcOnly(command, &rc, 0)) {
    log_->log("Could not retrieve the package %s attributes.", packageName.getValue());
    // The redirection may have created the file before the command failed.
    unlink(dataFile.getValue());
    return 0;
  }
  return loadConfigData(packageDir);
}

int OrvObjectDb::loadConfigData(const OrvString& packageDir) {
  if (packageDir.getLength() == 0) {
    log_->log("%s", kNoPackageDetails);
    return 0;
  }
  const OrvString dataFile = dataFileOf(packageDir);

  OrvObject* obj = nullptr;
  if (!getObjectByName("PackageName", obj, 1)) {
    unlink(dataFile.getValue());
    return 0;
  }
  OrvStrVal contextValue(kContext);
  obj->addToValueSetList(kContext, &contextValue);
  if (!getObjectByName("VKR_PKG_DIR", obj, 1)) {
    unlink(dataFile.getValue());
    return 0;
  }
  OrvStrVal dirValue(packageDir);
  obj->addToValueSetList(kContext, &dirValue);

  OrvInFile in(dataFile, 1);
  if (!in.isGood()) {
    log_->log("Could not open file [%s]", dataFile.getValue());
    return 0;
  }
  while (!in.endOfFile()) {
    OrvString line;
    if (!in.getNextLine(line)) {
      log_->log("Could not access file [%s]", dataFile.getValue());
      unlink(dataFile.getValue());
      return 0;
    }
    // A line longer than one read arrives in pieces; put it back together.
    while (line.getLength() > 0 && line.getValue()[line.getLength() - 1] != '\n' &&
           !in.endOfFile()) {
      OrvString piece;
      if (!in.getNextLine(piece)) break;
      line += piece;
    }
    OrvString name;
    OrvString rest;
    if (!OrvConfigLine::split(line, name, rest)) continue;
    if (!getObjectByName(name, obj, 1)) {
      unlink(dataFile.getValue());
      return 0;
    }
    std::unique_ptr<OrvType> value = OrvConfigLine::value(obj->getType(), name, rest);
    if (value) obj->addToValueSetList(kContext, value.get());
  }
  unlink(dataFile.getValue());
  return 1;
}
