#include "testing/arraysim/sim_faults.h"

namespace arraysim {

namespace {

bool matches(const SimFault& f, const SimInvocation& inv,
             const std::string& line) {
  if (!f.path.empty() && f.path != inv.path) return false;
  if (f.command.empty()) return true;
  return line == f.command || startsWith(line, f.command + " ");
}

bool activeNow(const SimFault& f) {
  if (f.nth <= 0) return true;
  if (f.seen < f.nth) return false;
  return f.count <= 0 || f.seen < f.nth + f.count;
}

// A connection-level failure: ssh itself exits 255, the CLI client 1.
SimFaultEffect connectionError(const SimInvocation& inv,
                               const std::string& text) {
  SimFaultEffect e;
  e.respond = true;
  e.err = text + "\n";
  e.exitCode = inv.path == "ssh" ? 255 : 1;
  return e;
}

}  // namespace

SimFaultEffect unreachableEffect(const SimInvocation& inv) {
  if (inv.path == "ssh")
    return connectionError(
        inv, "ssh: connect to host " + inv.array +
                 " port 22: Network is unreachable");
  return connectionError(
      inv, "Error: Failed to connect to " + inv.array +
               " (port 5783): Network is unreachable");
}

SimFaultEffect applyFaults(SimArray* array, const SimInvocation& inv) {
  if (array == nullptr) return unreachableEffect(inv);
  SimFaultEffect effect;
  const std::string line = joinWords(inv.words);
  for (SimFault& f : array->faults) {
    if (!matches(f, inv, line)) continue;
    ++f.seen;
    if (!activeNow(f)) continue;
    if (f.kind == "hang") {
      effect.hangSeconds += f.seconds;
      continue;
    }
    if (f.kind == "group_missing") {
      effect.groupMissing = true;
      continue;
    }
    if (f.kind == "link_down") {
      effect.linkDown = true;
      continue;
    }
    if (f.kind == "task_fails") {
      effect.taskFails = true;
      continue;
    }
    if (effect.respond) continue;
    if (f.kind == "unreachable") {
      SimFaultEffect e = unreachableEffect(inv);
      effect.respond = true;
      effect.err = e.err;
      effect.exitCode = e.exitCode;
    } else if (f.kind == "too_many") {
      effect.respond = true;
      effect.err =
          "Error: Too many CLI connections are open on " + inv.array +
          "; close unused sessions and try again.\n";
      effect.exitCode = 1;
    } else if (f.kind == "no_connection") {
      effect.respond = true;
      effect.err = "Error: Could not open connection to " + inv.array +
                   " (port 5783).\n";
      effect.exitCode = inv.path == "ssh" ? 255 : 1;
    } else if (f.kind == "bad_format") {
      effect.respond = true;
      effect.err = "Error: Badly formatted response received from " +
                   inv.array + ".\n";
      effect.exitCode = 1;
    } else if (f.kind == "garbled") {
      effect.respond = true;
      effect.out = "#@!~ 0x7f3a 0x0000 ?? ??\n%%% 17 --\n";
      effect.exitCode = 0;
    } else if (f.kind == "flood") {
      effect.respond = true;
      const std::string line(99, 'x');
      effect.out.reserve(20000000);
      while (effect.out.size() < 20000000) effect.out += line + "\n";
      effect.exitCode = 0;
    } else if (f.kind == "fail") {
      effect.respond = true;
      effect.err = (f.message.empty()
                        ? "Error: Operation failed on " + inv.array + ": " +
                              line
                        : f.message) +
                   "\n";
      effect.exitCode = f.exitCode;
    } else {
      // A misspelt fault must not pass as a healthy array.
      effect.respond = true;
      effect.err = "arraysim: unknown fault kind \"" + f.kind + "\"\n";
      effect.exitCode = 3;
    }
  }
  if (effect.hangSeconds > kMaxHangSeconds) effect.hangSeconds = kMaxHangSeconds;
  return effect;
}

}  // namespace arraysim
