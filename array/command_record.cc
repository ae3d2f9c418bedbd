#include "array/command_record.h"

#include <time.h>

#include <climits>

#include <sstream>

namespace {

int gEnabled = 0;
// No wait status or exit code takes this value.
const int kNotRun = INT_MIN;

std::vector<OrvCommandRecord::Entry>& store() {
  static std::vector<OrvCommandRecord::Entry>* entries = new std::vector<OrvCommandRecord::Entry>;
  return *entries;
}

long monotonicMs() {
  struct timespec ts;
  if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return 0;
  return static_cast<long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

OrvCommandRecord::Scope::Scope(const OrvString& command, int* exitStatus)
    : exitStatus_(exitStatus), callerStatus_(0), startMs_(0) {
  if (!gEnabled || exitStatus_ == nullptr) return;
  command_ = command.getValue();
  startMs_ = monotonicMs();
  callerStatus_ = *exitStatus_;
  *exitStatus_ = kNotRun;
}

OrvCommandRecord::Scope::~Scope() {
  if (command_.empty()) return;
  Entry e;
  describe(command_, e.array, e.path);
  e.command = command_;
  e.exitStatus = *exitStatus_;
  if (*exitStatus_ == kNotRun) {
    // Never started: the caller keeps its own value, the record says -1.
    *exitStatus_ = callerStatus_;
    e.exitStatus = -1;
  }
  e.durationMs = monotonicMs() - startMs_;
  if (e.durationMs < 0) e.durationMs = 0;
  store().push_back(e);
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
