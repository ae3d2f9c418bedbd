// Task tracking: the task id a command printed, and the task blocks of
// "showtask -d".

#include <cstring>
#include <string>
#include <vector>

#include "array/orv_vexa_util.h"
#include "array/table_row.h"
#include "foundation/file_io.h"
#include "foundation/logger.h"
#include "foundation/safe_word.h"

namespace {

// The text after marker up to the end of the line, trimmed.
OrvString textAfter(const char* line, const char* marker) {
  const char* start = std::strstr(line, marker);
  if (start == nullptr) return OrvString();
  start += std::strlen(marker);
  std::string rest;
  for (const char* p = start; *p != '\0' && *p != '\n'; ++p) rest += *p;
  OrvString id(rest.c_str());
  id.trim();
  return id;
}

}  // namespace

int OrvVexaUtil::getCliCmdTaskId(OrvString outputFile, int mode, OrvString& taskId) {
  refreshLogger();
  OrvInFile in(outputFile, 1);
  if (!in.isGood()) {
    logger_->log("Error: File [%s] open failed.", outputFile.getValue());
    return 0;
  }
  logger_->logDebug("Parsing for Task IDs");
  OrvString id;
  OrvString line;
  if (mode == 1) {
    for (;;) {
      // No further read: the last line had no line feed and held no marker.
      if (!in.getNextLine(line)) {
        logger_->log("Invalid command output to parse");
        return 0;
      }
      if (line.getLength() == 0) {
        id = "NOTASK";
        break;
      }
      if (line.contains("task ID = ")) {
        id = textAfter(line.getValue(), "task ID = ");
        break;
      }
    }
  } else {
    if (!in.getNextLine(line)) {
      logger_->log("Invalid command output to parse");
      return 0;
    }
    if (line.getLength() == 0) {
      taskId = "NOTASK";
      return 1;
    }
    if (!line.contains("tasks:")) {
      logger_->log("Invalid command output to parse");
      return 0;
    }
    id = textAfter(line.getValue(), "tasks:");
    if (id.getLength() == 0) {
      logger_->log("No Task IDs found in the command output");
      return 0;
    }
  }
  // The id goes back to the array in "showtask -d <id>".
  if (!OrvSafeWord::isTaskId(id.getValue())) {
    logger_->log("Error: Invalid task id [%s] in the command output", id.getValue());
    return 0;
  }
  if (mode == 1) logger_->logDebug("Parsing found [%s]", id.getValue());
  taskId = id;
  return 1;
}

int OrvVexaUtil::getCliCmdTaskInfo(OrvString taskId, OrvString system, OrvString passwordFile,
                                   OrvString& outputFile, OrvList<_TaskInfo>& tasks) {
  refreshLogger();
  tasks.removeAll();
  if (!OrvSafeWord::isTaskId(taskId.getValue())) {
    logger_->log("Error: Refused unsafe task id [%s]; the command was not run",
                 taskId.getValue());
    return 0;
  }
  Access access;
  if (!setUpAccess(system, passwordFile, {}, nullptr, &access)) return 0;

  OrvString text = OrvString("showtask -d ") + taskId + " -csvtable";
  logger_->log("Task information extraction command is [%s] ",
               (accessPrefix(access.path, system, passwordFile, access.sshUser) + text)
                   .getValue());
  int status = 0;
  if (!runCliCommand(system, passwordFile, access, text, 0, outputFile, &status)) return 0;
  return parseShowTaskD(outputFile, tasks);
}

int OrvVexaUtil::parseShowTaskD(OrvString outputFile, OrvList<_TaskInfo>& tasks) {
  refreshLogger();
  tasks.removeAll();
  OrvList<OrvString> required;
  for (const char* t : {"Id", "Status", "Type", "Name", "Phase", "Step"})
    required.insertAtBack(OrvString(t));
  OrvList<OrvString> tags;
  OrvString header;
  if (!getTagRow(outputFile, required, tags, header)) {
    logger_->log("GetTagRow Failed to get the TagRow");
    return 0;
  }
  OrvInFile in(outputFile, 1);
  if (!in.isGood()) {
    logger_->log("File [%s] open failed.", outputFile.getValue());
    return 0;
  }
  OrvString line;
  bool headerRead = false;
  while (!headerRead && !in.endOfFile()) {
    if (!in.getNextLine(line)) {
      logger_->log("File [%s] access failed.", outputFile.getValue());
      return 0;
    }
    line.trim();
    headerRead = line == header;
  }
  if (!headerRead) {
    logger_->logDebug("Task information not found");
    return 0;
  }
  if (in.endOfFile()) return 1;
  if (!in.getNextLine(line)) {
    logger_->log("File [%s] access failed.", outputFile.getValue());
    return 0;
  }
  line.trim();
  for (;;) {
    // A header at the very end has no block after it.
    if (line.getLength() == 0 && in.endOfFile()) break;
    std::vector<OrvString> cells;
    OrvTableRow::split(line, tags.numObjects(), 0, cells);
    _TaskInfo task;
    task.id = OrvTableRow::cell(tags, cells, "Id");
    task.status = OrvTableRow::cell(tags, cells, "Status");
    task.phase = OrvTableRow::cell(tags, cells, "Phase");
    OrvString detail;
    for (;;) {
      detail += line;
      if (in.endOfFile()) break;
      if (!in.getNextLine(line)) {
        logger_->log("File [%s] access failed.", outputFile.getValue());
        return 0;
      }
      line.trim();
      if (line == header) break;
    }
    task.detail = detail;
    tasks.insertAtBack(task);
    if (line != header || in.endOfFile()) break;
    if (!in.getNextLine(line)) {
      logger_->log("File [%s] access failed.", outputFile.getValue());
      return 0;
    }
    line.trim();
  }
  return 1;
}

OrvVexaUtil::TaskState OrvVexaUtil::judgeTasks(const OrvList<_TaskInfo>& tasks) {
  refreshLogger();
  for (int i = 0; i < tasks.numObjects(); ++i) {
    const _TaskInfo& t = tasks[i]->data();
    OrvString line = OrvString("Status of task id ") + t.id + "is" + t.status;
    logger_->logDebug("%s", line.getValue());
    OrvString state = t.status.lowerCase();
    if (state == "failed") return kTasksFailed;
    if (state != "done") return kTasksPending;
  }
  return kTasksDone;
}
