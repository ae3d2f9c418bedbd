// The configuration values that end up in array command lines, checked as a
// whole before the first command is built.
//
// Checked, site by site (DC1, then DC2): the storage system name, the
// storage system user, the Remote Copy volume group and the Remote Copy
// target.  The user is refused also when the ssh user that the array command
// layer takes from its password file's name (the last path component up to
// its first underscore) would not be a safe word, e.g. empty for "admin/".
// A value is safe when OrvSafeWord::isArrayWord accepts it; objects without
// a value are skipped (reporting them is the reader's business).

#ifndef CONTROLLER_SAFE_CONFIG_H_
#define CONTROLLER_SAFE_CONFIG_H_

#include <vector>

#include "foundation/orv_string.h"

class OrvObjectDb;

struct OrvUnsafeValue {
  OrvString attribute;  // catalogue name, without the RCVEXA_ prefix
  OrvString value;      // the value as configured
};

// Every unsafe value, in the order above.
std::vector<OrvUnsafeValue> orvUnsafeConfigValues(const OrvObjectDb& db);

// The first of them into *found: 1, or 0 when every value is safe.
int orvFirstUnsafeConfigValue(const OrvObjectDb& db, OrvUnsafeValue* found);

// The attributes checked, in the order above (catalogue names).
std::vector<const char*> orvCommandLineAttributes();

#endif  // CONTROLLER_SAFE_CONFIG_H_
