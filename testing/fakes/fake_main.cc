// One binary for all fakes of the sandbox (hostname, tvgetpkgenv, tvviewcl,
// sendmail, evqmsg), chosen by the base name of argv[0].  Every call is
// recorded; scenario data and failure switches are files described in
// fake_data.h.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/fakes/fake_data.h"

namespace {

const std::string kDir = orv_fake::kFakeDataDir;

bool readWhole(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

void writeAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    done += static_cast<size_t>(n);
  }
}

void appendLine(const std::string& path, const std::string& line) {
  int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  writeAll(fd, line + "\n");
  close(fd);
}

// Records the call as <name>/<N>.args with the first free N; returns N.
int recordCall(const std::string& name, int argc, char** argv) {
  std::string dir = kDir + "/" + name;
  mkdir(kDir.c_str(), 0755);
  mkdir(dir.c_str(), 0755);
  std::string joined;
  std::string nul;
  for (int i = 0; i < argc; ++i) {
    if (i) joined += ' ';
    joined += argv[i];
    nul += argv[i];
    nul += '\0';
  }
  appendLine(kDir + "/calls.log", joined);
  for (int n = 1; n < 100000; ++n) {
    std::string path = dir + "/" + std::to_string(n) + ".args";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return 0;
    }
    writeAll(fd, nul);
    close(fd);
    return n;
  }
  return 0;
}

bool isPackageWord(const char* s) {
  if (!*s) return false;
  for (; *s; ++s) {
    if (!isalnum(static_cast<unsigned char>(*s)) && *s != '.' && *s != '_' &&
        *s != '-')
      return false;
  }
  return true;
}

int printFile(const std::string& path, const char* missing) {
  std::string text;
  if (!readWhole(path, text)) {
    std::fprintf(stderr, "%s\n", missing);
    return 1;
  }
  writeAll(1, text);
  return 0;
}

int fakeHostname(int argc, char**) {
  if (argc != 1) {
    std::fprintf(stderr, "hostname: setting or options are not supported here\n");
    return 1;
  }
  std::string text;
  if (!readWhole(kDir + "/nodename", text) || text.empty()) {
    std::fprintf(stderr, "hostname: no node name configured\n");
    return 1;
  }
  std::string line = text.substr(0, text.find('\n'));
  writeAll(1, line + "\n");
  return 0;
}

int fakeTvgetpkgenv(int argc, char** argv) {
  if (argc != 2 || !isPackageWord(argv[1])) {
    std::fprintf(stderr, "usage: tvgetpkgenv <package_name>\n");
    return 2;
  }
  std::string msg = std::string("tvgetpkgenv: package ") + argv[1] +
                    " does not exist";
  return printFile(kDir + "/pkgenv/" + argv[1], msg.c_str());
}

int fakeTvviewcl(int argc, char** argv) {
  static const char* const kForm[] = {"-s", "config", "-fline", "-v"};
  bool ok = argc == 5;
  for (int i = 1; ok && i < argc; ++i) ok = std::strcmp(argv[i], kForm[i - 1]) == 0;
  if (!ok) {
    std::fprintf(stderr, "usage: tvviewcl -s config -fline -v\n");
    return 2;
  }
  return printFile(kDir + "/clusterview", "tvviewcl: cluster is not configured");
}

// Like the real program with -t: the message comes on standard input and
// its To: header names the recipients (recorded as <N>.rcpt, one per
// line).  Without -i a line of a single dot ends the message.  Without -t
// and without recipient arguments nothing is sent (exit 64).
int fakeSendmail(int call, int argc, char** argv) {
  bool fromHeaders = false;
  bool dotIsText = false;
  int recipients = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-t") == 0) {
      fromHeaders = true;
    } else if (std::strcmp(argv[i], "-i") == 0 || std::strcmp(argv[i], "-oi") == 0) {
      dotIsText = true;
    } else if (argv[i][0] != '-') {
      ++recipients;
    }
  }
  std::ostringstream ss;
  ss << std::cin.rdbuf();
  std::string message = ss.str();
  if (!dotIsText) {
    size_t dot = message.find("\n.\n");
    if (message.compare(0, 2, ".\n") == 0) dot = 0;
    if (dot != std::string::npos) message.resize(dot == 0 ? 0 : dot + 1);
  }
  std::string base = kDir + "/sendmail/" + std::to_string(call);
  int fd = open((base + ".stdin").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    writeAll(fd, message);
    close(fd);
  }
  if (!fromHeaders && recipients == 0) {
    std::fprintf(stderr, "sendmail: no recipients given\n");
    return 64;
  }
  std::string rcpt;
  std::istringstream lines(message);
  std::string line;
  while (fromHeaders && std::getline(lines, line) && !line.empty()) {
    if (line.compare(0, 4, "To: ") == 0) rcpt += line.substr(4) + "\n";
  }
  fd = open((base + ".rcpt").c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd >= 0) {
    writeAll(fd, rcpt);
    close(fd);
  }
  return 0;
}

// <fake>/hang: seconds to block (real time, as a hung program would)
// before doing anything else.
void hangIfAsked(const std::string& name) {
  std::string text;
  if (!readWhole(kDir + "/" + name + "/hang", text)) return;
  long ms = std::atol(text.c_str()) * 1000;
  while (ms > 0) {
    int step = ms > 1000 ? 1000 : static_cast<int>(ms);
    poll(nullptr, 0, step);
    ms -= step;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 1) return 2;
  std::string name = argv[0];
  size_t slash = name.rfind('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  if (name != "hostname" && name != "tvgetpkgenv" && name != "tvviewcl" &&
      name != "sendmail" && name != "evqmsg") {
    std::fprintf(stderr, "orvfake: unknown fake '%s'\n", name.c_str());
    return 2;
  }
  int call = recordCall(name, argc, argv);
  hangIfAsked(name);
  std::string text;
  int mailCode = name == "sendmail" ? fakeSendmail(call, argc, argv) : 0;
  if (mailCode != 0) return mailCode;
  if (readWhole(kDir + "/" + name + "/output", text)) writeAll(1, text);
  if (readWhole(kDir + "/" + name + "/exit", text)) {
    int code = std::atoi(text.c_str());
    if (code != 0) return code;
  }
  if (name == "hostname") return fakeHostname(argc, argv);
  if (name == "tvgetpkgenv") return fakeTvgetpkgenv(argc, argv);
  if (name == "tvviewcl") return fakeTvviewcl(argc, argv);
  return 0;
}
