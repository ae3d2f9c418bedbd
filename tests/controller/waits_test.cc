// The task-phase test, the shared wait clock and the parts of the waits that
// decide without asking an array: the task wait's limit and its "NOTASK"
// short cut, and the link-down time-out of the failover wait.

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "controller/waits.h"
#include "foundation/process_guard.h"
#include "tests/controller/takeover_fixture.h"

namespace ctrlb_test {
namespace {

struct PhaseCase {
  const char* phase;
  int completed;
};

class PhaseTest : public ControllerFixture,
                  public ::testing::WithParamInterface<PhaseCase> {};

TEST_P(PhaseTest, DoneEqualsTotal) {
  build(false);
  OrvString phase(GetParam().phase);
  EXPECT_EQ(ctl_->IsTaskCompleted(phase), GetParam().completed);
  EXPECT_STREQ(phase.getValue(), GetParam().phase);  // value left alone
}

INSTANTIATE_TEST_SUITE_P(Phases, PhaseTest,
                         ::testing::Values(PhaseCase{"3/3", 1},
                                           PhaseCase{"1/3", 0},
                                           PhaseCase{"2/3", 0},
                                           PhaseCase{"10/10", 1},
                                           PhaseCase{"3/30", 0},
                                           PhaseCase{"3/3\n", 1},
                                           PhaseCase{"3/3 of copy", 1},
                                           PhaseCase{"3/3\tx", 1},
                                           PhaseCase{" 3 / 3", 1},
                                           PhaseCase{"3/3/3", 0},
                                           PhaseCase{"3", 0},
                                           PhaseCase{"", 1}));

struct ElapsedCase {
  time_t start;
  time_t now;
  long elapsed;
};

TEST(WaitClock, ElapsedIsWholeSecondsAndNeverNegative) {
  const ElapsedCase cases[] = {{1000, 1060, 60}, {1000, 1000, 0},
                               {1060, 1000, 0},  {1, 86401, 86400}};
  for (const ElapsedCase& c : cases)
    EXPECT_EQ(orv_waits::elapsedSeconds(c.start, c.now), c.elapsed)
        << c.start << " -> " << c.now;
}

TEST(WaitClock, FirstWaitStartsTheClockLaterWaitsShareIt) {
  time_t start = 0;
  EXPECT_EQ(orv_waits::startAndElapsed(start, 5000), 0);
  EXPECT_EQ(start, 5000);
  EXPECT_EQ(orv_waits::startAndElapsed(start, 5250), 250);
  EXPECT_EQ(start, 5000);
}

TEST(WaitClock, LinkDownTimeoutText) {
  struct {
    const char* text;
    int usable;
    int value;
  } cases[] = {{"250", 1, 250}, {" 300 ", 1, 300}, {"0", 1, 0},
               {"", 0, 0},      {"abc", 0, 0},     {"-5", 0, 0},
               {"3e2", 0, 0},   {"99999999999", 0, 0}};
  for (const auto& c : cases) {
    int v = 0;
    EXPECT_EQ(orv_waits::parseLinkDownTimeout(c.text, v), c.usable) << c.text;
    if (c.usable) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

// ---- Link-down time-out as the failover wait reads it -----------------------

struct TimeoutCase {
  const char* text;  // nullptr: leave the catalogue default
  bool warned;
  int logged;     // "Value for timeout is [%d] "
  int effective;  // waitTimeout afterwards
};

class LinkDownTimeoutTest : public ControllerFixture,
                            public ::testing::WithParamInterface<TimeoutCase> {};

// The clock was started long ago by an earlier wait, so the group is never
// polled and the action gives up at once.
TEST_P(LinkDownTimeoutTest, ReadsClampsAndGivesUpOnAnExhaustedClock) {
  const TimeoutCase& c = GetParam();
  build(false);
  if (c.text != nullptr) set("PERIODIC_ASYNC_LINK_DOWN_TIMEOUT", c.text);
  ctl_->setWaitStartTime(orv_guard::monotonicSeconds() - 100000);
  startCapture();
  int r = ctl_->ca_takeover_stoprcvgwait_failover();
  std::vector<std::string> msgs = texts(stopCapture(), false);
  EXPECT_EQ(r, 2);
  std::vector<std::string> expected;
  if (c.warned)
    expected.push_back(
        "Warning: Attribute [PERIODIC_ASYNC_LINK_DOWN_TIMEOUT] is not set");
  expected.push_back("Value for timeout is [" + std::to_string(c.logged) +
                     "] ");
  EXPECT_EQ(msgs, expected);
  EXPECT_EQ(ctl_->getWaitTimeout(), c.effective);
  EXPECT_EQ(leftovers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, LinkDownTimeoutTest,
    ::testing::Values(TimeoutCase{nullptr, false, 250, 250},
                      TimeoutCase{"200", false, 200, 200},
                      TimeoutCase{"400", false, 400, 400},
                      TimeoutCase{"199", false, 199, 250},
                      TimeoutCase{"401", false, 401, 250},
                      TimeoutCase{"0", false, 0, 250},
                      TimeoutCase{"soon", true, 250, 250}));

// ---- Task wait ---------------------------------------------------------------

class TaskWaitTest : public ControllerFixture {};

TEST_F(TaskWaitTest, NoTaskEndsAtOnceWithoutAskingTheArray) {
  build(false);
  startCapture();
  int r = ctl_->ca_periodic_resyncwait("NOTASK", 1);
  std::vector<std::string> msgs = texts(stopCapture(), false);
  EXPECT_EQ(r, 0);
  EXPECT_TRUE(msgs.empty());
  EXPECT_EQ(leftovers(), 0);
}

TEST_F(TaskWaitTest, FirstWaitStartsTheSharedClock) {
  build(false);
  // The clock is the monotonic one, not the time of day.
  time_t before = orv_guard::monotonicSeconds();
  ASSERT_EQ(ctl_->getWaitStartTime(), 0);
  ctl_->ca_periodic_resyncwait("NOTASK", 1);
  time_t started = ctl_->getWaitStartTime();
  EXPECT_GE(started, before);
  EXPECT_LE(started, orv_guard::monotonicSeconds());
  ctl_->ca_periodic_resyncwait("NOTASK", 1);
  EXPECT_EQ(ctl_->getWaitStartTime(), started);
}

struct LimitCase {
  const char* name;
  const char* timeout;  // RESYNC_WAIT_TIMEOUT; "x" leaves it without value
  long startedAgo;      // seconds since an earlier wait started the clock
  int result;
  std::vector<std::string> messages;
};

class TaskWaitLimitTest : public ControllerFixture,
                          public ::testing::WithParamInterface<LimitCase> {};

TEST_P(TaskWaitLimitTest, LimitOnTheSharedClock) {
  const LimitCase& c = GetParam();
  build(false);
  if (std::string(c.timeout) == "x") {
    // A text the integer object refuses leaves it without a value.
    db_->setStrValByName("RESYNC_WAIT_TIMEOUT", c.timeout);
  } else {
    setConfiguredInt("RESYNC_WAIT_TIMEOUT", atoi(c.timeout));
  }
  if (c.startedAgo > 0) ctl_->setWaitStartTime(orv_guard::monotonicSeconds() - c.startedAgo);
  startCapture();
  int r = ctl_->ca_periodic_resyncwait("NOTASK", 0);
  std::vector<std::string> msgs = texts(stopCapture(), false);
  EXPECT_EQ(r, c.result);
  EXPECT_EQ(msgs, c.messages);
  EXPECT_EQ(leftovers(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, TaskWaitLimitTest,
    ::testing::Values(
        LimitCase{"ZeroFreshClock", "0", 0, 0, {}},
        LimitCase{"ZeroSpent", "0", 1, 2, {" Data copy in progress for [rcgA] "}},
        LimitCase{"MinutesLeft", "2", 119, 0, {}},
        LimitCase{"MinutesSpent", "2", 121, 2,
                  {" Data copy in progress for [rcgA] "}},
        LimitCase{"NoLimit", "-1", 1000000, 0, {}},
        LimitCase{"UnsetActsAsZero", "x", 5, 2,
                  {"Warning: Attribute [RESYNC_WAIT_TIMEOUT] is not set",
                   " Data copy in progress for [rcgA] "}}),
    [](const ::testing::TestParamInfo<LimitCase>& i) {
      return std::string(i.param.name);
    });

}  // namespace
}  // namespace ctrlb_test
