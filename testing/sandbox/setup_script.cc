#include "testing/sandbox/setup_script.h"

#include <cstdlib>
#include <sstream>

namespace orv_sandbox {

namespace {

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string w;
  while (in >> w) out.push_back(w);
  return out;
}

bool parseMode(const std::string& text, mode_t& mode) {
  if (text.empty() || text.size() > 5) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 8);
  if (*end != '\0' || v < 0 || v > 07777) return false;
  mode = static_cast<mode_t>(v);
  return true;
}

}  // namespace

bool applySetupScript(Sandbox& sb, const std::string& script,
                      std::vector<std::string>& env, std::string& error) {
  std::istringstream in(script);
  std::string line;
  int number = 0;
  auto bad = [&](const std::string& why) {
    error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(in, line)) {
    ++number;
    std::vector<std::string> w = words(line);
    if (w.empty() || w[0][0] == '#') continue;
    const std::string& cmd = w[0];
    mode_t mode = 0;
    if (cmd == "file") {
      // file PATH [MODE] <<TAG
      if (w.size() < 3 || w.size() > 4 || w.back().compare(0, 2, "<<") != 0 ||
          w.back().size() < 3)
        return bad("expected: file PATH [MODE] <<TAG");
      mode = 0644;
      if (w.size() == 4 && !parseMode(w[2], mode)) return bad("bad mode " + w[2]);
      std::string tag = w.back().substr(2);
      std::string text;
      bool closed = false;
      int start = number;
      while (std::getline(in, line)) {
        ++number;
        if (line == tag) {
          closed = true;
          break;
        }
        text += line + "\n";
      }
      if (!closed) {
        number = start;
        return bad("no closing line " + tag);
      }
      if (!sb.writeFile(w[1], text, mode)) return bad(sb.error());
    } else if (cmd == "node" && w.size() == 2) {
      if (!sb.setNodeName(w[1])) return bad(sb.error());
    } else if (cmd == "dir" && (w.size() == 2 || w.size() == 3)) {
      mode = 0755;
      if (w.size() == 3 && !parseMode(w[2], mode)) return bad("bad mode " + w[2]);
      if (!sb.makeDir(w[1], mode)) return bad(sb.error());
    } else if (cmd == "copy" && (w.size() == 3 || w.size() == 4)) {
      mode = 0755;
      if (w.size() == 4 && !parseMode(w[3], mode)) return bad("bad mode " + w[3]);
      if (!sb.copyIn(w[1], w[2], mode)) return bad(sb.error());
    } else if (cmd == "rm" && w.size() == 2) {
      if (!sb.remove(w[1])) return bad(sb.error());
    } else if (cmd == "env" && w.size() >= 2 && w[1].find('=') != std::string::npos &&
               w[1][0] != '=') {
      // The value is the rest of the line, blanks included.
      size_t at = line.find(w[1]);
      env.push_back(line.substr(at));
    } else if (cmd == "bind" && (w.size() == 3 || (w.size() == 4 && w[3] == "ro"))) {
      if (canonicalSandboxPath(w[2]).empty()) return bad("bad path " + w[2]);
      sb.addBind(w[1], w[2], w.size() == 4);
    } else if (cmd == "freshdir" && w.size() == 2) {
      if (!sb.addFreshDir(w[1])) return bad(sb.error());
    } else {
      return bad("unknown or malformed command: " + line);
    }
  }
  return true;
}

}  // namespace orv_sandbox
