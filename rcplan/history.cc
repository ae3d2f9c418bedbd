#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "foundation/logger.h"
#include "foundation/plain_text.h"
#include "objectdb/orv_object_db.h"
#include "records/decision_record.h"
#include "records/decision_store.h"
#include "rcplan/rcplan_cli.h"
#include "rcplan/records_cli.h"

namespace rcplan {

namespace {

const int kExitUnreadable = 1;

std::string duration(long long ms) {
  char text[40];
  if (ms < 60000) {
    std::snprintf(text, sizeof(text), "%.1f s", static_cast<double>(ms) / 1000.0);
  } else if (ms < 3600000) {
    std::snprintf(text, sizeof(text), "%lld min %02lld s", ms / 60000, (ms / 1000) % 60);
  } else {
    std::snprintf(text, sizeof(text), "%lld h %02lld min", ms / 3600000, (ms / 60000) % 60);
  }
  return text;
}

// N: a positive whole number of at most six digits.
bool parseCount(const std::string& text, int& n) {
  if (text.empty() || text.size() > 6) return false;
  n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  return n > 0;
}

const int kCells = 6;  // time, node, action, exit, force, duration
const size_t kMinReasonWidth = 30;

struct Row {
  std::string cells[kCells];
  std::string reason;
};

// -, used (a flag counted and was consumed), ignored (not a regular file
// owned by root).
std::string forceCell(const orv_decisions::Record& r) {
  if (r.forceFlagIgnored) return "ignored";
  if (r.forceFlagConsumed || r.forceFlagFound) return "used";
  return "-";
}

// The terminal's width (COLUMNS, else the terminal's own); 0 when the
// output is no terminal: a file or a pipe gets each reason on one line.
size_t lineWidth() {
  const char* columns = getenv("COLUMNS");
  int n = 0;
  if (columns != nullptr && parseCount(columns, n) && n >= 40) return static_cast<size_t>(n);
  struct winsize ws;
  if (isatty(STDOUT_FILENO) && ioctl(STDOUT_FILENO, TIOCGWINSZ, &ws) == 0 && ws.ws_col >= 40)
    return ws.ws_col;
  return 0;
}

// The reason whole, in lines of at most width characters, broken at blanks
// (a word longer than that is cut).
std::vector<std::string> wrap(const std::string& text, size_t width) {
  std::vector<std::string> lines;
  std::string line;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find(' ', at);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(at, end - at);
    at = end + 1;
    while (word.size() > width) {
      if (!line.empty()) lines.push_back(line);
      line.clear();
      lines.push_back(word.substr(0, width));
      word.erase(0, width);
    }
    if (word.empty()) continue;
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      lines.push_back(line);
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

}  // namespace

std::string recordLocalTime(time_t t, const char* format) {
  struct tm local;
  char text[64];
  if (localtime_r(&t, &local) == nullptr || strftime(text, sizeof(text), format, &local) == 0)
    return "?";
  return text;
}

namespace {

// What the records directory held: a line to say instead of records
// (message, with the exit code status), or the records, oldest first.
struct Listing {
  int status = kExitDecided;
  std::string message;
  struct Entry {
    std::string name;
    bool readable = false;
    std::string why;
    orv_decisions::Record record;
  };
  std::vector<Entry> entries;
};

Listing listRecords(const std::string& package, int count) {
  Listing listing;
  // The records live in the package directory, which only the cluster
  // manager's configuration names.
  OrvObjectDb db;
  db.loadUserConfig(OrvString(package.c_str()));
  const std::string packageDir = orvConfiguredPackageDir(db);
  if (packageDir.empty()) {
    listing.status = kExitUsage;
    listing.message = "Error: No package directory for package " + package +
                      " (see the messages above); no records to show.";
    return listing;
  }
  std::string why;
  const int dirFd = orv_decisions::openDir(packageDir, false, why);
  if (dirFd < 0) {
    if (access((packageDir + "/" + orv_decisions::kDirName).c_str(), F_OK) != 0) {
      listing.message = "No decision records of package " + package + " on this node yet: " + why + ".";
      return listing;
    }
    listing.status = kExitUsage;
    listing.message = "Error: Cannot read the decision records: " + why + ".";
    return listing;
  }
  std::vector<std::string> names = orv_decisions::listRecords(dirFd);
  if (names.size() > static_cast<size_t>(count))
    names.erase(names.begin(), names.end() - count);
  if (names.empty()) {
    listing.message = "No decision records of package " + package + " in " + packageDir + "/" +
                      orv_decisions::kDirName + ".";
  }
  for (const std::string& name : names) {
    Listing::Entry e;
    e.name = name;
    std::string text;
    e.readable = orv_decisions::readAt(dirFd, name, text, e.why) &&
                 orv_decisions::parse(text, e.record, e.why);
    listing.entries.push_back(std::move(e));
  }
  close(dirFd);
  return listing;
}

std::string historyJson(const std::string& package, const Listing& listing) {
  nlohmann::json doc;
  doc["package"] = package;
  doc["message"] = listing.message.empty() ? nlohmann::json(nullptr) : nlohmann::json(listing.message);
  doc["records"] = nlohmann::json::array();
  doc["unreadable"] = nlohmann::json::array();
  for (const Listing::Entry& e : listing.entries) {
    if (!e.readable) {
      doc["unreadable"].push_back({{"file", e.name}, {"error", e.why}});
      continue;
    }
    const orv_decisions::Record& r = e.record;
    const std::string force = forceCell(r);
    doc["records"].push_back({{"file", e.name},
                              {"start", r.start},
                              {"node", r.node},
                              {"site", r.site},
                              {"action", r.hasAction ? nlohmann::json(r.action) : nlohmann::json(nullptr)},
                              {"exit_code", r.exitCode},
                              {"force", force == "-" ? "absent" : force},
                              {"duration_ms", r.durationMs},
                              {"ended_in", r.endedIn},
                              {"reason", r.reason}});
  }
  // Text from the arrays may not be UTF-8: replaced, never thrown on.
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
}

}  // namespace

int runHistory(const std::vector<std::string>& args, bool json, std::ostream& out,
               std::ostream& err) {
  int count = kDefaultHistory;
  if (args.empty() || args.size() > 2 || args[0].empty() || args[0][0] == '-' ||
      (args.size() == 2 && !parseCount(args[1], count))) {
    err << "rcplan: --history takes a package name and optionally a count above 0\n";
    printUsage(err);
    return kExitUsage;
  }
  const std::string& package = args[0];
  Logger* logger = nullptr;
  if (json) {
    // Standard output holds the document only: the log is kept off it.
    logger = Logger::createInstance();
    logger->setOutput(0);
  }
  const Listing listing = listRecords(package, count);
  if (logger != nullptr) Logger::removeInstance(&logger);
  int unreadable = 0;
  for (const Listing::Entry& e : listing.entries) unreadable += e.readable ? 0 : 1;
  const int code = listing.status != kExitDecided ? listing.status
                   : unreadable > 0              ? kExitUnreadable
                                                 : kExitDecided;
  if (json) {
    out << historyJson(package, listing) << "\n";
    return code;
  }
  if (listing.entries.empty()) {
    out << listing.message << "\n";
    return listing.status;
  }

  std::vector<Row> rows;
  rows.push_back({{"Start (local time)", "Node", "Action", "Exit", "Force", "Duration"}, "Reason"});
  for (const Listing::Entry& e : listing.entries) {
    if (!e.readable) {
      rows.push_back({{orvVisibleText(e.name), "", "", "", "", ""},
                      orvVisibleText("unreadable record: " + e.why)});
      continue;
    }
    const orv_decisions::Record& r = e.record;
    // Texts from the arrays reach the terminal: no control character passes.
    rows.push_back({{recordLocalTime(r.startTime, "%Y-%m-%d %H:%M:%S"),
                     r.node.empty() ? "-" : orvVisibleText(r.node),
                     r.hasAction ? orvVisibleText(r.action) : "-",
                     std::to_string(r.exitCode), forceCell(r), duration(r.durationMs)},
                    r.exitCode == 0 || r.exitCode == 3 ? "" : orvVisibleText(r.reason)});
  }

  size_t width[kCells] = {0, 0, 0, 0, 0, 0};
  for (const Row& row : rows)
    for (int c = 0; c < kCells; ++c) width[c] = std::max(width[c], row.cells[c].size());
  size_t reasonColumn = 0;
  for (int c = 0; c < kCells; ++c) reasonColumn += width[c] + 2;
  const size_t total = lineWidth();
  const size_t reasonWidth = total == 0                                 ? std::string::npos
                             : total > reasonColumn + kMinReasonWidth ? total - reasonColumn
                                                                      : kMinReasonWidth;
  for (const Row& row : rows) {
    std::string line;
    for (int c = 0; c < kCells; ++c) {
      const std::string& cell = row.cells[c];
      // Exit codes and durations line up on the right.
      const std::string fill(width[c] - cell.size(), ' ');
      line += (c == 3 || c == 5 ? fill + cell : cell + fill) + "  ";
    }
    // The reason in full: continued under itself rather than cut.
    const std::vector<std::string> reason = wrap(row.reason, reasonWidth);
    for (size_t i = 0; i < reason.size() || i == 0; ++i) {
      if (i > 0) line = std::string(reasonColumn, ' ');
      if (i < reason.size()) line += reason[i];
      while (!line.empty() && line.back() == ' ') line.pop_back();
      out << line << "\n";
    }
  }
  out.flush();
  return code;
}

}  // namespace rcplan
