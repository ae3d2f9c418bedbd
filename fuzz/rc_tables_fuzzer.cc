// Links, targets and groups tables of the arrays, and the extractors the
// state discovery uses on them.

#include <cstddef>
#include <cstdint>

#include "array/orv_vexa_util.h"
#include "fuzz/fuzz_input_file.h"
#include "fuzz/fuzz_quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzSilenceStdout();
  FuzzInputFile input(data, size);
  if (!input.ok()) return 0;
  OrvString file(input.path());

  OrvList<_RcLink> links;
  OrvVexaUtil::parseShowRCopyLinks(file, links);
  OrvList<_RcTarget> targets;
  OrvVexaUtil::parseShowRCopyTargets(file, targets);
  OrvList<_VolGroupStatus> groups;
  OrvVexaUtil::parseShowRCopyGroups(file, groups);

  _VolGroupStatus group;
  OrvVexaUtil::extractVolmeGroupDetails(file, "grpA", "tgtA", group);
  OrvList<OrvString> names;
  OrvVexaUtil::extractVolumeGroupNames(file, "tgtA", names);
  OrvString linkStatus;
  OrvVexaUtil::extractLinkStatus(file, "tgtA", linkStatus);
  return 0;
}
