// The system detail and task parsers and the task-id reader: a task id
// from array output goes back onto a command line, so it must never come
// out as anything but digits or NOTASK.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "array/orv_vexa_util.h"
#include "foundation/safe_word.h"
#include "fuzz/fuzz_input_file.h"
#include "fuzz/fuzz_quiet.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzzSilenceStdout();
  FuzzInputFile input(data, size);
  if (!input.ok()) return 0;
  OrvString file(input.path());

  _ArrayInfo info;
  OrvVexaUtil::parseShowSysD(file, info);
  OrvList<_TaskInfo> tasks;
  OrvVexaUtil::parseShowTaskD(file, tasks);
  OrvVexaUtil::judgeTasks(tasks);

  for (int mode = 0; mode <= 1; ++mode) {
    OrvString taskId;
    if (OrvVexaUtil::getCliCmdTaskId(file, mode, taskId) &&
        !OrvSafeWord::isTaskId(taskId.getValue())) {
      abort();  // an unchecked id would reach the shell
    }
  }
  return 0;
}
