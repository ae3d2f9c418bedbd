// A private file-system view in which the unmodified programs run against
// stand-ins placed at the fixed paths they use.
//
// The sandbox owns a fresh host directory T.  Everything the program can
// write lives under T/root, one subdirectory per writable root:
//   /usr/bin, /etc      overlays: the host's directory below, T/root/... on top
//   /usr/local, /opt,   fresh directories bound over the host's (bind mounts
//   /usr/sbin, /tmp     rather than tmpfs, so the files stay readable after
//                       the run)
//   /dev                a fresh directory with the harmless device nodes bound
//                       in; "console" and "xconsole" are plain files, "log"
//                       a datagram socket the sandbox reads (syslog capture)
// Every run forks a child that unshares its mount and host-name namespaces,
// makes all mounts private, sets this up and executes the program; the
// mounts vanish with the child's namespace, so nothing reaches the host.
// The rest of the root is read-only inside, so a stray write fails instead
// of landing on the host.  /bin and /sbin are links into /usr on this
// platform, so "/bin/hostname" is "/usr/bin/hostname" here.
//
// Placed at construction (from the build directory: $ORV_BUILD_DIR, else
// the one this library was built in):
//   /usr/bin/cli, /usr/bin/ssh          the array simulator
//   /bin/hostname, tvgetpkgenv, tvviewcl, /usr/sbin/sendmail, evqmsg
//                                        the fakes (testing/fakes)
//   /etc/tarvos.conf                     cluster manager settings
//   /usr/local/orv-sandbox/lib/libvtime.so  the virtual-time shim
//
// Typical use in a test:
//   ORV_REQUIRE_SANDBOX();
//   orv_sandbox::Sandbox sb;
//   sb.writeFile("/usr/local/tarvos/conf/vexarc/u_a.pwf", "secret\n", 0600);
//   orv_sandbox::RunResult r = sb.run({rcgatePath, "pkg1"});
//   EXPECT_EQ(r.exitCode, 0) << r.describe();
//   EXPECT_FALSE(sb.exists("/usr/local/tarvos/run/pkg1/config_data"));
//
// Not thread-safe; one run at a time per sandbox.  Runs may be repeated on
// one sandbox: files written by a run are seen by the next.
#ifndef ORV_TESTING_SANDBOX_SANDBOX_H_
#define ORV_TESTING_SANDBOX_SANDBOX_H_

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "testing/sandbox/process.h"

namespace orv_sandbox {

struct RunOptions {
  // argv[0] is the host path of the program; it must not lie under /tmp,
  // which the sandbox replaces.
  std::vector<std::string> argv;
  // NAME=VALUE entries added to, or replacing entries of, the base
  // environment (PATH, HOME, LANG=C, TZ=UTC and sanitizer options taken
  // from the test's own environment).
  std::vector<std::string> env;
  bool virtualTime = false;  // LD_PRELOAD the virtual-time shim
  int maxSleeps = 0;         // > 0: VTIME_MAX_SLEEPS (implies virtualTime)
  std::string vtimeLog;      // sandbox path for VTIME_LOG, '' for none
  std::string stdinText;     // standard input; empty: /dev/null
  int timeoutSeconds = 60;   // real time, then the run is killed
  std::string workDir = "/";
  // Called about every 20 ms while the program runs, with its pid.
  std::function<void(int pid)> onPoll;
};

struct RunResult : ProcessResult {
  std::vector<std::string> syslog;  // datagrams received on /dev/log, raw
};

class Sandbox {
 public:
  struct Options {
    std::string dir;         // use (and create) this directory as T; kept
    bool keep = false;       // keep T at the end (also: $ORV_KEEP_SANDBOX)
    bool readOnlyRoot = true;
    std::string buildDir;    // where the stand-ins were built
  };

  Sandbox();
  explicit Sandbox(const Options& options);
  ~Sandbox();
  Sandbox(const Sandbox&) = delete;
  Sandbox& operator=(const Sandbox&) = delete;

  // Empty when sandboxes can run here; otherwise why not (not root, no
  // permission to unshare or mount, no overlay file system).  Probed once.
  static std::string unavailableReason();

  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  const std::string& dir() const { return dir_; }
  const std::string& buildDir() const { return buildDir_; }
  // Stand-ins that could not be placed because they were not built.
  const std::vector<std::string>& missingStandIns() const { return missing_; }

  // The host path behind a sandbox path ('' when the sandbox path is
  // outside every writable root).  For the overlay roots this is the upper
  // layer: files the run did not touch are read from the host itself.
  std::string hostPath(const std::string& sandboxPath) const;

  // File access at sandbox paths, before or after a run.  Parent
  // directories are created as needed.  False on failure (see error()).
  bool writeFile(const std::string& path, const std::string& text,
                 mode_t mode = 0644);
  bool appendFile(const std::string& path, const std::string& text);
  bool makeDir(const std::string& path, mode_t mode = 0755);
  bool copyIn(const std::string& hostSource, const std::string& path,
              mode_t mode = 0755);
  bool remove(const std::string& path);  // file or whole tree
  bool exists(const std::string& path) const;
  bool readFile(const std::string& path, std::string& out) const;
  std::string readFile(const std::string& path) const;  // '' when absent
  // Entry names of a directory, sorted; overlay roots show both layers.
  std::vector<std::string> listDir(const std::string& path) const;

  // Extra bind mount for later runs: hostSource appears at target (which
  // must exist on the host, or lie inside a writable root).
  void addBind(const std::string& hostSource, const std::string& target,
               bool readOnly = false);
  // A fresh, writable directory of T bound over the host directory target.
  bool addFreshDir(const std::string& target);

  // The node name: what /bin/hostname prints and the host name the
  // program's namespace gets.  Default "sbxnode".
  bool setNodeName(const std::string& name);
  const std::string& nodeName() const { return nodeName_; }

  RunResult run(const RunOptions& options);
  RunResult run(const std::vector<std::string>& argv);

 private:
  struct Bind {
    std::string source, target;
    bool readOnly;
  };
  struct Mapping {
    std::string prefix;   // sandbox path prefix, no trailing '/'
    std::string host;     // host directory behind it
    bool overlay;         // host's own directory lies below
  };

  void setUp(const Options& options);
  void stageStandIns();
  bool fail(const std::string& message) const;
  bool prepareRun(std::string& why);
  // keep: host directories under /tmp (the tree under test when it was
  // built there) that stay visible at their own paths.
  bool childMounts(const std::vector<std::string>& keep, std::string& why) const;
  std::vector<std::string> baseEnv(const RunOptions& options) const;

  std::string dir_;
  std::string root_;  // dir_ + "/root"
  std::string buildDir_;
  std::string nodeName_ = "sbxnode";
  bool keep_ = false;
  bool keepByEnv_ = false;  // kept because of $ORV_KEEP_SANDBOX: say where
  bool readOnlyRoot_ = true;
  std::vector<Mapping> maps_;
  std::vector<Bind> binds_;
  std::vector<std::string> missing_;
  mutable std::string error_;
  int logFd_ = -1;
};

// Canonical form of an absolute sandbox path: '//' and trailing '/'
// collapsed, '/bin' and '/sbin' resolved to '/usr/bin' and '/usr/sbin'.
// '' for a relative path or one with a '..' component.
std::string canonicalSandboxPath(const std::string& path);

}  // namespace orv_sandbox

// In a GoogleTest body: skip the test when sandboxes cannot run here.
#define ORV_REQUIRE_SANDBOX()                                             \
  do {                                                                    \
    std::string orv_sandbox_reason_ =                                     \
        ::orv_sandbox::Sandbox::unavailableReason();                      \
    if (!orv_sandbox_reason_.empty())                                     \
      GTEST_SKIP() << "sandbox unavailable: " << orv_sandbox_reason_;     \
  } while (0)

#endif  // ORV_TESTING_SANDBOX_SANDBOX_H_
