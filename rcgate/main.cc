// rcgate PKG: decides at package start whether this node may run the
// package and prepares the storage for it.  See rcgate/orv_base.h.

#include <memory>

#include "rcgate/orv_base.h"

int main(int argc, char** argv) {
  int exitCode = 2;
  auto driver = std::make_unique<OrvBase>();
  if (driver->isGood()) {
    exitCode = driver->jxOrvStart(argc, argv);
    if (driver->badArgs()) driver->clUsage();
  }
  driver.reset();
  return exitCode;
}
