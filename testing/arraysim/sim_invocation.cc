#include "testing/arraysim/sim_invocation.h"

#include <cstring>

namespace arraysim {

std::string joinWords(const std::vector<std::string>& words) {
  std::string out;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += " ";
    out += words[i];
  }
  return out;
}

namespace {

std::string baseName(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash == nullptr ? path : slash + 1;
}

// Options of the CLI client that take a value.
bool cliOptionTakesValue(const std::string& opt) {
  return opt == "-sys" || opt == "-pwf" || opt == "-user" ||
         opt == "-password" || opt == "-port" || opt == "-cert";
}

SimInvocation parseCli(int argc, const char* const* argv) {
  SimInvocation inv;
  inv.path = "cli";
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    std::string opt = argv[i];
    if (!cliOptionTakesValue(opt)) continue;  // -sockssl, -nosockssl, ...
    if (i + 1 >= argc) {
      inv.error = "option " + opt + " needs a value";
      return inv;
    }
    std::string value = argv[++i];
    if (opt == "-sys") inv.array = value;
    if (opt == "-pwf") inv.credential = value;
  }
  for (; i < argc; ++i) inv.words.push_back(argv[i]);
  if (inv.array.empty()) inv.error = "no storage system given (-sys)";
  return inv;
}

// ssh options that take a value (the rest are single-letter flags).
bool sshOptionTakesValue(char c) {
  return std::strchr("BbcDEeFIiJLlmOoPpQRSWw", c) != nullptr;
}

SimInvocation parseSsh(int argc, const char* const* argv) {
  SimInvocation inv;
  inv.path = "ssh";
  int i = 1;
  for (; i < argc && argv[i][0] == '-' && argv[i][1] != '\0'; ++i) {
    char c = argv[i][1];
    if (!sshOptionTakesValue(c)) continue;
    std::string value;
    if (argv[i][2] != '\0') {
      value = argv[i] + 2;
    } else if (i + 1 < argc) {
      value = argv[++i];
    } else {
      inv.error = std::string("option -") + c + " needs a value";
      return inv;
    }
    if (c == 'l') inv.credential = value;
  }
  if (i >= argc) {
    inv.error = "no host given";
    return inv;
  }
  std::string host = argv[i++];
  size_t at = host.find('@');
  if (at != std::string::npos) {
    inv.credential = host.substr(0, at);
    host = host.substr(at + 1);
  }
  inv.array = host;
  // ssh hands the remote side one command line, which it splits again.
  std::string line;
  for (; i < argc; ++i) line += std::string(line.empty() ? "" : " ") + argv[i];
  size_t p = 0;
  while (p < line.size()) {
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    size_t end = p;
    while (end < line.size() && line[end] != ' ' && line[end] != '\t') ++end;
    if (end > p) inv.words.push_back(line.substr(p, end - p));
    p = end;
  }
  if (inv.words.empty()) inv.error = "interactive sessions are not simulated";
  return inv;
}

}  // namespace

SimInvocation parseInvocation(int argc, const char* const* argv) {
  if (argc < 1) {
    SimInvocation inv;
    inv.error = "no arguments";
    return inv;
  }
  if (baseName(argv[0]) == "ssh") return parseSsh(argc, argv);
  return parseCli(argc, argv);
}

}  // namespace arraysim
