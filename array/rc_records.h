// Replication records filled from the arrays' "-csvtable" output.
//
// Plain values: every field is text, empty when default-constructed; copies
// are deep (a group copies its whole volume list).  The stream operators
// write only an end of line; they exist so lists of records can be printed.

#ifndef ARRAY_RC_RECORDS_H_
#define ARRAY_RC_RECORDS_H_

#include <ostream>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

// One row of "Link Information".
struct _RcLink {
  OrvString target;   // Target
  OrvString node;     // Node
  OrvString address;  // Address
  OrvString status;   // Status, as the array prints it ("Up", "Down", ...)
};

// One row of "Target Information".
struct _RcTarget {
  OrvString name;     // Name
  OrvString id;       // ID
  OrvString type;     // Type
  OrvString status;   // Status
  OrvString policy;   // Policy (optional column)
  OrvString sysName;  // SysName: the array at the other end
  OrvString sysId;    // SysID
};

// One virtual-volume row under a group.
struct _VolumeStatus {
  OrvString localVV;       // LocalVV
  OrvString remoteVV;      // RemoteVV
  OrvString syncStatus;    // SyncStatus; any cell holding "Syncing" is "Syncing"
  OrvString lastSyncTime;  // LastSyncTime; empty for periodic (LastSnapTime) tables
};

// One Remote Copy volume group of "Group Information".
struct _VolGroupStatus {
  OrvString name;
  OrvString target;
  OrvString status;        // "Started", "Starting", "Stopped", "New", ...
  OrvString role;          // "Primary", "Primary-Rev", "Secondary", "Secondary-Rev"
  OrvString mode;          // synchronous mode text or "Periodic"
  OrvString failsafeMode;  // "fail_wrt_on_err" or "no_fail_wrt_on_err"
  OrvString autoRecover;   // "yes" or "no"
  OrvList<_VolumeStatus> volumes;  // in table order
};

// General section of the system listing.
struct _ArrayInfo {
  OrvString systemName;    // "System Name"
  OrvString systemModel;   // "System Model"
  OrvString serialNumber;  // "Serial Number"
  OrvString systemId;      // "System ID"
};

// An array's Remote Copy target.  Two records are equal when their second
// field, targetName, is equal byte for byte; no other field takes part.
struct _arrayTargetInfo {
  OrvString arrayName;
  OrvString targetName;
  OrvString targetId;
};
bool operator==(const _arrayTargetInfo& a, const _arrayTargetInfo& b);

// One task block of "showtask -d".
struct _TaskInfo {
  OrvString id;      // Id
  OrvString status;  // Status ("done", "failed", "active", ...)
  OrvString detail;  // data row and following lines up to the next header, run together
  OrvString phase;   // Phase ("done/total")
};

std::ostream& operator<<(std::ostream& os, const _RcLink& r);
std::ostream& operator<<(std::ostream& os, const _RcTarget& r);
std::ostream& operator<<(std::ostream& os, const _VolumeStatus& r);
std::ostream& operator<<(std::ostream& os, const _VolGroupStatus& r);
std::ostream& operator<<(std::ostream& os, const _ArrayInfo& r);
std::ostream& operator<<(std::ostream& os, const _arrayTargetInfo& r);
std::ostream& operator<<(std::ostream& os, const _TaskInfo& r);

#endif  // ARRAY_RC_RECORDS_H_
