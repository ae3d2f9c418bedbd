#include "foundation/process_guard.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cstring>

namespace orv_guard {

namespace {

volatile sig_atomic_t gStopSignal = 0;
volatile sig_atomic_t gStopCount = 0;
Mode gMode = kGate;
bool gInstalled = false;
void (*gOnStop)(int) = nullptr;
std::string gLastStep = "none";

void onPipe(int) {}

void onStopSignal(int sig) {
  if (gStopSignal == 0) gStopSignal = sig;
  if (gStopCount < 1000) gStopCount = gStopCount + 1;
}

void handle(int sig, void (*handler)(int)) {
  struct sigaction sa;
  memset(&sa, 0, sizeof(sa));
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  // Restarted calls keep stdio and the popen readers unaffected; the
  // command runner waits in poll(), which a signal always interrupts.
  sa.sa_flags = SA_RESTART;
  sigaction(sig, &sa, nullptr);
}

}  // namespace

void openStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    int opened = open("/dev/null", O_RDWR);
    // open() returns the lowest free descriptor, which is fd itself.
    if (opened >= 0 && opened != fd) {
      dup2(opened, fd);
      close(opened);
    }
  }
}

void handleBrokenPipe() { handle(SIGPIPE, onPipe); }

void install(Mode mode, void (*onStop)(int)) {
  gMode = mode;
  gOnStop = onStop;
  gInstalled = true;
  handleBrokenPipe();
  handle(SIGTERM, onStopSignal);
  handle(SIGINT, onStopSignal);
  if (mode == kGate) handle(SIGHUP, onStopSignal);
}

int stopSignal() { return gStopSignal; }

bool killRunningCommand() {
  if (!gInstalled || gStopSignal == 0) return false;
  return gMode == kMonitor || gStopCount >= 2;
}

void checkpoint() {
  if (!gInstalled || gStopSignal == 0 || gOnStop == nullptr) return;
  void (*action)(int) = gOnStop;
  gOnStop = nullptr;  // a stop action that runs commands must not recurse
  action(gStopSignal);
}

void noteStep(const std::string& step) { gLastStep = step; }

std::string lastStep() { return gLastStep; }

time_t monotonicSeconds() {
  struct timespec ts;
  if (clock_gettime(CLOCK_MONOTONIC, &ts) != 0) return 1;
  return ts.tv_sec + 1;
}

}  // namespace orv_guard
