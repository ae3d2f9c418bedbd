#include "foundation/safe_word.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(OrvSafeWord, AcceptsOnlyItsCharacterSets) {
  struct Case {
    std::string text;
    bool package, arrayWord, taskId;
  };
  const std::string longWord(5000, 'a');
  const std::vector<Case> cases = {
      {"", false, false, false},
      {"pkg_1.a-b", true, true, false},
      {"12345", true, true, true},
      {"0", true, true, true},
      {"NOTASK", true, true, true},
      {"notask", true, true, false},
      {"NOTASK1", true, true, false},
      {"3par-a:vol/grp@site", false, true, false},
      {"a b", false, false, false},
      {"a;rm -rf /", false, false, false},
      {"$(id)", false, false, false},
      {"`id`", false, false, false},
      {"a|b", false, false, false},
      {"a&b", false, false, false},
      {"a>b", false, false, false},
      {"a\"b", false, false, false},
      {"a'b", false, false, false},
      {"a\\b", false, false, false},
      {"a\nb", false, false, false},
      {"a\tb", false, false, false},
      {"a*", false, false, false},
      {"-12", false, true, false},  // an option to the commands it reaches
      {" 12", false, false, false},
      {"\xc3\xa9t\xc3\xa9", false, false, false},
      {longWord, true, true, false},
      {longWord + ";", false, false, false},
      {std::string(5000, '7'), true, true, true},
  };
  for (const Case& c : cases) {
    const char* s = c.text.c_str();
    std::string shown = c.text.substr(0, 20);
    EXPECT_EQ(OrvSafeWord::isPackageName(s), c.package) << "[" << shown << "]";
    EXPECT_EQ(OrvSafeWord::isArrayWord(s), c.arrayWord) << "[" << shown << "]";
    EXPECT_EQ(OrvSafeWord::isTaskId(s), c.taskId) << "[" << shown << "]";
  }
  EXPECT_FALSE(OrvSafeWord::isPackageName(nullptr));
  EXPECT_FALSE(OrvSafeWord::isArrayWord(nullptr));
  EXPECT_FALSE(OrvSafeWord::isTaskId(nullptr));
}

}  // namespace
