#include "controller/site_objects.h"

#include <sys/stat.h>

namespace {

const OrvSiteObjects kDc1Local = {
    "DC1_STORAGE_SYSTEM_USER", "DC1_STORAGE_SYSTEM_NAME",
    "DC1_RC_VOLUME_GROUP",     "DC1_RC_TARGET_FOR_DC2",
    "DC2_STORAGE_SYSTEM_USER", "DC2_STORAGE_SYSTEM_NAME",
    "DC2_RC_VOLUME_GROUP",     "DC2_RC_TARGET_FOR_DC1"};

const OrvSiteObjects kDc2Local = {
    "DC2_STORAGE_SYSTEM_USER", "DC2_STORAGE_SYSTEM_NAME",
    "DC2_RC_VOLUME_GROUP",     "DC2_RC_TARGET_FOR_DC1",
    "DC1_STORAGE_SYSTEM_USER", "DC1_STORAGE_SYSTEM_NAME",
    "DC1_RC_VOLUME_GROUP",     "DC1_RC_TARGET_FOR_DC2"};

}  // namespace

const OrvSiteObjects& orvSiteObjects(const OrvString& currentDC) {
  return currentDC == "A" ? kDc1Local : kDc2Local;
}

OrvString orvPasswordFilePath(const OrvString& user, const OrvString& arrayName) {
  OrvString path("/usr/local/tarvos/conf/vexarc");
  path = path + "/" + user + "_" + arrayName + ".pwf";
  return path;
}

OrvPasswordFileState orvPasswordFileState(const OrvString& path) {
  struct stat st;
  if (stat(path.getValue(), &st) != 0) return kPasswordFileMissing;
  if (!S_ISREG(st.st_mode)) return kPasswordFileNotRegular;
  if ((st.st_mode & (S_IRGRP | S_IROTH)) != 0) return kPasswordFileExposed;
  return kPasswordFileOk;
}
