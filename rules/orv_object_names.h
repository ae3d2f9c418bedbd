// OrvObjectNameIndex: a snapshot of an object database's name -> catalogue
// index mapping, for building many conditions at once.
//
// Answers exactly what OrvObjectDb::getIndexByObjectName answers (the idx of
// the first object of that name) as long as no object is added to the
// database after the snapshot; the rule database takes one for the duration
// of its construction, so its condition parsing does not search the whole
// catalogue for every object name and every value text.

#ifndef RULES_ORV_OBJECT_NAMES_H_
#define RULES_ORV_OBJECT_NAMES_H_

#include <string>
#include <unordered_map>

class OrvObjectDb;

class OrvObjectNameIndex {
 public:
  // Snapshot of db (may be null: then nothing is found).
  explicit OrvObjectNameIndex(const OrvObjectDb* db);

  // 1 and idx set when an object is called name, else 0 (idx untouched).
  int find(const char* name, int& idx) const;

 private:
  std::unordered_map<std::string, int> index_;
};

#endif  // RULES_ORV_OBJECT_NAMES_H_
