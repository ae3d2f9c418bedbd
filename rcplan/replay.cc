#include <ctime>

#include "foundation/orv_list.h"
#include "foundation/plain_text.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_record.h"
#include "records/decision_store.h"
#include "rcplan/rcplan_cli.h"
#include "rcplan/records_cli.h"
#include "rules/orv_rule_db.h"

namespace rcplan {

namespace {

const int kExitDiffers = 1;
const int kExitBadRecord = 2;

// Gives object the recorded value; why says what was refused.
bool applyInput(OrvObject& object, const orv_decisions::InputValue& value, std::string& why) {
  switch (value.kind) {
    case orv_decisions::InputValue::kNone:
      // A copy of an object that never had a value: the catalogue default
      // must not stand in for "no value".
      object = OrvObject(object.getObjectName(), object.getIdx(), object.getTag(),
                         object.getPre(), object.getPost(), object.getType(),
                         object.getPossibleSet());
      return true;
    case orv_decisions::InputValue::kString:
      if (object.getType() != STRING_TYPE) {
        why = "is a text, but the object is not of type string";
        return false;
      }
      if (!object.setValue(OrvString(value.text.c_str()))) {
        why = "has the value '" + value.text + "', which the object does not accept";
        return false;
      }
      return true;
    case orv_decisions::InputValue::kInteger: {
      if (object.getType() != INTEGER_TYPE) {
        why = "is a number, but the object is not of type integer";
        return false;
      }
      if (value.number < -2147483647LL - 1 || value.number > 2147483647LL) {
        why = "is out of range";
        return false;
      }
      OrvIntVal v(static_cast<int>(value.number));
      if (!object.setValue(&v)) {
        why = "has the value " + std::to_string(value.number) + ", which the object does not accept";
        return false;
      }
      return true;
    }
  }
  return false;
}

}  // namespace

int runReplay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1 || args[0].empty()) {
    err << "rcplan: --replay takes one record file\n";
    printUsage(err);
    return kExitUsage;
  }
  const std::string& file = args[0];
  std::string text;
  std::string why;
  orv_decisions::Record record;
  if (!orv_decisions::readPath(file, text, why) || !orv_decisions::parse(text, record, why)) {
    out << "Error: " << orvVisibleText(file) << ": " << orvVisibleText(why)
        << "\n";
    return kExitBadRecord;
  }
  // Texts from the record (and so from the arrays) reach the terminal: no
  // control character passes.
  out << "Replay of " << orvVisibleText(file) << ": rcgate " << orvVisibleText(record.programVersion)
      << ", package " << orvVisibleText(record.package) << " on "
      << (record.node.empty() ? "?" : orvVisibleText(record.node)) << " (site "
      << (record.site.empty() ? "?" : orvVisibleText(record.site)) << ") at " << recordLocalTime(record.startTime, "%Y-%m-%d %H:%M:%S %Z")
      << ", exit code " << record.exitCode << ".\n";
  if (!record.hasInputs) {
    out << "Error: " << orvVisibleText(file) << ": the run ended in its " << orvVisibleText(record.endedIn)
        << " stage, before the rule table was evaluated; there is nothing to decide again.\n";
    return kExitBadRecord;
  }

  OrvObjectDb db;
  for (const auto& input : record.inputs) {
    OrvObject* object = nullptr;
    if (!db.getObjectByName(input.first.c_str(), object, 0) || object == nullptr) {
      out << "Error: " << orvVisibleText(file) << ": rule input \"" << orvVisibleText(input.first)
          << "\" is not an object this program knows.\n";
      return kExitBadRecord;
    }
    if (!applyInput(*object, input.second, why)) {
      out << "Error: " << orvVisibleText(file) << ": rule input \"" << orvVisibleText(input.first) << "\" "
          << orvVisibleText(why) << ".\n";
      return kExitBadRecord;
    }
  }
  OrvRuleDb rules(&db);
  for (const std::string& name : orvRuleTableObjects(rules)) {
    bool recorded = false;
    for (const auto& input : record.inputs) recorded = recorded || input.first == name;
    if (!recorded) out << "Not in the record: " << name << " (the catalogue's value is used).\n";
  }

  OrvString action;
  OrvList<OrvString> matched;
  const bool decided = rules.evaluateAndGetAction(action, matched) != 0;
  if (decided) {
    out << "Action: " << action << "\n";
    out << "Matched conditions:\n";
    for (int i = 0; i < matched.numObjects(); ++i) out << matched[i]->data() << "\n";
  } else {
    out << "No rule matched";
    if (rules.hasError()) out << " (a condition could not be evaluated)";
    out << ".\n";
  }

  const std::string replayed = decided ? action.getValue() : "";
  const std::string recorded = record.hasAction ? orvVisibleText(record.action) : "";
  const std::string shownRecorded = recorded.empty() ? "none (no rule matched)" : recorded;
  if (replayed == recorded) {
    out << "Recorded action: " << shownRecorded << "; the same decision.\n";
    out.flush();
    return kExitDecided;
  }
  out << "Recorded action: " << shownRecorded << "\n"
      << "Replayed action: " << (replayed.empty() ? "none (no rule matched)" : replayed) << "\n"
      << "Decision differs from the recorded one.\n";
  out.flush();
  return kExitDiffers;
}

}  // namespace rcplan
