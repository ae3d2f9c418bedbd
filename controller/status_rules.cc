#include "controller/status_rules.h"

#include <strings.h>

namespace orv_status {

int sameText(const OrvString& a, const char* b) {
  return strcasecmp(a.getValue(), b) == 0 ? 1 : 0;
}

namespace {

int isOneOf(const OrvString& s, const char* a, const char* b, const char* c) {
  return sameText(s, a) || sameText(s, b) || (c != nullptr && sameText(s, c));
}

}  // namespace

OrvList<OrvString> volumeStatusWrites(const _VolGroupStatus& group) {
  OrvList<OrvString> writes;
  const OrvList<_VolumeStatus>& vols = group.volumes;
  const int n = vols.numObjects();
  if (n == 0) {
    writes.insertAtBack("NoVVol");
    return writes;
  }
  if (sameText(group.status, "New")) {
    writes.insertAtBack(vols[0]->data().syncStatus);
    return writes;
  }
  if (sameText(group.status, "Started")) {
    writes.insertAtBack("Synced");
    for (int i = 0; i < n; ++i) {
      const OrvString& s = vols[i]->data().syncStatus;
      if (isOneOf(s, "NotSynced", "Stale", "Stopped")) {
        writes.insertAtBack(s);
        break;
      }
      if (sameText(s, "Not Synced")) {
        writes.insertAtBack("NotSynced");
        break;
      }
      if (sameText(s, "Syncing")) writes.insertAtBack(s);
    }
    return writes;
  }
  if (sameText(group.status, "Starting")) {
    writes.insertAtBack("Syncing");
    for (int i = 0; i < n; ++i) {
      const OrvString& s = vols[i]->data().syncStatus;
      if (isOneOf(s, "NotSynced", "Stale", "Stopped")) {
        writes.insertAtBack(s);
        break;
      }
      if (sameText(s, "Not Synced")) {
        writes.insertAtBack("NotSynced");
        break;
      }
    }
    return writes;
  }
  if (sameText(group.status, "Stopped")) {
    writes.insertAtBack("Stopped");
    for (int i = 0; i < n; ++i) {
      const OrvString& s = vols[i]->data().syncStatus;
      if (isOneOf(s, "NotSynced", "Stale", nullptr)) {
        writes.insertAtBack(s);
        break;
      }
      if (sameText(s, "Not Synced")) {
        writes.insertAtBack("NotSynced");
        break;
      }
      if (sameText(s, "New")) writes.insertAtBack(s);
    }
    return writes;
  }
  return writes;
}

OrvString condensedVolumeStatus(const _VolGroupStatus& group) {
  OrvList<OrvString> writes = volumeStatusWrites(group);
  if (writes.numObjects() == 0) return OrvString("");
  return writes[writes.numObjects() - 1]->data();
}

int remoteGroupStatusPrevails(const OrvString& localStatus,
                              const OrvString& remoteStatus) {
  if (sameText(localStatus, "Started"))
    return !isOneOf(remoteStatus, "Started", "UNKNOWN", nullptr);
  if (sameText(localStatus, "Starting"))
    return !isOneOf(remoteStatus, "Started", "Starting", "UNKNOWN");
  return 0;
}

int remoteLinkPrevails(const OrvString& localLink, const OrvString& remoteLink) {
  return sameText(localLink, "Up") && !sameText(remoteLink, "UNKNOWN") &&
         !sameText(remoteLink, localLink.getValue());
}

int syncLinkDownRuleApplies(const OrvString& localMode,
                            const OrvString& failsafeMode,
                            const OrvString& link) {
  return !sameText(localMode, "Periodic") && failsafeMode == "no_fail_wrt_on_err" &&
         link == "Down";
}

int linkDownStopsGroupStatus(const OrvString& groupStatus) {
  return groupStatus == "Started" || groupStatus == "Starting";
}

int linkDownStopsVolumeStatus(const OrvString& volumeStatus) {
  return volumeStatus == "Synced" || volumeStatus == "Syncing";
}

int periodicVolumesSource(int remoteRead, const OrvString& remoteMode,
                          const OrvString& localMode) {
  if (remoteRead) return remoteMode == "Periodic" ? 2 : 0;
  return localMode == "Periodic" ? 1 : 0;
}

}  // namespace orv_status
