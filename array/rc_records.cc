#include "array/rc_records.h"

#include <cstring>

bool operator==(const _arrayTargetInfo& a, const _arrayTargetInfo& b) {
  return std::strcmp(a.targetName.getValue(), b.targetName.getValue()) == 0;
}

// Records print as an end of line only; list output shows their count.
std::ostream& operator<<(std::ostream& os, const _RcLink&) { return os << std::endl; }
std::ostream& operator<<(std::ostream& os, const _RcTarget&) { return os << std::endl; }
std::ostream& operator<<(std::ostream& os, const _VolumeStatus&) { return os << std::endl; }
std::ostream& operator<<(std::ostream& os, const _VolGroupStatus&) { return os << std::endl; }
std::ostream& operator<<(std::ostream& os, const _ArrayInfo&) { return os << std::endl; }
std::ostream& operator<<(std::ostream& os, const _arrayTargetInfo&) { return os << std::endl; }
std::ostream& operator<<(std::ostream& os, const _TaskInfo&) { return os << std::endl; }
