// --help and --version of the programs, answered before anything else is
// done: no log line, no configuration read, no command run.

#ifndef FOUNDATION_PROGRAM_INFO_H_
#define FOUNDATION_PROGRAM_INFO_H_

// The version of this build ("1.0.0").
const char* orvProgramVersion();

// With exactly "--help" or "--version" as the only argument: prints usage
// or "PROGRAM VERSION" to standard output and returns 1 (the caller exits
// 0).  Otherwise 0, nothing printed.
int orvInfoOption(int argc, char** argv, const char* program, const char* usage);

#endif  // FOUNDATION_PROGRAM_INFO_H_
