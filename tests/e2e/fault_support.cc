#include "tests/e2e/fault_support.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <sstream>

namespace orv_fault {

namespace {

void walk(const std::string& host, const std::string& shown, TreeSnapshot& out) {
  DIR* d = opendir(host.c_str());
  if (d == nullptr) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = host + "/" + name;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) continue;
    std::ostringstream info;
    info << (st.st_mode & S_IFMT) << " " << st.st_size << " " << st.st_mtim.tv_sec << "."
         << st.st_mtim.tv_nsec;
    out[shown + "/" + name] = info.str();
    if (S_ISDIR(st.st_mode)) walk(path, shown + "/" + name, out);
  }
  closedir(d);
}

bool under(const std::string& path, const std::string& prefix) {
  return path == prefix || path.compare(0, prefix.size() + 1, prefix + "/") == 0;
}

}  // namespace

TreeSnapshot snapshot(const orv_sandbox::Sandbox& sb) {
  TreeSnapshot out;
  walk(sb.dir() + "/root", "", out);
  return out;
}

std::vector<std::string> changedOutside(const TreeSnapshot& before, const TreeSnapshot& after,
                                        const std::vector<std::string>& allowedPrefixes) {
  std::vector<std::string> out;
  for (const auto& entry : after) {
    auto old = before.find(entry.first);
    if (old != before.end() && old->second == entry.second) continue;
    // A directory whose listing changed shows a new time; the entry that
    // changed it is reported on its own.
    const std::string directory = std::to_string(S_IFDIR) + " ";
    if (entry.second.compare(0, directory.size(), directory) == 0 && old != before.end())
      continue;
    bool allowed = false;
    for (const std::string& p : allowedPrefixes) allowed = allowed || under(entry.first, p);
    if (!allowed) out.push_back(entry.first);
  }
  return out;
}

std::vector<std::string> findByName(const std::string& hostDir, const std::string& name) {
  TreeSnapshot all;
  walk(hostDir, hostDir, all);
  std::vector<std::string> out;
  for (const auto& entry : all) {
    const std::string& path = entry.first;
    size_t slash = path.rfind('/');
    if (path.substr(slash + 1) == name) out.push_back(path);
  }
  return out;
}

std::vector<std::string> leftovers(const orv_sandbox::Sandbox& sb, const std::string& packageDir) {
  std::vector<std::string> left;
  for (const std::string& name : sb.listDir(packageDir)) {
    if (name == "decisions") {
      for (const std::string& record : sb.listDir(packageDir + "/decisions"))
        if (record[0] == '.' || record.size() < 6 ||
            record.compare(record.size() - 5, 5, ".json") != 0)
          left.push_back("decisions/" + record);
    } else if (name != "ORVVEXASTARTRCVG") {
      left.push_back(name);
    }
  }
  return left;
}

SleepLog readSleepLog(const orv_sandbox::Sandbox& sb, const std::string& path) {
  SleepLog log;
  std::istringstream in(sb.readFile(path));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string count, pid, fn, seconds;
    if (!(fields >> count >> pid >> fn >> seconds)) continue;
    ++log.sleeps;
    log.seconds += std::atof(seconds.c_str());
    if (line.size() >= 5 && line.compare(line.size() - 5, 5, " exit") == 0)
      log.endedByShim = true;
  }
  return log;
}

bool hasMessageStarting(const std::vector<std::string>& msgs, const std::string& text) {
  for (const std::string& m : msgs)
    if (m.compare(0, text.size(), text) == 0) return true;
  return false;
}

bool hasMessageContaining(const std::vector<std::string>& msgs, const std::string& text) {
  for (const std::string& m : msgs)
    if (m.find(text) != std::string::npos) return true;
  return false;
}

std::string join(const std::vector<std::string>& lines, const char* sep) {
  std::string out;
  for (size_t i = 0; i < lines.size(); ++i) out += (i ? sep : "") + lines[i];
  return out;
}

}  // namespace orv_fault
