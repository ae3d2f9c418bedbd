#include "records/decision_record.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>
#include <vector>

#include "array/command_record.h"
#include "controller/orv_rc_vexa.h"
#include "foundation/atomic_file.h"
#include "foundation/logger.h"
#include "foundation/program_info.h"
#include "foundation/temp_files.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_store.h"
#include "rules/orv_condition.h"
#include "rules/orv_rule_db.h"

namespace {

// Written in the order a reader looks at the fields.
using json = nlohmann::ordered_json;

const char* const kStageNames[] = {"start-up", "discovery", "decision", "takeover"};
// Long enough for a refusal's whole text; bounded against a flood of array
// output.
const size_t kMaxReason = 2000;
// A temporary file this old was left by a run that died before renaming it.
const time_t kStaleTemporarySeconds = 3600;
const char kTemporaryPrefix[] = ".tmp-";

long long monotonicMs() {
  struct timespec ts;
  if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return 0;
  return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool startsWith(const std::string& s, const char* prefix) {
  return s.compare(0, std::strlen(prefix), prefix) == 0;
}

json valueOf(const OrvType* v) {
  if (const OrvIntVal* i = dynamic_cast<const OrvIntVal*>(v)) return i->getValue();
  if (const OrvStrVal* s = dynamic_cast<const OrvStrVal*>(v)) return s->getValue().getValue();
  if (const OrvListVal* l = dynamic_cast<const OrvListVal*>(v)) {
    json list = json::array();
    const OrvList<OrvString>& items = l->getValue();
    for (int k = 0; k < items.numObjects(); ++k) list.push_back(items[k]->data().getValue());
    return list;
  }
  if (const OrvActionVal* a = dynamic_cast<const OrvActionVal*>(v))
    return a->getActionName().getValue();
  return nullptr;
}

}  // namespace

std::vector<std::string> orvRuleTableObjects(const OrvRuleDb& rules) {
  std::vector<std::string> names;
  auto add = [&names](const std::string& name) {
    for (const std::string& n : names)
      if (n == name) return;
    names.push_back(name);
  };
  const OrvList<OrvCondition>& conditions = rules.getConditionList();
  for (int i = 0; i < conditions.numObjects(); ++i) {
    const OrvCondition& c = conditions[i]->data();
    add(c.getObjectName().getValue());
    if (c.getValueObjectIndex() >= 0) add(c.getValueText().getValue());
  }
  return names;
}

std::string orvConfiguredPackageDir(OrvObjectDb& db) {
  OrvObject* dir = nullptr;
  OrvObject* package = nullptr;
  OrvString context;
  if (!db.getObjectByName("VKR_PKG_DIR", dir, 0) || !db.getObjectByName("PackageName", package, 0) ||
      !package->findResourceGroup(context))
    return "";
  const OrvValueSet* set = dir->getValueSetByContext(context);
  OrvString text;
  if (set == nullptr || set->getValue() == nullptr || !set->getValue()->getValue(text)) return "";
  return text.getValue();
}

namespace {

json objectValues(OrvObjectDb& db, const OrvRuleDb& rules) {
  json values = json::object();
  for (const std::string& name : orvRuleTableObjects(rules)) {
    OrvObject* object = nullptr;
    values[name] =
        db.getObjectByName(name.c_str(), object, 0) ? valueOf(object->getValue()) : json(nullptr);
  }
  return values;
}

// The package attributes as the cluster manager printed them: the values
// recorded under the package's configuration context.
json configuration(OrvObjectDb& db) {
  json out = json::object();
  OrvObject* package = nullptr;
  OrvString context;
  if (!db.getObjectByName("PackageName", package, 0) || !package->findResourceGroup(context))
    return out;
  for (int i = 0; i < db.numberOfElements(); ++i) {
    OrvObject* object = db.objectAt(i);
    const OrvString& name = object->getObjectName();
    if (name == "PackageName") continue;
    const OrvValueSet* set = object->getValueSetByContext(context);
    if (set == nullptr || set->getValue() == nullptr) continue;
    const std::string attribute =
        name == "VKR_PKG_DIR" ? name.getValue() : std::string("RCVEXA_") + name.getValue();
    out[attribute] = valueOf(set->getValue());
  }
  return out;
}

json side(const OrvString& array, const OrvString& passwordFile, const OrvString& group,
          const OrvString& target) {
  return json{{"array", array.getValue()},
              {"password_file", passwordFile.getValue()},
              {"group", group.getValue()},
              {"target", target.getValue()}};
}

// One line: runs of blanks, tabs and line ends become one blank.
std::string oneLine(const std::string& text) {
  std::string out;
  bool blank = false;
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
      blank = !out.empty();
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  if (out.size() > kMaxReason) out = out.substr(0, kMaxReason - 3) + "...";
  return out;
}

void removeStaleTemporaries(int dirFd, const std::vector<std::string>& names) {
  const time_t now = time(nullptr);
  for (const std::string& name : names) {
    struct stat st;
    if (fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        now - st.st_mtime > kStaleTemporarySeconds)
      unlinkat(dirFd, name.c_str(), 0);
  }
}

}  // namespace

struct OrvDecisionRecord::Data {
  time_t startSec = 0;
  int startMs = 0;
  long long startMono = 0;
  int stage = kStartUp;
  std::string package;
  bool forceFound = false;
  bool forceConsumed = false;
  bool forceIgnored = false;
  std::string givenReason;  // set by the driver; else taken from the messages
  json inputs;  // null until noteInputs
  json matched = json::array();
  json action;
  json stateAfter;
  struct Message {
    std::string text;
    bool inTakeover;
  };
  std::vector<Message> messages;
};

OrvDecisionRecord::OrvDecisionRecord() : d_(new Data) {
  struct timespec now;
  if (clock_gettime(CLOCK_REALTIME, &now) == 0) {
    d_->startSec = now.tv_sec;
    d_->startMs = static_cast<int>(now.tv_nsec / 1000000);
  }
  d_->startMono = monotonicMs();
  OrvCommandRecord::clear();
  OrvCommandRecord::enable(1);
  Logger::setTap(&OrvDecisionRecord::tap, this);
}

OrvDecisionRecord::~OrvDecisionRecord() {
  Logger::setTap(nullptr, nullptr);
  OrvCommandRecord::enable(0);
  OrvCommandRecord::clear();
}

void OrvDecisionRecord::tap(const std::string& text, void* self) {
  Data& d = *static_cast<OrvDecisionRecord*>(self)->d_;
  d.messages.push_back({text, d.stage == kTakeover});
}

void OrvDecisionRecord::reached(Stage stage) { d_->stage = stage; }

void OrvDecisionRecord::notePackage(const std::string& package) { d_->package = package; }

void OrvDecisionRecord::noteForceFlag(bool found, bool consumed, bool ignored) {
  d_->forceFound = found;
  d_->forceConsumed = consumed;
  d_->forceIgnored = ignored;
}

void OrvDecisionRecord::noteReason(const std::string& text) { d_->givenReason = oneLine(text); }

void OrvDecisionRecord::noteInputs(OrvObjectDb& db, const OrvRuleDb& rules) {
  d_->inputs = objectValues(db, rules);
}

void OrvDecisionRecord::noteDecision(const OrvString& action, const OrvList<OrvString>& matched) {
  d_->action = action.getValue();
  d_->matched = json::array();
  for (int i = 0; i < matched.numObjects(); ++i) {
    const std::string line = matched[i]->data().getValue();
    const size_t sep = line.find(" : ");
    int position = 0;
    bool numeric = sep != std::string::npos && sep > 0;
    for (size_t k = 0; numeric && k < sep; ++k) {
      numeric = line[k] >= '0' && line[k] <= '9' && position < 100000000;
      position = position * 10 + (line[k] - '0');
    }
    if (!numeric) continue;
    d_->matched.push_back({{"position", position}, {"condition", line.substr(sep + 3)}});
  }
}

void OrvDecisionRecord::noteStateAfter(OrvObjectDb& db, const OrvRuleDb& rules) {
  d_->stateAfter = objectValues(db, rules);
}

std::string OrvDecisionRecord::reason(int exitCode) const {
  if (exitCode == 0 || exitCode == 3) return "";
  if (!d_->givenReason.empty()) return d_->givenReason;
  // The driver's own frame lines say nothing about why.
  auto frame = [](const std::string& m) {
    return startsWith(m, "Begin Orvanta") || startsWith(m, "End of Orvanta") ||
           startsWith(m, "Package is") || startsWith(m, "Initialization failed") ||
           startsWith(m, "INFO:") || startsWith(m, "Executing ");
  };
  auto isError = [](const std::string& m) {
    return startsWith(m, "Error") || startsWith(m, "ERROR");
  };
  // The arrays' own words on a failed listing go in front of the verdict.
  std::string arrays;
  for (const Data::Message& m : d_->messages)
    if (startsWith(m.text, "Array [") && arrays.find(oneLine(m.text)) == std::string::npos)
      arrays += oneLine(m.text) + "; ";
  // What the action said weighs most: an earlier error may be one the
  // table already took into account (an unreachable partner array).
  for (int pass = 0; pass < 2; ++pass) {
    for (const Data::Message& m : d_->messages)
      if (m.inTakeover && (pass == 0 ? isError(m.text) : !frame(m.text)))
        return arrays + oneLine(m.text);
  }
  for (const Data::Message& m : d_->messages)
    if (isError(m.text)) return arrays + oneLine(m.text);
  for (auto it = d_->messages.rbegin(); it != d_->messages.rend(); ++it)
    if (!frame(it->text)) return arrays + oneLine(it->text);
  return "";
}

std::string OrvDecisionRecord::text(OrvObjectDb& db, const OrvRCVexa* controller, int exitCode) {
  json r = json::object();
  r["record"] = orv_decisions::kRecordKind;
  r["record_version"] = orv_decisions::kRecordVersion;
  r["program_version"] = orvProgramVersion();
  r["start"] = orv_decisions::isoTime(d_->startSec);
  long long duration = monotonicMs() - d_->startMono;
  r["duration_ms"] = duration < 0 ? 0 : duration;
  r["node"] = db.textOf("LocalHostName");
  r["site"] = db.textOf("StatusCurrentDC");
  r["package"] = d_->package;
  r["configuration"] = configuration(db);
  if (controller != nullptr) {
    r["arrays"] = {{"local", side(controller->getLocalArrayName(), controller->getLocalPasswordFile(),
                                  controller->getLocalGroup(), controller->getLocalTarget())},
                   {"remote", side(controller->getRemoteArrayName(),
                                   controller->getRemotePasswordFile(),
                                   controller->getRemoteGroup(), controller->getRemoteTarget())}};
  } else {
    r["arrays"] = nullptr;
  }
  r["force_flag"] = {
      {"found", d_->forceFound}, {"consumed", d_->forceConsumed}, {"ignored", d_->forceIgnored}};
  r["rule_inputs"] = d_->inputs;
  r["matched_conditions"] = d_->matched;
  r["action"] = d_->action;
  json commands = json::array();
  for (const OrvCommandRecord::Entry& e : OrvCommandRecord::entries())
    commands.push_back({{"array", e.array},
                        {"path", e.path},
                        {"command", e.command},
                        {"exit_status", e.exitStatus},
                        {"duration_ms", e.durationMs}});
  r["commands"] = commands;
  r["state_after"] = d_->stateAfter;
  r["ended_in"] = kStageNames[d_->stage];
  r["reason"] = reason(exitCode);
  r["exit_code"] = exitCode;
  // Texts from the arrays or the configuration need not be UTF-8; replace
  // what is not rather than fail.
  return r.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

int OrvDecisionRecord::finish(OrvObjectDb& db, const OrvRCVexa* controller,
                              const std::string& packageDir, int exitCode) {
  Logger* logger = Logger::getInstance();
  const std::string body = text(db, controller, exitCode);
  // The warning below must not end up in a later record's messages.
  Logger::setTap(nullptr, nullptr);

  std::string why;
  const int dirFd = orv_decisions::openDir(packageDir, true, why);
  if (dirFd < 0) {
    logger->log("Warning: Decision record not written: %s", why.c_str());
    return 0;
  }
  // One listing serves the numbering, the pruning and the stale
  // temporaries.  A start refused by the package lock may write beside a
  // running one: the two records can share a number, never a name (it
  // holds the process id).
  std::vector<std::string> records, temps;
  for (const std::string& n : orv_decisions::namesIn(dirFd, [](const std::string& name) {
         return startsWith(name, kTemporaryPrefix) || orv_decisions::isRecordName(name);
       }))
    (startsWith(n, kTemporaryPrefix) ? temps : records).push_back(n);
  orv_decisions::sortByWriting(records);
  // Numbered in the order of writing: a wall clock stepped back must not
  // make this record look older than the ones before it.
  const std::string name =
      orv_decisions::recordName(orv_decisions::nextSequence(records), d_->startSec, d_->startMs,
                                static_cast<long>(getpid()));
  // Written and flushed before the rename: the name only ever shows a
  // whole record.
  orv_files::AtomicStep failed = orv_files::kCreateTemporary;
  const int err = orv_files::writeAtomically(
      dirFd, name,
      [](int attempt) {
        return std::string(kTemporaryPrefix) + std::to_string(getpid()) + "-" +
               std::to_string(attempt);
      },
      10, body, 0600, &failed);
  if (err != 0) {
    close(dirFd);
    if (failed == orv_files::kCreateTemporary)
      logger->log("Warning: Decision record not written: cannot create a file in [%s/%s]: %s",
                  packageDir.c_str(), orv_decisions::kDirName, std::strerror(err));
    else
      logger->log("Warning: Decision record not written: cannot write [%s/%s/%s]: %s",
                  packageDir.c_str(), orv_decisions::kDirName, name.c_str(), std::strerror(err));
    return 0;
  }

  records.push_back(name);  // the newest
  const size_t keep = orv_decisions::kKeepRecords;
  size_t excess = records.size() > keep ? records.size() - keep : 0;
  for (size_t i = 0; i < records.size() && excess > 0; ++i) {
    if (records[i] == name) continue;  // never the record just written
    unlinkat(dirFd, records[i].c_str(), 0);
    --excess;
  }
  removeStaleTemporaries(dirFd, temps);
  close(dirFd);
  return 1;
}
