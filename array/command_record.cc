#include "array/command_record.h"

#include <sstream>

namespace {

int gEnabled = 0;

std::vector<OrvCommandRecord::Entry>& store() {
  static std::vector<OrvCommandRecord::Entry>* entries = new std::vector<OrvCommandRecord::Entry>;
  return *entries;
}

}  // namespace

void OrvCommandRecord::note(const Entry& e) {
  if (!gEnabled) return;
  store().push_back(e);
  Entry& kept = store().back();
  if (kept.array.empty()) describe(kept.command, kept.array, kept.path);
  if (kept.durationMs < 0) kept.durationMs = 0;
}

void OrvCommandRecord::enable(int on) { gEnabled = on ? 1 : 0; }
int OrvCommandRecord::enabled() { return gEnabled; }
const std::vector<OrvCommandRecord::Entry>& OrvCommandRecord::entries() { return store(); }
void OrvCommandRecord::clear() { store().clear(); }

void OrvCommandRecord::describe(const std::string& command, std::string& array,
                                std::string& path) {
  array.clear();
  path.clear();
  std::istringstream in(command);
  std::vector<std::string> words;
  std::string w;
  // The prefix is at most six words; the rest does not matter here.
  while (words.size() < 6 && in >> w) words.push_back(w);
  if (words.size() >= 3 && words[0] == "/usr/bin/cli" && words[1] == "-sys") {
    path = "cli";
    array = words[2];
  } else if (words.size() >= 6 && words[0] == "/usr/bin/ssh" && words[1] == "-l" &&
             words[3] == "-o") {
    path = "ssh";
    array = words[5];
  }
}
