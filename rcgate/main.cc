// rcgate PKG: decides at package start whether this node may run the
// package and prepares the storage for it.  See rcgate/orv_base.h.

#include <unistd.h>

#include <cstdio>
#include <memory>

#include "foundation/logger.h"
#include "foundation/process_guard.h"
#include "foundation/program_info.h"
#include "foundation/temp_files.h"
#include "rcgate/orv_base.h"

namespace {

const char kUsage[] =
    "Usage: rcgate <package_name>\n"
    "       rcgate --help | --version\n"
    "Decides at the package's start whether it may run on this node and prepares its\n"
    "storage.  Exit codes: 0 or 3 start here, 2 not on this node, 1 not at all.\n";

// A stop signal: no command was started after it; the files go, and the
// line names the last array step, so an operator knows where it stopped.
void stopGate(int signal) {
  orv_temp::removeAll();
  Logger::getInstance()->log(
      "Error: Stopped by signal %d after step [%s]; the storage may need attention.", signal,
      orv_guard::lastStep().c_str());
  fflush(nullptr);
  _exit(1);
}

}  // namespace

int main(int argc, char** argv) {
  if (orvInfoOption(argc, argv, "rcgate", kUsage)) return 0;
  orv_guard::openStandardDescriptors();
  orv_guard::install(orv_guard::kGate, stopGate);
  int exitCode = 2;
  auto driver = std::make_unique<OrvBase>();
  if (driver->isGood()) {
    exitCode = driver->jxOrvStart(argc, argv);
    if (driver->badArgs()) driver->clUsage();
  }
  // A signal after the last command still ends the run as stopped.
  orv_guard::checkpoint();
  driver.reset();
  return exitCode;
}
