// rcplan --json: the dry run and --check as one JSON document each, for
// scripts.  The field names are documented in rcplan(8).

#ifndef RCPLAN_JSON_OUTPUT_H_
#define RCPLAN_JSON_OUTPUT_H_

#include <string>

#include "rcplan/dry_run.h"

namespace rcplan {

// failure: the dry run's message when it ended before the decision.
std::string dryRunJson(const std::string& package, const GatePlan& plan,
                       const std::string& failure);

// checkText: the lines --check printed.
std::string checkJson(const std::string& package, const std::string& checkText, int exitCode);

// The last non-empty line of text.
std::string lastLine(const std::string& text);

}  // namespace rcplan

#endif  // RCPLAN_JSON_OUTPUT_H_
