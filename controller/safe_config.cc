#include "controller/safe_config.h"

#include <string>

#include "controller/site_objects.h"
#include "foundation/safe_word.h"
#include "objectdb/orv_object_db.h"

namespace {

struct SiteNames {
  const char* name;
  const char* user;
  const char* group;
  const char* target;
};

const SiteNames kSites[] = {
    {"DC1_STORAGE_SYSTEM_NAME", "DC1_STORAGE_SYSTEM_USER", "DC1_RC_VOLUME_GROUP",
     "DC1_RC_TARGET_FOR_DC2"},
    {"DC2_STORAGE_SYSTEM_NAME", "DC2_STORAGE_SYSTEM_USER", "DC2_RC_VOLUME_GROUP",
     "DC2_RC_TARGET_FOR_DC1"},
};

// What `echo PATH | awk -F "/" '{ print $NF }' | cut -d "_" -f 1` prints
// for a password-file path made of safe characters.
std::string sshUserOf(const OrvString& passwordFile) {
  std::string path(passwordFile.getValue());
  std::string last = path.substr(path.rfind('/') + 1);
  return last.substr(0, last.find('_'));
}

}  // namespace

std::vector<OrvUnsafeValue> orvUnsafeConfigValues(const OrvObjectDb& db) {
  std::vector<OrvUnsafeValue> found;
  for (const SiteNames& site : kSites) {
    OrvString arrayName;
    db.getStrValByName(site.name, arrayName, 0);
    for (const char* attribute : {site.name, site.user, site.group, site.target}) {
      OrvString value;
      if (!db.getStrValByName(attribute, value, 0)) continue;
      bool safe = OrvSafeWord::isArrayWord(value.getValue());
      if (safe && attribute == site.user) {
        const std::string sshUser = sshUserOf(orvPasswordFilePath(value, arrayName));
        safe = OrvSafeWord::isArrayWord(sshUser.c_str());
      }
      if (!safe) found.push_back({OrvString(attribute), value});
    }
  }
  return found;
}

std::vector<const char*> orvCommandLineAttributes() {
  std::vector<const char*> names;
  for (const SiteNames& site : kSites)
    for (const char* attribute : {site.name, site.user, site.group, site.target})
      names.push_back(attribute);
  return names;
}

int orvFirstUnsafeConfigValue(const OrvObjectDb& db, OrvUnsafeValue* found) {
  std::vector<OrvUnsafeValue> all = orvUnsafeConfigValues(db);
  if (all.empty()) return 0;
  *found = all.front();
  return 1;
}
