// OrvCliCatalogue: the texts of the array command catalogue (e_CLI_CMD_OPTION)
// and what each needs: which overload owns it, what fills its placeholders,
// how the task id of its output is read and which line announces it.

#ifndef ARRAY_CLI_CATALOGUE_H_
#define ARRAY_CLI_CATALOGUE_H_

#include "array/orv_vexa_util.h"

struct OrvCliCommand {
  enum Fill { kFillNone, kFillGroup, kFillTargetGroup };
  e_CLI_CMD_OPTION option;
  const char* text;        // with %s placeholders
  int longForm;            // 1: group overload, 0: array-wide overload
  Fill fill;
  int scanAllLines;        // task-id reader mode of its output
  const char* operation;   // words of the "Executing ..." line, or null
};

class OrvCliCatalogue {
 public:
  // The entry of option, or null for an unassigned value.
  static const OrvCliCommand* find(int option);
  // 1 when the command line of option holds the target / the group.
  static int usesTarget(const OrvCliCommand& cmd) {
    return cmd.fill == OrvCliCommand::kFillTargetGroup;
  }
  static int usesGroup(const OrvCliCommand& cmd) {
    return cmd.fill == OrvCliCommand::kFillGroup ||
           cmd.fill == OrvCliCommand::kFillTargetGroup;
  }
};

#endif  // ARRAY_CLI_CATALOGUE_H_
