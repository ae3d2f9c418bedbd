// The object catalogue: the fixed vocabulary of configuration parameters,
// product settings and run-time status objects both programs know.
//
// Row i becomes the object of idx i (pre = post = -1).  A row's default
// (nullptr: none) is assigned with OrvObject::setValue(const OrvString&), so
// it is converted and validated like any other text; a default the possible
// set refuses leaves the object without a value (AUTO_NONCURDATA).

#ifndef OBJECTDB_CATALOGUE_H_
#define OBJECTDB_CATALOGUE_H_

#include <climits>
#include <string>

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
  const char* longText;   // "{range}": the setting's range (OrvCatalogue::longText)
};

// The values a package setting accepts, as the programs reading it take
// them.  rcplan --check judges a setting by this; the code applying a
// setting takes its bounds from here.
struct OrvAcceptedValues {
  std::string name;
  std::string words;       // accepted words, exactly so written; "": a number
  int min = INT_MIN;       // numbers: the accepted range
  int max = INT_MAX;
  bool noTimeout = false;  // numbers: -1 (also written NO_TIMEOUT) as well
  std::string suffix;      // follows the values in text(): a unit, a note

  // Whether one word is accepted: a number's first word, or one word of a
  // list; "" never is.
  bool accepts(const std::string& word) const;
  // "200..400" or "0 or more" (a number), "0 or 1" (words).
  std::string range() const;
  // The accepted values as shown to whoever sets them, e.g.
  // "-1, NO_TIMEOUT or 0..86400 minutes".
  std::string text() const;
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
  // An attribute's long text, its "{range}" replaced by the setting's range.
  static std::string longText(const OrvAttributeHelp& help);

  static const int kChecked = 6;
  // The settings whose values are restricted, in the order they are checked.
  static OrvAcceptedValues accepted(int i);
  // Those of that name; unknown names accept any number.
  static OrvAcceptedValues accepted(const char* name);
};

#endif  // OBJECTDB_CATALOGUE_H_
