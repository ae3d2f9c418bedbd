#include "tests/e2e/e2e_harness.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <sstream>

#include "testing/fakes/fake_data.h"

namespace orv_e2e {

std::string buildDir() {
  const char* env = std::getenv("ORV_BUILD_DIR");
  return env && *env ? env : ORV_BUILD_DIR;
}

std::string rcgatePath() { return buildDir() + "/rcgate/rcgate"; }
std::string rcwatchPath() { return buildDir() + "/rcwatch/rcwatch"; }
std::string orvSandboxPath() { return buildDir() + "/testing/sandbox/orv-sandbox"; }
std::string vtimeLibPath() { return buildDir() + "/testing/vtime/libvtime.so"; }
std::string vtimeProbePath() { return buildDir() + "/testing/vtime/vtime_probe"; }

bool isExecutable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

PackageScenario::PackageScenario(const std::string& packageName)
    : package(packageName) {
  attributes = {
      {"PACKAGE_NAME", package, false},
      {"PACKAGE_TYPE", "FAILOVER", false},
      {"VKR_PKG_DIR", packageDir(), false},
      {"RCVEXA_CLUSTER_TYPE", "metro", true},
      {"RCVEXA_DC1_NODE_LIST", "nodea1.sitea.example nodea2", true},
      {"RCVEXA_DC2_NODE_LIST", "nodeb1 nodeb2", true},
      {"RCVEXA_DC1_STORAGE_SYSTEM_NAME", "vexaa", true},
      {"RCVEXA_DC2_STORAGE_SYSTEM_NAME", "vexab", true},
      {"RCVEXA_DC1_STORAGE_SYSTEM_USER", user, true},
      {"RCVEXA_DC2_STORAGE_SYSTEM_USER", user, true},
      {"RCVEXA_DC1_RC_TARGET_FOR_DC2", "vexab_tgt", true},
      {"RCVEXA_DC2_RC_TARGET_FOR_DC1", "vexaa_tgt", true},
      {"RCVEXA_DC1_RC_VOLUME_GROUP", "rcgora_a", true},
      {"RCVEXA_DC2_RC_VOLUME_GROUP", "rcgora_b", true},
      {"RCVEXA_RESYNC_WAIT_TIMEOUT", "90", false},
      {"RCVEXA_AUTO_NONCURDATA", "0", true},
      {"RCVEXA_DR_NOTIFICATION_CHOICES", "EMAIL SYSLOG", true},
      {"RCVEXA_RPO_THRESHOLD", "0", false},
      {"EMAIL_ID", "dr-ops@example.com", true},
  };
  arrays = arraysim::SimScenario::healthyPair("vexaa", "vexab", "rcgora_a", "rcgora_b");
}

std::string PackageScenario::packageDir() const {
  return "/usr/local/tarvos/run/" + package;
}

std::string PackageScenario::passwordFile(const std::string& array) const {
  return "/usr/local/tarvos/conf/vexarc/" + user + "_" + array + ".pwf";
}

void PackageScenario::set(const std::string& name, const std::string& value,
                          bool quoted) {
  for (Attribute& a : attributes) {
    if (a.name == name) {
      a.value = value;
      a.quoted = quoted;
      return;
    }
  }
  attributes.push_back({name, value, quoted});
}

void PackageScenario::remove(const std::string& name) {
  for (size_t i = 0; i < attributes.size(); ++i) {
    if (attributes[i].name == name) {
      attributes.erase(attributes.begin() + static_cast<long>(i));
      return;
    }
  }
}

void PackageScenario::moveToFront(const std::string& name) {
  for (size_t i = 0; i < attributes.size(); ++i) {
    if (attributes[i].name == name) {
      Attribute a = attributes[i];
      attributes.erase(attributes.begin() + static_cast<long>(i));
      attributes.insert(attributes.begin(), a);
      return;
    }
  }
}

std::string PackageScenario::pkgenvText() const {
  std::string out;
  for (const Attribute& a : attributes)
    out += a.name + "=" + (a.quoted ? "\"" + a.value + "\"" : a.value) + "\n";
  return out;
}

std::string PackageScenario::install(orv_sandbox::Sandbox& sb) const {
  std::string data = orv_fake::kFakeDataDir;
  std::string names[2];
  // The cluster knows every node the package lists, by its short name.
  std::string view = "name=" + clusterName + "\nstatus=up\n";
  for (const Attribute& a : attributes) {
    if (a.name == "RCVEXA_DC1_STORAGE_SYSTEM_NAME") names[0] = a.value;
    if (a.name == "RCVEXA_DC2_STORAGE_SYSTEM_NAME") names[1] = a.value;
    if (a.name != "RCVEXA_DC1_NODE_LIST" && a.name != "RCVEXA_DC2_NODE_LIST") continue;
    std::istringstream words(a.value);
    for (std::string n; words >> n;) {
      n = n.substr(0, n.find('.'));
      view += "node:" + n + "|name=" + n + "\n";
    }
  }
  bool ok = sb.setNodeName(node) &&
            sb.writeFile(data + "/pkgenv/" + package, pkgenvText()) &&
            sb.writeFile(data + "/clusterview", view) &&
            sb.makeDir(packageDir());
  for (const std::string& array : names)
    if (ok && !array.empty())
      ok = sb.writeFile(passwordFile(array), "encrypted-" + array + "\n", 0600);
  if (ok && !redhatRelease.empty()) ok = sb.writeFile("/etc/redhat-release", redhatRelease);
  if (!ok) return sb.error();
  if (!arrays.save(sb.hostPath(arraysim::kDefaultDir)))
    return "cannot save the arrays' state in " + sb.hostPath(arraysim::kDefaultDir);
  return "";
}

arraysim::SimScenario arraysAfter(const orv_sandbox::Sandbox& sb) {
  return arraysim::SimScenario::load(sb.hostPath(arraysim::kDefaultDir));
}

arraysim::SimJournal journal(const orv_sandbox::Sandbox& sb) {
  return arraysim::SimJournal::load(sb.hostPath(arraysim::kDefaultDir));
}

namespace {

// "[DEBUG ]Mmm dd HH:MM:SS - Node N : text": fills l and returns true when
// line starts a message.  (Plain parsing: std::regex draws false warnings
// from the compiler in sanitizer builds.)
bool parseHead(const std::string& line, LogLine& l) {
  size_t at = line.compare(0, 6, "DEBUG ") == 0 ? 6 : 0;
  // "Mmm dd HH:MM:SS" is 15 characters, then " - Node ".
  if (line.size() < at + 15 + 8) return false;
  const char* p = line.c_str() + at;
  auto digit = [](char c) { return c >= '0' && c <= '9'; };
  if (!isupper(static_cast<unsigned char>(p[0])) || !islower(static_cast<unsigned char>(p[1])) ||
      !islower(static_cast<unsigned char>(p[2])) || p[3] != ' ' ||
      !(p[4] == ' ' || digit(p[4])) || !digit(p[5]) || p[6] != ' ' || !digit(p[7]) ||
      !digit(p[8]) || p[9] != ':' || !digit(p[10]) || !digit(p[11]) || p[12] != ':' ||
      !digit(p[13]) || !digit(p[14]))
    return false;
  if (line.compare(at + 15, 8, " - Node ") != 0) return false;
  size_t node = at + 23;
  size_t sep = line.find(" : ", node);
  if (sep == std::string::npos) return false;
  l.debug = at == 6;
  l.node = line.substr(node, sep - node);
  l.text = line.substr(sep + 3);
  return true;
}

}  // namespace

std::vector<LogLine> parseLog(const std::string& output) {
  std::vector<LogLine> lines;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    LogLine head;
    if (parseHead(line, head)) {
      lines.push_back(head);
    } else if (!lines.empty()) {
      lines.back().text += "\n" + line;
    } else {
      lines.push_back({false, "", line});
    }
  }
  return lines;
}

std::vector<std::string> messages(const std::string& output, bool withDebug) {
  std::vector<std::string> out;
  for (const LogLine& l : parseLog(output))
    if (withDebug || !l.debug) out.push_back(l.text);
  return out;
}

int findMessage(const std::vector<std::string>& msgs, const std::string& text) {
  for (size_t i = 0; i < msgs.size(); ++i)
    if (msgs[i] == text ||
        (msgs[i].size() > text.size() && msgs[i].compare(0, text.size(), text) == 0 &&
         msgs[i][text.size()] == '\n'))
      return static_cast<int>(i);
  return -1;
}

std::vector<std::string> findingLines(const std::string& output) {
  std::vector<std::string> out;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, 6, "Error:") == 0 || line.compare(0, 8, "Warning:") == 0)
      out.push_back(line);
  return out;
}

std::vector<std::vector<std::string>> fakeCalls(const orv_sandbox::Sandbox& sb,
                                                const std::string& fake) {
  std::vector<std::vector<std::string>> calls;
  std::string dir = std::string(orv_fake::kFakeDataDir) + "/" + fake + "/";
  for (int n = 1;; ++n) {
    std::string text;
    if (!sb.readFile(dir + std::to_string(n) + ".args", text)) break;
    std::vector<std::string> args;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\0') {
        args.push_back(text.substr(start, i - start));
        start = i + 1;
      }
    }
    calls.push_back(args);
  }
  return calls;
}

std::vector<std::string> decisionEntries(const orv_sandbox::Sandbox& sb,
                                         const PackageScenario& s) {
  return sb.listDir(s.packageDir() + "/decisions");
}

nlohmann::json decisionRecord(const orv_sandbox::Sandbox& sb, const PackageScenario& s,
                              const std::string& name) {
  return nlohmann::json::parse(sb.readFile(s.packageDir() + "/decisions/" + name), nullptr,
                               false);
}

orv_sandbox::RunResult runRcgate(orv_sandbox::Sandbox& sb,
                                 const std::vector<std::string>& args,
                                 const std::vector<std::string>& env) {
  orv_sandbox::RunOptions options;
  options.argv.push_back(rcgatePath());
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.env = env;
  options.virtualTime = true;
  options.timeoutSeconds = 60;
  return sb.run(options);
}

}  // namespace orv_e2e
