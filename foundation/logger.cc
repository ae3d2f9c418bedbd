#include "foundation/logger.h"

#include <syslog.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

Logger* Logger::instance_ = nullptr;
int Logger::refCount_ = 0;
Logger::Tap Logger::tap_ = nullptr;
void* Logger::tapContext_ = nullptr;

void Logger::setTap(Tap tap, void* context) {
  tap_ = tap;
  tapContext_ = context;
}

namespace {
const size_t kHostNameSize = 64;
const size_t kSyslogBufferSize = 2048;
}  // namespace

Logger* Logger::getInstance() {
  if (instance_ == nullptr) return createInstance();
  return instance_;
}

Logger* Logger::createInstance() {
  ++refCount_;
  if (instance_ == nullptr) instance_ = new Logger();
  return instance_;
}

int Logger::removeInstance(Logger** holder) {
  if (refCount_ > 0) --refCount_;
  if (holder != nullptr) *holder = nullptr;
  if (refCount_ == 0 && instance_ != nullptr) {
    delete instance_;
    instance_ = nullptr;
    return 1;
  }
  return refCount_ > 0 ? 1 : 0;
}

Logger::Logger() : output_(LOG_FILE), debug_(getenv("DATAREP_DEBUG") != nullptr) {
  char host[kHostNameSize + 1];
  memset(host, 0, sizeof(host));
  if (gethostname(host, kHostNameSize) == 0) {
    hostName_ = host;
  } else {
    hostName_ = "Unknown";
  }
  const char* program = getenv("_");
  if (program != nullptr) {
    const char* slash = strrchr(program, '/');
    ident_ = slash ? slash + 1 : program;
    openlog(ident_.c_str(), 0, LOG_USER);
  }
}

Logger::~Logger() { closelog(); }

void Logger::write(bool debug, const char* format, va_list args) {
  if (format == nullptr) return;
  if (!debug && tap_ != nullptr) {
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (n >= 0) {
      std::string text(static_cast<size_t>(n) + 1, '\0');
      va_copy(copy, args);
      vsnprintf(&text[0], text.size(), format, copy);
      va_end(copy);
      text.resize(static_cast<size_t>(n));
      tap_(text, tapContext_);
    }
  }
  if (output_ & LOG_FILE) {
    char stamp[MAX_TIME_STRING];
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    if (strftime(stamp, sizeof(stamp), "%b %d %X", &local) == 0) stamp[0] = '\0';
    va_list copy;
    va_copy(copy, args);
    fprintf(stdout, "%s%s - Node %s : ", debug ? "DEBUG " : "", stamp, hostName_.c_str());
    vfprintf(stdout, format, copy);
    va_end(copy);
    fputc('\n', stdout);
    fflush(stdout);
  }
  if (output_ & SYS_FILE) {
    std::string fmt = debug ? std::string("DEBUG - ") + format : std::string(format);
    char buf[kSyslogBufferSize];
    va_list copy;
    va_copy(copy, args);
    vsnprintf(buf, sizeof(buf), fmt.c_str(), copy);
    va_end(copy);
    syslog(LOG_ERR, "%s", buf);
  }
}

void Logger::log(const char* format, ...) {
  va_list args;
  va_start(args, format);
  write(false, format, args);
  va_end(args);
}

void Logger::logDebug(const char* format, ...) {
  if (!debug_) return;
  va_list args;
  va_start(args, format);
  write(true, format, args);
  va_end(args);
}

void Logger::log(int output, const char* text) {
  int saved = output_;
  setOutput(output);
  log("%s", text ? text : "");
  output_ = saved;
}

void Logger::logDebug(int output, const char* text) {
  if (!debug_) return;
  int saved = output_;
  setOutput(output);
  logDebug("%s", text ? text : "");
  output_ = saved;
}

void Logger::setOutput(int output) {
  if (output < 0 || output > (LOG_FILE | SYS_FILE)) {
    logDebug(LOG_FILE, "Incorrect output device assigned");
    return;
  }
  output_ = output;
}
