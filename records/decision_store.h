// The decision records of a package: the directory "decisions" inside the
// package directory, one JSON file per rcgate run.  Shared by rcgate, which
// writes them (records/decision_record.h), and rcplan, which lists and
// replays them.
//
// The package directory may be writable by the application's user, so the
// directory is only ever used through a descriptor: opened without
// following a link, and accepted only when it is a directory owned by this
// user that nobody else may write.  Records are opened through it, again
// without following links, and must be regular files.
//
// A record is named "sNNNNNNNNNN-YYYYMMDDTHHMMSS.mmmZ-PID.json": a sequence
// number one above the highest in the directory, then its start (UTC) and
// the writer's pid.  The order of writing is the order of the sequence
// numbers, whatever the wall clock did meanwhile.  Records of earlier
// versions, named "YYYYMMDDTHHMMSS.mmmZ-PID.json", count as written before
// every numbered one, in the order of their names.

#ifndef RECORDS_DECISION_STORE_H_
#define RECORDS_DECISION_STORE_H_

#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace orv_decisions {

const char kDirName[] = "decisions";
const char kRecordKind[] = "rcgate decision";
const int kRecordVersion = 1;
const size_t kKeepRecords = 100;

// The descriptor of packageDir/decisions, or -1 with why (one sentence, no
// severity word).  create: make the directory (mode 0700) when missing.
int openDir(const std::string& packageDir, bool create, std::string& why);

// Name of record number sequence, of a run started at startSec + startMs
// (UTC) by pid.
std::string recordName(unsigned long long sequence, time_t startSec, int startMs, long pid);
bool isRecordName(const std::string& name);
// The sequence number of a record name; 0 for a name of the older form.
unsigned long long recordSequence(const std::string& name);
// The names in the directory for which keep() holds, sorted.
std::vector<std::string> namesIn(int dirFd, const std::function<bool(const std::string&)>& keep);
// Record names put in the order they were written, oldest first.
void sortByWriting(std::vector<std::string>& names);
// The record names in dirFd in the order they were written, oldest first.
std::vector<std::string> listRecords(int dirFd);
// The sequence number for the next record written into dirFd.
unsigned long long nextSequence(const std::vector<std::string>& records);

// Reads a whole record: through dirFd (no link followed), or by path (the
// file an operator named).  False with why.
bool readAt(int dirFd, const std::string& name, std::string& text, std::string& why);
bool readPath(const std::string& path, std::string& text, std::string& why);

// A rule input: a string, an integer, or no value.
struct InputValue {
  enum Kind { kNone, kString, kInteger } kind = kNone;
  std::string text;
  long long number = 0;
};

struct RecordedCommand {
  std::string array;
  std::string path;
  std::string command;
  int exitStatus = -1;
  long long durationMs = 0;
};

// What rcplan reads of a record.
struct Record {
  std::string programVersion;
  std::string start;  // as written, "YYYY-MM-DDTHH:MM:SSZ"
  time_t startTime = 0;
  long long durationMs = 0;
  std::string node;
  std::string site;
  std::string package;
  bool forceFlagFound = false;
  bool forceFlagConsumed = false;
  bool forceFlagIgnored = false;  // present, but not a root-owned regular file
  bool hasInputs = false;  // the run got as far as the decision
  std::vector<std::pair<std::string, InputValue>> inputs;
  std::vector<std::pair<int, std::string>> matched;
  bool hasAction = false;
  std::string action;
  std::vector<RecordedCommand> commands;
  std::string endedIn;
  std::string reason;
  int exitCode = 0;
};

// Parses the text of a record.  False with why ("truncated: ...", "not
// JSON: ...", "not a decision record: ...") for anything else; never throws.
bool parse(const std::string& text, Record& out, std::string& why);

// "2026-12-09T07:40:37Z" and back; false for any other form.
std::string isoTime(time_t t);
bool parseIsoTime(const std::string& text, time_t& out);

}  // namespace orv_decisions

#endif  // RECORDS_DECISION_STORE_H_
