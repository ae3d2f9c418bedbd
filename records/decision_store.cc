#include "records/decision_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>

namespace orv_decisions {

namespace {

using nlohmann::json;

// Far above any real record (a few kilobytes); stops a planted or damaged
// file from filling the memory.
const off_t kMaxRecordBytes = 16 * 1024 * 1024;

const size_t kSequenceDigits = 10;
const unsigned long long kMaxSequence = 9999999999ULL;

std::string errorText(int err) { return std::strerror(err); }

bool allDigits(const std::string& s, size_t from, size_t count) {
  if (from + count > s.size()) return false;
  for (size_t i = from; i < from + count; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

bool readFd(int fd, const std::string& shown, std::string& text, std::string& why) {
  struct stat st;
  if (fstat(fd, &st) != 0) {
    why = "cannot read [" + shown + "]: " + errorText(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    why = "[" + shown + "] is not a regular file";
    return false;
  }
  if (st.st_size > kMaxRecordBytes) {
    why = "[" + shown + "] is too large for a decision record";
    return false;
  }
  text.clear();
  char chunk[8192];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof(chunk));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = "cannot read [" + shown + "]: " + errorText(errno);
      return false;
    }
    if (n == 0) break;
    text.append(chunk, static_cast<size_t>(n));
    if (static_cast<off_t>(text.size()) > kMaxRecordBytes) {
      why = "[" + shown + "] is too large for a decision record";
      return false;
    }
  }
  return true;
}

// Keeps only where a syntax error is; the DOM parse that refused the text
// does not say.
class ErrorSpotter : public nlohmann::json_sax<json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t at, const std::string&,
                   const nlohmann::detail::exception& ex) override {
    position = at;
    message = ex.what();
    return false;
  }
  std::size_t position = 0;
  std::string message;
};

std::string syntaxFault(const std::string& text) {
  ErrorSpotter spotter;
  json::sax_parse(text, &spotter, json::input_format_t::json, true);
  std::string message = spotter.message;
  const size_t tag = message.find("] ");
  if (message.compare(0, 1, "[") == 0 && tag != std::string::npos) message.erase(0, tag + 2);
  // Cut short anywhere, also inside a text or a number: the parser only
  // failed once it ran out of input.
  if (spotter.position > text.size() ||
      message.find("unexpected end of input") != std::string::npos)
    return "truncated: the text ends inside the record (" + message + ")";
  return "not JSON: " + (message.empty() ? std::string("syntax error") : message);
}

// Field readers: each checks the type before reading, so nothing throws.
class Fields {
 public:
  Fields(const json& object, const std::string& where) : object_(object), where_(where) {}

  const json* find(const char* name) const {
    auto it = object_.find(name);
    return it == object_.end() ? nullptr : &*it;
  }
  bool fail(const char* name, const char* expected, std::string& why) const {
    why = "not a decision record: " + where_ + "\"" + name + "\" " +
          (find(name) == nullptr ? "is missing" : std::string("must be ") + expected);
    return false;
  }
  bool text(const char* name, std::string& out, std::string& why) const {
    const json* v = find(name);
    if (v == nullptr || !v->is_string()) return fail(name, "a text", why);
    out = v->get_ref<const std::string&>();
    return true;
  }
  bool integer(const char* name, long long lo, long long hi, long long& out,
               std::string& why) const {
    const json* v = find(name);
    if (v == nullptr || !v->is_number_integer()) return fail(name, "a whole number", why);
    if (v->is_number_unsigned() && v->get<unsigned long long>() > static_cast<unsigned long long>(hi))
      return fail(name, "a whole number in range", why);
    const long long n = v->get<long long>();
    if (n < lo || n > hi) return fail(name, "a whole number in range", why);
    out = n;
    return true;
  }
  bool flag(const char* name, bool& out, std::string& why) const {
    const json* v = find(name);
    if (v == nullptr || !v->is_boolean()) return fail(name, "true or false", why);
    out = v->get<bool>();
    return true;
  }
  // The member, which must be of the kind test accepts or null.
  const json* optional(const char* name, bool (json::*test)() const, const char* expected,
                       bool& ok, std::string& why) const {
    const json* v = find(name);
    ok = v != nullptr && (v->is_null() || ((*v).*test)());
    if (!ok) fail(name, expected, why);
    return ok && !v->is_null() ? v : nullptr;
  }

 private:
  const json& object_;
  std::string where_;
};

bool parseInputs(const json& inputs, Record& out, std::string& why) {
  for (auto it = inputs.begin(); it != inputs.end(); ++it) {
    InputValue value;
    const json& v = it.value();
    if (v.is_string()) {
      value.kind = InputValue::kString;
      value.text = v.get_ref<const std::string&>();
    } else if (v.is_number_integer() && !(v.is_number_unsigned() &&
                                          v.get<unsigned long long>() > LLONG_MAX)) {
      value.kind = InputValue::kInteger;
      value.number = v.get<long long>();
    } else if (!v.is_null()) {
      why = "not a decision record: rule input \"" + it.key() +
            "\" must be a text, a whole number or null";
      return false;
    }
    out.inputs.emplace_back(it.key(), value);
  }
  out.hasInputs = true;
  return true;
}

bool parseMatched(const json& list, Record& out, std::string& why) {
  for (size_t i = 0; i < list.size(); ++i) {
    const json& entry = list[i];
    const std::string where = "matched condition " + std::to_string(i) + ": ";
    if (!entry.is_object()) {
      why = "not a decision record: " + where + "must be an object";
      return false;
    }
    Fields f(entry, where);
    long long position = 0;
    std::string condition;
    if (!f.integer("position", 0, INT_MAX, position, why) || !f.text("condition", condition, why))
      return false;
    out.matched.emplace_back(static_cast<int>(position), condition);
  }
  return true;
}

bool parseCommands(const json& list, Record& out, std::string& why) {
  for (size_t i = 0; i < list.size(); ++i) {
    const json& entry = list[i];
    const std::string where = "command " + std::to_string(i) + ": ";
    if (!entry.is_object()) {
      why = "not a decision record: " + where + "must be an object";
      return false;
    }
    Fields f(entry, where);
    RecordedCommand c;
    long long status = 0;
    if (!f.text("array", c.array, why) || !f.text("path", c.path, why) ||
        !f.text("command", c.command, why) ||
        !f.integer("exit_status", INT_MIN, INT_MAX, status, why) ||
        !f.integer("duration_ms", 0, LLONG_MAX, c.durationMs, why))
      return false;
    c.exitStatus = static_cast<int>(status);
    out.commands.push_back(c);
  }
  return true;
}

}  // namespace

int openDir(const std::string& packageDir, bool create, std::string& why) {
  if (packageDir.empty()) {
    why = "the package directory is not known";
    return -1;
  }
  const std::string shown =
      packageDir + (packageDir.back() == '/' ? "" : "/") + kDirName;
  const int parent = open(packageDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) {
    why = "cannot open the package directory [" + packageDir + "]: " + errorText(errno);
    return -1;
  }
  if (create && mkdirat(parent, kDirName, 0700) != 0 && errno != EEXIST) {
    why = "cannot create [" + shown + "]: " + errorText(errno);
    close(parent);
    return -1;
  }
  const int fd = openat(parent, kDirName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  const int err = errno;
  close(parent);
  if (fd < 0) {
    if (err == ENOENT) {
      why = "there is no [" + shown + "]";
    } else if (err == ELOOP || err == ENOTDIR) {
      why = "[" + shown + "] is not a directory (a link or another file is in its place); it is left alone";
    } else {
      why = "cannot open [" + shown + "]: " + errorText(err);
    }
    return -1;
  }
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode)) {
    why = "[" + shown + "] is not a directory; it is left alone";
  } else if (st.st_uid != geteuid()) {
    why = "[" + shown + "] is owned by uid " + std::to_string(st.st_uid) +
          ", not by this user; it is left alone";
  } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    why = "[" + shown + "] may be written by other users; it is left alone";
  } else {
    return fd;
  }
  close(fd);
  return -1;
}

std::string recordName(unsigned long long sequence, time_t startSec, int startMs, long pid) {
  struct tm utc;
  char stamp[32];
  if (gmtime_r(&startSec, &utc) == nullptr ||
      strftime(stamp, sizeof(stamp), "%Y%m%dT%H%M%S", &utc) == 0)
    std::snprintf(stamp, sizeof(stamp), "00000000T000000");
  char head[40];
  std::snprintf(head, sizeof(head), "s%0*llu-", static_cast<int>(kSequenceDigits),
                sequence > kMaxSequence ? kMaxSequence : sequence);
  char ms[8];
  std::snprintf(ms, sizeof(ms), "%03d", startMs < 0 || startMs > 999 ? 0 : startMs);
  return std::string(head) + stamp + "." + ms + "Z-" + std::to_string(pid) + ".json";
}

namespace {

// YYYYMMDDTHHMMSS.mmmZ-PID.json from position at.
bool isTimedName(const std::string& name, size_t at) {
  const size_t suffix = name.size() >= 5 ? name.size() - 5 : 0;
  return name.size() > at + 26 && allDigits(name, at, 8) && name[at + 8] == 'T' &&
         allDigits(name, at + 9, 6) && name[at + 15] == '.' && allDigits(name, at + 16, 3) &&
         name[at + 19] == 'Z' && name[at + 20] == '-' && name.compare(suffix, 5, ".json") == 0 &&
         allDigits(name, at + 21, suffix - at - 21);
}

bool isNumberedName(const std::string& name) {
  return name.size() > kSequenceDigits + 2 && name[0] == 's' &&
         allDigits(name, 1, kSequenceDigits) && name[kSequenceDigits + 1] == '-' &&
         isTimedName(name, kSequenceDigits + 2);
}

}  // namespace

bool isRecordName(const std::string& name) { return isNumberedName(name) || isTimedName(name, 0); }

unsigned long long recordSequence(const std::string& name) {
  if (!isNumberedName(name)) return 0;
  return std::strtoull(name.substr(1, kSequenceDigits).c_str(), nullptr, 10);
}

unsigned long long nextSequence(const std::vector<std::string>& records) {
  unsigned long long highest = 0;
  for (const std::string& name : records) highest = std::max(highest, recordSequence(name));
  return highest < kMaxSequence ? highest + 1 : kMaxSequence;
}

std::vector<std::string> namesIn(int dirFd, const std::function<bool(const std::string&)>& keep) {
  std::vector<std::string> names;
  const int copy = dup(dirFd);
  if (copy < 0) return names;
  DIR* dir = fdopendir(copy);
  if (dir == nullptr) {
    close(copy);
    return names;
  }
  rewinddir(dir);  // the copy shares its position with every other copy
  while (struct dirent* e = readdir(dir)) {
    if (keep(e->d_name)) names.push_back(e->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

void sortByWriting(std::vector<std::string>& names) {
  // Old names (sequence 0) first, in name order; then by number.  Each
  // name's number is read once, not at every comparison.
  std::vector<std::pair<unsigned long long, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(recordSequence(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (size_t i = 0; i < keyed.size(); ++i) names[i] = std::move(keyed[i].second);
}

std::vector<std::string> listRecords(int dirFd) {
  std::vector<std::string> names = namesIn(dirFd, isRecordName);
  sortByWriting(names);
  return names;
}

bool readAt(int dirFd, const std::string& name, std::string& text, std::string& why) {
  const int fd = openat(dirFd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = "cannot open [" + name + "]: " + errorText(errno);
    return false;
  }
  const bool ok = readFd(fd, name, text, why);
  close(fd);
  return ok;
}

bool readPath(const std::string& path, std::string& text, std::string& why) {
  // Not waiting on a FIFO named by mistake; the type is checked next.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    why = "cannot open it: " + errorText(errno);
    return false;
  }
  const bool ok = readFd(fd, path, text, why);
  close(fd);
  return ok;
}

bool parse(const std::string& text, Record& out, std::string& why) {
  out = Record();
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    why = "truncated: the file is empty";
    return false;
  }
  const json j = json::parse(text, nullptr, false);
  if (j.is_discarded()) {
    why = syntaxFault(text);
    return false;
  }
  if (!j.is_object()) {
    why = "not a decision record: the text is JSON but not an object";
    return false;
  }
  Fields f(j, "field ");
  std::string kind;
  if (!f.text("record", kind, why)) return false;
  if (kind != kRecordKind) {
    why = "not a decision record: field \"record\" is \"" + kind + "\", not \"" + kRecordKind + "\"";
    return false;
  }
  long long version = 0;
  if (!f.integer("record_version", 1, INT_MAX, version, why)) return false;
  if (version != kRecordVersion) {
    why = "not a decision record this program reads: record_version " + std::to_string(version);
    return false;
  }
  long long exitCode = 0;
  if (!f.text("program_version", out.programVersion, why) || !f.text("start", out.start, why))
    return false;
  if (!parseIsoTime(out.start, out.startTime)) return f.fail("start", "a UTC time such as 2026-01-31T23:59:00Z", why);
  if (!f.integer("duration_ms", 0, LLONG_MAX, out.durationMs, why) ||
      !f.text("node", out.node, why) || !f.text("site", out.site, why) ||
      !f.text("package", out.package, why) || !f.text("ended_in", out.endedIn, why) ||
      !f.text("reason", out.reason, why) ||
      !f.integer("exit_code", INT_MIN, INT_MAX, exitCode, why))
    return false;
  out.exitCode = static_cast<int>(exitCode);

  const json* force = f.find("force_flag");
  if (force == nullptr || !force->is_object()) return f.fail("force_flag", "an object", why);
  Fields ff(*force, "field force_flag.");
  if (!ff.flag("found", out.forceFlagFound, why) || !ff.flag("consumed", out.forceFlagConsumed, why))
    return false;
  // Records of earlier versions do not say; their flags always counted.
  if (ff.find("ignored") != nullptr && !ff.flag("ignored", out.forceFlagIgnored, why)) return false;

  bool ok = true;
  f.optional("configuration", &json::is_object, "an object or null", ok, why);
  if (!ok) return false;
  f.optional("state_after", &json::is_object, "an object or null", ok, why);
  if (!ok) return false;
  const json* inputs = f.optional("rule_inputs", &json::is_object, "an object or null", ok, why);
  if (!ok || (inputs != nullptr && !parseInputs(*inputs, out, why))) return false;
  const json* action = f.optional("action", &json::is_string, "a text or null", ok, why);
  if (!ok) return false;
  if (action != nullptr) {
    out.hasAction = true;
    out.action = action->get_ref<const std::string&>();
  }

  const json* matched = f.find("matched_conditions");
  if (matched == nullptr || !matched->is_array()) return f.fail("matched_conditions", "a list", why);
  if (!parseMatched(*matched, out, why)) return false;
  const json* commands = f.find("commands");
  if (commands == nullptr || !commands->is_array()) return f.fail("commands", "a list", why);
  return parseCommands(*commands, out, why);
}

std::string isoTime(time_t t) {
  struct tm utc;
  char text[32];
  if (gmtime_r(&t, &utc) == nullptr || strftime(text, sizeof(text), "%Y-%m-%dT%H:%M:%SZ", &utc) == 0)
    return "1970-01-01T00:00:00Z";
  return text;
}

bool parseIsoTime(const std::string& text, time_t& out) {
  // YYYY-MM-DDTHH:MM:SSZ
  if (text.size() != 20 || !allDigits(text, 0, 4) || text[4] != '-' || !allDigits(text, 5, 2) ||
      text[7] != '-' || !allDigits(text, 8, 2) || text[10] != 'T' || !allDigits(text, 11, 2) ||
      text[13] != ':' || !allDigits(text, 14, 2) || text[16] != ':' || !allDigits(text, 17, 2) ||
      text[19] != 'Z')
    return false;
  struct tm utc;
  std::memset(&utc, 0, sizeof(utc));
  auto number = [&text](size_t at, size_t count) {
    int n = 0;
    for (size_t i = at; i < at + count; ++i) n = n * 10 + (text[i] - '0');
    return n;
  };
  utc.tm_year = number(0, 4) - 1900;
  utc.tm_mon = number(5, 2) - 1;
  utc.tm_mday = number(8, 2);
  utc.tm_hour = number(11, 2);
  utc.tm_min = number(14, 2);
  utc.tm_sec = number(17, 2);
  if (utc.tm_mon > 11 || utc.tm_mday < 1 || utc.tm_mday > 31 || utc.tm_hour > 23 ||
      utc.tm_min > 59 || utc.tm_sec > 60)
    return false;
  out = timegm(&utc);
  // Only a real time, written as the writer writes it (no 31 February).
  return isoTime(out) == text;
}

}  // namespace orv_decisions
