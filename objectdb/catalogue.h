// The object catalogue: the fixed vocabulary of configuration parameters,
// product settings and run-time status objects both programs know.
//
// Row i becomes the object of idx i (pre = post = -1).  A row's default
// (nullptr: none) is assigned with OrvObject::setValue(const OrvString&), so
// it is converted and validated like any other text; a default the possible
// set refuses leaves the object without a value (AUTO_NONCURDATA).

#ifndef OBJECTDB_CATALOGUE_H_
#define OBJECTDB_CATALOGUE_H_

#include "objectdb/orv_object.h"
#include "objectdb/orv_type.h"

struct OrvCatalogueRow {
  const char* name;
  objectParaType type;
  objectTagType tag;
  const char* defaultValue;  // nullptr: no default
  const char* possibleSet;   // "" : no restriction
};

// A setting the package defines (as RCVEXA_<name>, or VKR_PKG_DIR), with
// the texts that describe it to whoever sets it: the resource agent's
// meta-data is built from these, so no second list of settings exists.
struct OrvAttributeHelp {
  const char* name;       // catalogue name
  const char* parameter;  // the resource agent's parameter
  bool required;
  const char* shortText;
  const char* longText;
};

class OrvCatalogue {
 public:
  static const int kSize = 70;
  // The rows in catalogue order; row(i) for 0 <= i < kSize.
  static const OrvCatalogueRow& row(int i);
  // The row of that name, or null.
  static const OrvCatalogueRow* find(const char* name);

  static const int kAttributes = 15;
  // The package settings, in the order an operator meets them.
  static const OrvAttributeHelp& attribute(int i);
};

#endif  // OBJECTDB_CATALOGUE_H_
