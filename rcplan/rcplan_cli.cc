#include "rcplan/rcplan_cli.h"

#include <sstream>

#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/program_info.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "objectdb/orv_type.h"
#include "rcgate/orv_base.h"
#include "rcplan/config_check.h"
#include "rcplan/dry_run.h"
#include "rcplan/json_output.h"
#include "rcplan/records_cli.h"
#include "rcplan/state_plan.h"
#include "records/decision_record.h"
#include "rules/orv_rule_db.h"

namespace rcplan {

std::string ruleTableNames() {
  OrvObjectDb objects;
  OrvRuleDb rules(&objects);
  std::string names;
  for (const std::string& name : orvRuleTableObjects(rules)) names += (names.empty() ? "" : " ") + name;
  return names;
}

int applyPair(OrvObjectDb& db, const std::string& pair, std::ostream& err) {
  const size_t equals = pair.find('=');
  if (equals == std::string::npos || equals == 0) {
    err << "rcplan: expected NAME=VALUE, got '" << pair << "'\n";
    return 0;
  }
  const std::string name = pair.substr(0, equals);
  const std::string value = pair.substr(equals + 1);
  OrvObject* object = nullptr;
  if (!db.getObjectByName(name.c_str(), object, 0) || object == nullptr) {
    err << "rcplan: unknown object '" << name << "'; the decision table reads: "
        << ruleTableNames() << "\n";
    return 0;
  }
  if (object->getType() != STRING_TYPE && object->getType() != INTEGER_TYPE) {
    err << "rcplan: object '" << name << "' is of type " << orvTypeName(object->getType())
        << " and cannot be set from text\n";
    return 0;
  }
  if (!object->setValue(OrvString(value.c_str()))) {
    err << "rcplan: object '" << name << "' does not accept the value '" << value << "'";
    const OrvString possible = object->getPossibleSet();
    if (possible.getLength() > 0) {
      err << " (possible values: " << possible << ")";
    } else if (object->getType() == INTEGER_TYPE) {
      err << " (expected a number)";
    }
    err << "\n";
    return 0;
  }
  return 1;
}

void printUsage(std::ostream& os) {
  os << "Usage: rcplan --dump\n"
        "       rcplan [--gate-exit] --state NAME=VALUE [NAME=VALUE ...]\n"
        "       rcplan [--gate-exit] [--json] --check PKG\n"
        "       rcplan [--gate-exit] [--json] PKG [--assume NAME=VALUE ...]\n"
        "       rcplan [--json] --history PKG [N]\n"
        "       rcplan --replay FILE\n"
        "       rcplan --help | --version\n"
        "\n"
        "  --dump   print the condition list, the rule sets and the rule paths\n"
        "  --state  set the named objects and show the action the rule table chooses\n"
        "           (values as the arrays report them, e.g. StatusRCLink=\"Not Started\"),\n"
        "           then the verdict and the commands as for a dry run, on placeholder\n"
        "           array, group and target names; no package, no array is asked\n"
        "  --check  check the whole configuration of package PKG on this node: every\n"
        "           finding on one line (Error: or Warning:); the arrays only queried\n"
        "  PKG      dry run of a start of package PKG on this node: read both arrays\n"
        "           and show the action rcgate would choose, the exit code it would\n"
        "           end with and the commands it would send, without sending them\n"
        "           (a FORCEFLAG file is taken into account and left in place)\n"
        "  --assume   replace status values read from the arrays (the names --state takes)\n"
        "  --gate-exit  exit with the code rcgate would exit with\n"
        "  --json     one JSON document on standard output (dry run, --check, --history)\n"
        "  --history  the newest N (default 20) decision records of rcgate for PKG here\n"
        "  --replay   decide again on the state a decision record holds\n";
}

namespace {

// The command line taken apart.  Every word starting with '-' is an option
// wherever it stands (so a package name never starts with one); the first
// command option names the command, the other words are its operands, in
// order.
struct CommandLine {
  std::string command;  // "--dump", "--check", ...; "" for a dry run
  std::vector<std::string> operands;
  bool gateExit = false;
  bool json = false;
  bool assume = false;  // dry run: the operands after PKG are NAME=VALUE
  bool help = false;
  bool version = false;
  std::string error;  // a usage error, for err
};

bool isCommandOption(const std::string& arg) {
  for (const char* c : {"--dump", "--state", "--check", "--history", "--replay"})
    if (arg == c) return true;
  return false;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
  CommandLine cl;
  for (const std::string& arg : args) {
    if (arg.empty() || arg[0] != '-') {
      cl.operands.push_back(arg);
    } else if (arg == "--help" || arg == "-h") {
      cl.help = true;
    } else if (arg == "--version") {
      cl.version = true;
    } else if (arg == "--gate-exit") {
      cl.gateExit = true;
    } else if (arg == "--json") {
      cl.json = true;
    } else if (arg == "--assume" && cl.command.empty()) {
      cl.assume = true;
    } else if (isCommandOption(arg) && cl.command.empty()) {
      cl.command = arg;
    } else if (cl.error.empty()) {
      cl.error = isCommandOption(arg) ? "only one of " + cl.command + " and " + arg + " at a time"
                                      : "unknown option '" + arg + "'";
    }
  }
  return cl;
}

int usageError(const std::string& message, std::ostream& err) {
  err << "rcplan: " << message << "\n";
  printUsage(err);
  return kExitUsage;
}

}  // namespace

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const CommandLine cl = parseCommandLine(args);
  // Asked for on their own, they touch nothing: no log, no cluster manager.
  if (cl.help) {
    printUsage(out);
    return kExitDecided;
  }
  if (cl.version) {
    out << "rcplan " << orvProgramVersion() << "\n";
    return kExitDecided;
  }
  if (!cl.error.empty()) return usageError(cl.error, err);
  if (cl.command.empty() && cl.operands.empty()) return usageError("no command given", err);
  if (cl.json && !cl.command.empty() && cl.command != "--check" && cl.command != "--history")
    return usageError("--json goes with a dry run, --check or --history", err);
  if (cl.gateExit && !cl.command.empty() && cl.command != "--check" && cl.command != "--state")
    return usageError("--gate-exit goes with a dry run, --check or --state", err);
  const std::vector<std::string>& ops = cl.operands;
  if (cl.command == "--dump") {
    if (!ops.empty()) return usageError("--dump takes no arguments", err);
    return runDump(out);
  }
  if (cl.command == "--state") {
    if (ops.empty()) return usageError("--state needs at least one NAME=VALUE", err);
    return runState(ops, cl.gateExit, out, err);
  }
  if (cl.command == "--check") {
    if (ops.size() != 1) return usageError("--check takes one package name", err);
    if (!cl.json) return runConfigCheck(ops[0], out, cl.gateExit);
    std::ostringstream text;
    const int code = runConfigCheck(ops[0], text, cl.gateExit);
    out << checkJson(ops[0], text.str(), code) << "\n";
    return code;
  }
  if (cl.command == "--history") return runHistory(ops, cl.json, out, err);
  if (cl.command == "--replay") return runReplay(ops, out, err);
  if (cl.assume && ops.size() < 2) return usageError("--assume needs at least one NAME=VALUE", err);
  if (!cl.assume && ops.size() != 1) return usageError("a dry run takes one package name", err);
  return runDryRun(ops[0], {ops.begin() + 1, ops.end()}, cl.gateExit, cl.json, out, err);
}

int runDump(std::ostream& out) {
  OrvObjectDb objects;
  OrvRuleDb rules(&objects);
  out << "Condition list:\n";
  rules.printConditionList(out);
  out << "\nRule sets:\n";
  rules.printSubRuleList(out);
  out << "\nRule paths:\n";
  rules.printRule(out);
  out.flush();
  return kExitDecided;
}

int runState(const std::vector<std::string>& pairs, bool gateExit, std::ostream& out,
             std::ostream& err) {
  OrvBase driver;
  // The plan's log lines are collected, not printed.
  Logger::getInstance()->setOutput(0);
  bool refused = false;
  const int setUp = driver.setUpWithoutPackage([&](OrvObjectDb& db) {
    refused = !setPlaceholderState(db, pairs, err);
    return !refused;
  });
  if (refused) return kExitUsage;
  if (setUp != 0) {
    err << "rcplan: the placeholder configuration could not be set up\n";
    return kExitUsage;
  }
  OrvRuleDb& rules = *driver.getRuleDb();
  // A state typed in by hand is easily incomplete: say what was left out.
  std::string missing;
  int inputs = 0;
  for (const std::string& name : orvRuleTableObjects(rules)) {
    ++inputs;
    bool given = false;
    for (const std::string& pair : pairs) given = given || pair.compare(0, name.size() + 1, name + "=") == 0;
    // Not given, the start-up mode is derived as rcgate derives it.
    if (!given && name != kStartupMode) missing += " " + name;
  }
  if (!missing.empty() && pairs.size() * 2 < static_cast<size_t>(inputs))
    out << "Not given, so at their start values:" << missing << "\n";
  OrvString action;
  OrvList<OrvString> matched;
  int code = kExitDecided;
  GatePlan plan;
  if (!rules.evaluateAndGetAction(action, matched)) {
    out << "No rule matched";
    if (rules.hasError()) out << " (a condition could not be evaluated)";
    out << ".\n";
    code = kExitNoRule;
  } else {
    out << "Action: " << action << "\n";
    out << "Matched conditions:\n";
    for (int i = 0; i < matched.numObjects(); ++i) out << matched[i]->data() << "\n";
    // As the dry run: a name rcgate does not know leaves the fallback.
    if (driver.findAction(action) == nullptr) {
      out << "The action is not in rcgate's action table; rcgate would log:\n"
          << kOrvManualIntervention << "\n";
    } else {
      driver.bindAction(action);
    }
  }
  if (rules.hasError()) {
    plan.gateExit = 2;  // rcgate stops at the decision
  } else {
    plan = planState(driver, out);
  }
  printPlan(plan, out);
  return gateExit ? plan.gateExit : code;
}

}  // namespace rcplan
