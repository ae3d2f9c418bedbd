// The journal: one tab-separated line per command the simulator received.
#include <cstdlib>
#include <fstream>

#include "testing/arraysim/sim_model.h"

namespace arraysim {

namespace {

// A tab or line break inside a field would split the line wrongly.
std::string field(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return out;
}

}  // namespace

std::string SimJournal::format(const SimJournalEntry& e) {
  return field(e.array) + "\t" + field(e.path) + "\t" + field(e.credential) +
         "\t" + std::to_string(e.exitCode) + "\t" + field(e.command) + "\t" +
         field(e.argv);
}

bool SimJournal::parseLine(const std::string& line, SimJournalEntry& out) {
  std::string fields[5];
  size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    size_t tab = line.find('\t', start);
    if (tab == std::string::npos) return false;
    fields[i] = line.substr(start, tab - start);
    start = tab + 1;
  }
  size_t tab = line.find('\t', start);
  fields[4] = line.substr(start, tab == std::string::npos ? tab : tab - start);
  out.argv = tab == std::string::npos ? "" : line.substr(tab + 1);
  char* end = nullptr;
  long code = std::strtol(fields[3].c_str(), &end, 10);
  if (fields[3].empty() || *end != '\0') return false;
  out.array = fields[0];
  out.path = fields[1];
  out.credential = fields[2];
  out.exitCode = static_cast<int>(code);
  out.command = fields[4];
  return true;
}

SimJournal SimJournal::load(const std::string& dir) {
  SimJournal j;
  std::ifstream in(dir + "/journal");
  std::string line;
  while (std::getline(in, line)) {
    SimJournalEntry e;
    if (parseLine(line, e)) j.entries.push_back(e);
  }
  return j;
}

std::vector<std::string> SimJournal::commands(const std::string& array) const {
  std::vector<std::string> out;
  for (const SimJournalEntry& e : entries)
    if (array.empty() || e.array == array) out.push_back(e.command);
  return out;
}

std::vector<std::string> SimJournal::actions(const std::string& array) const {
  std::vector<std::string> out;
  for (const SimJournalEntry& e : entries)
    if ((array.empty() || e.array == array) &&
        !startsWith(e.command, "showversion"))
      out.push_back(e.command);
  return out;
}

int SimJournal::count(const std::string& prefix,
                      const std::string& array) const {
  int n = 0;
  for (const SimJournalEntry& e : entries)
    if ((array.empty() || e.array == array) && startsWith(e.command, prefix))
      ++n;
  return n;
}

}  // namespace arraysim
