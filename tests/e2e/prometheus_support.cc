#include "tests/e2e/prometheus_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>

namespace prom_support {

const char kPromtool[] = "/usr/bin/promtool";
const char kNodeExporter[] = "/usr/bin/prometheus-node-exporter";

namespace {

void pause(long ms) {
  struct timespec ts = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

// A port nobody listens on now; the exporter may still lose it to a race,
// which start() notices and answers with another.
int freePort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof(addr);
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
    port = ntohs(addr.sin_port);
  close(fd);
  return port;
}

// The body of GET path on 127.0.0.1:port; false when it did not answer 200.
bool httpGet(int port, const std::string& path, std::string& body) {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  struct timeval limit = {5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof(limit));
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof(limit));
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  std::string response;
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
        static_cast<ssize_t>(request.size())) {
      char buf[8192];
      ssize_t n;
      while ((n = recv(fd, buf, sizeof(buf), 0)) > 0) response.append(buf, static_cast<size_t>(n));
    }
  }
  close(fd);
  const size_t end = response.find("\r\n\r\n");
  if (response.compare(0, 12, "HTTP/1.0 200") != 0 && response.compare(0, 12, "HTTP/1.1 200") != 0)
    return false;
  body = end == std::string::npos ? "" : response.substr(end + 4);
  return true;
}

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

}  // namespace

std::map<std::string, double> parseSamples(const std::string& text) {
  std::map<std::string, double> out;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t space = line.rfind(' ');
    if (line.empty() || line[0] == '#' || space == std::string::npos) continue;
    std::string key = line.substr(0, space);
    const size_t brace = key.find('{');
    if (brace != std::string::npos && key.back() == '}') {
      std::vector<std::string> labels;
      std::istringstream parts(key.substr(brace + 1, key.size() - brace - 2));
      for (std::string label; std::getline(parts, label, ',');) labels.push_back(label);
      std::sort(labels.begin(), labels.end());
      key.resize(brace);
      for (size_t i = 0; i < labels.size(); ++i) key += (i == 0 ? "{" : ",") + labels[i];
      key += "}";
    }
    out[key] = strtod(line.c_str() + space + 1, nullptr);
  }
  return out;
}

double valueOf(const std::map<std::string, double>& samples, const std::string& key) {
  auto it = samples.find(key);
  return it == samples.end() ? NAN : it->second;
}

orv_sandbox::ProcessResult promtool(const std::vector<std::string>& args,
                                    const std::string& stdinText) {
  orv_sandbox::ProcessSpec spec;
  spec.argv = {kPromtool};
  spec.argv.insert(spec.argv.end(), args.begin(), args.end());
  spec.env = {"PATH=/usr/bin:/bin", "HOME=/", "LANG=C"};
  spec.stdinText = stdinText;
  spec.timeoutSeconds = 60;
  return orv_sandbox::runProcess(spec);
}

NodeExporter::NodeExporter(const std::string& textfileDir) {
  char tmpl[] = "/tmp/orv_node_exporter_XXXXXX";
  int fd = mkstemp(tmpl);
  if (fd >= 0) close(fd);
  log_ = tmpl;
  for (int attempt = 0; attempt < 3; ++attempt)
    if (start(textfileDir, freePort())) return;
}

NodeExporter::~NodeExporter() {
  stop();
  unlink(log_.c_str());
}

bool NodeExporter::start(const std::string& dir, int port) {
  stop();
  error_.clear();
  if (port == 0) {
    error_ = "no free loopback port";
    return false;
  }
  const std::vector<std::string> args = {kNodeExporter,
                                         "--web.listen-address=127.0.0.1:" + std::to_string(port),
                                         "--collector.disable-defaults", "--collector.textfile",
                                         "--collector.textfile.directory=" + dir};
  pid_ = fork();
  if (pid_ == 0) {
    setpgid(0, 0);
    int out = open(log_.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    int null = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (out >= 0) {
      dup2(out, 1);
      dup2(out, 2);
    }
    if (null >= 0) dup2(null, 0);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(kNodeExporter, argv.data());
    _exit(127);
  }
  if (pid_ < 0) {
    error_ = "fork failed";
    return false;
  }
  port_ = port;
  // Up to ten seconds for it to listen; it exits at once when the port is
  // taken.
  for (int i = 0; i < 200; ++i) {
    std::string body;
    if (httpGet(port_, "/metrics", body)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error_ = "node_exporter exited: " + readAll(log_);
      return false;
    }
    pause(50);
  }
  error_ = "node_exporter did not answer on port " + std::to_string(port_) + ": " + readAll(log_);
  stop();
  return false;
}

void NodeExporter::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 40; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    pause(50);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

std::string NodeExporter::scrape() {
  std::string body;
  if (pid_ <= 0) return "";
  for (int i = 0; i < 20; ++i) {
    if (httpGet(port_, "/metrics", body)) return body;
    pause(100);
  }
  error_ = "GET /metrics failed on port " + std::to_string(port_);
  return "";
}

}  // namespace prom_support
