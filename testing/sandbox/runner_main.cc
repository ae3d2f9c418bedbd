// orv-sandbox: runs one program in a sandbox, for shell scripts, the demo
// and benchmarks.
//
//   orv-sandbox [OPTIONS] -- PROGRAM [ARGS...]
//     --dir T            use directory T (created if needed, kept); runs
//                        on the same T see each other's files
//     --setup-file F     apply a setup script (testing/sandbox/setup_script.h)
//     --node NAME        node name
//     --env NAME=VALUE   environment entry for the program
//     --vtime            virtual time (LD_PRELOAD of the shim)
//     --max-sleeps N     end the program at its Nth sleep (implies --vtime)
//     --vtime-log PATH   sandbox path of the shim's sleep log
//     --timeout S        real-time limit in seconds (default 60)
//     --syslog-file F    write the captured syslog datagrams to host file F
//     --cat PATH         after the run, print a sandbox file to stdout
//     --keep             keep the temporary directory
//     --verbose          name the directory and stand-ins not built (stderr)
// The program's output goes to stdout.  Exit code: the program's; 124 on
// time-out; 128+N when signal N ended it; 125 when the sandbox failed; 77
// when sandboxes cannot run here (not root, no mount permission).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "testing/sandbox/sandbox.h"
#include "testing/sandbox/setup_script.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: orv-sandbox [--dir T] [--setup-file F]... [--node NAME]\n"
               "       [--env NAME=VALUE]... [--vtime] [--max-sleeps N]\n"
               "       [--vtime-log PATH] [--timeout S] [--syslog-file F]\n"
               "       [--cat PATH]... [--keep] [--verbose] -- PROGRAM [ARGS...]\n");
  return 125;
}

}  // namespace

int main(int argc, char** argv) {
  orv_sandbox::Sandbox::Options sbOptions;
  orv_sandbox::RunOptions run;
  std::vector<std::string> setupFiles, cats;
  std::string node, syslogFile;
  bool verbose = false;
  int i = 1;
  for (; i < argc; ++i) {
    std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--") {
      ++i;
      break;
    } else if (a == "--dir" && value(v)) {
      sbOptions.dir = v;
    } else if (a == "--setup-file" && value(v)) {
      setupFiles.push_back(v);
    } else if (a == "--node" && value(v)) {
      node = v;
    } else if (a == "--env" && value(v) && v.find('=') != std::string::npos) {
      run.env.push_back(v);
    } else if (a == "--vtime") {
      run.virtualTime = true;
    } else if (a == "--max-sleeps" && value(v)) {
      run.maxSleeps = std::atoi(v.c_str());
      run.virtualTime = true;
    } else if (a == "--vtime-log" && value(v)) {
      run.vtimeLog = v;
    } else if (a == "--timeout" && value(v)) {
      run.timeoutSeconds = std::atoi(v.c_str());
    } else if (a == "--syslog-file" && value(v)) {
      syslogFile = v;
    } else if (a == "--cat" && value(v)) {
      cats.push_back(v);
    } else if (a == "--keep") {
      sbOptions.keep = true;
    } else if (a == "--verbose") {
      verbose = true;
    } else {
      return usage();
    }
  }
  if (i >= argc || run.timeoutSeconds <= 0) return usage();
  for (; i < argc; ++i) run.argv.push_back(argv[i]);

  std::string reason = orv_sandbox::Sandbox::unavailableReason();
  if (!reason.empty()) {
    std::fprintf(stderr, "orv-sandbox: sandbox unavailable: %s\n", reason.c_str());
    return 77;
  }
  orv_sandbox::Sandbox sb(sbOptions);
  if (!sb.ok()) {
    std::fprintf(stderr, "orv-sandbox: %s\n", sb.error().c_str());
    return 125;
  }
  if (verbose) {
    std::fprintf(stderr, "orv-sandbox: directory %s\n", sb.dir().c_str());
    for (const std::string& m : sb.missingStandIns())
      std::fprintf(stderr, "orv-sandbox: stand-in not built: %s\n", m.c_str());
  }
  if (!node.empty() && !sb.setNodeName(node)) {
    std::fprintf(stderr, "orv-sandbox: %s\n", sb.error().c_str());
    return 125;
  }
  std::vector<std::string> scriptEnv;
  for (const std::string& f : setupFiles) {
    std::ifstream in(f);
    if (!in) {
      std::fprintf(stderr, "orv-sandbox: cannot read %s\n", f.c_str());
      return 125;
    }
    std::ostringstream ss;
    ss << in.rdbuf();
    std::string error;
    if (!orv_sandbox::applySetupScript(sb, ss.str(), scriptEnv, error)) {
      std::fprintf(stderr, "orv-sandbox: %s: %s\n", f.c_str(), error.c_str());
      return 125;
    }
  }
  // Command-line entries win over the scripts' ones.
  run.env.insert(run.env.begin(), scriptEnv.begin(), scriptEnv.end());

  orv_sandbox::RunResult r = sb.run(run);
  std::fwrite(r.output.data(), 1, r.output.size(), stdout);
  for (const std::string& path : cats) {
    std::string text;
    if (sb.readFile(path, text))
      std::printf("==> %s <==\n%s", path.c_str(), text.c_str());
    else
      std::printf("==> %s <== (absent)\n", path.c_str());
  }
  std::fflush(stdout);
  if (!syslogFile.empty()) {
    std::ofstream out(syslogFile);
    for (const std::string& line : r.syslog) out << line << "\n";
  }
  if (!r.setupError.empty()) {
    std::fprintf(stderr, "orv-sandbox: %s\n", r.setupError.c_str());
    return 125;
  }
  if (r.timedOut) {
    std::fprintf(stderr, "orv-sandbox: timed out after %d s\n", run.timeoutSeconds);
    return 124;
  }
  if (r.signal) return 128 + r.signal;
  return r.exitCode;
}
