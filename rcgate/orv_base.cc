#include "rcgate/orv_base.h"

#include <unistd.h>

#include <cstdio>

#include "controller/orv_rc_vexa.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_record.h"
#include "rules/orv_rule_db.h"

const char kOrvBeginMessage[] = "Begin Orvanta with Vexa Remote Copy..";
const char kOrvEndMessage[] = "End of Orvanta with Vexa Remote Copy..";
const char kOrvManualIntervention[] =
    "Error: MANUAL INTERVENTION NECESSARY. Orvanta does not recognize the "
    "current status of the Jx Vexa Remote Copy volume group.Orvanta cannot "
    "perform automatic storage preparation for this package.";

OrvBase::OrvBase()
    : objectDb(nullptr),
      ruleDb(nullptr),
      logger(Logger::getInstance()),
      good(1),
      forceFlagCheck(1),
      badArguments(0),
      controller(nullptr) {}

OrvBase::~OrvBase() {
  record.reset();
  delete objectDb;
  objectDb = nullptr;
  delete ruleDb;
  ruleDb = nullptr;
  delete controller;
  controller = nullptr;
  if (logger != nullptr) Logger::removeInstance(&logger);
}

int OrvBase::jxOrvStart(int argc, char** argv) {
  record.reset(new OrvDecisionRecord);
  if (earlySetups(argc, argv) != 0) {
    // No configuration, so no package directory to keep a record in.
    record.reset();
    logger->log("Initialization failed.");
    return 2;
  }
  record->notePackage(argv[1]);
  if (startUpInit() != 0) {
    finishRecord(1);
    logger->log("%s", kOrvEndMessage);
    return 1;
  }
  int r = doOnlineResource();
  finishRecord(r);
  if (r == 0 || r == 3) logger->log("%s", kOrvEndMessage);
  return r;
}

std::string OrvBase::recordDir() const {
  if (packageDir.getLength() > 0) return packageDir.getValue();
  return objectDb != nullptr ? orvConfiguredPackageDir(*objectDb) : "";
}

void OrvBase::finishRecord(int exitCode) {
  if (!record) return;
  record->finish(*objectDb, controller, recordDir(), exitCode);
  record.reset();
}

int OrvBase::earlySetups(int argc, char** argv) {
  // The name is taken before the count is checked, so the databases are
  // built (and "PackageName" set) for a wrong argument count too.
  OrvString packageName(argc > 1 ? argv[1] : "");
  logger->log("%s", kOrvBeginMessage);

  objectDb = new OrvObjectDb();
  if (!objectDb->isGood()) return 2;
  objectDb->setStrValByName("PackageName", packageName);

  ruleDb = new OrvRuleDb(objectDb);
  if (!ruleDb->isGood()) return 2;

  if (argc != 2) {
    logger->log("Error: Incorrect number of argument passed to the Orvanta binary");
    // An operator who ran the program by hand gets the usage text too.
    badArguments = 1;
    return 2;
  }
  if (!clSetSearchObject()) return 2;

  objectDb->loadUserConfig(packageName);
  return 0;
}

int OrvBase::clSetSearchObject() {
  OrvString name;
  if (!objectDb->getStrValByName("RunSearchObject", name, 1)) {
    searchObjectName = "";
    return 0;
  }
  searchObjectName = name;
  return 1;
}

int OrvBase::startUpInit() {
  logger->logDebug("Entering startupInit ..");
  if (setHostInfo() == 0) {
    logger->logDebug("There was a problem setting the host info");
    return 2;
  }

  if (searchObjectName.getLength() > 0) {
    OrvObject* searchObject = nullptr;
    if (!objectDb->getObjectByName(searchObjectName, searchObject, 1)) {
      logger->logDebug("Object %s is not found", searchObjectName.getValue());
      return 2;
    }
    OrvString resourceGroup;
    if (!searchObject->findResourceGroup(resourceGroup)) {
      logger->log("Cannot find resource group for %s", searchObjectName.getValue());
      return 2;
    }
    if (!objectDb->updateValuesByContext(resourceGroup)) {
      logger->logDebug("There was a problem updating values by context : %s",
                       resourceGroup.getValue());
      return 2;
    }
  }

  if (forceFlagCheck) {
    objectDb->setForceFlag();
    if (record) {
      OrvString flag;
      OrvString dir;
      const bool found = objectDb->getStrValByName("StatusForceFlag", flag, 0) && flag == "yes";
      objectDb->getStrValByName("VKR_PKG_DIR", dir, 0);
      const OrvString path = dir + "/FORCEFLAG";
      record->noteForceFlag(found, found && access(path.getValue(), F_OK) != 0);
    }
  }
  objectDb->setApplicationStartup();

  OrvString localHostName;
  if (!objectDb->getStrValByName("LocalHostName", localHostName, 1)) return 2;
  if (objectDb->getDataCenter(localHostName) != 0) return 2;

  if (!objectDb->getStrValByName("VKR_PKG_DIR", packageDir, 1)) return 2;

  controller = new OrvRCVexa(objectDb, packageDir);
  if (!controller->isGood()) return 2;

  loadCaFunctionList();
  logger->logDebug("Returning from startupInit successfully..");
  return 0;
}

int OrvBase::fillObjectDb() {
  return controller->caGetVolumeStates(0) != 0 ? 0 : 2;
}

int OrvBase::doOnlineResource() {
  logger->logDebug("Entering doOnlineResource..");
  if (record) record->reached(OrvDecisionRecord::kDiscovery);
  if (fillObjectDb() != 0) return 2;
  controller->displayConfigs(0);
  if (record) {
    record->reached(OrvDecisionRecord::kDecision);
    record->noteInputs(*objectDb, *ruleDb);
  }
  if (ruleEngine() == 0) return 2;
  if (record) record->reached(OrvDecisionRecord::kTakeover);
  return takeoverAndReport();
}

int OrvBase::takeoverAndReport() {
  int r = executeTakeover();
  if (r == 4) {
    // Nothing had to be done: the state is unchanged, no second look.
    logger->log("Package is allowed to start up");
    return 0;
  }
  if (r == 0 || r == 3) {
    controller->caGetVolumeStates(1);
    if (record) record->noteStateAfter(*objectDb, *ruleDb);
    controller->displayConfigs(1);
    logger->log("Package is allowed to start up");
    return r;
  }
  if (r == 2) {
    logger->log("Package is not allowed to start up on this node");
    return 2;
  }
  logger->log("Package is not allowed to start up");
  return r;
}

void OrvBase::clUsage() {
  fputs("\nUsage: rcgate <package_name>\n", stdout);
  fflush(stdout);
}
