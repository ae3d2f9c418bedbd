#include "objectdb/catalogue.h"

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

}  // namespace

const OrvCatalogueRow& OrvCatalogue::row(int i) { return kRows[i]; }
