#include <iostream>
#include <string>
#include <vector>

#include "foundation/process_guard.h"
#include "rcplan/rcplan_cli.h"

int main(int argc, char** argv) {
  orv_guard::openStandardDescriptors();
  orv_guard::handleBrokenPipe();
  std::vector<std::string> args(argv + 1, argv + argc);
  return rcplan::run(args, std::cout, std::cerr);
}
