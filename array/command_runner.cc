#include "array/command_runner.h"

namespace {
OrvCommandRunner* gRunner = nullptr;
}  // namespace

OrvCommandRunner* OrvCommandRunner::installed() { return gRunner; }

void OrvCommandRunner::install(OrvCommandRunner* runner) { gRunner = runner; }

bool OrvCommandRunner::standingIn() { return gRunner != nullptr && gRunner->answering(); }
