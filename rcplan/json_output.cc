#include "rcplan/json_output.h"

#include <nlohmann/json.hpp>
#include <cstdio>
#include <sstream>

namespace rcplan {

namespace {

using json = nlohmann::ordered_json;

json verdictOf(int code) { return {{"exit_code", code}, {"meaning", gateExitMeaning(code)}}; }

// Array output may hold bytes that are not UTF-8: replaced, never thrown on.
std::string render(const json& doc) {
  return doc.dump(2, ' ', false, json::error_handler_t::replace);
}

// The text of the first [...] of a finding: what it is about.
std::string subjectOf(const std::string& text) {
  const size_t open = text.find('[');
  const size_t close = open == std::string::npos ? open : text.find(']', open);
  return close == std::string::npos ? "" : text.substr(open + 1, close - open - 1);
}

}  // namespace

std::string lastLine(const std::string& text) {
  std::istringstream in(text);
  std::string last;
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) last = line;
  return last;
}

std::string dryRunJson(const std::string& package, const GatePlan& plan,
                       const std::string& failure) {
  json doc = {{"package", package}, {"node", plan.node}, {"site", plan.site}};
  doc["force_flag"] = plan.forceFlag < 0 ? json(nullptr) : json(plan.forceFlag == 1);
  json state = json::object();
  for (const auto& input : plan.state) state[input.first] = input.second;
  doc["state"] = state;
  doc["assumed"] = plan.assumed;
  doc["action"] = plan.action.empty() ? json(nullptr) : json(plan.action);
  doc["conditions"] = plan.conditions;
  doc["verdict"] = verdictOf(plan.gateExit);
  doc["logged"] = plan.logged;
  json steps = json::array();
  for (const std::string& step : plan.steps) {
    const size_t colon = step.find(": ");
    if (step.compare(0, 11, "then waits ") == 0 || colon == std::string::npos) {
      steps.push_back({{"wait", step}});
    } else {
      steps.push_back({{"array", step.substr(0, colon)}, {"command", step.substr(colon + 2)}});
    }
  }
  doc["commands"] = steps;
  doc["error"] = failure.empty() ? json(nullptr) : json(failure);
  return render(doc);
}

std::string checkJson(const std::string& package, const std::string& checkText, int exitCode) {
  json findings = json::array();
  json verdict = nullptr;
  std::istringstream in(checkText);
  for (std::string line; std::getline(in, line);) {
    int code = 0;
    if (sscanf(line.c_str(), "Verdict: rcgate would exit %d:", &code) == 1) {
      verdict = verdictOf(code);
      continue;
    }
    const char* severity = line.compare(0, 6, "Error:") == 0     ? "error"
                           : line.compare(0, 8, "Warning:") == 0 ? "warning"
                                                                 : "info";
    findings.push_back({{"severity", severity}, {"subject", subjectOf(line)}, {"text", line}});
  }
  json doc = {{"package", package}, {"findings", findings}, {"verdict", verdict},
              {"exit_code", exitCode}};
  return render(doc);
}

}  // namespace rcplan
