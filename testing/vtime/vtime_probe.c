/* Small program the shim's tests run under LD_PRELOAD: performs one kind of
 * sleep and prints what every clock said before and after it.
 *
 *   vtime_probe MODE SECONDS [COUNT]
 *   MODE: sleep usleep nanosleep clock_rel clock_abs clock_mono_abs loop exec
 *
 * Output lines: "time T0 T1", "timeofday T0 T1", "realtime T0 T1" (seconds),
 * "monotonic_ms D" (elapsed milliseconds on CLOCK_MONOTONIC), "boottime_ms D"
 * (real elapsed milliseconds, CLOCK_BOOTTIME), or for "loop" one line
 * "pass N" before each of COUNT sleeps; "exec" sleeps, then runs itself as
 * "vtime_probe now", which prints "now T". */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

static long long clock_ms(clockid_t clk) {
  struct timespec ts;
  clock_gettime(clk, &ts);
  return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

int main(int argc, char** argv) {
  const char* mode;
  long secs, count, i;
  time_t t0, t1;
  struct timeval tv0, tv1;
  struct timespec r0, r1, req;
  long long m0, b0;
  if (argc >= 2 && strcmp(argv[1], "now") == 0) {
    printf("now %lld\n", (long long)time(NULL));
    return 0;
  }
  if (argc < 3) {
    fprintf(stderr, "usage: vtime_probe MODE SECONDS [COUNT]\n");
    return 2;
  }
  mode = argv[1];
  secs = atol(argv[2]);
  count = argc > 3 ? atol(argv[3]) : 1;
  t0 = time(NULL);
  gettimeofday(&tv0, NULL);
  clock_gettime(CLOCK_REALTIME, &r0);
  m0 = clock_ms(CLOCK_MONOTONIC);
  b0 = clock_ms(CLOCK_BOOTTIME);
  req.tv_sec = secs;
  req.tv_nsec = 0;
  if (strcmp(mode, "sleep") == 0) {
    sleep((unsigned)secs);
  } else if (strcmp(mode, "usleep") == 0) {
    for (i = 0; i < secs; i++) usleep(1000000);
  } else if (strcmp(mode, "nanosleep") == 0) {
    nanosleep(&req, NULL);
  } else if (strcmp(mode, "clock_rel") == 0) {
    clock_nanosleep(CLOCK_REALTIME, 0, &req, NULL);
  } else if (strcmp(mode, "clock_abs") == 0) {
    req.tv_sec = r0.tv_sec + secs;
    req.tv_nsec = r0.tv_nsec;
    clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &req, NULL);
  } else if (strcmp(mode, "clock_mono_abs") == 0) {
    clock_gettime(CLOCK_MONOTONIC, &req);
    req.tv_sec += secs;
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &req, NULL);
  } else if (strcmp(mode, "loop") == 0) {
    for (i = 1; i <= count; i++) {
      printf("pass %ld\n", i);
      sleep((unsigned)secs);
    }
  } else if (strcmp(mode, "exec") == 0) {
    sleep((unsigned)secs);
    fflush(stdout);
    execl("/proc/self/exe", "vtime_probe", "now", (char*)NULL);
    perror("execl");
    return 1;
  } else {
    fprintf(stderr, "unknown mode %s\n", mode);
    return 2;
  }
  t1 = time(NULL);
  gettimeofday(&tv1, NULL);
  clock_gettime(CLOCK_REALTIME, &r1);
  printf("time %lld %lld\n", (long long)t0, (long long)t1);
  printf("timeofday %lld %lld\n", (long long)tv0.tv_sec, (long long)tv1.tv_sec);
  printf("realtime %lld %lld\n", (long long)r0.tv_sec, (long long)r1.tv_sec);
  printf("monotonic_ms %lld\n", clock_ms(CLOCK_MONOTONIC) - m0);
  printf("boottime_ms %lld\n", clock_ms(CLOCK_BOOTTIME) - b0);
  return 0;
}
