// OrvObjectDb: the object database of both programs.
//
// Holds the catalogue objects in catalogue order.  Lookups hand out pointers
// to the stored objects (valid for the life of the database); operator[]
// hands out copies (without value sets).  Names compare case-sensitively.
// Every failing operation logs one message through the process Logger and
// returns 0; a report argument of 0 silences the "Error: Object name [%s]
// not found " message of a failed lookup (and the "value not set" message
// where the operation has one).
//
// Besides typed reads and writes by name it holds the start-up decisions that
// only read and write objects: the node's site (getDataCenter), the operator's
// force flag (setForceFlag) and the start-up mode (setApplicationStartup), and
// the loading of the package configuration as value sets of the context "ORV"
// (loadUserConfig, in config_loader.cc).

#ifndef OBJECTDB_ORV_OBJECT_DB_H_
#define OBJECTDB_ORV_OBJECT_DB_H_

#include <ostream>
#include <string>

#include "foundation/logger.h"
#include "foundation/orv_list.h"
#include "foundation/orv_string.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_type.h"

namespace orv_force {
struct Outcome;
}

class OrvObjectDb {
 public:
  // Builds the catalogue; good := 1.
  OrvObjectDb();
  ~OrvObjectDb();

  int isGood() const { return good_; }
  int addObject(const OrvObject& object);  // appends a copy
  int numberOfElements() const { return objects_.numObjects(); }
  // Copy of the object at position i (0 <= i < numberOfElements()).
  OrvObject operator[](int i) const;
  // The stored object at position i (0 <= i < numberOfElements()); a walk
  // over i in order costs one step each.
  OrvObject* objectAt(int i) const { return &objects_[i]->data(); }

  int getObjectByName(const OrvString& name, OrvObject*& obj, int report = 1) const;
  int getIndexByObjectName(const OrvString& name, int& idx, int report = 1) const;
  // First object whose idx is idx; else "Error: Index number [%s] is not
  // found" with idx in decimal.
  int getObjectByIndex(int idx, OrvObject*& obj) const;
  // value := the object's own value pointer; 0 (with "Error: Object Name
  // [%s] value not set" when report) when unset.
  int getValueByName(const OrvString& name, OrvType*& value, int report = 1) const;
  // Integer objects only (else the invalid-type message); 0 without a
  // message when unset.
  int getIntValByName(const OrvString& name, int& out) const;
  // String objects: out := text ('' when unset); other types leave out as it
  // was.  1 when out is then non-empty, else out := '' and 0 (with "Error:
  // Object Name [%s] value not set." when report).
  int getStrValByName(const OrvString& name, OrvString& out, int report = 1) const;
  // The same text, '' when unset or not a string object; never a message.
  std::string textOf(const char* name) const;
  // Validated writes; a refusal logs "Error: Cannot set value for object
  // name [%s]".  A refused text leaves the object without a value.
  int setIntValByName(const OrvString& name, int v);
  int setStrValByName(const OrvString& name, const OrvString& text);
  // Every object takes its value for that context, if it has one; 1.
  int updateValuesByContext(OrvString context);

  // Site of hostName (a short host name): 0 when it is in exactly one of
  // DC1_NODE_LIST (site "A") and DC2_NODE_LIST (site "B") and StatusCurrentDC
  // was set; 1 for a configuration error (in both lists, in neither); 2 for
  // an internal error (list objects missing, of the wrong type, unset, or
  // StatusCurrentDC not writable).
  int getDataCenter(OrvString hostName);
  // Reads the string object "DeviceGroup" (not in the catalogue).
  int getDeviceGroupName(OrvString& name, int report = 1);
  // StatusForceFlag := "yes" and the marker file consumed when
  // VKR_PKG_DIR/FORCEFLAG is a flag that counts (foundation/force_flag.h),
  // else "no" (with a Warning for one that does not count).  outcome, when
  // given, receives what was found.  1 when set, 0 on error.
  int setForceFlag(orv_force::Outcome* outcome = nullptr);
  // ApplicationStartup := "resyncwait" when RESYNC_WAIT_TIMEOUT is not 0,
  // "fastfailback" when it is 0.  1 when set.
  int setApplicationStartup();

  // Loads the package's replication attributes through the cluster manager
  // as value sets of the context "ORV" (PackageName and VKR_PKG_DIR get one
  // each); no current value changes.  1 when the whole extract was read, 0
  // on any failure, with a message.  A package name outside letters, digits,
  // '.', '_', '-' is refused before any command runs; an empty package
  // directory stops the load before anything is written.
  int loadUserConfig(OrvString packageName);
  // The part of loadUserConfig after the commands: reads the attribute
  // extract (one "NAME VALUE" line per attribute, as the attribute command
  // prints it) into value sets.  Refuses an empty packageDir.
  int loadConfigText(const OrvString& packageDir, const OrvString& extract);

  friend std::ostream& operator<<(std::ostream& os, const OrvObjectDb& db);

 private:
  OrvObjectDb(const OrvObjectDb&) = delete;
  OrvObjectDb& operator=(const OrvObjectDb&) = delete;

  int loadProductConfig();
  // Runs the attribute command (its first word must be executable) and
  // reads its whole output; 1 when it exited with 0.
  int runAttributeCommand(OrvString& command, OrvString& extract);
  int siteList(const char* name, OrvObject*& obj);

  int good_;
  OrvList<OrvObject> objects_;
  Logger* log_;
};

// The objects in list format, then two line feeds.
std::ostream& operator<<(std::ostream& os, const OrvObjectDb& db);

#endif  // OBJECTDB_ORV_OBJECT_DB_H_
