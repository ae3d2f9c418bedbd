/* librunstats.so: what a process cost, for benchmarks (LD_PRELOAD).
 *
 * Every process that loads it (the program and, through the inherited
 * LD_PRELOAD, every dynamically linked child it starts) appends lines to
 * the file named by $RUNSTATS_LOG:
 *   start PID PPID EXE                       when the image starts
 *   end PID EXE WALL_US USER_US SYS_US MAXRSS_KB VMHWM_KB
 *                                            when it exits normally
 * USER_US and SYS_US are the process's own CPU time (RUSAGE_SELF: children
 * are not included); VMHWM_KB is the peak resident set from
 * /proc/self/status.  A process that execs gets a new "start" line with the
 * same PID; one killed by a signal has no "end" line.  Without
 * $RUNSTATS_LOG nothing is written.  Each line goes out in one write() on
 * an O_APPEND descriptor, so lines of concurrent processes do not mix. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

static struct timespec started;
static char exe[256];

static void appendLine(const char* line) {
  const char* path = getenv("RUNSTATS_LOG");
  if (path == NULL || *path == '\0') return;
  int fd = open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) return;
  ssize_t n = write(fd, line, strlen(line));
  (void)n;
  close(fd);
}

static long peakResidentKb(void) {
  FILE* f = fopen("/proc/self/status", "re");
  if (f == NULL) return -1;
  char line[256];
  long kb = -1;
  while (fgets(line, sizeof line, f) != NULL) {
    if (strncmp(line, "VmHWM:", 6) == 0) {
      kb = strtol(line + 6, NULL, 10);
      break;
    }
  }
  fclose(f);
  return kb;
}

static long micros(struct timeval tv) { return tv.tv_sec * 1000000L + tv.tv_usec; }

__attribute__((constructor)) static void runstatsStart(void) {
  clock_gettime(CLOCK_MONOTONIC, &started);
  ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  exe[n > 0 ? n : 0] = '\0';
  char line[400];
  snprintf(line, sizeof line, "start %d %d %s\n", (int)getpid(), (int)getppid(), exe);
  appendLine(line);
}

__attribute__((destructor)) static void runstatsEnd(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  long wall = (now.tv_sec - started.tv_sec) * 1000000L + (now.tv_nsec - started.tv_nsec) / 1000;
  struct rusage self;
  getrusage(RUSAGE_SELF, &self);
  char line[512];
  snprintf(line, sizeof line, "end %d %s %ld %ld %ld %ld %ld\n", (int)getpid(), exe, wall,
           micros(self.ru_utime), micros(self.ru_stime), self.ru_maxrss, peakResidentKb());
  appendLine(line);
}
