#include "rcgate/orv_base.h"

#include <unistd.h>

#include <strings.h>

#include <cstdio>

#include "controller/orv_rc_vexa.h"
#include "foundation/force_flag.h"
#include "foundation/process_guard.h"
#include "foundation/safe_word.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_record.h"
#include "rules/orv_rule_db.h"
#include "rcgate/start_lock.h"

const char kOrvBeginMessage[] = "Begin Orvanta with Vexa Remote Copy..";
const char kOrvEndMessage[] = "End of Orvanta with Vexa Remote Copy..";
const char kOrvForceFlagUsedUp[] =
    "INFO: A FORCEFLAG file was present and has been used up; it does not allow a start in "
    "this state.";
const char kOrvManualIntervention[] =
    "Error: MANUAL INTERVENTION NECESSARY. Orvanta does not recognize the "
    "current status of the Jx Vexa Remote Copy volume group.Orvanta cannot "
    "perform automatic storage preparation for this package.";

OrvBase* OrvBase::running = nullptr;

OrvBase::OrvBase()
    : objectDb(nullptr),
      ruleDb(nullptr),
      // A reference of its own: the destructor gives it back.
      logger(Logger::createInstance()),
      good(1),
      forceFlagCheck(1),
      badArguments(0),
      controller(nullptr) {}

OrvBase::~OrvBase() {
  if (running == this) running = nullptr;
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
  running = this;
  record.reset(new OrvDecisionRecord);
  if (earlySetups(argc, argv) != 0) {
    // No configuration, so no package directory to keep a record in.
    record.reset();
    logger->log("Initialization failed.");
    return 2;
  }
  record->notePackage(argv[1]);
  recordStarted = true;
  if (!takeStartLock(argv[1])) {
    finishRecord(1);
    logger->log("%s", kOrvEndMessage);
    return 1;
  }
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

bool OrvBase::takeStartLock(const std::string& package) {
  // A name that is no safe word has no configuration either; stage 2
  // refuses it before any array is asked.
  if (!OrvSafeWord::isPackageName(package.c_str())) return true;
  long holder = 0;
  std::string why;
  std::string line;
  switch (orv_start_lock::take(package, holder, why)) {
    case orv_start_lock::kHeld:
      return true;
    case orv_start_lock::kBusy:
      line = "Error: Another start of package [" + package + "] is in progress (process " +
             std::to_string(holder) + "); this start is refused.";
      break;
    case orv_start_lock::kFailed:
      line = "Error: Cannot take the start lock of package [" + package + "]: " + why +
             "; this start is refused.";
      break;
  }
  logger->log("%s", line.c_str());
  if (record) record->noteReason(line);
  return false;
}

void OrvBase::stopRun(int signal) {
  const std::string line = "Error: Stopped by signal " + std::to_string(signal) + " after step [" +
                           orv_guard::lastStep() + "]; the storage may need attention.";
  OrvBase* run = running;
  if (run != nullptr && run->record) run->record->noteReason(line);
  Logger::getInstance()->log("%s", line.c_str());
  // The record of a run stopped half way tells where it stopped; one that
  // never got past the attribute read has no package directory to go to.
  if (run != nullptr && run->objectDb != nullptr) run->finishRecord(1);
}

std::string OrvBase::recordDir() const {
  if (packageDir.getLength() > 0) return packageDir.getValue();
  return objectDb != nullptr ? orvConfiguredPackageDir(*objectDb) : "";
}

void OrvBase::finishRecord(int exitCode) {
  if (!record || !recordStarted) {
    record.reset();
    return;
  }
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
    orv_force::Outcome flag;
    objectDb->setForceFlag(&flag);
    forceFlagConsumed = flag.consumed;
    if (record)
      record->noteForceFlag(flag.state == orv_force::kCounts, flag.consumed,
                            flag.state == orv_force::kIgnored);
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

int OrvBase::setUpWithoutPackage(const std::function<bool(OrvObjectDb&)>& fill) {
  objectDb = new OrvObjectDb();
  if (!objectDb->isGood()) return 2;
  ruleDb = new OrvRuleDb(objectDb);
  if (!ruleDb->isGood()) return 2;
  if (!fill(*objectDb)) return 1;
  if (!objectDb->getStrValByName("VKR_PKG_DIR", packageDir, 1)) return 2;
  controller = new OrvRCVexa(objectDb, packageDir);
  if (!controller->isGood()) return 2;
  loadCaFunctionList();
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
    if (!localHalfWritable()) {
      if (forceFlagConsumed) logger->log("%s", kOrvForceFlagUsedUp);
      logger->log("Package is not allowed to start up");
      return 1;
    }
    logger->log("Package is allowed to start up");
    return r;
  }
  // The refusal's text names the FORCEFLAG as missing; one was there.
  if (forceFlagConsumed) logger->log("%s", kOrvForceFlagUsedUp);
  if (r == 2) {
    logger->log("Package is not allowed to start up on this node");
    return 2;
  }
  logger->log("Package is not allowed to start up");
  return r;
}

bool OrvBase::localHalfWritable() {
  // An array may refuse an operation and still exit 0: the listing read
  // after the takeover is what the package gets.  One that could not be
  // read leaves the decision as it was, so a transient error does not
  // block a failover that did happen.
  OrvString role;
  if (!controller->localRoleReadAgain() ||
      !objectDb->getStrValByName("StatusLocalReplicationRole", role, 0))
    return true;
  if (strcasecmp(role.getValue(), "Secondary") != 0 &&
      strcasecmp(role.getValue(), "Secondary-Rev") != 0)
    return true;
  const std::string line =
      std::string("Error: After the takeover the local Remote Copy volume group [") +
      controller->getLocalGroup().getValue() + "] has the role [" + role.getValue() +
      "]; the package is not started on it.";
  logger->log("%s", line.c_str());
  if (record) record->noteReason(line);
  return false;
}

void OrvBase::clUsage() {
  fputs("\nUsage: rcgate <package_name>\n", stdout);
  fflush(stdout);
}
