// OrvDecisionRecord: what one rcgate run decided, and on what, kept as a
// JSON file in the package directory's "decisions" (records/decision_store.h)
// for rcplan --history and --replay.
//
// The driver creates one at the start of a run and tells it each stage it
// reaches; the record collects the array commands sent (array/
// command_record.h) and the run's messages meanwhile.  finish() writes it:
// to a temporary file created through the directory's descriptor, then
// renamed into place, so no reader ever sees half a record; the
// kKeepRecords written last stay (by sequence number, not by clock).  Writing can only fail with one "Warning: ..." line:
// the decision and the exit code are never changed by it.
//
// Fields: record, record_version, program_version, start (UTC), duration_ms,
// node, site, package, configuration (the package attributes used, by
// their attribute names), arrays (local and remote: array, password file
// path, group, target), force_flag {found, consumed, ignored}, rule_inputs (every
// object the rule table reads, as it was when the table was evaluated; null
// when the run ended before), matched_conditions [{position, condition}],
// action (null when none was chosen), commands [{array, path, command,
// exit_status, duration_ms}], state_after (the same objects read again
// after the takeover; null when not read), ended_in ("start-up",
// "discovery", "decision", "takeover"), reason (one line, for a refused
// start), exit_code.

#ifndef RECORDS_DECISION_RECORD_H_
#define RECORDS_DECISION_RECORD_H_

#include <memory>
#include <string>
#include <vector>

#include "foundation/orv_list.h"
#include "foundation/orv_string.h"

class OrvObjectDb;
class OrvRuleDb;
class OrvRCVexa;

class OrvDecisionRecord {
 public:
  enum Stage { kStartUp, kDiscovery, kDecision, kTakeover };

  // Starts the clock, the note of array commands and the message tap.
  OrvDecisionRecord();
  // Stops both.
  ~OrvDecisionRecord();
  OrvDecisionRecord(const OrvDecisionRecord&) = delete;
  OrvDecisionRecord& operator=(const OrvDecisionRecord&) = delete;

  void reached(Stage stage);
  // The package argument ("PackageName" holds the context word by then).
  void notePackage(const std::string& package);
  // ignored: a FORCEFLAG was there but did not count (not a regular file
  // owned by root); it is left in place.
  void noteForceFlag(bool found, bool consumed, bool ignored);
  // The reason of a run whose end the driver explains itself (a stop
  // signal, a group left secondary); it replaces the one taken from the
  // messages.
  void noteReason(const std::string& text);
  // Right before the table is evaluated: keeps the values of its objects.
  void noteInputs(OrvObjectDb& db, const OrvRuleDb& rules);
  // matched holds "position : condition" lines.
  void noteDecision(const OrvString& action, const OrvList<OrvString>& matched);
  void noteStateAfter(OrvObjectDb& db, const OrvRuleDb& rules);

  // The record's text for the run that ends with exitCode.
  std::string text(OrvObjectDb& db, const OrvRCVexa* controller, int exitCode);
  // Writes text() into packageDir/decisions and removes the oldest records
  // beyond kKeepRecords.  1 written; 0 after one Warning line.
  int finish(OrvObjectDb& db, const OrvRCVexa* controller, const std::string& packageDir,
             int exitCode);

  // The one-line reason of a refused start, from the run's messages.
  std::string reason(int exitCode) const;

 private:
  struct Data;
  static void tap(const std::string& text, void* self);
  std::unique_ptr<Data> d_;
};

// The objects the rule table reads, each once, in condition-list order.
std::vector<std::string> orvRuleTableObjects(const OrvRuleDb& rules);

// The package directory the configuration load found ('' when none): the
// value recorded under the package's configuration context, whether or not
// that context was made current.
std::string orvConfiguredPackageDir(OrvObjectDb& db);

#endif  // RECORDS_DECISION_RECORD_H_
