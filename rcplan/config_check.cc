#include "rcplan/config_check.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <memory>
#include <vector>

#include "array/orv_vexa_util.h"
#include "controller/safe_config.h"
#include "controller/site_objects.h"
#include "controller/takeover_actions_steps.h"
#include "foundation/force_flag.h"
#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "foundation/safe_word.h"
#include "foundation/child_process.h"
#include "foundation/util.h"
#include "objectdb/attribute_source.h"
#include "objectdb/catalogue.h"
#include "objectdb/config_commands.h"
#include "objectdb/config_line.h"
#include "objectdb/email_ids.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "objectdb/orv_type.h"
#include "rcplan/check_findings.h"
#include "rcplan/dry_run.h"

namespace rcplan {

void CheckFindings::line(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list sizing;
  va_copy(sizing, args);
  const int size = vsnprintf(nullptr, 0, format, sizing);
  va_end(sizing);
  std::string text;
  if (size > 0) {
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    vsnprintf(buffer.data(), buffer.size(), format, args);
    text.assign(buffer.data(), static_cast<size_t>(size));
  }
  va_end(args);
  if (text.compare(0, 6, "Error:") == 0) {
    ++errors_;
  } else if (text.compare(0, 8, "Warning:") == 0) {
    ++warnings_;
  }
  out_ << text << "\n";
}

namespace {

// One attribute line as the loader's filter leaves it: name without the
// RCVEXA_ prefix, the rest of the line after it.
struct AttributeLine {
  std::string name;
  OrvString rest;
};

typedef std::map<std::string, const AttributeLine*> FirstLines;

const char* const kRequired[] = {
    "DC1_NODE_LIST",           "DC2_NODE_LIST",           "DC1_STORAGE_SYSTEM_NAME",
    "DC2_STORAGE_SYSTEM_NAME", "DC1_STORAGE_SYSTEM_USER", "DC2_STORAGE_SYSTEM_USER",
    "DC1_RC_VOLUME_GROUP",     "DC2_RC_VOLUME_GROUP",     "DC1_RC_TARGET_FOR_DC2",
    "DC2_RC_TARGET_FOR_DC1"};

// What a value outside those the catalogue accepts does: an Error where it
// changes a start's decision, else a Warning (only a time bound or rcwatch).
// "{default}" in the effect stands for the setting's catalogue default.
struct ValueRule {
  const char* name;
  bool error;
  const char* effect;
};

const ValueRule kValueRules[] = {
    {"AUTO_NONCURDATA", true, "the link-down states then have no decision"},
    {"RESYNC_WAIT_TIMEOUT", true, "a start takes any number as it is, text as 0: never wait"},
    {"PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", false, "a failover waits {default} seconds instead"},
    {"JxVexaCLICommandTimeout", false, "array commands then run without a time bound"},
    {"RPO_THRESHOLD", false, "rcwatch reads text as 0, no notice"},
    {"DR_NOTIFICATION_CHOICES", false, "rcwatch does not notify through it"},
};

// The one place this check decides which values may reach a command line.
bool shellLiteral(const std::string& value, bool packageName) {
  return packageName ? OrvSafeWord::isPackageName(value.c_str())
                     : OrvSafeWord::isArrayWord(value.c_str());
}

std::string shownName(const std::string& name) {
  return name.compare(0, 3, "VKR") == 0 ? name : "RCVEXA_" + name;
}

std::string thisNode() {
  if (!orv_attributes::nodeName().empty()) return orv_attributes::nodeName();
  OrvString output;
  if (!OrvUtil::getCmdStrOutput("/bin/hostname", output, 80)) return "";
  // Node lists hold short names, as for the start.
  const char* shortName = output.strTok(".", 1);
  return shortName != nullptr ? shortName : "";
}

std::string readPackageDir(const std::string& package) {
  OrvString dir;
  int rc = 0;
  if (!OrvConfigCommands::run(OrvConfigCommands::packageDirCommand(package.c_str()), dir, &rc))
    return "";
  return orv_child::firstLine(dir.getValue());
}

// The attribute lines through the loader's own filter, in the printed
// order, read straight from the pipe: nothing is written for them, and a
// wrong VKR_PKG_DIR can be reported instead of used.
int readAttributeLines(const std::string& package, std::vector<AttributeLine>& lines) {
  OrvString command = OrvConfigCommands::attributeCommand(package.c_str());
  int status = 0;
  OrvString content;
  if (!OrvConfigCommands::run(command, content, &status) || status == -1 ||
      !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    return 0;
  const std::string text = content.getValue();
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    OrvString name;
    OrvString rest;
    if (OrvConfigLine::split(text.substr(at, end - at).c_str(), name, rest))
      lines.push_back({name.getValue(), rest});
    at = end + 1;
  }
  return 1;
}

const AttributeLine* lineOf(const FirstLines& first, const char* name) {
  FirstLines::const_iterator it = first.find(name);
  return it == first.end() ? nullptr : it->second;
}

// The value a start takes for a string attribute; '' when it takes none.
std::string stringValue(const FirstLines& first, const char* name) {
  const AttributeLine* l = lineOf(first, name);
  if (l == nullptr) return "";
  std::unique_ptr<OrvType> v = OrvConfigLine::value(STRING_TYPE, name, l->rest);
  OrvString text;
  if (!v || !v->getValue(text)) return "";
  return text.getValue();
}

std::vector<std::string> listValue(const FirstLines& first, const char* name) {
  std::vector<std::string> out;
  const AttributeLine* l = lineOf(first, name);
  if (l == nullptr) return out;
  std::unique_ptr<OrvType> v = OrvConfigLine::value(LIST_TYPE, name, l->rest);
  OrvList<OrvString> items;
  if (v && v->getValue(items))
    for (int i = 0; i < items.numObjects(); ++i) out.push_back(items[i]->data().getValue());
  return out;
}

// The first word of a line's value, as an integer attribute is read.
std::string firstWord(const OrvString& rest) {
  const std::string text = rest.getValue();
  const size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return "";
  const size_t end = text.find_first_of(" \t#", begin);
  return text.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

void refuseValue(const ValueRule& rule, const OrvAcceptedValues& accepted,
                 const std::string& value, CheckFindings& f) {
  const std::string name = shownName(rule.name);
  std::string effect = rule.effect;
  const size_t at = effect.find("{default}");
  const OrvCatalogueRow* row = OrvCatalogue::find(rule.name);
  if (at != std::string::npos && row != nullptr && row->defaultValue != nullptr)
    effect.replace(at, 9, row->defaultValue);
  f.line("%s: Attribute [%s] holds [%s], not %s (%s); correct it.",
         rule.error ? "Error" : "Warning", name.c_str(), value.c_str(), accepted.text().c_str(),
         effect.c_str());
}

void checkValue(const ValueRule& rule, const FirstLines& first, CheckFindings& f) {
  const AttributeLine* l = lineOf(first, rule.name);
  const OrvCatalogueRow* row = OrvCatalogue::find(rule.name);
  if (l == nullptr || row == nullptr) return;
  const OrvAcceptedValues accepted = OrvCatalogue::accepted(rule.name);
  if (accepted.words.empty()) {
    const std::string word = firstWord(l->rest);
    if (!accepted.accepts(word)) refuseValue(rule, accepted, word, f);
    return;
  }
  if (row->type == LIST_TYPE) {
    for (const std::string& w : listValue(first, rule.name))
      if (!accepted.accepts(w)) refuseValue(rule, accepted, w, f);
    return;
  }
  const std::string value = stringValue(first, rule.name);
  if (!value.empty() && !accepted.accepts(value)) refuseValue(rule, accepted, value, f);
}

// Edits (insert, delete, change one character) from a to b.
size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// " Did you mean [NAME]?" for the setting closest to name, when one is
// within two edits; '' otherwise.
std::string didYouMean(OrvObjectDb& catalogue, const std::string& name) {
  std::string best;
  size_t bestDistance = 3;
  for (int i = 0; i < catalogue.numberOfElements(); ++i) {
    const OrvObject object = catalogue[i];
    if (object.getTag() == INTERNAL_OBJ || object.getType() == TAG_TYPE) continue;
    const std::string candidate = object.getObjectName().getValue();
    const size_t d = editDistance(name, candidate);
    if (d < bestDistance) {
      bestDistance = d;
      best = candidate;
    }
  }
  return best.empty() ? "" : " Did you mean [" + shownName(best) + "]?";
}

// Names outside the catalogue and names of run-time objects; first gets
// the first line of every other name.
void checkNames(const std::vector<AttributeLine>& lines, FirstLines& first, CheckFindings& f) {
  OrvObjectDb catalogue;
  bool stopped = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    const AttributeLine& l = lines[i];
    const std::string name = shownName(l.name);
    OrvObject* object = nullptr;
    if (!catalogue.getObjectByName(l.name.c_str(), object, 0)) {
      const std::string hint = didYouMean(catalogue, l.name);
      if (!stopped) {
        std::string lost;
        for (size_t k = i + 1; k < lines.size(); ++k)
          lost += (lost.empty() ? " Lost: " : ", ") + shownName(lines[k].name);
        f.line("Error: Attribute [%s] is not a known setting; correct its name or remove it. "
               "A start stops reading the attributes at this line and loses the %d after it.%s%s",
               name.c_str(), static_cast<int>(lines.size() - i - 1),
               lost.empty() ? "" : (lost + ".").c_str(), hint.c_str());
        stopped = true;
      } else {
        f.line("Error: Attribute [%s] is not a known setting; correct its name or remove it.%s",
               name.c_str(), hint.c_str());
      }
      continue;
    }
    if (object->getTag() == INTERNAL_OBJ || object->getType() == TAG_TYPE) {
      f.line("Error: Attribute [%s] names a run-time object, not a setting; remove it: a start "
             "would take its value for the state it finds.",
             name.c_str());
      continue;
    }
    if (first.find(l.name) == first.end()) first[l.name] = &l;
  }
}

// The site values the controller's set-up would refuse, found by its own
// check.
std::vector<OrvUnsafeValue> unsafeSiteValues(const FirstLines& first) {
  OrvObjectDb db;
  for (const char* name : orvCommandLineAttributes()) {
    const std::string value = stringValue(first, name);
    if (!value.empty()) db.setStrValByName(name, value.c_str());
  }
  return orvUnsafeConfigValues(db);
}

void checkRequiredAndValues(const FirstLines& first, const std::vector<OrvUnsafeValue>& unsafe,
                            CheckFindings& f) {
  for (const char* name : kRequired) {
    const bool list = std::string(name).find("NODE_LIST") != std::string::npos;
    if (list ? lineOf(first, name) == nullptr : stringValue(first, name).empty())
      f.line("Error: Required attribute [%s] is not set; define it for the package.",
             shownName(name).c_str());
  }
  if (stringValue(first, "AUTO_NONCURDATA").empty())
    f.line("Warning: Attribute [RCVEXA_AUTO_NONCURDATA] is not set: a start with the link down "
           "ends in MANUAL INTERVENTION NECESSARY; set it to %s.",
           OrvCatalogue::accepted("AUTO_NONCURDATA").text().c_str());
  for (const ValueRule& rule : kValueRules) checkValue(rule, first, f);
  for (const OrvUnsafeValue& u : unsafe)
    f.line("Error: Attribute [%s] holds [%s], which may not be put into a command line "
           "(letters, digits and . _ - : / @ only); correct it.",
           shownName(u.attribute.getValue()).c_str(), u.value.getValue());
}

// The node lists; site := "A" or "B" when this node is in exactly one.
void checkNodes(const FirstLines& first, const std::string& node, std::string& site,
                CheckFindings& f) {
  const char* names[2] = {"DC1_NODE_LIST", "DC2_NODE_LIST"};
  std::vector<std::string> lists[2];
  for (int i = 0; i < 2; ++i) {
    lists[i] = listValue(first, names[i]);
    if (lineOf(first, names[i]) != nullptr && lists[i].empty())
      f.line("Error: Attribute [%s] lists no node; name the nodes of site %s in it.",
             shownName(names[i]).c_str(), i == 0 ? "A" : "B");
  }
  auto listed = [&](int i, const std::string& n) {
    for (const std::string& m : lists[i])
      if (m == n) return true;
    return false;
  };
  const bool inA = listed(0, node);
  const bool inB = listed(1, node);
  if (inA && inB) {
    f.line("Error: This node [%s] is in both RCVEXA_DC1_NODE_LIST and RCVEXA_DC2_NODE_LIST; "
           "remove it from the list of the other site.",
           node.c_str());
  } else if (!inA && !inB) {
    f.line("Error: This node [%s] is in neither RCVEXA_DC1_NODE_LIST nor RCVEXA_DC2_NODE_LIST; "
           "add its short host name to the list of its site.",
           node.c_str());
  } else {
    site = inA ? "A" : "B";
    f.line("This node [%s] belongs to site %s.", node.c_str(), site.c_str());
  }
  std::vector<std::string> reported;
  for (const std::string& n : lists[0]) {
    if (n == node || !listed(1, n)) continue;
    bool seen = false;
    for (const std::string& r : reported) seen = seen || r == n;
    if (seen) continue;
    reported.push_back(n);
    f.line("Error: Node [%s] is in both RCVEXA_DC1_NODE_LIST and RCVEXA_DC2_NODE_LIST: a start "
           "there is refused; remove it from the list of the other site.",
           n.c_str());
  }
}

// The node names the cluster manager knows ("node:ID|name=NAME" lines of
// tvviewcl); empty when it cannot tell (no cluster manager, as under
// another cluster engine, or no answer): then nothing is judged.
std::vector<std::string> clusterNodes() {
  std::vector<std::string> nodes;
  if (orv_attributes::fromFile()) return nodes;
  orv_child::Spec spec;
  spec.command = "/usr/local/tarvos/bin/tvviewcl -s config -fline -v";
  spec.capture = true;
  orv_child::Result r;
  if (!orv_child::run(spec, &r) || r.rawStatus == -1 || !WIFEXITED(r.rawStatus) ||
      WEXITSTATUS(r.rawStatus) != 0)
    return nodes;
  size_t at = 0;
  while (at < r.output.size()) {
    size_t end = r.output.find('\n', at);
    if (end == std::string::npos) end = r.output.size();
    const std::string line = r.output.substr(at, end - at);
    at = end + 1;
    const size_t name = line.find("|name=");
    if (line.compare(0, 5, "node:") != 0 || name == std::string::npos) continue;
    const std::string n = line.substr(name + 6, line.find('|', name + 6) - name - 6);
    if (!n.empty()) nodes.push_back(n);
  }
  return nodes;
}

// A listed node the cluster does not know is a typing error: a start
// there would find no site.
void checkKnownNodes(const FirstLines& first, CheckFindings& f) {
  const std::vector<std::string> known = clusterNodes();
  if (known.empty()) return;
  std::string knownText;
  for (const std::string& k : known) knownText += (knownText.empty() ? "" : " ") + k;
  for (const char* list : {"DC1_NODE_LIST", "DC2_NODE_LIST"}) {
    for (const std::string& listed : listValue(first, list)) {
      // Lists may hold full names; the cluster knows short ones.
      const std::string n = listed.substr(0, listed.find('.'));
      if (std::find(known.begin(), known.end(), n) != known.end()) continue;
      f.line("Warning: Node [%s] of %s is not a node of the cluster (known nodes: %s); "
             "correct the name.",
             listed.c_str(), shownName(list).c_str(), knownText.c_str());
    }
  }
}

void fillSite(const FirstLines& first, const std::vector<OrvUnsafeValue>& unsafe, int i,
              CheckSite& s) {
  const std::string dc = i == 0 ? "DC1" : "DC2";
  s.site = i == 0 ? "A" : "B";
  s.prefix = i == 0 ? "DC1" : "DC2";
  s.targetAttribute = i == 0 ? "RCVEXA_DC1_RC_TARGET_FOR_DC2" : "RCVEXA_DC2_RC_TARGET_FOR_DC1";
  s.array = stringValue(first, (dc + "_STORAGE_SYSTEM_NAME").c_str());
  s.user = stringValue(first, (dc + "_STORAGE_SYSTEM_USER").c_str());
  s.group = stringValue(first, (dc + "_RC_VOLUME_GROUP").c_str());
  s.target = stringValue(first, (i == 0 ? "DC1_RC_TARGET_FOR_DC2" : "DC2_RC_TARGET_FOR_DC1"));
  if (!s.user.empty() && !s.array.empty())
    s.passwordFile = orvPasswordFilePath(s.user.c_str(), s.array.c_str()).getValue();
  s.queryable = !s.array.empty() && !s.user.empty() && !s.group.empty() && !s.target.empty();
  for (const OrvUnsafeValue& u : unsafe)
    if (std::string(u.attribute.getValue()).compare(0, dc.size() + 1, dc + "_") == 0)
      s.queryable = false;
}

void checkPasswordFile(const CheckSite& s, CheckFindings& f) {
  if (s.passwordFile.empty() || !shellLiteral(s.passwordFile, false)) return;
  const std::string::size_type underscore = s.user.find('_');
  if (underscore != std::string::npos)
    f.line("Warning: Attribute [RCVEXA_%s_STORAGE_SYSTEM_USER] holds [%s]: on the ssh path the "
           "array is logged in as [%s]; use a user name without '_'.",
           s.prefix, s.user.c_str(), s.user.substr(0, underscore).c_str());
  const char* path = s.passwordFile.c_str();
  switch (orvPasswordFileState(s.passwordFile.c_str())) {
    case kPasswordFileMissing:
      f.line("Warning: Password file [%s] of array [%s] (site %s) is missing: every command goes "
             "through ssh; create it (readable by root only) or make sure ssh login with a key "
             "works.",
             path, s.array.c_str(), s.site);
      break;
    case kPasswordFileNotRegular:
      f.line("Error: Password file [%s] of array [%s] (site %s) is not a regular file; replace "
             "it with the array client's password file.",
             path, s.array.c_str(), s.site);
      break;
    case kPasswordFileExposed:
      f.line("Error: Password file [%s] of array [%s] (site %s) is readable by group or others; "
             "chmod 600 it.",
             path, s.array.c_str(), s.site);
      break;
    case kPasswordFileOk:
      break;
  }
}

void checkPackageDir(const std::string& dir, CheckFindings& f) {
  if (dir.empty()) {
    f.line("Error: Attribute [VKR_PKG_DIR] is not set; define the package directory.");
    return;
  }
  if (!shellLiteral(dir, false)) {
    f.line("Error: Attribute [VKR_PKG_DIR] holds [%s], which may not be put into a command line "
           "(letters, digits and . _ - : / @ only); correct it.",
           dir.c_str());
    return;
  }
  struct stat st;
  if (stat(dir.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
    f.line("Error: Package directory [%s] (VKR_PKG_DIR) is not a directory; remove what stands "
           "there or correct the attribute.",
           dir.c_str());
}

// The addresses rcwatch would mail; with EMAIL chosen and none of them, no
// mail is ever sent and nothing says so.
void checkEmailIds(const std::string& package, const FirstLines& first, CheckFindings& f) {
  OrvEmailIds ids;
  if (!orvReadEmailIds(package, ids)) return;
  for (const std::string& word : ids.refused) f.line("%s", orvRefusedAddressWarning(word).c_str());
  bool email = false;
  for (const std::string& w : listValue(first, "DR_NOTIFICATION_CHOICES")) email = email || w == "EMAIL";
  if (email && ids.addresses.empty())
    f.line("Error: Attribute [RCVEXA_DR_NOTIFICATION_CHOICES] holds EMAIL but EMAIL_ID names no "
           "e-mail address: rcwatch sends no mail; set EMAIL_ID or remove EMAIL.");
}

void checkForceFlag(const std::string& dir, CheckFindings& f) {
  if (dir.empty() || !shellLiteral(dir, false)) return;
  OrvObjectDb db;
  if (!db.setStrValByName("VKR_PKG_DIR", dir.c_str())) return;
  const std::string flag = forceFlagPath(db);
  // The start's own rule: only a regular file of root's counts.
  const orv_force::Outcome seen = orv_force::inspect(dir, false);
  if (seen.state == orv_force::kIgnored)
    f.line("%s", orv_force::ignoredWarning(seen.path).c_str());
  else if (!flag.empty() && seen.state == orv_force::kCounts)
    f.line("Warning: FORCEFLAG file [%s] is present: the next start on this node uses it as your "
           "leave to start on data that may not be current, and removes it; remove it unless "
           "that is meant.",
           flag.c_str());
}

// What rcplan PKG would say for this node now, with its log kept quiet.
GatePlan verdictNow(const std::string& package) {
  GatePlan plan;
  std::ostringstream discard;
  planStart(package, {}, discard, discard, plan);
  return plan;
}

// The parameter file of rcwatch and the keys it reads (rcwatch(8)).
const char kMonitorParams[] = "/usr/local/tarvos/conf/vexarc/OrvVexaMONConfigParams";
const char* const kMonitorKeys[] = {"MonitorInterval", "MetricsDir"};

// Keys rcwatch does not know (it ignores them silently), and a MetricsDir
// it would not write into.
void checkMonitorParameters(CheckFindings& f) {
  OrvString text;
  if (!OrvUtil::orvReadFile(OrvString(kMonitorParams), text, 0)) return;
  std::istringstream in(text.getValue());
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const size_t end = line.find_first_of(" \t=", start);
    const std::string key = line.substr(start, end == std::string::npos ? end : end - start);
    std::string nearest;
    size_t distance = 4;
    for (const char* known : kMonitorKeys) {
      const size_t d = editDistance(key, known);
      if (d < distance) distance = d, nearest = known;
    }
    if (distance != 0) {
      f.line("Warning: Key [%s] on line %d of %s is not a monitor parameter; rcwatch ignores "
             "it.%s",
             key.c_str(), number, kMonitorParams,
             nearest.empty() ? "" : (" Did you mean [" + nearest + "]?").c_str());
      continue;
    }
    if (key != "MetricsDir") continue;
    std::string dir = end == std::string::npos ? "" : line.substr(end);
    dir.erase(0, dir.find_first_not_of(" \t="));
    dir.erase(dir.find_last_not_of(" \t\r") + 1);
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != 0)
      f.line("Warning: MetricsDir [%s] on line %d of %s is not an existing directory owned by "
             "root; rcwatch writes no metrics file there.",
             dir.c_str(), number, kMonitorParams);
  }
}

int check(const std::string& package, bool gateExit, std::ostream& out) {
  CheckFindings f(out);
  if (!shellLiteral(package, true)) {
    f.line("Error: Invalid package name [%s]; package names are letters, digits and . _ - only.",
           package.c_str());
    return kExitCheckFailed;
  }
  const std::string node = thisNode();
  f.line("Configuration check of package %s on node %s; nothing is changed.", package.c_str(),
         node.c_str());

  const std::string packageDir = readPackageDir(package);
  std::vector<AttributeLine> lines;
  if (!readAttributeLines(package, lines)) {
    f.line("Error: The attributes of package [%s] could not be read with %s; check the cluster "
           "manager.",
           package.c_str(), OrvConfigCommands::sourceName().getValue());
    return kExitCheckFailed;
  }
  if (lines.empty() && packageDir.empty() && orv_attributes::fromFile()) {
    f.line("Error: Attribute file [%s] holds no attributes of package [%s].",
           orv_attributes::fileName().c_str(), package.c_str());
    return kExitCheckFailed;
  }
  if (lines.empty() && packageDir.empty()) {
    f.line("Error: The cluster manager shows no attributes for package [%s]; check the name "
           "with %s %s.",
           package.c_str(), OrvConfigCommands::kPackageEnvProgram, package.c_str());
    return kExitCheckFailed;
  }

  FirstLines first;
  checkNames(lines, first, f);
  const std::vector<OrvUnsafeValue> unsafe = unsafeSiteValues(first);
  checkRequiredAndValues(first, unsafe, f);
  checkEmailIds(package, first, f);
  checkPackageDir(packageDir, f);
  std::string site;
  checkNodes(first, node, site, f);
  checkKnownNodes(first, f);

  // The bound a start applies to every array command, or the check's own.
  const int attributeTimeout = atoi(stringValue(first, "JxVexaCLICommandTimeout").c_str());
  const int timeout = attributeTimeout > 0 ? attributeTimeout : kCheckCommandTimeout;
  OrvVexaUtil::setCommandTimeout(timeout);
  CheckSite sites[2];
  ArrayView views[2];
  for (int i = 0; i < 2; ++i) {
    fillSite(first, unsafe, i, sites[i]);
    sites[i].commandTimeout = timeout;
    sites[i].timeoutFromAttribute = attributeTimeout > 0;
    checkPasswordFile(sites[i], f);
  }
  for (int i = 0; i < 2; ++i) {
    if (sites[i].queryable) {
      checkArray(sites[i], f, views[i]);
    } else {
      f.line("Warning: The array of site %s was not asked: its attributes above are missing or "
             "refused.",
             sites[i].site);
    }
  }
  // The dry run's verdict on the same state, only when both arrays were
  // read: otherwise the findings above already say why a start fails.
  GatePlan plan;
  const bool planned = gateExit || (views[0].groupRead && views[1].groupRead);
  if (planned) plan = verdictNow(package);
  checkPair(sites, views, planned && (plan.gateExit == 0 || plan.gateExit == 3), f);
  checkForceFlag(packageDir, f);
  checkMonitorParameters(f);

  if (f.errors() == 0 && f.warnings() == 0) {
    f.line("Check of package %s finished: no errors, no warnings.", package.c_str());
  } else {
    f.line("Check of package %s finished: errors %d, warnings %d.", package.c_str(), f.errors(),
           f.warnings());
  }
  if (planned)
    f.line("Verdict: rcgate would exit %d: %s", plan.gateExit, gateExitMeaning(plan.gateExit));
  if (gateExit) return plan.gateExit;
  return f.errors() == 0 ? kExitCheckClean : kExitCheckFailed;
}

}  // namespace

int runConfigCheck(const std::string& package, std::ostream& out, bool gateExit) {
  Logger* logger = Logger::createInstance();
  // The queries' own log lines would bury the findings; with DATAREP_DEBUG
  // they are wanted.
  const int savedOutput = logger->getOutput();
  if (!logger->isDebug()) logger->setOutput(0);
  const int result = check(package, gateExit, out);
  out.flush();
  logger->setOutput(savedOutput);
  Logger::removeInstance(&logger);
  return result;
}

}  // namespace rcplan
