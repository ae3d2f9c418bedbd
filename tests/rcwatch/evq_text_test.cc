// The event text travels inside double quotes of a shell command line: the
// tests hand the escaped text to a real shell and check that it comes back
// byte for byte, whatever it contains.

#include "rcwatch/evq_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

namespace {

// What /bin/sh makes of "<escaped>" (printed with printf %s).
std::string throughShell(const std::string& escaped) {
  std::string command = "printf %s \"" + escaped + "\"";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return "<popen failed>";
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof(buf), pipe)) > 0) out.append(buf, n);
  pclose(pipe);
  return out;
}

struct EscapeCase {
  const char* name;
  std::string text;
  std::string escaped;
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class EscapeTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(EscapeTest, EscapesAndSurvivesTheShell) {
  const EscapeCase& c = GetParam();
  std::string escaped = orv_evq::escapeForDoubleQuotes(c.text, 4095);
  EXPECT_EQ(escaped, c.escaped);
  std::string expected;
  for (char ch : c.text)
    if (ch != '\0') expected += ch;
  EXPECT_EQ(throughShell(escaped), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, EscapeTest,
    ::testing::Values(
        EscapeCase{"plain", "Link Down on array1", "Link Down on array1"},
        EscapeCase{"quotes", "He said \"x\"", "He said \\\"x\\\""},
        EscapeCase{"quote_at_start", "\"x", "\\\"x"},
        EscapeCase{"already_escaped", "a \\\"b\\\"", "a \\\\\\\"b\\\\\\\""},
        EscapeCase{"trailing_backslash", "dir\\", "dir\\\\"},
        EscapeCase{"double_backslash_quote", "x\\\\\"; rm -rf /tmp/y; \"",
                   "x\\\\\\\\\\\"; rm -rf /tmp/y; \\\""},
        EscapeCase{"command_substitution", "$(touch /tmp/pwned)", "\\$(touch /tmp/pwned)"},
        EscapeCase{"backquotes", "`id`", "\\`id\\`"},
        EscapeCase{"variable", "$HOME ${PATH}", "\\$HOME \\${PATH}"},
        EscapeCase{"close_and_chain", "\" msg_grp=\"x\"; id; echo \"",
                   "\\\" msg_grp=\\\"x\\\"; id; echo \\\""},
        EscapeCase{"newlines_and_tabs", "line1\nline2\t!x", "line1\nline2\t!x"},
        EscapeCase{"nul_dropped", std::string("a\0b", 3), "ab"},
        EscapeCase{"single_quotes", "it's 'quoted'", "it's 'quoted'"},
        EscapeCase{"empty", "", ""}),
    [](const ::testing::TestParamInfo<EscapeCase>& info) { return info.param.name; });

// Cutting keeps whole escape pairs: the result never ends in a lone
// backslash, and never exceeds the limit.
TEST(EscapeCutTest, NeverSplitsAnEscape) {
  const std::string hostile[] = {std::string(5000, '"'), std::string(5000, '\\'),
                                 std::string(2500, 'a') + std::string(2500, '$'),
                                 "a\"b\\c$d`e" + std::string(4093, 'x')};
  for (const std::string& text : hostile) {
    for (size_t limit : {0u, 1u, 2u, 3u, 100u, 4095u}) {
      std::string escaped = orv_evq::escapeForDoubleQuotes(text, limit);
      EXPECT_LE(escaped.size(), limit);
      size_t trailing = 0;
      for (size_t i = escaped.size(); i > 0 && escaped[i - 1] == '\\'; --i) ++trailing;
      EXPECT_EQ(trailing % 2, 0u) << "limit " << limit;
      // What the shell gets back is a prefix of the original text.
      if (limit >= 100) {
        std::string back = throughShell(escaped);
        EXPECT_EQ(text.compare(0, back.size(), back), 0);
        EXPECT_GE(back.size(), limit / 2);
      }
    }
  }
}

TEST(EscapeCutTest, OddLimitDropsTheWholeLastPair) {
  EXPECT_EQ(orv_evq::escapeForDoubleQuotes("ab\"", 3), "ab");
  EXPECT_EQ(orv_evq::escapeForDoubleQuotes("ab\"", 4), "ab\\\"");
  EXPECT_EQ(orv_evq::escapeForDoubleQuotes("abc", 2), "ab");
}

TEST(EvqCommandTest, ExactLayout) {
  std::string escaped;
  std::string command = orv_evq::buildCommand("warning", "He said \"x\"", escaped);
  EXPECT_EQ(escaped, "He said \\\"x\\\"");
  EXPECT_EQ(command,
            "/opt/EMLN/bin/EvQ/evqmsg sev=warning app=\"Orvanta (Jx)\" obj=\"\" "
            "msg_text=\"He said \\\"x\\\"\" msg_grp=\"HA\"");
}

TEST(EvqCommandTest, LongTextsFitTheBuffers) {
  for (const std::string& text :
       {std::string(10000, 'x'), std::string(10000, '"'), std::string(4090, 'y') + "\\"}) {
    for (const char* word : {"normal", "critical", "warning"}) {
      std::string escaped;
      std::string command = orv_evq::buildCommand(word, text, escaped);
      EXPECT_LE(command.size(), orv_evq::kEvqBufferSize - 1);
      EXPECT_LE(escaped.size(), orv_evq::kEvqBufferSize - 1);
      EXPECT_NE(command.find("msg_text=\"" + escaped + "\" msg_grp=\"HA\""), std::string::npos);
      // A full buffer: the cut leaves at most one escape pair of room.
      EXPECT_GE(command.size(), orv_evq::kEvqBufferSize - 3);
    }
  }
}

TEST(EvqSeverityTest, Words) {
  struct {
    int number;
    const char* word;
  } cases[] = {{8, "normal"},  {16, "warning"}, {32, "critical"}, {64, "minor"},
               {128, "major"}, {0, "warning"},  {-8, "warning"},  {9, "warning"},
               {256, "warning"}};
  for (const auto& c : cases) EXPECT_STREQ(orv_evq::severityWord(c.number), c.word) << c.number;
}

}  // namespace
