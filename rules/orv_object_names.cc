#include "rules/orv_object_names.h"

#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"

OrvObjectNameIndex::OrvObjectNameIndex(const OrvObjectDb* db) {
  if (db == nullptr) return;
  const int count = db->numberOfElements();
  index_.reserve(static_cast<size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    const OrvObject* object = db->objectAt(i);
    // emplace keeps the first object of a name, as the lookup by name does.
    index_.emplace(object->getObjectName().getValue(), object->getIdx());
  }
}

int OrvObjectNameIndex::find(const char* name, int& idx) const {
  auto found = index_.find(name != nullptr ? name : "");
  if (found == index_.end()) return 0;
  idx = found->second;
  return 1;
}
