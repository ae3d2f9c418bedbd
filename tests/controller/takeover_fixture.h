// Fixture of the controller tests that need no array: a configured object
// database, a controller on a package directory of the test's own, and the
// captured standard output split into logged messages.

#ifndef TESTS_CONTROLLER_TAKEOVER_FIXTURE_H_
#define TESTS_CONTROLLER_TAKEOVER_FIXTURE_H_

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "controller/orv_rc_vexa.h"
#include "foundation/logger.h"
#include "objectdb/orv_object.h"
#include "objectdb/orv_object_db.h"
#include "objectdb/orv_type.h"

namespace ctrlb_test {

// One logged message: level (debug or not) and its text after " : ".
struct Message {
  bool debug;
  std::string text;
};

// Splits logger output into messages.  A message starts at a line holding
// " - Node "; lines that follow without that mark belong to it (texts with
// line feeds of their own).
inline std::vector<Message> splitMessages(const std::string& out) {
  std::vector<Message> msgs;
  size_t pos = 0;
  while (pos < out.size()) {
    size_t eol = out.find('\n', pos);
    if (eol == std::string::npos) eol = out.size();
    std::string line = out.substr(pos, eol - pos);
    size_t node = line.find(" - Node ");
    size_t colon = node == std::string::npos ? std::string::npos
                                             : line.find(" : ", node);
    if (colon != std::string::npos) {
      msgs.push_back({line.compare(0, 6, "DEBUG ") == 0, line.substr(colon + 3)});
    } else if (!msgs.empty()) {
      msgs.back().text += "\n" + line;
    }
    pos = eol + 1;
  }
  return msgs;
}

inline std::vector<std::string> texts(const std::vector<Message>& msgs,
                                      bool debug) {
  std::vector<std::string> out;
  for (const Message& m : msgs)
    if (m.debug == debug) out.push_back(m.text);
  return out;
}

class ControllerFixture : public ::testing::Test {
 protected:
  // debug: whether the logger writes debug messages for this test.
  void build(bool debug, const std::string& packageDir = "") {
    Logger* holder = nullptr;
    while (Logger::removeInstance(&holder)) {
    }
    if (debug) {
      setenv("DATAREP_DEBUG", "", 1);
    } else {
      unsetenv("DATAREP_DEBUG");
    }
    char templ[] = "/tmp/orv_ctrlb_test.XXXXXX";
    const char* made = mkdtemp(templ);
    ASSERT_NE(made, nullptr);
    dir_ = made;
    pkgDir_ = packageDir.empty() ? dir_ : packageDir;
    db_.reset(new OrvObjectDb());
    set("StatusCurrentDC", "A");
    set("VKR_PKG_DIR", pkgDir_);
    set("DC1_STORAGE_SYSTEM_USER", "admin");
    set("DC2_STORAGE_SYSTEM_USER", "admin");
    set("DC1_STORAGE_SYSTEM_NAME", "arrayA");
    set("DC2_STORAGE_SYSTEM_NAME", "arrayB");
    set("DC1_RC_VOLUME_GROUP", "rcgA");
    set("DC2_RC_VOLUME_GROUP", "rcgB");
    set("DC1_RC_TARGET_FOR_DC2", "tgtB");
    set("DC2_RC_TARGET_FOR_DC1", "tgtA");
    ctl_.reset(new OrvRCVexa(db_.get(), pkgDir_.c_str()));
  }

  void TearDown() override {
    ctl_.reset();
    db_.reset();
    Logger* holder = nullptr;
    while (Logger::removeInstance(&holder)) {
    }
    unsetenv("DATAREP_DEBUG");
    if (!dir_.empty()) {
      std::string cmd = "rm -rf '" + dir_ + "'";
      if (system(cmd.c_str()) != 0) ADD_FAILURE() << "cannot remove " << dir_;
    }
  }

  void set(const char* name, const std::string& value) {
    ASSERT_TRUE(db_->setStrValByName(name, value.c_str())) << name;
  }

  // Sets an integer the way the package configuration does (a value set
  // activated by context), which the possible set does not restrict: how a
  // configured -1 for RESYNC_WAIT_TIMEOUT takes effect.
  void setConfiguredInt(const char* name, int v) {
    OrvObject* obj = nullptr;
    ASSERT_TRUE(db_->getObjectByName(name, obj));
    OrvIntVal value(v);
    obj->addToValueSetList("CTRLB", &value);
    obj->updateValuesByContext("CTRLB");
  }

  void startCapture() { ::testing::internal::CaptureStdout(); }
  std::vector<Message> stopCapture() {
    return splitMessages(::testing::internal::GetCapturedStdout());
  }

  // Entries left in the test's own directory.
  int leftovers() const {
    int n = 0;
    if (DIR* d = opendir(dir_.c_str())) {
      while (struct dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name != "." && name != "..") ++n;
      }
      closedir(d);
    }
    return n;
  }

  std::string dir_;
  std::string pkgDir_;
  std::unique_ptr<OrvObjectDb> db_;
  std::unique_ptr<OrvRCVexa> ctl_;
};

using Action = int (OrvRCVexa::*)();

}  // namespace ctrlb_test

#endif  // TESTS_CONTROLLER_TAKEOVER_FIXTURE_H_
