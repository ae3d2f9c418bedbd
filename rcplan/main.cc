#include <iostream>
#include <string>
#include <vector>

#include "foundation/process_guard.h"
#include "objectdb/attribute_source.h"
#include "rcplan/rcplan_cli.h"

int main(int argc, char** argv) {
  orv_guard::openStandardDescriptors();
  orv_guard::handleBrokenPipe();
  // --attributes FILE / --node NAME come before the other arguments.
  std::string why;
  if (!orv_attributes::takeOptions(argc, argv, why)) {
    std::cerr << "rcplan: " << why << "\n";
    return rcplan::kExitUsage;
  }
  std::vector<std::string> args(argv + 1, argv + argc);
  return rcplan::run(args, std::cout, std::cerr);
}
