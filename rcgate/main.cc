// rcgate PKG: decides at package start whether this node may run the
// package and prepares the storage for it.  See rcgate/orv_base.h.

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "foundation/logger.h"
#include "foundation/process_guard.h"
#include "foundation/program_info.h"
#include "foundation/temp_files.h"
#include "objectdb/attribute_source.h"
#include "rcgate/orv_base.h"

namespace {

const char kUsage[] =
    "Usage: rcgate <package_name>\n"
    "       rcgate --help | --version\n"
    "       rcgate [--attributes FILE|-] [--node NAME] <package_name>\n"
    "Decides at the package's start whether it may run on this node and prepares its\n"
    "storage.  Exit codes: 0 or 3 start here, 2 not on this node, 1 not at all.\n";

// A stop signal: no command was started after it; the files go, and the
// line names the last array step, so an operator knows where it stopped.
// The run's decision record says the same.
void stopGate(int signal) {
  orv_temp::removeAll();
  OrvBase::stopRun(signal);
  fflush(nullptr);
  _exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (orvInfoOption(argc, argv, "rcgate", kUsage)) return 0;
  orv_guard::openStandardDescriptors();
  orv_guard::install(orv_guard::kGate, stopGate);
  int exitCode = 2;
  // --attributes FILE / --node NAME come before the package name.
  std::string why;
  if (!orv_attributes::takeOptions(argc, argv, why)) {
    Logger* logger = Logger::createInstance();
    logger->log("%s", why.c_str());
    logger->log("Initialization failed.");
    Logger::removeInstance(&logger);
    return exitCode;
  }
  auto driver = std::make_unique<OrvBase>();
  if (driver->isGood()) {
    exitCode = driver->jxOrvStart(argc, argv);
    if (driver->badArgs()) driver->clUsage();
  }
  // Every array command has ended and been answered for (a signal during
  // one stops the run when it ends): what the arrays did stands, and so
  // does the exit code the record already holds.
  if (orv_guard::stopSignal() != 0)
    Logger::getInstance()->log(
        "INFO: Signal %d arrived after the last array step; the result stands.",
        orv_guard::stopSignal());
  driver.reset();
  return exitCode;
}
