// Logger: the process-wide message sink.
//
// Lines on standard output read
//   [DEBUG ]<"%b %d %X" local time> - Node <host> : <message>\n
// and are flushed at once.  Syslog receives the same message (debug ones
// prefixed "DEBUG - ", cut at 2047 characters) at priority LOG_ERR.
// Debug messages are written only when the environment variable
// DATAREP_DEBUG (any value, also empty) was present when the instance was
// created; the switch is sampled once per instance.
// Severity words ("Error:", "INFO:", ...) are part of each message's text.
//
// One instance per process: getInstance() creates it on first use; the last
// removeInstance() destroys it, and the next getInstance() builds a fresh one.

#ifndef FOUNDATION_LOGGER_H_
#define FOUNDATION_LOGGER_H_

#include <cstdarg>
#include <string>

const int LOG_FILE = 1;  // standard output
const int SYS_FILE = 2;  // syslog
const int MAX_TIME_STRING = 16;

class Logger {
 public:
  static Logger* getInstance();
  // Counts one reference and creates the instance if there is none.
  static Logger* createInstance();
  // Drops one reference and nulls *holder; destroys the instance with the
  // last reference (then 1).  Returns 1 while references remain, 0 when none
  // remain and nothing was destroyed.
  static int removeInstance(Logger** holder);

  void log(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void logDebug(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // One literal text (not a format) to the given output selection only.
  void log(int output, const char* text);
  void logDebug(int output, const char* text);

  // Accepts 0..3 (LOG_FILE | SYS_FILE); anything else is refused with the
  // debug message "Incorrect output device assigned".
  void setOutput(int output);
  int getOutput() const { return output_; }
  bool isDebug() const { return debug_; }

  // Receives the text of every normal (not debug) message once formatted,
  // whatever the output selection; null removes it.  One per process.
  using Tap = void (*)(const std::string& text, void* context);
  static void setTap(Tap tap, void* context);

 private:
  Logger();
  ~Logger();
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  void write(bool debug, const char* format, va_list args);

  static Logger* instance_;
  static int refCount_;
  static Tap tap_;
  static void* tapContext_;

  int output_;
  bool debug_;
  std::string hostName_;
  std::string ident_;  // syslog identity; must outlive the syslog connection
};

#endif  // FOUNDATION_LOGGER_H_
