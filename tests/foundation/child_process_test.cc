// The command runner's edges that the end-to-end tests do not reach: a
// reader that stops taking its input early, and the standard descriptors a
// program starts with.

#include "foundation/child_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "foundation/process_guard.h"

namespace {

TEST(ChildProcess, InputToAReaderThatStopsEarly) {
  std::string input(300000, 'm');
  orv_child::Spec spec;
  spec.command = "head -c 10; cat </dev/null";
  spec.capture = true;
  spec.input = &input;
  spec.timeoutSeconds = 30;
  orv_child::Result r;
  ASSERT_EQ(orv_child::run(spec, &r), 1);
  EXPECT_EQ(r.output, "mmmmmmmmmm");
  EXPECT_EQ(r.rawStatus, 0);  // and this process did not die of SIGPIPE
}

TEST(ProcessGuard, ClosedStandardDescriptorsGetDevNull) {
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    close(0);
    close(2);
    orv_guard::openStandardDescriptors();
    int fd = open("/dev/null", O_RDONLY);  // lands above 2 now
    struct stat st0, st2;
    bool ok = fd > 2 && fstat(0, &st0) == 0 && fstat(2, &st2) == 0 && S_ISCHR(st0.st_mode) &&
              S_ISCHR(st2.st_mode);
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
