// Shared pieces of the set-up, discovery, report and monitor tests: a fresh
// logger, an object database with the package configuration of a two-site
// pair, a private package directory, and the captured log split into
// message texts.

#ifndef TESTS_CONTROLLER_CTRLA_FIXTURE_H_
#define TESTS_CONTROLLER_CTRLA_FIXTURE_H_

#include <dirent.h>
#include <ftw.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "controller/orv_rc_vexa.h"
#include "foundation/logger.h"
#include "objectdb/orv_object_db.h"

namespace ctrla_test {

// The message texts of captured logger output (what follows " : " on each
// line that carries the logger's mark; continuation lines are appended).
inline std::vector<std::string> messages(const std::string& out, bool debugToo = false) {
  std::vector<std::string> msgs;
  std::istringstream in(out);
  std::string line;
  bool skipping = false;
  while (std::getline(in, line)) {
    size_t node = line.find(" - Node ");
    size_t colon = node == std::string::npos ? node : line.find(" : ", node);
    if (colon != std::string::npos) {
      skipping = !debugToo && line.compare(0, 6, "DEBUG ") == 0;
      if (!skipping) msgs.push_back(line.substr(colon + 3));
    } else if (!skipping && !msgs.empty()) {
      msgs.back() += "\n" + line;
    }
  }
  return msgs;
}

inline int entriesIn(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  if (d == nullptr) return -1;
  int n = 0;
  while (struct dirent* e = readdir(d))
    if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") ++n;
  closedir(d);
  return n;
}

class CtrlAFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    Logger* holder = nullptr;
    while (Logger::removeInstance(&holder)) {
    }
    unsetenv("DATAREP_DEBUG");
    char templ[] = "/tmp/orv_ctrla_test.XXXXXX";
    const char* made = mkdtemp(templ);
    ASSERT_NE(made, nullptr);
    dir_ = made;
    db_.reset(new OrvObjectDb());
  }
  void TearDown() override {
    if (!dir_.empty())
      nftw(dir_.c_str(),
           [](const char* p, const struct stat*, int, struct FTW*) { return remove(p); }, 16,
           FTW_DEPTH | FTW_PHYS);
  }

  // The configuration of a complete pair; site is StatusCurrentDC.
  void configure(const char* site) {
    set("StatusCurrentDC", site);
    set("VKR_PKG_DIR", dir_.c_str());
    set("DC1_STORAGE_SYSTEM_USER", "admin");
    set("DC2_STORAGE_SYSTEM_USER", "oper");
    set("DC1_STORAGE_SYSTEM_NAME", "arrayA");
    set("DC2_STORAGE_SYSTEM_NAME", "arrayB");
    set("DC1_RC_VOLUME_GROUP", "rcgA");
    set("DC2_RC_VOLUME_GROUP", "rcgB");
    set("DC1_RC_TARGET_FOR_DC2", "tgtAB");
    set("DC2_RC_TARGET_FOR_DC1", "tgtBA");
  }
  void set(const char* name, const char* value) {
    ASSERT_TRUE(db_->setStrValByName(name, value)) << name << " := " << value;
  }
  // Gives an integer object a value the way the package configuration does
  // (through a context, without the possible-set check), e.g. -1 for
  // RESYNC_WAIT_TIMEOUT.
  void setIntByContext(const char* name, int value) {
    OrvObject* obj = nullptr;
    ASSERT_TRUE(db_->getObjectByName(name, obj, 1));
    OrvIntVal v(value);
    OrvList<OrvValueSet> sets;
    sets.insertAtBack(OrvValueSet("CTRLATEST", &v));
    obj->setValueSet(sets);
    db_->updateValuesByContext("CTRLATEST");
  }
  std::string get(const char* name) {
    OrvString v;
    db_->getStrValByName(name, v, 0);
    return v.getValue();
  }
  void makeController() { ctl_.reset(new OrvRCVexa(db_.get(), dir_.c_str())); }

  // Runs fn with standard output captured; returns the non-debug messages.
  template <class F>
  std::vector<std::string> logged(F fn) {
    testing::internal::CaptureStdout();
    fn();
    fflush(stdout);
    return messages(testing::internal::GetCapturedStdout());
  }

  std::string writeFile(const std::string& name, const std::string& content) {
    std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  std::string dir_;
  std::unique_ptr<OrvObjectDb> db_;
  std::unique_ptr<OrvRCVexa> ctl_;
};

}  // namespace ctrla_test

#endif  // TESTS_CONTROLLER_CTRLA_FIXTURE_H_
