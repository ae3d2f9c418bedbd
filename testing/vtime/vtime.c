/* Virtual time for tests, loaded with LD_PRELOAD.
 *
 * sleep, usleep, nanosleep and clock_nanosleep return at once and advance
 * two virtual clocks.  time, gettimeofday and clock_gettime(CLOCK_REALTIME
 * and CLOCK_REALTIME_COARSE) report the wall clock: the real time at start
 * plus the virtual advance.  clock_gettime(CLOCK_MONOTONIC and
 * CLOCK_MONOTONIC_COARSE) reports the monotonic clock: the real monotonic
 * time at start plus the same advance.  Between sleeps both stand still, so
 * elapsed-time checks give the same answer on every run.  CLOCK_BOOTTIME,
 * CLOCK_MONOTONIC_RAW, poll and select stay real: code that bounds real
 * time uses them.
 *
 * Environment:
 *   VTIME_MAX_SLEEPS=N  the Nth sleep request ends the process with status
 *                       0 (stdio flushed, then _exit) instead of sleeping.
 *   VTIME_LOG=FILE      one line appended per sleep request.
 *   VTIME_STEP=N:S[,N:S]...  at the Nth sleep request the wall clock also
 *                       steps by S seconds (S may be negative), as an NTP
 *                       step would; the monotonic clock does not.
 *   VTIME_NOW=NS        the virtual wall clock in nanoseconds since the
 *                       epoch.  The shim keeps it current in its own
 *                       environment, so a child started after a sleep
 *                       begins at the parent's virtual time.
 *   VTIME_MONO=NS       the same for the monotonic clock.
 *   VTIME_FSYNC_SIGNAL=N:NAME  a process of that short name raises signal N
 *                       at its first fsync, before syncing (a signal at a
 *                       moment no poll of the test could hit).
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#define NS_PER_SEC 1000000000LL

/* The C library declares these pointers non-null, but callers do pass
 * null (gettimeofday(NULL, ...)), so the checks stay. */
#pragma GCC diagnostic ignored "-Wnonnull-compare"

typedef int (*clock_gettime_fn)(clockid_t, struct timespec*);

static int vt_ready;
static long long vt_now_ns;      /* virtual wall clock */
static long long vt_mono_ns;     /* virtual monotonic clock */
static long vt_sleeps;           /* sleep requests so far */
static long vt_max_sleeps;       /* 0: unlimited */
static clock_gettime_fn vt_real_clock_gettime;
/* Handed to putenv once; later updates rewrite the digits in place, so no
 * allocation happens per sleep and children inherit the current value. */
static char vt_env[32] = "VTIME_NOW=";
static char vt_mono_env[32] = "VTIME_MONO=";

static int real_gettime(clockid_t clk, struct timespec* ts) {
  if (!vt_real_clock_gettime)
    vt_real_clock_gettime = (clock_gettime_fn)dlsym(RTLD_NEXT, "clock_gettime");
  if (!vt_real_clock_gettime) {
    errno = ENOSYS;
    return -1;
  }
  return vt_real_clock_gettime(clk, ts);
}

static void vt_publish(void) {
  snprintf(vt_env + 10, sizeof vt_env - 10, "%020lld", vt_now_ns);
  snprintf(vt_mono_env + 11, sizeof vt_mono_env - 11, "%020lld", vt_mono_ns);
}

static long long parse_ll(const char* s, int* ok) {
  char* end = NULL;
  long long v;
  *ok = 0;
  if (!s || !*s) return 0;
  errno = 0;
  v = strtoll(s, &end, 10);
  if (errno != 0 || *end != '\0' || v < 0) return 0;
  *ok = 1;
  return v;
}

static void vt_init(void) {
  int ok;
  long long v;
  if (vt_ready) return;
  vt_ready = 1;
  v = parse_ll(getenv("VTIME_NOW"), &ok);
  if (ok) {
    vt_now_ns = v;
  } else {
    struct timespec ts;
    if (real_gettime(CLOCK_REALTIME, &ts) == 0)
      vt_now_ns = (long long)ts.tv_sec * NS_PER_SEC + ts.tv_nsec;
  }
  v = parse_ll(getenv("VTIME_MONO"), &ok);
  if (ok) {
    vt_mono_ns = v;
  } else {
    struct timespec ts;
    if (real_gettime(CLOCK_MONOTONIC, &ts) == 0)
      vt_mono_ns = (long long)ts.tv_sec * NS_PER_SEC + ts.tv_nsec;
  }
  v = parse_ll(getenv("VTIME_MAX_SLEEPS"), &ok);
  vt_max_sleeps = ok ? (long)v : 0;
  vt_publish();
  putenv(vt_env);
  putenv(vt_mono_env);
}

/* Seconds the wall clock steps at sleep request n (VTIME_STEP), 0 if none. */
static long long vt_step_at(long n) {
  const char* p = getenv("VTIME_STEP");
  long long total = 0;
  while (p && *p) {
    char* end = NULL;
    long at = strtol(p, &end, 10);
    long long secs;
    if (end == p || *end != ':') break;
    p = end + 1;
    secs = strtoll(p, &end, 10);
    if (end == p) break;
    if (at == n) total += secs;
    p = end;
    if (*p == ',') p++;
  }
  return total;
}

__attribute__((constructor)) static void vt_constructor(void) { vt_init(); }

static void vt_log(const char* fn, long long ns, const char* note) {
  const char* path = getenv("VTIME_LOG");
  char line[160];
  int fd, n;
  if (!path || !*path) return;
  fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return;
  n = snprintf(line, sizeof line, "%ld %d %s %lld.%09lld %lld%s\n", vt_sleeps,
               (int)getpid(), fn, ns / NS_PER_SEC, ns % NS_PER_SEC,
               vt_now_ns / NS_PER_SEC, note);
  if (n > (int)sizeof line - 1) n = (int)sizeof line - 1;
  if (n > 0 && write(fd, line, (size_t)n) < 0) {
    /* A lost log line must not change the program's behaviour. */
  }
  close(fd);
}

/* One sleep request of ns nanoseconds (negative counts as 0). */
static void vt_sleep(const char* fn, long long ns) {
  vt_init();
  if (ns < 0) ns = 0;
  vt_sleeps++;
  if (vt_max_sleeps > 0 && vt_sleeps >= vt_max_sleeps) {
    vt_log(fn, ns, " exit");
    fflush(NULL);
    _exit(0);
  }
  {
    long long step = vt_step_at(vt_sleeps);
    char note[48] = "";
    vt_now_ns += ns + step * NS_PER_SEC;
    vt_mono_ns += ns;
    vt_publish();
    if (step != 0) snprintf(note, sizeof note, " step %lld", step);
    vt_log(fn, ns, note);
  }
}

static int valid_ts(const struct timespec* ts) {
  return ts && ts->tv_nsec >= 0 && ts->tv_nsec < NS_PER_SEC && ts->tv_sec >= 0;
}

unsigned int sleep(unsigned int seconds) {
  vt_sleep("sleep", (long long)seconds * NS_PER_SEC);
  return 0;
}

int usleep(useconds_t usec) {
  vt_sleep("usleep", (long long)usec * 1000LL);
  return 0;
}

int nanosleep(const struct timespec* req, struct timespec* rem) {
  if (!valid_ts(req)) {
    errno = EINVAL;
    return -1;
  }
  vt_sleep("nanosleep", (long long)req->tv_sec * NS_PER_SEC + req->tv_nsec);
  if (rem) rem->tv_sec = rem->tv_nsec = 0;
  return 0;
}

int clock_nanosleep(clockid_t clk, int flags, const struct timespec* req,
                    struct timespec* rem) {
  long long ns;
  if (!valid_ts(req)) return EINVAL;
  ns = (long long)req->tv_sec * NS_PER_SEC + req->tv_nsec;
  if (flags & TIMER_ABSTIME) {
    vt_init();
    if (clk == CLOCK_REALTIME) {
      ns -= vt_now_ns;
    } else if (clk == CLOCK_MONOTONIC) {
      ns -= vt_mono_ns;
    } else {
      struct timespec now;
      if (real_gettime(clk, &now) != 0) return errno;
      ns -= (long long)now.tv_sec * NS_PER_SEC + now.tv_nsec;
    }
  } else if (rem) {
    rem->tv_sec = rem->tv_nsec = 0;
  }
  vt_sleep("clock_nanosleep", ns);
  return 0;
}

time_t time(time_t* out) {
  time_t t;
  vt_init();
  t = (time_t)(vt_now_ns / NS_PER_SEC);
  if (out) *out = t;
  return t;
}

int gettimeofday(struct timeval* tv, void* tz) {
  vt_init();
  if (tv) {
    tv->tv_sec = (time_t)(vt_now_ns / NS_PER_SEC);
    tv->tv_usec = (suseconds_t)((vt_now_ns % NS_PER_SEC) / 1000);
  }
  if (tz) memset(tz, 0, 2 * sizeof(int));
  return 0;
}

int clock_gettime(clockid_t clk, struct timespec* ts) {
  if (clk == CLOCK_REALTIME || clk == CLOCK_REALTIME_COARSE) {
    vt_init();
    if (!ts) {
      errno = EFAULT;
      return -1;
    }
    ts->tv_sec = (time_t)(vt_now_ns / NS_PER_SEC);
    ts->tv_nsec = (long)(vt_now_ns % NS_PER_SEC);
    return 0;
  }
  if (clk == CLOCK_MONOTONIC || clk == CLOCK_MONOTONIC_COARSE) {
    vt_init();
    if (!ts) {
      errno = EFAULT;
      return -1;
    }
    ts->tv_sec = (time_t)(vt_mono_ns / NS_PER_SEC);
    ts->tv_nsec = (long)(vt_mono_ns % NS_PER_SEC);
    return 0;
  }
  return real_gettime(clk, ts);
}

typedef int (*fsync_fn)(int);

int fsync(int fd) {
  static fsync_fn real_fsync;
  static int raised;
  if (!real_fsync) real_fsync = (fsync_fn)dlsym(RTLD_NEXT, "fsync");
  const char* spec = getenv("VTIME_FSYNC_SIGNAL");
  if (!raised && spec) {
    char* rest = NULL;
    long sig = strtol(spec, &rest, 10);
    if (rest && *rest == ':' && strcmp(rest + 1, program_invocation_short_name) == 0 && sig > 0) {
      raised = 1;
      raise((int)sig);
    }
  }
  return real_fsync ? real_fsync(fd) : 0;
}
