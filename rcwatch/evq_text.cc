#include "rcwatch/evq_text.h"

namespace orv_evq {

namespace {

const char kApplication[] = "Orvanta (Jx)";
const char kMessageGroup[] = "HA";

bool needsEscape(char c) { return c == '"' || c == '$' || c == '`' || c == '\\'; }

std::string commandLine(const char* severity, const std::string& escaped) {
  std::string command = kEvqCommandPath;
  command += " sev=";
  command += severity;
  command += " app=\"";
  command += kApplication;
  command += "\" obj=\"\" msg_text=\"";
  command += escaped;
  command += "\" msg_grp=\"";
  command += kMessageGroup;
  command += "\"";
  return command;
}

}  // namespace

const char* severityWord(int severity) {
  switch (severity) {
    case 8:
      return "normal";
    case 16:
      return "warning";
    case 32:
      return "critical";
    case 64:
      return "minor";
    case 128:
      return "major";
    default:
      return "warning";
  }
}

std::string escapeForDoubleQuotes(const std::string& text, std::size_t maxLength) {
  std::string out;
  out.reserve(text.size() < maxLength ? text.size() + 16 : maxLength);
  for (char c : text) {
    if (c == '\0') continue;
    std::size_t width = needsEscape(c) ? 2 : 1;
    // Whole units only: a lone trailing backslash would escape the closing
    // quote of the command line.
    if (out.size() + width > maxLength) break;
    if (width == 2) out += '\\';
    out += c;
  }
  return out;
}

std::string buildCommand(const char* severity, const std::string& text,
                         std::string& escaped) {
  const std::size_t limit = kEvqBufferSize - 1;
  const std::size_t fixed = commandLine(severity, "").size();
  std::size_t room = fixed < limit ? limit - fixed : 0;
  escaped = escapeForDoubleQuotes(text, room);
  return commandLine(severity, escaped);
}

}  // namespace orv_evq
