// OrvUtil: static helpers that run shell command lines and handle temporary
// files, directories and whole-file reads.  Results are int 1 (success) /
// 0 (failure) unless stated.  Commands run synchronously with no time limit
// (getCmdStrOutput through popen, the others through orv_child, with
// standard input from /dev/null).  Temporary files are kept by descriptor
// (foundation/temp_files.h) and never opened by name again.

#ifndef FOUNDATION_UTIL_H_
#define FOUNDATION_UTIL_H_

#include "foundation/orv_string.h"

class OrvUtil {
 public:
  // Runs command when its first blank-separated word is executable; output :=
  // what it printed, at most maxLength - 1 characters (never more than 1023),
  // one final line feed removed.  The exit status is not looked at.
  static int getCmdStrOutput(OrvString command, OrvString& output, int maxLength);

  // Runs command (which redirects its own output) and waits for it.
  // 1 only for a normal exit with code 0; *rc := exit code, or -1 when the
  // command could not be started or was ended by a signal.  Unless skipCheck,
  // a first word that is not executable gives 0 with rc untouched.  Restarts
  // command's own strTok pass.
  static int runShCmdRcOnly(OrvString& command, int* rc, int skipCheck);

  // 1 when command could be started; output := its first line (at most 1023
  // characters) without line feeds, unchanged when it printed nothing;
  // *rc := raw wait status (exit code c gives c * 256), or -1.  The whole
  // output is read before the status is taken.
  static int runShCmdOutputOnly(OrvString command, OrvString& output, int* rc);
  // As runShCmdOutputOnly, but output := everything the command printed
  // (line feeds kept, '' when nothing).
  static int runShCmdCapture(OrvString command, OrvString& output, int* rc);

  // Runs 'wrapper "command 2>/dev/null" arguments' with its output captured in
  // a temporary file in tempDir (through the file's descriptor).  1 when the wrapper ran, ended normally and
  // reported none of its error markers; *rc := exit code (raw status when
  // ended by a signal, -1 when it could not be started).
  static int runShCmdRcOnly(OrvString wrapper, OrvString arguments, OrvString tempDir,
                            OrvString command, int* rc);

  // Creates directory (and parents) if missing, then a new empty unique file
  // directory/prefixXXXXXX (mode 0600); path := its name, '' on failure.
  // The file's descriptor is kept until OrvUnlink(path).
  static int createTempFile(OrvString directory, OrvString prefix, OrvString& path);

  // Creates path and every missing parent (mode 0755).  1 when nothing had to
  // be created or the last creation succeeded; 0 for null, a path longer than
  // 511 characters, or a failed creation.
  static int createDir(const char* path);

  // Removes path (and closes its kept descriptor); failures become debug
  // messages.  Always 1.
  static int OrvUnlink(const char* path);

  // content := whole file, line feeds kept.  0 when it cannot be opened or
  // read (messages only when verbose).
  static int orvReadFile(OrvString path, OrvString& content, int verbose);

  static int checkExecutable(const char* path);  // caller may execute path
  static int checkFile(const char* path);        // non-null and exists
  static int isNumeric(const char* text);        // all '0'..'9'; "" gives 1
  // Sleeps, then acts on a stop request (orv_guard::checkpoint()).
  static void _sleep(int seconds);
  // Pseudo-random 1..n (n/2 when the draw truncates to 0); reseeds with the
  // current second on each call.
  static int Rand(int n);
};

#endif  // FOUNDATION_UTIL_H_
