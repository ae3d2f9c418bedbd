// Task ids in command output (both reader modes), the task blocks of
// "showtask -d" and the judgement of one pass of the task wait.

#include <gtest/gtest.h>

#include <string>

#include "array/orv_vexa_util.h"
#include "tests/array/array_test_support.h"

using array_test::dataFile;
using array_test::LogCapture;
using array_test::ScratchFile;

namespace {

TEST(TaskId, BothModes) {
  struct Case {
    int mode;
    std::string content;
    int result;
    const char* id;   // expected id on success
    const char* log;  // expected line, or null
  } cases[] = {
      // scan-all-lines
      {1, "Stopping group rcg1\nStopped\n", 1, "NOTASK", nullptr},
      {1, "Syncing group g1 ... task ID = 1234\n", 1, "1234", "Parsing found [1234]"},
      {1, "line one\nline two", 0, nullptr, "Invalid command output to parse"},
      {1, "", 1, "NOTASK", nullptr},
      {1, "Starting\r\nStarted group, task ID = 77\r\n", 1, "77", nullptr},
      {1, "task ID = 5", 1, "5", nullptr},  // found before the end
      {1, "a=b, task ID = 55\n", 1, "55", nullptr},
      {1, "first\ntask ID = 8\ntask ID = 9\n", 1, "8", nullptr},
      {1, "task ID = 12; /bin/rm -rf /tmp/x\n", 0, nullptr, "Error: Invalid task id [12; /bin/rm"},
      {1, "task ID = \n", 0, nullptr, "Error: Invalid task id []"},
      {1, "task ID = 1234 started\n", 0, nullptr, "Error: Invalid task id [1234 started]"},
      // first-line
      {0, "", 1, "NOTASK", nullptr},
      {0, "tasks:\n", 0, nullptr, "No Task IDs found in the command output"},
      {0, "Started tasks: 77\n", 1, "77", nullptr},
      {0, "Started tasks:  78  \r\n", 1, "78", nullptr},
      {0, "Started task 77\n", 0, nullptr, "Invalid command output to parse"},
      {0, "\ntasks: 5\n", 0, nullptr, "Invalid command output to parse"},
      {0, "x\ntasks: 5\n", 0, nullptr, "Invalid command output to parse"},
      {0, "tasks: NOTASK\n", 1, "NOTASK", nullptr},
      {0, "tasks: 7 8\n", 0, nullptr, "Error: Invalid task id [7 8]"},
      {0, "tasks: $(reboot)\n", 0, nullptr, "Error: Invalid task id"},
  };
  for (const Case& c : cases) {
    ScratchFile f(c.content);
    OrvString id("untouched");
    LogCapture log;
    EXPECT_EQ(c.result, OrvVexaUtil::getCliCmdTaskId(f.orv(), c.mode, id))
        << "mode " << c.mode << " [" << c.content << "]";
    EXPECT_STREQ(c.result ? c.id : "untouched", id.getValue()) << c.content;
    if (c.log != nullptr) {
      EXPECT_NE(std::string::npos, log.text().find(c.log)) << log.text();
    }
  }
}

TEST(TaskId, MissingFile) {
  OrvString id("untouched");
  LogCapture log;
  EXPECT_EQ(0, OrvVexaUtil::getCliCmdTaskId("/nonexistent/out", 1, id));
  EXPECT_STREQ("untouched", id.getValue());
  EXPECT_NE(std::string::npos, log.text().find("Error: File [/nonexistent/out] open failed."));
}

TEST(TaskBlocks, TwoBlocksInFileOrderEachWithItsDetail) {
  OrvList<_TaskInfo> tasks;
  tasks.insertAtBack(_TaskInfo());
  ASSERT_EQ(1, OrvVexaUtil::parseShowTaskD(dataFile("showtask_two.txt").c_str(), tasks));
  ASSERT_EQ(2, tasks.numObjects());
  const _TaskInfo& a = tasks[0]->data();
  EXPECT_STREQ("1234", a.id.getValue());
  EXPECT_STREQ("active", a.status.getValue());
  EXPECT_STREQ("1/3", a.phase.getValue());
  EXPECT_STREQ(
      "1234,remote_copy_sync,rcg1,active,1/3,copying,2026-12-08 10:00:00 UTC"
      "Detailed status:2026-12-08 10:00:00 UTC Created task.",
      a.detail.getValue());
  const _TaskInfo& b = tasks[1]->data();
  EXPECT_STREQ("1235", b.id.getValue());
  EXPECT_STREQ("done", b.status.getValue());
  EXPECT_STREQ("3/3", b.phase.getValue());
  EXPECT_STREQ(
      "1235,remote_copy_sync,rcg2,done,3/3,finished,2026-12-08 10:00:01 UTC"
      "2026-12-08 10:05:00 UTC Completed.",
      b.detail.getValue());
}

TEST(TaskBlocks, IrregularOutputs) {
  const std::string header = "Id,Type,Name,Status,Phase,Step\n";
  std::string longDetail(2500, 'd');
  struct Case {
    std::string content;
    int result;
    int tasks;
    const char* firstStatus;
    const char* log;
  } cases[] = {
      {"Error: task 99 not found\n", 0, 0, nullptr, "GetTagRow Failed to get the TagRow"},
      {"", 0, 0, nullptr, "GetTagRow Failed to get the TagRow"},
      {header, 1, 0, nullptr, nullptr},
      {"Id,Type,Name,Status,Phase,Step\r\n7,sync,g1,DONE,1/1,x\r\n", 1, 1, "DONE", nullptr},
      // Extra column and an empty cell keep the positions.
      {"Id,Type,Extra,Name,Status,Phase,Step\n7,sync,,g1,failed,0/1,x\n", 1, 1, "failed",
       nullptr},
      {header + "7,sync,g1,active,1/2,x\n" + longDetail + "\n" + header + "8,sync,g2,done,2/2,y",
       1, 2, "active", nullptr},
  };
  for (const Case& c : cases) {
    ScratchFile f(c.content);
    OrvList<_TaskInfo> tasks;
    LogCapture log;
    EXPECT_EQ(c.result, OrvVexaUtil::parseShowTaskD(f.orv(), tasks)) << c.content.substr(0, 80);
    ASSERT_EQ(c.tasks, tasks.numObjects()) << c.content.substr(0, 80);
    if (c.firstStatus != nullptr) {
      EXPECT_STREQ(c.firstStatus, tasks[0]->data().status.getValue());
    }
    if (c.log != nullptr) {
      EXPECT_NE(std::string::npos, log.text().find(c.log));
    }
  }
  // Long lines arrive in pieces but the detail joins them without loss.
  ScratchFile f(header + "7,sync,g1,active,1/2,x\n" + longDetail + "\n");
  OrvList<_TaskInfo> tasks;
  ASSERT_EQ(1, OrvVexaUtil::parseShowTaskD(f.orv(), tasks));
  ASSERT_EQ(1, tasks.numObjects());
  EXPECT_EQ("7,sync,g1,active,1/2,x" + longDetail, tasks[0]->data().detail.getValue());
}

TEST(TaskWait, OnePassJudgement) {
  const auto done = OrvVexaUtil::kTasksDone;
  const auto pending = OrvVexaUtil::kTasksPending;
  const auto failed = OrvVexaUtil::kTasksFailed;
  struct Case {
    std::vector<const char*> states;
    OrvVexaUtil::TaskState expected;
    const char* log;
  } cases[] = {
      {{}, done, nullptr},
      {{"done", "DONE"}, done, "Status of task id 2isDONE"},
      {{"done", "active"}, pending, "Status of task id 2isactive"},
      {{"active", "failed"}, pending, nullptr},  // the walk stops at the first unfinished one
      {{"Failed"}, failed, "Status of task id 1isFailed"},
      {{"done", "failed", "active"}, failed, nullptr},
      {{""}, pending, nullptr},
  };
  for (const Case& c : cases) {
    OrvList<_TaskInfo> tasks;
    for (size_t i = 0; i < c.states.size(); ++i) {
      _TaskInfo t;
      t.id = static_cast<int>(i + 1);
      t.status = c.states[i];
      tasks.insertAtBack(t);
    }
    LogCapture log;
    EXPECT_EQ(c.expected, OrvVexaUtil::judgeTasks(tasks)) << c.states.size();
    std::string text = log.text();
    if (c.log != nullptr) {
      EXPECT_NE(std::string::npos, text.find(c.log)) << text;
    }
    if (c.expected == pending && c.states.size() == 2 && std::string(c.states[0]) == "active") {
      EXPECT_EQ(std::string::npos, text.find("Status of task id 2")) << text;
    }
  }
}

}  // namespace
