#include <iostream>
#include <string>
#include <vector>

#include "rcplan/rcplan_cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return rcplan::run(args, std::cout, std::cerr);
}
