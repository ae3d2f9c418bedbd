#include "rcplan/rcplan_cli.h"

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "objectdb/orv_type.h"
#include "rcplan/config_check.h"
#include "rcplan/dry_run.h"
#include "rcplan/records_cli.h"
#include "rules/orv_rule_db.h"

namespace rcplan {

namespace {

// Sets one catalogue object from a NAME=VALUE text; on refusal explains why
// on err and returns 0.
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
    err << "rcplan: unknown object '" << name << "'\n";
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

}  // namespace

void printUsage(std::ostream& os) {
  os << "Usage: rcplan --dump\n"
        "       rcplan --state NAME=VALUE [NAME=VALUE ...]\n"
        "       rcplan --check PKG\n"
        "       rcplan PKG\n"
        "       rcplan --history PKG [N]\n"
        "       rcplan --replay FILE\n"
        "\n"
        "  --dump   print the condition list, the rule sets and the rule paths\n"
        "  --state  set the named objects and show the action the rule table chooses\n"
        "           (values as the arrays report them, e.g. StatusRCLink=\"Not Started\")\n"
        "  --check  check the whole configuration of package PKG on this node: every\n"
        "           finding on one line (Error: or Warning:); the arrays only queried\n"
        "  PKG      dry run of a start of package PKG on this node: read both arrays\n"
        "           and show the action rcgate would choose, without running it\n"
        "           (a FORCEFLAG file is taken into account and left in place)\n"
        "  --history  the newest N (default 20) decision records of rcgate for PKG here\n"
        "  --replay   decide again on the state a decision record holds\n";
}

int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) {
    printUsage(err);
    return kExitUsage;
  }
  const std::string& command = args[0];
  if (command == "--help" || command == "-h") {
    printUsage(out);
    return kExitDecided;
  }
  if (command == "--dump") {
    if (args.size() != 1) {
      err << "rcplan: --dump takes no arguments\n";
      printUsage(err);
      return kExitUsage;
    }
    return runDump(out);
  }
  if (command == "--state") {
    if (args.size() < 2) {
      err << "rcplan: --state needs at least one NAME=VALUE\n";
      printUsage(err);
      return kExitUsage;
    }
    return runState(std::vector<std::string>(args.begin() + 1, args.end()), out, err);
  }
  if (command == "--check") {
    if (args.size() != 2) {
      err << "rcplan: --check takes one package name\n";
      printUsage(err);
      return kExitUsage;
    }
    return runConfigCheck(args[1], out);
  }
  if (command == "--history") return runHistory({args.begin() + 1, args.end()}, out, err);
  if (command == "--replay") return runReplay({args.begin() + 1, args.end()}, out, err);
  if (command[0] != '-') {
    if (args.size() != 1) {
      err << "rcplan: a dry run takes one package name\n";
      printUsage(err);
      return kExitUsage;
    }
    return runDryRun(command, out);
  }
  err << "rcplan: unknown option '" << command << "'\n";
  printUsage(err);
  return kExitUsage;
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

int runState(const std::vector<std::string>& pairs, std::ostream& out, std::ostream& err) {
  OrvObjectDb objects;
  for (const std::string& pair : pairs) {
    if (!applyPair(objects, pair, err)) return kExitUsage;
  }
  OrvRuleDb rules(&objects);
  OrvString action;
  OrvList<OrvString> matched;
  if (!rules.evaluateAndGetAction(action, matched)) {
    out << "No rule matched";
    if (rules.hasError()) out << " (a condition could not be evaluated)";
    out << ".\n";
    return kExitNoRule;
  }
  out << "Action: " << action << "\n";
  out << "Matched conditions:\n";
  for (int i = 0; i < matched.numObjects(); ++i) out << matched[i]->data() << "\n";
  out.flush();
  return kExitDecided;
}

}  // namespace rcplan
