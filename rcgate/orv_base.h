// OrvBase: the start-up driver of rcgate.
//
// One instance per run.  jxOrvStart() runs three stages, each only when the
// one before succeeded; the first failure decides the exit code:
//   stage 1 earlySetups():  object database, rule table, argument check,
//                           package configuration            (0 ok, 2 fail)
//   stage 2 startUpInit():  host info, configuration context, force flag,
//                           start-up mode, site, controller,
//                           action table                      (0 ok, 2 fail)
//   stage 3 doOnlineResource(): discover, report, decide, act, report again.
// Exit codes: 0 and 3 the package may start here, 2 not on this node,
// 1 not at all (an action result outside 0..4 is passed through).
// Between stage 1 and 2 jxOrvStart() takes the package's start lock
// (rcgate/start_lock.h); a run that cannot have it ends with exit 1.
// A run of jxOrvStart() that gets past stage 1 leaves a decision record in
// the package directory (records/decision_record.h), also when a stop
// signal ends it (stopRun()); the stages called one by one (rcplan's dry
// run) leave none.

#ifndef RCGATE_ORV_BASE_H_
#define RCGATE_ORV_BASE_H_

#include <functional>
#include <memory>
#include <string>

#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_type.h"

class OrvObjectDb;
class OrvRuleDb;
class OrvRCVexa;
class OrvDecisionRecord;

class OrvBase {
 public:
  OrvBase();
  ~OrvBase();
  OrvBase(const OrvBase&) = delete;
  OrvBase& operator=(const OrvBase&) = delete;

  int isGood() const { return good; }
  int badArgs() const { return badArguments; }

  // Runs stages 1 to 3 and returns the exit code.
  int jxOrvStart(int argc, char** argv);

  int earlySetups(int argc, char** argv);
  int clSetSearchObject();
  int startUpInit();
  // Records "LocalHostName", "LocalOsName" and "LocalOsVersion"; 1 when all
  // three were set.
  int setHostInfo();
  // Fills caFunctionList with the 51 takeover actions, in table order.
  void loadCaFunctionList();
  int doOnlineResource();
  int fillObjectDb();
  // Evaluates the rule table and stores the chosen action in
  // "StatusActionFunction"; 0 when the decision failed.
  int ruleEngine();
  // The action table's entry of exactly that name (case counts), or null.
  const OrvActionVal* findAction(const OrvString& action) const;
  // Binds the action table's entry of exactly that name (case counts) and
  // stores it in "StatusActionFunction".  1 when bound, and also when no
  // entry has that name ("Error: Could not find takeover function [..]" is
  // logged and the fallback stays); 0 when the value could not be stored.
  int bindAction(const OrvString& action);
  // Calls the stored action (or the fallback) and returns its result code.
  int executeTakeover();
  // The end of stage 3: executeTakeover(), then for 0 and 3 a second
  // discovery and report; returns the exit code (4 becomes 0; 1 when the
  // local half is read back as Secondary or Secondary-Rev).
  int takeoverAndReport();
  void clUsage();

  // The stop action of a run: logs the stop line (signal, last array step)
  // and writes the decision record with it as the reason and exit code 1.
  static void stopRun(int signal);

  // Read-only views for the dry-run tool and the tests.
  OrvObjectDb* getObjectDb() const { return objectDb; }
  OrvRuleDb* getRuleDb() const { return ruleDb; }
  OrvRCVexa* getController() const { return controller; }
  const OrvList<OrvActionVal>& getCaFunctionList() const { return caFunctionList; }

  // The stages of a dry run: stage 1 and 2 without consuming the FORCEFLAG
  // file (rcplan reports it instead).
  void setForceFlagCheck(int on) { forceFlagCheck = on; }

  // A run without a package (rcplan --state): the object database and the
  // rule table of stage 1; fill sets what the package configuration, the
  // host and the site would (VKR_PKG_DIR and StatusCurrentDC among it) and
  // may refuse; then the controller and the action table of stage 2.  Asks
  // nothing outside the process.  0 set up, 1 fill refused, 2 failed.
  int setUpWithoutPackage(const std::function<bool(OrvObjectDb&)>& fill);

 private:
  OrvObjectDb* objectDb;
  OrvRuleDb* ruleDb;
  Logger* logger;
  OrvString searchObjectName;
  int good;
  int forceFlagCheck;
  int badArguments;
  OrvRCVexa* controller;
  OrvList<OrvActionVal> caFunctionList;
  OrvString packageDir;
  std::unique_ptr<OrvDecisionRecord> record;

  // The package directory for the record: the run's own, or the one the
  // configuration load found when stage 2 ended before reading it.
  std::string recordDir() const;
  void finishRecord(int exitCode);
  // Takes the package's start lock; false after the refusal's Error line.
  bool takeStartLock(const std::string& package);
  // False, after the Error line, when the state read after a takeover shows
  // the local half in a role that cannot be written.
  bool localHalfWritable();
  bool forceFlagConsumed = false;  // this run used a FORCEFLAG up
  bool recordStarted = false;  // past the attribute read: a record is due
  static OrvBase* running;     // the run a stop signal ends
};

// The fixed texts of the run, shared with the dry-run tool.
extern const char kOrvBeginMessage[];
extern const char kOrvEndMessage[];
extern const char kOrvManualIntervention[];
extern const char kOrvForceFlagUsedUp[];

#endif  // RCGATE_ORV_BASE_H_
