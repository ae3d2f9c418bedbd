// Parsing of one line of the package attribute extract (the filtered
// output of the cluster manager's attribute command, read from its pipe).
//
// Each line reads: attribute name, a blank, the value text, e.g.
// "DC1_NODE_LIST node1.sitea node2" or "RESYNC_WAIT_TIMEOUT -1".  A '#'
// starts a comment anywhere in a line.  The value a line contributes depends
// on the declared type of the object of that name:
//  - string: the text up to a '#' or tab, trimmed (blanks inside remain);
//    an empty text contributes nothing;
//  - list: the blank- or tab-separated words up to a comment; a word that
//    holds a '#' contributes its part before the '#' and ends the list.  For
//    DC1_NODE_LIST and DC2_NODE_LIST every other word is cut at its first
//    '.', so fully qualified host names become short names.  The list may be
//    empty;
//  - integer: atoi of the first word up to a comment (no word gives 0, a
//    non-number 0);
//  - any other type: nothing.
// Pure functions: no file, no command, no logging.

#ifndef OBJECTDB_CONFIG_LINE_H_
#define OBJECTDB_CONFIG_LINE_H_

#include <memory>

#include "foundation/orv_string.h"
#include "objectdb/orv_type.h"

class OrvConfigLine {
 public:
  // 0 for a line that names no attribute (empty after trimming, or starting
  // with '#').  Otherwise 1: name := the text up to the first '#', blank or
  // tab; rest := everything after the name, starting with the character that
  // ended it.
  static int split(const OrvString& line, OrvString& name, OrvString& rest);

  // The value the rest of a line gives an object of the given type and name,
  // or null when the line contributes nothing.
  static std::unique_ptr<OrvType> value(objectParaType type, const OrvString& name,
                                        const OrvString& rest);
};

#endif  // OBJECTDB_CONFIG_LINE_H_
