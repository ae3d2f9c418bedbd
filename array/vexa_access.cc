// Access-path decision and command-line building: pure text work, nothing
// is run here.

#include <cstring>
#include <string>

#include "array/cli_catalogue.h"
#include "array/orv_vexa_util.h"

namespace {

// Splits a dotted version into its numeric components (leading zeros
// dropped, so components compare by length, then by digits).  False unless
// the text is one or more runs of digits separated by single dots.
bool splitVersion(const char* text, std::string* parts, int maxParts, int* count) {
  *count = 0;
  if (text == nullptr || *text == '\0') return false;
  std::string current;
  bool digitsSeen = false;
  for (const char* p = text;; ++p) {
    if (*p >= '0' && *p <= '9') {
      if (!(current.empty() && *p == '0')) current += *p;
      digitsSeen = true;
    } else if (*p == '.' || *p == '\0') {
      if (!digitsSeen || *count >= maxParts) return false;
      parts[(*count)++] = current;
      current.clear();
      digitsSeen = false;
      if (*p == '\0') return true;
    } else {
      return false;
    }
  }
}

int compareComponent(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

int OrvVexaUtil::compareCliVersions(const char* a, const char* b, int* order) {
  const int kMaxParts = 16;
  std::string pa[kMaxParts];
  std::string pb[kMaxParts];
  int na = 0;
  int nb = 0;
  if (!splitVersion(a, pa, kMaxParts, &na) || !splitVersion(b, pb, kMaxParts, &nb))
    return 0;
  int result = 0;
  for (int i = 0; i < na || i < nb; ++i) {
    // A missing component counts as 0, which is the empty digit run here.
    const std::string& ca = i < na ? pa[i] : std::string();
    const std::string& cb = i < nb ? pb[i] : std::string();
    result = compareComponent(ca, cb);
    if (result != 0) break;
  }
  *order = result;
  return 1;
}

OrvVexaUtil::AccessPath OrvVexaUtil::decideAccessPath(const OrvString& releaseField,
                                                      int probeStarted,
                                                      int probeStatus,
                                                      const OrvString& version) {
  if (!probeStarted || probeStatus != 0) return kAccessSsh;
  OrvString v(version);
  v.trim();
  int order = 0;
  if (!compareCliVersions(v.getValue(), "3.3.1", &order)) return kAccessSsh;
  if (order < 0) return kAccessCli;
  return releaseField == "5" ? kAccessCli : kAccessSsh;
}

OrvString OrvVexaUtil::accessPrefix(AccessPath path, const OrvString& system,
                                    const OrvString& passwordFile,
                                    const OrvString& sshUser) {
  OrvString prefix;
  if (path == kAccessCli) {
    prefix = OrvString("/usr/bin/cli -sys ") + system + " -sockssl -pwf " +
             passwordFile + " ";
  } else {
    prefix = OrvString("/usr/bin/ssh -l ") + sshUser + " -o ConnectTimeout=3 " +
             system + " ";
  }
  return prefix;
}

int OrvVexaUtil::cliCommandText(e_CLI_CMD_OPTION option, int longForm,
                                const OrvString& group, const OrvString& target,
                                OrvString& text, int* taskMode) {
  const OrvCliCommand* cmd = OrvCliCatalogue::find(option);
  if (taskMode != nullptr) *taskMode = 0;
  if (cmd == nullptr || (cmd->longForm != 0) != (longForm != 0)) return 0;
  std::string out;
  const char* t = cmd->text;
  // Fill the %s placeholders in the catalogue's order.
  const OrvString* fills[2] = {nullptr, nullptr};
  int nfill = 0;
  switch (cmd->fill) {
    case OrvCliCommand::kFillGroup:
      fills[nfill++] = &group;
      break;
    case OrvCliCommand::kFillTargetGroup:
      fills[nfill++] = &target;
      fills[nfill++] = &group;
      break;
    default:
      break;
  }
  int next = 0;
  for (const char* p = t; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 's') {
      if (next < nfill) out += fills[next]->getValue();
      ++next;
      ++p;
    } else {
      out += *p;
    }
  }
  text = out.c_str();
  if (taskMode != nullptr) *taskMode = cmd->scanAllLines;
  return 1;
}

int OrvVexaUtil::buildCliCommand(e_CLI_CMD_OPTION option, int longForm,
                                 AccessPath path, const OrvString& system,
                                 const OrvString& passwordFile,
                                 const OrvString& sshUser, const OrvString& group,
                                 const OrvString& target, OrvString& commandLine,
                                 int* taskMode) {
  OrvString text;
  if (!cliCommandText(option, longForm, group, target, text, taskMode)) return 0;
  commandLine = accessPrefix(path, system, passwordFile, sshUser) + text;
  return 1;
}

// Its error output is dropped: a host without the release file is not
// RHEL 5, and the log stays clean.
OrvString OrvVexaUtil::releaseCheckCommand() {
  return OrvString("/bin/cat /etc/redhat-release 2>/dev/null | awk -F \"[ .]\" '{print $7}'");
}

OrvString OrvVexaUtil::versionProbeCommand(const OrvString& system,
                                           const OrvString& passwordFile) {
  return accessPrefix(kAccessCli, system, passwordFile, OrvString()) +
         "showversion -s 2>/dev/null ";
}

OrvString OrvVexaUtil::sshUserCommand(const OrvString& passwordFile) {
  return OrvString("echo ") + passwordFile +
         " |awk -F \"/\" '{ print $NF }'|cut -d \"_\" -f 1";
}
