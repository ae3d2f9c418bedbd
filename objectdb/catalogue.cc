#include "objectdb/catalogue.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char kRoles[] = "Primary Primary-Rev Secondary Secondary-Rev UNKNOWN";
const char kArrayStates[] = "new ready unsupported failing failed UNKNOWN";
const char kGroupLocalStates[] = "Started Stopped UNKNOWN";
const char kLinkStates[] = "Not Started Up Down UNKNOWN";
const char kGroupStates[] = "New Starting Started Stopped Failsafe UNKNOWN";
const char kVolumeStates[] =
    "New Remote Synced Syncing NotSynced Stopped Stale NoVVol Failsafe UNKNOWN";

#define ROW_S(name, tag, def, set) {name, STRING_TYPE, tag, def, set}

const OrvCatalogueRow kRows[] = {
    // Product settings.
    {"COMMON", TAG_TYPE, COMMON_OBJ, nullptr, ""},
    ROW_S("LogDir", COMMON_OBJ, "LOG_DIR", ""),
    ROW_S("LogLevel", COMMON_OBJ, "warning", "error warning info debug devdebug trace"),
    ROW_S("JxVexaCLICommandTimeout", COMMON_OBJ, nullptr, ""),
    ROW_S("PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", COMMON_OBJ, "250", ""),
    ROW_S("TarvArgOrder", COMMON_OBJ, "TarvAction ApplicationDir Name", ""),
    ROW_S("SearchObject", COMMON_OBJ, "Vgs", ""),
    ROW_S("RunSearchObject", COMMON_OBJ, "PackageName", ""),
    // Package configuration.
    {"APPLICATION", TAG_TYPE, APPLICATION_OBJ, nullptr, ""},
    ROW_S("PackageName", APPLICATION_OBJ, nullptr, ""),
    ROW_S("VKR_PKG_DIR", APPLICATION_OBJ, "%JXQELIX_VEXA_PATH%", ""),
    ROW_S("DC1_STORAGE_SYSTEM_USER", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC2_STORAGE_SYSTEM_USER", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC1_STORAGE_SYSTEM_NAME", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC2_STORAGE_SYSTEM_NAME", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC1_RC_TARGET_FOR_DC2", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC2_RC_TARGET_FOR_DC1", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC1_RC_VOLUME_GROUP", APPLICATION_OBJ, nullptr, ""),
    ROW_S("DC2_RC_VOLUME_GROUP", APPLICATION_OBJ, nullptr, ""),
    {"DC1_NODE_LIST", LIST_TYPE, APPLICATION_OBJ, nullptr, ""},
    {"DC2_NODE_LIST", LIST_TYPE, APPLICATION_OBJ, nullptr, ""},
    {"DR_NOTIFICATION_CHOICES", LIST_TYPE, APPLICATION_OBJ, nullptr, ""},
    ROW_S("ApplicationStartup", APPLICATION_OBJ, "fastfailback", "fastfailback resyncwait"),
    {"RESYNC_WAIT_TIMEOUT", INTEGER_TYPE, APPLICATION_OBJ, "90", "0-86400 -1"},
    ROW_S("AUTO_NONCURDATA", APPLICATION_OBJ, "yes", "0 1"),
    {"RPO_THRESHOLD", INTEGER_TYPE, APPLICATION_OBJ, "0", "0- 2^31-1"},
    // Status and working objects.
    ROW_S("RemoteDC", INTERNAL_OBJ, nullptr, ""),
    ROW_S("TakeoverFunction", INTERNAL_OBJ, nullptr, ""),
    ROW_S("ReplicationIOStatus", INTERNAL_OBJ, nullptr, ""),
    ROW_S("TarvAction", INTERNAL_OBJ, nullptr, "start stop service"),
    ROW_S("StatusForceFlag", INTERNAL_OBJ, "no", ""),
    {"StatusActionFunction", ACTION_TYPE, INTERNAL_OBJ, nullptr, ""},
    ROW_S("StatusCurrentDC", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalHostName", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalOsName", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalOsVersion", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStorageIP", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStorageIP", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStorageSerNum", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStorageSerNum", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStorageName", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStorageName", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStoragePwf", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStoragePwf", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStorageModel", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStorageModel", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStorageSystemId", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStorageSystemId", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalRCVolumeGroup", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteRCVolumeGroup", INTERNAL_OBJ, nullptr, ""),
    ROW_S("LocalNexilStorageTargetName", INTERNAL_OBJ, nullptr, ""),
    ROW_S("RemoteNexilStorageTargetName", INTERNAL_OBJ, nullptr, ""),
    ROW_S("StatusLocalNexilStorageState", INTERNAL_OBJ, "UNKNOWN", kGroupLocalStates),
    ROW_S("StatusLocalNexilStorageStateAfter", INTERNAL_OBJ, "UNKNOWN", kGroupLocalStates),
    ROW_S("StatusRemoteNexilStorageState", INTERNAL_OBJ, "UNKNOWN", kArrayStates),
    ROW_S("StatusRemoteNexilStorageStateAfter", INTERNAL_OBJ, "UNKNOWN", kArrayStates),
    ROW_S("StatusReplicationMode", INTERNAL_OBJ, "UNKNOWN", "sync periodic async UNKNOWN"),
    ROW_S("StatusLocalReplicationRole", INTERNAL_OBJ, "UNKNOWN", kRoles),
    ROW_S("StatusLocalReplicationRoleAfter", INTERNAL_OBJ, "UNKNOWN", kRoles),
    ROW_S("StatusRemoteReplicationRole", INTERNAL_OBJ, "UNKNOWN", kRoles),
    ROW_S("StatusRemoteReplicationRoleAfter", INTERNAL_OBJ, "UNKNOWN", kRoles),
    ROW_S("StatusRCLink", INTERNAL_OBJ, "UNKNOWN", kLinkStates),
    ROW_S("StatusRCLinkAfter", INTERNAL_OBJ, "UNKNOWN", kLinkStates),
    ROW_S("StatusFailsafeMode", INTERNAL_OBJ, "UNKNOWN",
          "fail_wrt_on_err no_fail_wrt_on_err UNKNOWN"),
    ROW_S("StatusRCVolumeGroup", INTERNAL_OBJ, "UNKNOWN", kGroupStates),
    ROW_S("StatusRCVolumeGroupAfter", INTERNAL_OBJ, "UNKNOWN", kGroupStates),
    ROW_S("StatusRCVGVirtualVolume", INTERNAL_OBJ, "UNKNOWN", kVolumeStates),
    ROW_S("StatusRCVGVirtualVolumeAfter", INTERNAL_OBJ, "UNKNOWN", kVolumeStates),
    ROW_S("StatusAutoRecover", INTERNAL_OBJ, "yes", "yes no"),
    ROW_S("StatusFastFailbackOk", INTERNAL_OBJ, "no", "yes no"),
};

#undef ROW_S

static_assert(sizeof(kRows) / sizeof(kRows[0]) == OrvCatalogue::kSize,
              "the catalogue holds exactly kSize rows");

const OrvAttributeHelp kAttributeHelp[] = {
    {"VKR_PKG_DIR", "force_flag_dir", true, "Package directory (FORCEFLAG, records)",
     "Directory of the package's working files: the operator's FORCEFLAG file (leave to start "
     "on data that may not be current, consumed by the next start), the decision records and "
     "temporary files. Letters, digits and . _ - : / @ only."},
    {"DC1_NODE_LIST", "site_a_nodes", true, "Nodes of site A",
     "Blank-separated names of the cluster nodes of site A (the part after a first dot is "
     "dropped). Every node that may run the package is in exactly one of the two lists."},
    {"DC2_NODE_LIST", "site_b_nodes", true, "Nodes of site B",
     "Blank-separated names of the cluster nodes of site B."},
    {"DC1_STORAGE_SYSTEM_NAME", "site_a_array", true, "Array of site A",
     "Name or address of the array of site A, as the array client and ssh reach it."},
    {"DC2_STORAGE_SYSTEM_NAME", "site_b_array", true, "Array of site B",
     "Name or address of the array of site B."},
    {"DC1_STORAGE_SYSTEM_USER", "site_a_user", true, "User on the array of site A",
     "User on the array of site A (no underscore); the password file is "
     "conf/vexarc/USER_ARRAY.pwf of the programs' tree."},
    {"DC2_STORAGE_SYSTEM_USER", "site_b_user", true, "User on the array of site B",
     "User on the array of site B."},
    {"DC1_RC_TARGET_FOR_DC2", "site_a_target", true, "Remote Copy target on array A",
     "The Remote Copy target defined on the array of site A that leads to the array of site B."},
    {"DC2_RC_TARGET_FOR_DC1", "site_b_target", true, "Remote Copy target on array B",
     "The Remote Copy target defined on the array of site B that leads to the array of site A."},
    {"DC1_RC_VOLUME_GROUP", "site_a_group", true, "Volume group half on array A",
     "The half of the Remote Copy volume group on the array of site A."},
    {"DC2_RC_VOLUME_GROUP", "site_b_group", true, "Volume group half on array B",
     "The half of the Remote Copy volume group on the array of site B."},
    {"RESYNC_WAIT_TIMEOUT", "resync_wait_timeout", false, "Minutes to wait for synchronisation",
     "Minutes a start waits for the volumes to be synchronised before a takeover: {range}, or "
     "-1 / NO_TIMEOUT for no limit. 0 means never wait: a group still syncing refuses the "
     "start. Keep the start time-out above this wait."},
    {"AUTO_NONCURDATA", "auto_noncurdata", false, "Start on data that may not be current",
     "May this site start on data that may not be current when the link is down? 1 yes, 0 no. "
     "Without it the link-down states have no decision."},
    {"PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", "link_down_timeout", false,
     "Seconds a failover waits after a link failure",
     "Seconds a failover of a periodic or asynchronous group waits for the array to stop the "
     "group after a link failure: {range}."},
    {"JxVexaCLICommandTimeout", "command_timeout", false, "Seconds one array command may run",
     "Seconds any one array command may run before it is killed and counts as failed; 0 or "
     "empty: no limit."},
};

static_assert(sizeof(kAttributeHelp) / sizeof(kAttributeHelp[0]) == OrvCatalogue::kAttributes,
              "the attribute help holds exactly kAttributes rows");

// The settings whose values are restricted.  A setting with a possible set
// takes its words or its range from there (words, min and max below stay
// empty); only the others state them here.
struct AcceptedRow {
  const char* name;
  const char* words;  // nullptr: a number
  int min;
  int max;
  bool noTimeout;
  const char* suffix;
};

const AcceptedRow kAccepted[] = {
    {"AUTO_NONCURDATA", nullptr, 0, 0, false, ""},
    // The loader turns NO_TIMEOUT into -1, which a start takes as no limit
    // although the possible set's reading refuses it.
    {"RESYNC_WAIT_TIMEOUT", nullptr, 0, 0, true, " minutes"},
    // Outside the range a failover waits the catalogue's default instead.
    {"PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", nullptr, 200, 400, false, " seconds"},
    {"JxVexaCLICommandTimeout", nullptr, 0, INT_MAX, false, " seconds"},
    {"RPO_THRESHOLD", nullptr, 0, 0, false, " minutes"},
    {"DR_NOTIFICATION_CHOICES", "EMAIL SYSLOG EVQ CONSOLE", 0, 0, false, ", so written"},
};

static_assert(sizeof(kAccepted) / sizeof(kAccepted[0]) == OrvCatalogue::kChecked,
              "the accepted values hold exactly kChecked rows");

OrvAcceptedValues acceptedOf(const AcceptedRow& a) {
  OrvAcceptedValues v;
  v.name = a.name;
  v.noTimeout = a.noTimeout;
  v.suffix = a.suffix;
  const OrvCatalogueRow* row = OrvCatalogue::find(a.name);
  const char* set = row != nullptr ? row->possibleSet : "";
  if (set[0] == '\0') {
    v.words = a.words != nullptr ? a.words : "";
    v.min = a.min;
    v.max = a.max;
  } else if (row->type == INTEGER_TYPE) {
    OrvObject::integerRange(set, v.min, v.max);
  } else {
    v.words = set;
  }
  return v;
}

std::vector<std::string> wordsOf(const std::string& text) {
  std::vector<std::string> out;
  size_t at = text.find_first_not_of(' ');
  while (at != std::string::npos) {
    const size_t end = text.find(' ', at);
    out.push_back(text.substr(at, end == std::string::npos ? end : end - at));
    at = text.find_first_not_of(' ', end);
  }
  return out;
}

}  // namespace

bool OrvAcceptedValues::accepts(const std::string& word) const {
  if (!words.empty()) {
    for (const std::string& w : wordsOf(words))
      if (w == word) return true;
    return false;
  }
  const size_t digits = word.size() > 0 && word[0] == '-' ? 1 : 0;
  if (word.size() == digits || word.find_first_not_of("0123456789", digits) != std::string::npos)
    return false;
  errno = 0;
  const long n = strtol(word.c_str(), nullptr, 10);
  return errno == 0 && ((n >= min && n <= max) || (noTimeout && n == -1));
}

std::string OrvAcceptedValues::range() const {
  if (!words.empty()) {
    const std::vector<std::string> w = wordsOf(words);
    std::string out;
    for (size_t i = 0; i < w.size(); ++i)
      out += (i == 0 ? "" : i + 1 == w.size() ? " or " : ", ") + w[i];
    return out;
  }
  if (max == INT_MAX) return std::to_string(min) + " or more";
  return std::to_string(min) + ".." + std::to_string(max);
}

std::string OrvAcceptedValues::text() const {
  return (noTimeout ? "-1, NO_TIMEOUT or " : "") + range() + suffix;
}

const OrvCatalogueRow& OrvCatalogue::row(int i) { return kRows[i]; }

const OrvCatalogueRow* OrvCatalogue::find(const char* name) {
  for (const OrvCatalogueRow& r : kRows)
    if (std::strcmp(r.name, name) == 0) return &r;
  return nullptr;
}

const OrvAttributeHelp& OrvCatalogue::attribute(int i) { return kAttributeHelp[i]; }

std::string OrvCatalogue::longText(const OrvAttributeHelp& help) {
  std::string text = help.longText;
  const size_t at = text.find("{range}");
  if (at != std::string::npos) text.replace(at, 7, accepted(help.name).range());
  return text;
}

OrvAcceptedValues OrvCatalogue::accepted(int i) { return acceptedOf(kAccepted[i]); }

OrvAcceptedValues OrvCatalogue::accepted(const char* name) {
  for (const AcceptedRow& a : kAccepted)
    if (std::strcmp(a.name, name) == 0) return acceptedOf(a);
  OrvAcceptedValues any;
  any.name = name;
  return any;
}
