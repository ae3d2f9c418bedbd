#include "objectdb/config_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct SplitCase {
  const char* line;
  int result;
  const char* name;
  const char* rest;
};

TEST(ConfigLineTest, Split) {
  const SplitCase cases[] = {
      {"DC1_NODE_LIST node1.sitea node2", 1, "DC1_NODE_LIST", " node1.sitea node2"},
      {"RESYNC_WAIT_TIMEOUT -1\n", 1, "RESYNC_WAIT_TIMEOUT", " -1"},
      {"  \tDC1_STORAGE_SYSTEM_NAME\tarrayA  \r\n", 1, "DC1_STORAGE_SYSTEM_NAME", "\tarrayA"},
      {"NAME#comment", 1, "NAME", "#comment"},
      {"NAME", 1, "NAME", ""},
      {"", 0, "", ""},
      {"   \t \n", 0, "", ""},
      {"# a comment", 0, "", ""},
      {"   # indented comment", 0, "", ""},
      {"\n", 0, "", ""},
  };
  for (const SplitCase& c : cases) {
    OrvString name("n");
    OrvString rest("r");
    ASSERT_EQ(OrvConfigLine::split(c.line, name, rest), c.result) << "'" << c.line << "'";
    if (!c.result) continue;
    EXPECT_STREQ(name.getValue(), c.name) << c.line;
    EXPECT_STREQ(rest.getValue(), c.rest) << c.line;
  }
}

// The printed value a whole line contributes to an object of that type, or
// "-" when it contributes nothing.
std::string contribution(objectParaType type, const char* line) {
  OrvString name;
  OrvString rest;
  if (!OrvConfigLine::split(line, name, rest)) return "skipped";
  std::unique_ptr<OrvType> v = OrvConfigLine::value(type, name, rest);
  if (!v) return "-";
  std::ostringstream os;
  if (type == LIST_TYPE) {
    OrvList<OrvString> list;
    v->getValue(list);
    os << "[";
    for (int i = 0; i < list.numObjects(); ++i) os << (i ? "," : "") << list[i]->data();
    os << "]";
  } else {
    os << *v;
  }
  return os.str();
}

struct ValueCase {
  objectParaType type;
  const char* line;
  const char* expected;
};

TEST(ConfigLineTest, ValuesByDeclaredType) {
  const ValueCase cases[] = {
      // Strings: up to a '#' or tab, blanks inside kept, trimmed.
      {STRING_TYPE, "DC1_STORAGE_SYSTEM_NAME arrayA", "arrayA"},
      {STRING_TYPE, "DC1_RC_VOLUME_GROUP  my group  ", "my group"},
      {STRING_TYPE, "DC1_RC_VOLUME_GROUP rcg # primary", "rcg"},
      {STRING_TYPE, "DC1_RC_VOLUME_GROUP rcg#primary", "rcg"},
      {STRING_TYPE, "DC1_RC_VOLUME_GROUP rcg\tsecond", "rcg"},
      {STRING_TYPE, "DC1_RC_VOLUME_GROUP \t rcg", "rcg"},
      {STRING_TYPE, "DC1_STORAGE_SYSTEM_NAME", "-"},
      {STRING_TYPE, "DC1_STORAGE_SYSTEM_NAME    ", "-"},
      // A comment right after the name is not a value.
      {STRING_TYPE, "DC1_STORAGE_SYSTEM_NAME # to be filled in", "-"},
      {STRING_TYPE, "DC1_STORAGE_SYSTEM_NAME#arrayA", "-"},
      {STRING_TYPE, "AUTO_NONCURDATA 1", "1"},
      // Lists: node names cut at the first '.', other lists taken whole.
      {LIST_TYPE, "DC1_NODE_LIST node1.sitea node2", "[node1,node2]"},
      {LIST_TYPE, "DC2_NODE_LIST nodeC.siteb nodeD # spare", "[nodeC,nodeD]"},
      {LIST_TYPE, "DC1_NODE_LIST nodeA.x#comment", "[nodeA.x]"},
      {LIST_TYPE, "DC1_NODE_LIST a\tb  c", "[a,b,c]"},
      {LIST_TYPE, "DC1_NODE_LIST a #b c", "[a]"},
      {LIST_TYPE, "DC1_NODE_LIST", "[]"},
      {LIST_TYPE, "DC1_NODE_LIST #only a comment", "[]"},
      {LIST_TYPE, "DC1_NODE_LIST .odd nodeB", "[nodeB]"},
      {LIST_TYPE, "DR_NOTIFICATION_CHOICES email.x syslog", "[email.x,syslog]"},
      // Integers: atoi of the first word; nothing gives 0.
      {INTEGER_TYPE, "RESYNC_WAIT_TIMEOUT -1", "-1"},
      {INTEGER_TYPE, "RESYNC_WAIT_TIMEOUT 120 # minutes", "120"},
      {INTEGER_TYPE, "RESYNC_WAIT_TIMEOUT", "0"},
      {INTEGER_TYPE, "RESYNC_WAIT_TIMEOUT abc", "0"},
      {INTEGER_TYPE, "RESYNC_WAIT_TIMEOUT 12abc", "12"},
      {INTEGER_TYPE, "RESYNC_WAIT_TIMEOUT #5", "0"},
      {INTEGER_TYPE, "RPO_THRESHOLD 99999999999", "2147483647"},
      // Actions and marker types take nothing from a line.
      {ACTION_TYPE, "StatusActionFunction ca_takeover_nop", "-"},
      {TAG_TYPE, "COMMON x", "-"},
  };
  for (const ValueCase& c : cases) {
    EXPECT_EQ(contribution(c.type, c.line), c.expected) << "'" << c.line << "'";
  }
}

// Random lines built from the characters that matter to the parser: every
// result keeps the invariants the loader relies on.
TEST(ConfigLineTest, RandomLinesKeepInvariants) {
  const char alphabet[] = {'a', 'B', '1', '.', '#', ' ', '\t', '\r', '\n', '-', '"', '=', '\0'};
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<int> length(0, 40);
  std::uniform_int_distribution<int> pick(0, sizeof(alphabet) - 2);  // no NUL inside
  const objectParaType types[] = {STRING_TYPE, LIST_TYPE, INTEGER_TYPE, ACTION_TYPE, TAG_TYPE};
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    for (int n = length(rng); n > 0; --n) line += alphabet[pick(rng)];
    OrvString name, rest;
    if (!OrvConfigLine::split(line.c_str(), name, rest)) continue;
    const std::string n(name.getValue());
    ASSERT_FALSE(n.empty()) << "'" << line << "'";
    ASSERT_EQ(n.find_first_of("# \t"), std::string::npos) << "'" << line << "'";
    for (objectParaType type : types) {
      for (const char* objectName : {name.getValue(), "DC1_NODE_LIST"}) {
        std::unique_ptr<OrvType> v = OrvConfigLine::value(type, objectName, rest);
        if (!v) {
          ASSERT_TRUE(type == STRING_TYPE || type == ACTION_TYPE || type == TAG_TYPE);
          continue;
        }
        ASSERT_EQ(v->getType(), type);
        OrvString text;
        OrvList<OrvString> list;
        if (v->getValue(text)) {
          const std::string t(text.getValue());
          ASSERT_FALSE(t.empty());
          ASSERT_EQ(t.find_first_of("#\t"), std::string::npos) << "'" << line << "'";
          ASSERT_NE(t.front(), ' ');
          ASSERT_NE(t.back(), ' ');
        } else if (v->getValue(list)) {
          for (int i = 0; i < list.numObjects(); ++i) {
            const std::string e(list[i]->data().getValue());
            ASSERT_FALSE(e.empty()) << "'" << line << "'";
            ASSERT_EQ(e.find_first_of("# \t"), std::string::npos) << "'" << line << "'";
          }
        }
      }
    }
  }
}

}  // namespace
