// Pure decision rules of replication state discovery.
//
// Discovery asks both arrays for the group and the links and has to turn two
// possibly disagreeing views into one set of status objects.  The rules are
// kept here, free of arrays and of the object database, so each can be
// checked on its own; OrvRCVexa applies them and does the writes.

#ifndef CONTROLLER_STATUS_RULES_H_
#define CONTROLLER_STATUS_RULES_H_

#include "array/rc_records.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

namespace orv_status {

// 1 when a and b are equal ignoring letter case.
int sameText(const OrvString& a, const char* b);

// The values written into StatusRCVGVirtualVolume for group, in order; the
// last one is the one that stays.  Empty when nothing is written (a group
// status other than New, Started, Starting or Stopped).
//  - no volumes: "NoVVol";
//  - New: the first volume's sync status;
//  - Started: "Synced", then per volume: NotSynced/Stale/Stopped decide and
//    end the walk, "Not Synced" gives "NotSynced" and ends, Syncing is
//    written and the walk goes on;
//  - Starting: "Syncing", then NotSynced/Stale/Stopped/"Not Synced" as above;
//  - Stopped: "Stopped", then NotSynced/Stale decide and end, "Not Synced"
//    gives "NotSynced" and ends, New is written and the walk goes on.
// Status words compare ignoring case; a volume's value is written as read.
OrvList<OrvString> volumeStatusWrites(const _VolGroupStatus& group);

// The value volumeStatusWrites leaves in place; "" when it writes nothing.
OrvString condensedVolumeStatus(const _VolGroupStatus& group);

// 1 when the remote group's status (and volumes) replace the local ones:
// local Started while remote is neither Started nor UNKNOWN, or local
// Starting while remote is none of Started, Starting, UNKNOWN.
int remoteGroupStatusPrevails(const OrvString& localStatus,
                              const OrvString& remoteStatus);

// 1 when StatusRCLink takes the remote view: the local array sees the link
// "Up" and the remote array reports something else that is known.
int remoteLinkPrevails(const OrvString& localLink, const OrvString& remoteLink);

// 1 when the synchronous-mode link-down rule is to be looked at: the local
// group's mode is not Periodic (ignoring case; an unread group has an empty
// mode), its failsafe mode is exactly "no_fail_wrt_on_err" and the link is
// exactly "Down".
int syncLinkDownRuleApplies(const OrvString& localMode,
                            const OrvString& failsafeMode,
                            const OrvString& link);
// Under that rule the group counts as stopped when its status is exactly
// "Started" or "Starting" ...
int linkDownStopsGroupStatus(const OrvString& groupStatus);
// ... or when its condensed volume status is exactly "Synced" or "Syncing".
int linkDownStopsVolumeStatus(const OrvString& volumeStatus);

// Which group's volumes become the periodic volumes: 2 remote (remote read
// and its mode exactly "Periodic"), 1 local (remote unread and the local
// mode exactly "Periodic"), 0 neither (the kept list stays as it was).
int periodicVolumesSource(int remoteRead, const OrvString& remoteMode,
                          const OrvString& localMode);

}  // namespace orv_status

#endif  // CONTROLLER_STATUS_RULES_H_
