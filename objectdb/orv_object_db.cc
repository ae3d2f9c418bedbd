#include "objectdb/orv_object_db.h"

#include <unistd.h>

#include <string>

#include "foundation/force_flag.h"
#include "foundation/util.h"
#include "objectdb/catalogue.h"

namespace {

std::string decimal(int n) { return std::to_string(n); }

}  // namespace

OrvObjectDb::OrvObjectDb() : good_(0), log_(Logger::getInstance()) {
  good_ = loadProductConfig();
}

OrvObjectDb::~OrvObjectDb() {}

int OrvObjectDb::loadProductConfig() {
  for (int i = 0; i < OrvCatalogue::kSize; ++i) {
    const OrvCatalogueRow& row = OrvCatalogue::row(i);
    OrvObject& object =
        objects_.emplaceBack(row.name, i, row.tag, -1, -1, row.type, row.possibleSet);
    // A refused default (AUTO_NONCURDATA) leaves the object without a value;
    // it is kept all the same.
    if (row.defaultValue != nullptr && row.defaultValue[0] != '\0') {
      object.setValue(OrvString(row.defaultValue));
    }
  }
  return 1;
}

int OrvObjectDb::addObject(const OrvObject& object) { return objects_.insertAtBack(object); }

OrvObject OrvObjectDb::operator[](int i) const { return objects_[i]->data(); }

int OrvObjectDb::getObjectByName(const OrvString& name, OrvObject*& obj, int report) const {
  for (OrvListNode<OrvObject>* n = objects_.isEmpty() ? nullptr : objects_[0]; n != nullptr;
       n = n->next()) {
    OrvObject& candidate = n->data();
    if (candidate.getObjectName() == name) {
      obj = &candidate;
      return 1;
    }
  }
  if (report) log_->log("Error: Object name [%s] not found ", name.getValue());
  return 0;
}

int OrvObjectDb::getIndexByObjectName(const OrvString& name, int& idx, int report) const {
  OrvObject* obj = nullptr;
  if (!getObjectByName(name, obj, report)) return 0;
  idx = obj->getIdx();
  return 1;
}

int OrvObjectDb::getObjectByIndex(int idx, OrvObject*& obj) const {
  for (OrvListNode<OrvObject>* n = objects_.isEmpty() ? nullptr : objects_[0]; n != nullptr;
       n = n->next()) {
    OrvObject& candidate = n->data();
    if (candidate.getIdx() == idx) {
      obj = &candidate;
      return 1;
    }
  }
  log_->log("Error: Index number [%s] is not found", decimal(idx).c_str());
  return 0;
}

int OrvObjectDb::getValueByName(const OrvString& name, OrvType*& value, int report) const {
  OrvObject* obj = nullptr;
  if (!getObjectByName(name, obj, report)) return 0;
  if (obj->getValue() == nullptr) {
    if (report) log_->log("Error: Object Name [%s] value not set", name.getValue());
    return 0;
  }
  value = obj->getValue();
  return 1;
}

int OrvObjectDb::getIntValByName(const OrvString& name, int& out) const {
  OrvObject* obj = nullptr;
  if (!getObjectByName(name, obj, 1)) return 0;
  if (obj->getType() != INTEGER_TYPE) {
    log_->log("Error: Object name [%s]  has invalid type: [%s] Expecting \"Integer Type\".",
              name.getValue(), decimal(obj->getType()).c_str());
    return 0;
  }
  if (obj->getValue() == nullptr) return 0;
  return obj->getValue()->getValue(out);
}

int OrvObjectDb::getStrValByName(const OrvString& name, OrvString& out, int report) const {
  OrvObject* obj = nullptr;
  if (!getObjectByName(name, obj, report)) return 0;
  if (obj->getType() == STRING_TYPE) out = obj->getStrValue();
  if (out.getLength() > 0) return 1;
  if (report) log_->log("Error: Object Name [%s] value not set.", name.getValue());
  out = "";
  return 0;
}

std::string OrvObjectDb::textOf(const char* name) const {
  OrvString value;
  if (!getStrValByName(name, value, 0)) return "";
  return value.getValue();
}

int OrvObjectDb::setIntValByName(const OrvString& name, int v) {
  OrvObject* obj = nullptr;
  if (!getObjectByName(name, obj, 1)) return 0;
  OrvIntVal value(v);
  if (!obj->setValue(&value)) {
    log_->log("Error: Cannot set value for object name [%s]", name.getValue());
    return 0;
  }
  return 1;
}

int OrvObjectDb::setStrValByName(const OrvString& name, const OrvString& text) {
  OrvObject* obj = nullptr;
  if (!getObjectByName(name, obj, 1)) return 0;
  if (!obj->setValue(text)) {
    log_->log("Error: Cannot set value for object name [%s]", name.getValue());
    return 0;
  }
  return 1;
}

int OrvObjectDb::updateValuesByContext(OrvString context) {
  for (int i = 0; i < objects_.numObjects(); ++i) objects_[i]->data().updateValuesByContext(context);
  return 1;
}

int OrvObjectDb::siteList(const char* name, OrvObject*& obj) {
  if (!getObjectByName(name, obj, 1)) return 0;
  if (obj->getType() != LIST_TYPE) {
    log_->log("Error:  Object name [%s] has invalid type: [%s] Expecting: \"List Type\"", name,
              decimal(obj->getType()).c_str());
    return 0;
  }
  return 1;
}

int OrvObjectDb::getDataCenter(OrvString hostName) {
  OrvObject* siteA = nullptr;
  OrvObject* siteB = nullptr;
  if (!siteList("DC1_NODE_LIST", siteA)) return 2;
  if (!siteList("DC2_NODE_LIST", siteB)) return 2;
  for (OrvObject* list : {siteA, siteB}) {
    if (list->getValue() == nullptr) {
      log_->log("Error: Object name [%s] value not set", list->getObjectName().getValue());
      return 2;
    }
  }
  const bool inA = siteA->contains(hostName) != 0;
  const bool inB = siteB->contains(hostName) != 0;
  const char* host = hostName.getValue();
  if (inA && inB) {
    log_->log("Error: System [%s] is configured in both Datacenter A and B system lists", host);
    return 1;
  }
  if (inA) {
    if (!setStrValByName("StatusCurrentDC", "A")) return 2;
    log_->logDebug("INFO: System [%s] is a member of datacenter \"A\" system list", host);
    return 0;
  }
  if (inB) {
    if (!setStrValByName("StatusCurrentDC", "B")) return 2;
    log_->logDebug("INFO: System [%s] is a member of datacenter \"B\" system list", host);
    return 0;
  }
  log_->log(
      "ERROR: System [%s] is not configured in neither Data Center A's nor Data Center B's "
      "system list",
      host);
  return 1;
}

int OrvObjectDb::getDeviceGroupName(OrvString& name, int report) {
  if (getStrValByName("DeviceGroup", name, report)) return 1;
  if (report) log_->log("Error: No device group found.");
  return 0;
}

int OrvObjectDb::setForceFlag(orv_force::Outcome* outcome) {
  OrvObject* dirObject = nullptr;
  if (!getObjectByName("VKR_PKG_DIR", dirObject, 1)) return 0;
  if (dirObject->getType() != STRING_TYPE) {
    log_->log("Error: Object name [%s] has invalid type: [%s] Expecting: \"String Type\"",
              "VKR_PKG_DIR", decimal(dirObject->getType()).c_str());
    return 0;
  }
  if (dirObject->getValue() == nullptr) {
    log_->log("Error: Object Name [%s] value not set.", "VKR_PKG_DIR");
    return 0;
  }
  // A force flag is consumed by the start-up that sees it.
  const orv_force::Outcome found =
      orv_force::inspect(dirObject->getStrValue().getValue(), true);
  if (outcome != nullptr) *outcome = found;
  if (found.state == orv_force::kCounts) {
    log_->log("INFO: Force flag is set; user has enabled startup action.");
    if (!setStrValByName("StatusForceFlag", "yes")) return 0;
    return 1;
  }
  if (found.state == orv_force::kIgnored)
    log_->log("%s", orv_force::ignoredWarning(found.path).c_str());
  return setStrValByName("StatusForceFlag", "no") ? 1 : 0;
}

int OrvObjectDb::setApplicationStartup() {
  OrvType* value = nullptr;
  if (!getValueByName("RESYNC_WAIT_TIMEOUT", value, 1)) return 0;
  int timeout = 0;
  if (!value->getValue(timeout)) return 0;
  return setStrValByName("ApplicationStartup", timeout != 0 ? "resyncwait" : "fastfailback");
}

std::ostream& operator<<(std::ostream& os, const OrvObjectDb& db) {
  os << db.objects_ << "\n\n";
  return os;
}
