#include "rcplan/dry_run.h"

#include <unistd.h>

#include <sstream>
#include <vector>

#include "controller/orv_rc_vexa.h"
#include "foundation/force_flag.h"
#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_object_db.h"
#include "rcgate/orv_base.h"
#include "rcplan/json_output.h"
#include "rcplan/plan_runner.h"
#include "rcplan/rcplan_cli.h"
#include "records/decision_record.h"
#include "rules/orv_rule_db.h"

namespace rcplan {

namespace {

// The narrative of the array commands: the plan lists the commands.
bool narratesCommand(const std::string& text) {
  for (const char* head : {"Executing ", "Task information extraction command is",
                           "Status of task id "})
    if (text.compare(0, std::string(head).size(), head) == 0) return true;
  return false;
}

void keepLogged(const std::string& text, void* plan) {
  if (!narratesCommand(text)) static_cast<GatePlan*>(plan)->logged.push_back(text);
}

// rcgate's exit code for an action's result (OrvBase::takeoverAndReport).
int gateExitOf(int actionResult) { return actionResult == 4 ? 0 : actionResult; }

}  // namespace

const char* gateExitMeaning(int code) {
  if (code == 0 || code == 3) return "the package starts on this node";
  if (code == 2) return "not on this node; the cluster manager may try another";
  return "not on any node";
}

GatePlan planTakeover(OrvBase& driver, PlanRunner& runner) {
  GatePlan plan;
  Logger* logger = Logger::getInstance();
  const int output = logger->getOutput();
  logger->setOutput(0);
  Logger::setTap(&keepLogged, &plan);
  runner.startPlanning();
  plan.gateExit = gateExitOf(driver.executeTakeover());
  Logger::setTap(nullptr, nullptr);
  logger->setOutput(output);
  plan.steps = runner.steps();
  return plan;
}

void printPlan(const GatePlan& plan, std::ostream& out) {
  out << "Verdict: rcgate would exit " << plan.gateExit << ": " << gateExitMeaning(plan.gateExit)
      << "\n";
  if (!plan.logged.empty()) {
    out << "rcgate would log:\n";
    for (const std::string& line : plan.logged) out << line << "\n";
  }
  out << "Commands rcgate would send, if each succeeds:\n";
  if (plan.steps.empty()) out << "none\n";
  for (const std::string& step : plan.steps) out << step << "\n";
  out.flush();
}

std::string forceFlagPath(OrvObjectDb& db) {
  std::string path = db.textOf("VKR_PKG_DIR");
  if (path.empty()) return "";
  // The same doubled '/' as the start-up's own path: one file either way.
  if (path.back() != '/') path += '/';
  return path + "/FORCEFLAG";
}

int peekForceFlag(OrvObjectDb& db, orv_force::Outcome& seen) {
  // The same rule as the start's, on the same file: rcplan and rcgate agree.
  seen = orv_force::inspect(db.textOf("VKR_PKG_DIR"), false);
  const orv_force::State state = seen.state;
  if (!db.setStrValByName("StatusForceFlag", state == orv_force::kCounts ? "yes" : "no")) return -1;
  return state == orv_force::kCounts ? 1 : state == orv_force::kIgnored ? 2 : 0;
}

int planStart(const std::string& package, const std::vector<std::string>& assumed,
              std::ostream& out, std::ostream& err, GatePlan& plan) {
  // The verdict of a run that ends before the decision.
  auto endBeforeDecision = [&plan](int gateCode) {
    plan.gateExit = gateCode;
    return kExitDryRunFailed;
  };
  OrvBase driver;
  if (!driver.isGood()) return endBeforeDecision(2);
  // Stage 2 must leave the FORCEFLAG file alone; it is looked at below.
  driver.setForceFlagCheck(0);

  std::string programName = "rcplan";
  std::string packageName = package;
  std::vector<char*> argv = {&programName[0], &packageName[0], nullptr};
  if (driver.earlySetups(2, argv.data()) != 0) {
    out << "rcplan: the start-up of package " << package
        << " failed (see the messages above); rcgate would refuse the start.\n";
    return endBeforeDecision(2);
  }
  if (driver.startUpInit() != 0) {
    out << "rcplan: the start-up of package " << package
        << " failed on this node (see the messages above); rcgate would refuse the start.\n";
    return endBeforeDecision(1);
  }

  OrvObjectDb& db = *driver.getObjectDb();
  const std::string flagPath = forceFlagPath(db);
  orv_force::Outcome flagSeen;
  const int flag = peekForceFlag(db, flagSeen);
  plan.node = db.textOf("LocalHostName");
  plan.site = db.textOf("StatusCurrentDC");
  plan.forceFlag = flag;
  if (flag < 0) {
    out << "rcplan: could not record the force flag.\n";
    return endBeforeDecision(2);
  }

  PlanRunner runner;
  if (driver.fillObjectDb() != 0) {
    out << "rcplan: neither array could be read; rcgate would refuse the start on this node.\n";
    return endBeforeDecision(2);
  }
  driver.getController()->displayConfigs(0);
  driver.getController()->logArrayReasons();
  // What if: the named status values replace what the arrays showed.
  std::vector<std::string> assumedLines;
  for (const std::string& pair : assumed) {
    const std::string name = pair.substr(0, pair.find('='));
    const std::string read = db.textOf(name.c_str());
    if (!applyPair(db, pair, err)) {
      plan.gateExit = -1;  // no verdict: the question itself was wrong
      return kExitUsage;
    }
    assumedLines.push_back(pair + " (read: " + (read.empty() ? "nothing" : read) + ")");
  }

  out << "\nDry run of package " << package << " on " << db.textOf("LocalHostName")
      << " (site " << db.textOf("StatusCurrentDC") << "): no action is run.\n";
  if (flag == 1) {
    out << "FORCEFLAG file: present (" << flagPath << "), left in place; "
        << "the next rcgate start consumes it.\n";
  } else if (flag == 2) {
    out << orv_force::ignoredWarning(flagSeen.path)
        << "\nFORCEFLAG file: ignored; the decision is the one without it.\n";
  } else {
    out << "FORCEFLAG file: absent.\n";
  }
  for (const std::string& line : assumedLines) out << "Assumed: " << line << "\n";
  plan.assumed = assumedLines;
  for (const std::string& name : orvRuleTableObjects(*driver.getRuleDb()))
    plan.state.push_back({name, db.textOf(name.c_str())});

  OrvString action;
  OrvList<OrvString> matched;
  int code = kExitDecided;
  if (!driver.getRuleDb()->evaluateAndGetAction(action, matched)) {
    if (driver.getRuleDb()->hasError()) {
      out << "No rule matched (a condition could not be evaluated); "
             "rcgate would refuse the start on this node.\n";
      return endBeforeDecision(2);
    }
    out << "No rule matched; rcgate would log:\n" << kOrvManualIntervention << "\n";
    code = kExitNoRule;
  } else {
    out << "Action: " << action << "\n";
    out << "Matched conditions:\n";
    for (int i = 0; i < matched.numObjects(); ++i) out << matched[i]->data() << "\n";
    plan.action = action.getValue();
    for (int i = 0; i < matched.numObjects(); ++i)
      plan.conditions.push_back(matched[i]->data().getValue());
    if (driver.findAction(action) == nullptr) {
      out << "The action is not in rcgate's action table; rcgate would log:\n"
          << kOrvManualIntervention << "\n";
      code = kExitNoRule;
    }
  }
  // The binding rcgate makes; an unknown name leaves the fallback.
  if (code == kExitDecided) driver.bindAction(action);
  const GatePlan done = planTakeover(driver, runner);
  plan.gateExit = done.gateExit;
  plan.logged = done.logged;
  plan.steps = done.steps;
  return code;
}

int runDryRun(const std::string& package, const std::vector<std::string>& assumed,
              bool gateExit, bool json, std::ostream& out, std::ostream& err) {
  GatePlan plan;
  if (json) {
    // Standard output holds the document only: the log is kept off it.
    Logger* logger = Logger::createInstance();
    logger->setOutput(0);
    std::ostringstream text;
    const int code = planStart(package, assumed, text, err, plan);
    Logger::removeInstance(&logger);
    if (plan.gateExit < 0) return code;
    out << dryRunJson(package, plan, code == kExitDryRunFailed ? lastLine(text.str()) : "")
        << "\n";
    return gateExit ? plan.gateExit : code;
  }
  const int code = planStart(package, assumed, out, err, plan);
  if (plan.gateExit < 0) return code;
  printPlan(plan, out);
  return gateExit ? plan.gateExit : code;
}

}  // namespace rcplan
