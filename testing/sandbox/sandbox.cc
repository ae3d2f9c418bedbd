#include "testing/sandbox/sandbox.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "testing/fakes/fake_data.h"

#ifndef ORV_SANDBOX_BUILD_DIR
#define ORV_SANDBOX_BUILD_DIR ""
#endif

namespace fs = std::filesystem;

namespace orv_sandbox {

namespace {

const char* const kOverlayRoots[] = {"/usr/bin", "/etc"};
const char* const kFreshRoots[] = {"/usr/local", "/opt", "/usr/sbin", "/tmp",
                                   "/dev"};
// Device nodes of the host made visible in the sandbox's /dev.
const char* const kDevNodes[] = {"null", "zero", "full", "random", "urandom",
                                 "tty"};
const char* const kVtimeLib = "/usr/local/orv-sandbox/lib/libvtime.so";

const char* const kTarvosConf =
    "# Cluster manager settings, sourced by the shell.\n"
    "TARVOS_BIN=/usr/local/tarvos/bin\n"
    "TARVOS_CONF=/usr/local/tarvos/conf\n"
    "TARVOS_RUN=/usr/local/tarvos/run\n";

std::string sysError(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool isWhiteout(const std::string& hostPath) {
  struct stat st;
  return lstat(hostPath.c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
         st.st_rdev == makedev(0, 0);
}

bool lexists(const std::string& hostPath) {
  struct stat st;
  return lstat(hostPath.c_str(), &st) == 0;
}

bool readHost(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return !in.bad();
}

bool under(const std::string& path, const std::string& prefix) {
  return path == prefix ||
         (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
          (prefix == "/" || path[prefix.size()] == '/'));
}

bool doMount(const std::string& source, const std::string& target,
             const char* type, unsigned long flags, const std::string& data,
             std::string& why) {
  if (mount(source.empty() ? nullptr : source.c_str(), target.c_str(), type,
            flags, data.empty() ? nullptr : data.c_str()) == 0)
    return true;
  why = sysError("mount " + (source.empty() ? std::string("-") : source) +
                 " on " + target);
  return false;
}

}  // namespace

std::string canonicalSandboxPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return "";
  std::string out;
  std::stringstream ss(path);
  std::string part;
  while (std::getline(ss, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") return "";
    out += "/" + part;
  }
  if (out.empty()) return "/";
  if (under(out, "/bin")) out = "/usr" + out;
  if (under(out, "/sbin")) out = "/usr" + out;
  return out;
}

Sandbox::Sandbox() { setUp(Options()); }

Sandbox::Sandbox(const Options& options) { setUp(options); }

Sandbox::~Sandbox() {
  if (logFd_ >= 0) close(logFd_);
  if (!keep_ && !dir_.empty()) {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  } else if (keepByEnv_) {
    std::fprintf(stderr, "orv-sandbox: kept %s\n", dir_.c_str());
  }
}

bool Sandbox::fail(const std::string& message) const {
  error_ = message;
  return false;
}

void Sandbox::setUp(const Options& options) {
  readOnlyRoot_ = options.readOnlyRoot;
  keepByEnv_ = !options.keep && options.dir.empty() &&
               std::getenv("ORV_KEEP_SANDBOX") != nullptr;
  keep_ = options.keep || keepByEnv_;
  buildDir_ = options.buildDir;
  if (buildDir_.empty() && std::getenv("ORV_BUILD_DIR"))
    buildDir_ = std::getenv("ORV_BUILD_DIR");
  if (buildDir_.empty()) buildDir_ = ORV_SANDBOX_BUILD_DIR;

  if (!options.dir.empty()) {
    std::error_code ec;
    fs::create_directories(options.dir, ec);
    dir_ = fs::absolute(options.dir, ec).lexically_normal().string();
    while (dir_.size() > 1 && dir_.back() == '/') dir_.pop_back();
    keep_ = true;
  } else {
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/orv-sandbox.XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data())) {
      fail(sysError("mkdtemp " + templ));
      return;
    }
    dir_ = buf.data();
  }
  if (dir_.find_first_of(",:") != std::string::npos) {
    fail("sandbox directory must not contain ',' or ':': " + dir_);
    return;
  }
  root_ = dir_ + "/root";
  for (const char* r : kOverlayRoots) maps_.push_back({r, root_ + r, true});
  for (const char* r : kFreshRoots) maps_.push_back({r, root_ + r, false});

  std::error_code ec;
  for (const Mapping& m : maps_) fs::create_directories(m.host, ec);
  fs::create_directories(dir_ + "/work/usr-bin", ec);
  fs::create_directories(dir_ + "/work/etc", ec);
  chmod((root_ + "/tmp").c_str(), 01777);
  if (!fs::is_directory(root_ + "/dev")) {
    fail("cannot create " + root_);
    return;
  }
  for (const char* n : kDevNodes) writeFile(std::string("/dev/") + n, "", 0666);
  if (!exists("/dev/console")) writeFile("/dev/console", "", 0600);
  if (!exists("/dev/xconsole")) writeFile("/dev/xconsole", "", 0640);
  makeDir("/dev/shm", 01777);
  chmod((root_ + "/dev/shm").c_str(), 01777);
  static const char* const kLinks[][2] = {{"fd", "/proc/self/fd"},
                                          {"stdin", "/proc/self/fd/0"},
                                          {"stdout", "/proc/self/fd/1"},
                                          {"stderr", "/proc/self/fd/2"}};
  for (const auto& l : kLinks) {
    std::string p = root_ + "/dev/" + l[0];
    if (!lexists(p)) symlink(l[1], p.c_str());
  }
  makeDir("/usr/local/tarvos/conf/vexarc");
  makeDir("/usr/local/tarvos/run");
  makeDir("/usr/local/arraysim");  // the array simulator's state and journal
  makeDir(std::string(orv_fake::kFakeDataDir) + "/pkgenv");
  if (!exists("/etc/tarvos.conf")) writeFile("/etc/tarvos.conf", kTarvosConf);
  std::string node;
  if (readFile(std::string(orv_fake::kFakeDataDir) + "/nodename", node) &&
      !node.empty()) {
    nodeName_ = node.substr(0, node.find('\n'));
  } else {
    setNodeName(nodeName_);
  }
  stageStandIns();
  if (error_.empty() && !fs::is_regular_file(root_ + "/etc/tarvos.conf"))
    fail("sandbox set-up failed in " + dir_);
}

void Sandbox::stageStandIns() {
  std::string sim = buildDir_ + "/testing/arraysim/arraysim";
  std::string fake = buildDir_ + "/testing/fakes/orvfake";
  std::string vtime = buildDir_ + "/testing/vtime/libvtime.so";
  std::string saved = error_;
  // One copy per program; the other names are hard links to it, which
  // keeps a sandbox's set-up to a few milliseconds.
  auto place = [this](const std::string& source, const std::vector<std::string>& paths) {
    if (!fs::is_regular_file(source) || !copyIn(source, paths[0])) return false;
    for (size_t i = 1; i < paths.size(); ++i) {
      std::string h = hostPath(paths[i]);
      std::error_code ec;
      fs::create_directories(fs::path(h).parent_path(), ec);
      fs::remove(h, ec);
      fs::create_hard_link(hostPath(paths[0]), h, ec);
      if (ec && !copyIn(source, paths[i])) return false;
    }
    return true;
  };
  if (!place(sim, {"/usr/bin/cli", "/usr/bin/ssh"})) missing_.push_back(sim);
  if (!place(fake, std::vector<std::string>(std::begin(orv_fake::kFakePaths),
                                            std::end(orv_fake::kFakePaths))))
    missing_.push_back(fake);
  if (!fs::is_regular_file(vtime) || !copyIn(vtime, kVtimeLib, 0644))
    missing_.push_back(vtime);
  error_ = saved;  // a missing stand-in is reported by missingStandIns()
}

std::string Sandbox::hostPath(const std::string& sandboxPath) const {
  std::string p = canonicalSandboxPath(sandboxPath);
  if (p.empty()) return "";
  const Mapping* best = nullptr;
  for (const Mapping& m : maps_)
    if (under(p, m.prefix) && (!best || m.prefix.size() > best->prefix.size()))
      best = &m;
  if (!best) return "";
  return best->host + p.substr(best->prefix.size());
}

bool Sandbox::writeFile(const std::string& path, const std::string& text,
                        mode_t mode) {
  std::string h = hostPath(path);
  if (h.empty()) return fail("not a writable sandbox path: " + path);
  std::error_code ec;
  fs::create_directories(fs::path(h).parent_path(), ec);
  if (isWhiteout(h)) unlink(h.c_str());
  std::ofstream out(h, std::ios::binary | std::ios::trunc);
  if (!out) return fail(sysError("cannot write " + h));
  out << text;
  out.close();
  if (!out) return fail(sysError("cannot write " + h));
  if (chmod(h.c_str(), mode) != 0) return fail(sysError("chmod " + h));
  return true;
}

bool Sandbox::appendFile(const std::string& path, const std::string& text) {
  std::string h = hostPath(path);
  if (h.empty()) return fail("not a writable sandbox path: " + path);
  std::error_code ec;
  fs::create_directories(fs::path(h).parent_path(), ec);
  std::ofstream out(h, std::ios::binary | std::ios::app);
  out << text;
  out.close();
  return out ? true : fail(sysError("cannot append to " + h));
}

bool Sandbox::makeDir(const std::string& path, mode_t mode) {
  std::string h = hostPath(path);
  if (h.empty()) return fail("not a writable sandbox path: " + path);
  std::error_code ec;
  fs::create_directories(h, ec);
  if (!fs::is_directory(h)) return fail("cannot create directory " + h);
  chmod(h.c_str(), mode);
  return true;
}

bool Sandbox::copyIn(const std::string& hostSource, const std::string& path,
                     mode_t mode) {
  std::string h = hostPath(path);
  if (h.empty()) return fail("not a writable sandbox path: " + path);
  std::error_code ec;
  fs::create_directories(fs::path(h).parent_path(), ec);
  fs::remove(h, ec);
  if (!fs::copy_file(hostSource, h, fs::copy_options::overwrite_existing, ec))
    return fail("cannot copy " + hostSource + " to " + h + ": " + ec.message());
  chmod(h.c_str(), mode);
  return true;
}

bool Sandbox::remove(const std::string& path) {
  std::string p = canonicalSandboxPath(path);
  std::string h = hostPath(p);
  if (h.empty()) return fail("not a writable sandbox path: " + path);
  std::error_code ec;
  fs::remove_all(h, ec);
  bool overlay = false;
  for (const Mapping& m : maps_)
    if (m.overlay && under(p, m.prefix)) overlay = true;
  // A file of the host's layer below an overlay is hidden by a whiteout,
  // the overlay file system's own mark for a deleted entry.
  if (overlay && lexists(p)) {
    fs::create_directories(fs::path(h).parent_path(), ec);
    if (mknod(h.c_str(), S_IFCHR | 0000, makedev(0, 0)) != 0)
      return fail(sysError("cannot hide " + p));
  }
  return true;
}

bool Sandbox::exists(const std::string& path) const {
  std::string p = canonicalSandboxPath(path);
  std::string h = hostPath(p);
  if (h.empty()) return !p.empty() && lexists(p);
  if (isWhiteout(h)) return false;
  if (lexists(h)) return true;
  for (const Mapping& m : maps_)
    if (m.overlay && under(p, m.prefix)) return lexists(p);
  return false;
}

bool Sandbox::readFile(const std::string& path, std::string& out) const {
  out.clear();
  std::string p = canonicalSandboxPath(path);
  if (!exists(p)) return false;
  std::string h = hostPath(p);
  if (!h.empty() && lexists(h)) return readHost(h, out);
  return readHost(p, out);
}

std::string Sandbox::readFile(const std::string& path) const {
  std::string out;
  readFile(path, out);
  return out;
}

std::vector<std::string> Sandbox::listDir(const std::string& path) const {
  std::string p = canonicalSandboxPath(path);
  std::string h = hostPath(p);
  std::set<std::string> names;
  std::set<std::string> hidden;
  std::error_code ec;
  if (!h.empty() && fs::is_directory(h)) {
    for (const auto& e : fs::directory_iterator(h, ec)) {
      std::string n = e.path().filename().string();
      if (isWhiteout(e.path().string()))
        hidden.insert(n);
      else
        names.insert(n);
    }
  }
  bool lower = h.empty();
  for (const Mapping& m : maps_)
    if (m.overlay && under(p, m.prefix)) lower = true;
  if (lower && !p.empty() && fs::is_directory(p)) {
    for (const auto& e : fs::directory_iterator(p, ec)) {
      std::string n = e.path().filename().string();
      if (!hidden.count(n)) names.insert(n);
    }
  }
  return std::vector<std::string>(names.begin(), names.end());
}

void Sandbox::addBind(const std::string& hostSource, const std::string& target,
                      bool readOnly) {
  binds_.push_back({hostSource, canonicalSandboxPath(target), readOnly});
}

bool Sandbox::addFreshDir(const std::string& target) {
  std::string p = canonicalSandboxPath(target);
  if (p.empty() || p == "/") return fail("bad directory: " + target);
  if (!hostPath(p).empty()) return true;  // already writable
  if (!fs::is_directory(p))
    return fail("no such host directory to cover: " + p);
  maps_.push_back({p, root_ + p, false});
  if (!makeDir(p)) return false;
  addBind(root_ + p, p, false);
  return true;
}

bool Sandbox::setNodeName(const std::string& name) {
  if (name.empty() || name.size() > 64 || name.find('\n') != std::string::npos)
    return fail("bad node name: " + name);
  nodeName_ = name;
  return writeFile(std::string(orv_fake::kFakeDataDir) + "/nodename", name + "\n");
}

std::vector<std::string> Sandbox::baseEnv(const RunOptions& options) const {
  std::vector<std::string> env = {
      "PATH=/usr/bin:/bin:/usr/sbin:/sbin", "HOME=/tmp", "LANG=C", "LC_ALL=C",
      "TZ=UTC", "USER=root", "LOGNAME=root", "SHELL=/bin/sh"};
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
    if (const char* v = std::getenv(name)) setEnv(env, name, v);
  if (options.virtualTime || options.maxSleeps > 0) {
    setEnv(env, "LD_PRELOAD", kVtimeLib);
    // A sanitizer runtime wants to be loaded first; the shim comes first.
    const std::string* asan = findEnv(env, "ASAN_OPTIONS");
    std::string a = asan ? asan->substr(13) + ":" : "";
    setEnv(env, "ASAN_OPTIONS", a + "verify_asan_link_order=0");
    if (options.maxSleeps > 0)
      setEnv(env, "VTIME_MAX_SLEEPS", std::to_string(options.maxSleeps));
    if (!options.vtimeLog.empty()) setEnv(env, "VTIME_LOG", options.vtimeLog);
  }
  for (const std::string& e : options.env) {
    size_t eq = e.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    setEnv(env, e.substr(0, eq), e.substr(eq + 1));
  }
  return env;
}

bool Sandbox::prepareRun(std::string& why) {
  if (logFd_ >= 0) close(logFd_);
  logFd_ = -1;
  std::string sock = root_ + "/dev/log";
  unlink(sock.c_str());
  struct sockaddr_un addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  if (sock.size() >= sizeof addr.sun_path) return true;  // no syslog capture
  std::memcpy(addr.sun_path, sock.c_str(), sock.size());
  logFd_ = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (logFd_ < 0) {
    why = sysError("socket");
    return false;
  }
  int size = 1 << 20;
  setsockopt(logFd_, SOL_SOCKET, SO_RCVBUF, &size, sizeof size);
  if (bind(logFd_, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) != 0) {
    why = sysError("bind " + sock);
    return false;
  }
  chmod(sock.c_str(), 0666);
  return true;
}

// Runs in the child: its own namespaces, then the mounts, host name and
// working directory.  The order matters: /tmp, which usually holds T, is
// covered last.
bool Sandbox::childMounts(const std::vector<std::string>& keep, std::string& why) const {
  if (unshare(CLONE_NEWNS | CLONE_NEWUTS) != 0) {
    why = sysError("unshare");
    return false;
  }
  if (!doMount("", "/", nullptr, MS_REC | MS_PRIVATE, "", why)) return false;
  if (readOnlyRoot_) {
    if (!doMount(dir_, dir_, nullptr, MS_BIND | MS_REC, "", why)) return false;
    if (!doMount("", "/", nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, "", why))
      return false;
  }
  for (const char* r : kOverlayRoots) {
    std::string work = dir_ + "/work/" + (std::string(r) == "/usr/bin" ? "usr-bin" : "etc");
    std::string opts = std::string("lowerdir=") + r + ",upperdir=" + root_ + r +
                       ",workdir=" + work;
    if (!doMount("overlay", r, "overlay", 0, opts, why)) return false;
  }
  for (const char* r : {"/usr/local", "/opt", "/usr/sbin"})
    if (!doMount(root_ + r, r, nullptr, MS_BIND, "", why)) return false;
  for (const char* n : kDevNodes) {
    std::string node = std::string("/dev/") + n;
    if (!doMount(node, root_ + node, nullptr, MS_BIND, "", why)) return false;
  }
  if (!doMount(root_ + "/dev", "/dev", nullptr, MS_BIND | MS_REC, "", why))
    return false;
  for (const Bind& b : binds_) {
    if (b.target.empty()) {
      why = "bad bind target for " + b.source;
      return false;
    }
    if (!doMount(b.source, b.target, nullptr, MS_BIND | MS_REC, "", why))
      return false;
    if (b.readOnly &&
        !doMount("", b.target, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, "", why))
      return false;
  }
  // A tree under test that lives in /tmp (a checkout there, say) would be
  // hidden by the fresh /tmp: hold it by descriptor, then bind it back at
  // its own path inside the fresh /tmp.
  std::vector<int> kept;
  for (const std::string& k : keep) {
    int fd = open(k.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
      why = sysError("open " + k);
      return false;
    }
    kept.push_back(fd);
  }
  if (!doMount(root_ + "/tmp", "/tmp", nullptr, MS_BIND, "", why)) return false;
  for (size_t i = 0; i < keep.size(); ++i) {
    std::error_code ec;
    fs::create_directories(keep[i], ec);
    std::string source = "/proc/self/fd/" + std::to_string(kept[i]);
    bool mounted = doMount(source, keep[i], nullptr, MS_BIND | MS_REC, "", why);
    close(kept[i]);
    if (!mounted) return false;
  }
  if (sethostname(nodeName_.c_str(), nodeName_.size()) != 0) {
    why = sysError("sethostname");
    return false;
  }
  return true;
}

RunResult Sandbox::run(const std::vector<std::string>& argv) {
  RunOptions options;
  options.argv = argv;
  return run(options);
}

RunResult Sandbox::run(const RunOptions& options) {
  RunResult result;
  if (!ok()) {
    result.setupError = "sandbox not usable: " + error_;
    return result;
  }
  if (options.argv.empty() || options.argv[0].empty() || options.argv[0][0] != '/') {
    result.setupError = "the program must be given by an absolute path";
    return result;
  }
  std::error_code ec;
  std::string real = fs::weakly_canonical(options.argv[0], ec).string();
  if (under(real, dir_)) {
    result.setupError = "program " + real + " lies inside the sandbox directory";
    return result;
  }
  // The program's directory and the build tree stay visible when they are
  // under /tmp; nothing else of the host's /tmp does.
  std::vector<std::string> keep;
  for (std::string k : {fs::path(real).parent_path().string(),
                        fs::weakly_canonical(buildDir_, ec).string()}) {
    if (!under(k, "/tmp") || k == "/tmp" || under(k, dir_) || under(dir_, k)) continue;
    bool covered = false;
    for (const std::string& other : keep) covered = covered || under(k, other);
    if (!covered) keep.push_back(k);
  }
  std::string why;
  if (!prepareRun(why)) {
    result.setupError = why;
    return result;
  }
  ProcessSpec spec;
  spec.argv = options.argv;
  spec.env = baseEnv(options);
  spec.stdinText = options.stdinText;
  spec.timeoutSeconds = options.timeoutSeconds;
  spec.onPoll = options.onPoll;
  std::string workDir = options.workDir.empty() ? "/" : options.workDir;
  spec.beforeExec = [this, workDir, keep](std::string& error) {
    if (!childMounts(keep, error)) return false;
    if (chdir(workDir.c_str()) != 0) {
      error = sysError("chdir " + workDir);
      return false;
    }
    return true;
  };
  std::vector<std::string>& syslog = result.syslog;
  spec.watchFd = logFd_;
  int fd = logFd_;
  spec.onReadable = [fd, &syslog]() {
    char buf[65536];
    for (;;) {
      ssize_t n = recv(fd, buf, sizeof buf, MSG_DONTWAIT);
      if (n < 0) return;
      syslog.emplace_back(buf, static_cast<size_t>(n));
    }
  };
  struct stat tmpBefore;
  bool tmpTimesSaved = stat((root_ + "/tmp").c_str(), &tmpBefore) == 0;
  ProcessResult pr = runProcess(spec);
  static_cast<ProcessResult&>(result) = pr;
  if (logFd_ >= 0) close(logFd_);
  logFd_ = -1;
  unlink((root_ + "/dev/log").c_str());
  // The mount points made for the kept directories are not the program's:
  // take the empty ones away again, deepest first, and leave /tmp's times
  // as they were so the run shows no trace of them.
  for (const std::string& k : keep) {
    for (fs::path p = root_ + k; p.string().size() > (root_ + "/tmp").size();
         p = p.parent_path()) {
      if (rmdir(p.c_str()) != 0) break;
    }
  }
  if (!keep.empty() && tmpTimesSaved) {
    struct timespec times[2] = {tmpBefore.st_atim, tmpBefore.st_mtim};
    utimensat(AT_FDCWD, (root_ + "/tmp").c_str(), times, 0);
  }
  return result;
}

std::string Sandbox::unavailableReason() {
  static const std::string reason = []() -> std::string {
    if (geteuid() != 0)
      return "not running as root; the sandbox needs to unshare the mount "
             "namespace and mount (run the end-to-end tests as root)";
    char templ[] = "/tmp/orv-sandbox-probe.XXXXXX";
    if (!mkdtemp(templ)) return sysError("mkdtemp");
    std::string d = templ;
    for (const char* sub : {"/lower", "/upper", "/work", "/merged"})
      mkdir((d + sub).c_str(), 0755);
    ProcessSpec spec;
    spec.argv = {"/bin/true"};
    spec.timeoutSeconds = 10;
    spec.beforeExec = [d](std::string& why) {
      if (unshare(CLONE_NEWNS | CLONE_NEWUTS) != 0) {
        why = sysError("unshare(CLONE_NEWNS|CLONE_NEWUTS)");
        return false;
      }
      if (!doMount("", "/", nullptr, MS_REC | MS_PRIVATE, "", why)) return false;
      std::string opts = "lowerdir=" + d + "/lower,upperdir=" + d +
                         "/upper,workdir=" + d + "/work";
      return doMount("overlay", d + "/merged", "overlay", 0, opts, why);
    };
    ProcessResult r = runProcess(spec);
    std::error_code ec;
    fs::remove_all(d, ec);
    if (!r.setupError.empty()) return r.setupError;
    if (r.exitCode != 0) return "probe exited with " + std::to_string(r.exitCode);
    return "";
  }();
  return reason;
}

}  // namespace orv_sandbox
