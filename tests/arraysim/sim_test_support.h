// Helpers of the simulator tests: a private state directory and a way to
// call the simulator binary as the product does (cli or ssh form).
#ifndef TESTS_ARRAYSIM_SIM_TEST_SUPPORT_H_
#define TESTS_ARRAYSIM_SIM_TEST_SUPPORT_H_

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/arraysim/sim_model.h"

namespace simtest {

class TempDir {
 public:
  TempDir() {
    char templ[] = "/tmp/arraysim_test.XXXXXX";
    const char* made = mkdtemp(templ);
    path_ = made ? made : "";
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

struct SimRun {
  int exitCode = -1;
  std::string output;  // standard output and standard error, as "2>&1"
};

inline std::string pwfFor(const std::string& array) {
  return "/usr/local/tarvos/conf/vexarc/admin_" + array + ".pwf";
}

// Runs argv (argv[0] decides the personality) with ARRAYSIM_DIR=dir.
inline SimRun runArgv(const std::string& dir,
                      const std::vector<std::string>& argv) {
  SimRun r;
  int fds[2];
  if (pipe(fds) != 0) return r;
  pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], 1);
    dup2(fds[1], 2);
    close(fds[0]);
    close(fds[1]);
    setenv("ARRAYSIM_DIR", dir.c_str(), 1);
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(ARRAYSIM_BIN, args.data());
    _exit(127);
  }
  close(fds[1]);
  char buf[4096];
  ssize_t n;
  while ((n = read(fds[0], buf, sizeof buf)) > 0) r.output.append(buf, n);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

// The product's two access paths.
inline SimRun cli(const std::string& dir, const std::string& array,
                  const std::vector<std::string>& words) {
  std::vector<std::string> argv = {"/usr/bin/cli", "-sys", array, "-sockssl",
                                   "-pwf", pwfFor(array)};
  argv.insert(argv.end(), words.begin(), words.end());
  return runArgv(dir, argv);
}

inline SimRun ssh(const std::string& dir, const std::string& array,
                  const std::vector<std::string>& words) {
  std::vector<std::string> argv = {"/usr/bin/ssh", "-l", "admin", "-o",
                                   "ConnectTimeout=3", array};
  argv.insert(argv.end(), words.begin(), words.end());
  return runArgv(dir, argv);
}

// Splits a command line at blanks.
inline std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> out;
  size_t p = 0;
  while (p < line.size()) {
    size_t e = line.find(' ', p);
    if (e == std::string::npos) e = line.size();
    if (e > p) out.push_back(line.substr(p, e - p));
    p = e + 1;
  }
  return out;
}

inline SimRun cli(const std::string& dir, const std::string& array,
                  const std::string& line) {
  return cli(dir, array, words(line));
}

inline SimRun ssh(const std::string& dir, const std::string& array,
                  const std::string& line) {
  return ssh(dir, array, words(line));
}

}  // namespace simtest

#endif  // TESTS_ARRAYSIM_SIM_TEST_SUPPORT_H_
