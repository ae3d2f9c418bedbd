#include "foundation/orv_string.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct TokCase {
  const char* input;
  const char* delims;
  std::vector<std::string> tokens;
};

std::vector<std::string> allStrTok(OrvString& s, const char* delims) {
  std::vector<std::string> out;
  for (char* t = s.strTok(delims, 1); t != nullptr; t = s.strTok(delims, 0)) out.push_back(t);
  return out;
}

TEST(OrvStringTokenizer, StrTokSplitsAtAnyDelimiterAndSkipsEmptyTokens) {
  const std::vector<TokCase> cases = {
      {"  a  b\r\nc", " \n", {"a", "b", "c"}},
      {"   ", " ", {}},
      {"", " ", {}},
      {"a", " ", {"a"}},
      {"a::b:", ":", {"a", "b"}},
      {"x\r\ny\r\n", "\n", {"x", "y"}},
      {"key=value=more", "=", {"key", "value", "more"}},
      {"no delimiters here", "", {"no delimiters here"}},
      {"a\tb c", " \t", {"a", "b", "c"}},
      {"a\rb", "\r", {"a", "b"}},
  };
  for (const TokCase& c : cases) {
    OrvString s(c.input);
    EXPECT_EQ(allStrTok(s, c.delims), c.tokens) << "input [" << c.input << "]";
    EXPECT_STREQ(s.getValue(), c.input) << "tokenizing must not change the value";
  }
}

TEST(OrvStringTokenizer, StrTokEndDoesNotTouchEndFlagAndResetRestarts) {
  OrvString s("one two");
  EXPECT_STREQ(s.strTok(" ", 1), "one");
  EXPECT_STREQ(s.strTok(" ", 1), "one");
  EXPECT_STREQ(s.strTok(" ", 0), "two");
  EXPECT_EQ(s.strTok(" ", 0), nullptr);
  EXPECT_EQ(s.strTok(" ", 0), nullptr);
  EXPECT_EQ(s.strTokenEndOfStr(), 0);
}

TEST(OrvStringTokenizer, StrTokDelimitersMayChangeWithinAPass) {
  // The rule-text parser takes the part before ':' and then up to ';'.
  OrvString s("A=1,B=2:action;");
  EXPECT_STREQ(s.strTok(":", 1), "A=1,B=2");
  EXPECT_STREQ(s.strTok(";", 0), "action");
  EXPECT_EQ(s.strTok(";", 0), nullptr);
}

struct FieldCase {
  const char* input;
  const char* delim;
  std::vector<std::string> fields;  // "<null>" marks a null token
  std::vector<int> endFlags;        // end flag after each call
};

TEST(OrvStringTokenizer, StrTokenKeepsEmptyFieldsAndSetsEndFlag) {
  const std::vector<FieldCase> cases = {
      {"a,,b", ",", {"a", "", "b"}, {0, 0, 1}},
      {"a,", ",", {"a", "<null>"}, {0, 1}},
      {"", ",", {"<null>"}, {1}},
      {",x", ",", {"", "x"}, {0, 1}},
      {"abc", ",", {"abc"}, {1}},
      {"a::b::", "::", {"a", "b", "<null>"}, {0, 0, 1}},
      {"a:b", "::", {"a:b"}, {1}},
      {"a", "", {"a"}, {1}},
  };
  for (const FieldCase& c : cases) {
    OrvString s(c.input);
    for (size_t i = 0; i < c.fields.size(); ++i) {
      char* t = s.strToken(c.delim, i == 0 ? 1 : 0);
      std::string got = t ? t : "<null>";
      EXPECT_EQ(got, c.fields[i]) << "input [" << c.input << "] field " << i;
      EXPECT_EQ(s.strTokenEndOfStr(), c.endFlags[i]) << "input [" << c.input << "] field " << i;
    }
    EXPECT_EQ(s.strToken(c.delim, 0), nullptr) << "input [" << c.input << "] past the end";
    EXPECT_EQ(s.strTokenEndOfStr(), 1);
  }
}

TEST(OrvStringTokenizer, StrTokenResetClearsEndFlag) {
  OrvString s("a,b");
  s.strToken(",", 1);
  s.strToken(",", 0);
  ASSERT_EQ(s.strTokenEndOfStr(), 1);
  EXPECT_STREQ(s.strToken(",", 1), "a");
  EXPECT_EQ(s.strTokenEndOfStr(), 0);
}

TEST(OrvStringTokenizer, TokenReplacementReplacesEveryOccurrence) {
  struct Case {
    const char* input;
    const char* token;
    const char* replacement;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {"a,b", ",", ";", "a;b"},        {",a", ",", ";", ";a"},
      {"a,", ",", ";", "a;"},          {"abc", ",", ";", "abc"},
      {"", ",", ";", ""},              {"line\n", "\n", "", "line"},
      {"a--b--c", "--", "+", "a+b+c"}, {"aaa", "a", "bb", "bbbbbb"},
      {",,", ",", "", ""},             {"x y", " ", "%20", "x%20y"},
  };
  for (const Case& c : cases) {
    OrvString s(c.input);
    s.tokenReplacement(c.token, c.replacement);
    EXPECT_STREQ(s.getValue(), c.expected) << "input [" << c.input << "]";
    EXPECT_EQ(s.getLength(), static_cast<int>(std::string(c.expected).size()));
  }
}

TEST(OrvStringAssign, EqualLengthAssignmentKeepsTheTokenizerPass) {
  OrvString s("a b");
  EXPECT_STREQ(s.strTok(" ", 1), "a");
  s = "c d";  // same length: only the characters are copied
  EXPECT_STREQ(s.getValue(), "c d");
  EXPECT_STREQ(s.strTok(" ", 0), "b");
  s = "longer text";  // new length: the pass restarts from the new value
  EXPECT_STREQ(s.strTok(" ", 0), "longer");
}

// A pass that has not begun yet still belongs to the value it was set with,
// whatever changes the characters in place before the first token.
TEST(OrvStringAssign, PassNotYetBegunKeepsTheValueItWasSetWith) {
  struct Case {
    const char* name;
    void (*change)(OrvString&);
    const char* first;  // strTok(" ", 0) after the change
  } cases[] = {
      {"same-length text", [](OrvString& s) { s = "c d"; }, "a"},
      {"same-length string", [](OrvString& s) { s = OrvString("c d"); }, "a"},
      {"write through []", [](OrvString& s) { *s[0] = 'z'; }, "a"},
      {"upper case in place", [](OrvString& s) { s.toUpperCase(); }, "a"},
      {"new length", [](OrvString& s) { s = "e f g"; }, "e"},
      {"nothing", [](OrvString&) {}, "a"},
  };
  for (const Case& c : cases) {
    OrvString s("a b");
    c.change(s);
    EXPECT_STREQ(s.strTok(" ", 0), c.first) << c.name;
    // A reset starts over on the value as it is now.
    const std::string now = s.getValue();
    EXPECT_EQ(now.substr(0, now.find(' ')), s.strTok(" ", 1)) << c.name;
  }
  // Setting a string from its own characters.
  OrvString t("left right");
  t.setValue(t.getValue() + 5);
  EXPECT_STREQ(t.getValue(), "right");
  EXPECT_STREQ(t.strTok(" ", 0), "right");
  char* tok = t.strTok(" ", 1);
  t.setValue(tok);
  EXPECT_STREQ(t.getValue(), "right");
}

TEST(OrvStringAssign, StringAssignmentFollowsTheSameLengthRule) {
  OrvString s("x,y");
  EXPECT_STREQ(s.strToken(",", 1), "x");
  s = OrvString("p,q");  // same length: pass and end flag stay
  EXPECT_STREQ(s.strToken(",", 0), "y");
  EXPECT_EQ(s.strTokenEndOfStr(), 1);
  s = OrvString("m,n,o");  // new length: end flag cleared, pass restarted
  EXPECT_EQ(s.strTokenEndOfStr(), 0);
  EXPECT_STREQ(s.strToken(",", 0), "m");
}

TEST(OrvStringAssign, CopiesAreDeepAndCarryOnlyTheValue) {
  OrvString original("one two three");
  EXPECT_STREQ(original.strTok(" ", 1), "one");
  OrvString copy(original);
  EXPECT_STREQ(copy.strTok(" ", 0), "one");
  copy.toUpperCase();
  EXPECT_STREQ(copy.getValue(), "ONE TWO THREE");
  EXPECT_STREQ(original.getValue(), "one two three");
  EXPECT_STREQ(original.strTok(" ", 0), "two");

  OrvString assigned;
  assigned = original;
  assigned += "!";
  EXPECT_STREQ(original.getValue(), "one two three");
  assigned = assigned;
  EXPECT_STREQ(assigned.getValue(), "one two three!");
}

TEST(OrvStringAssign, NullNumbersAndCharacters) {
  OrvString fromNull(static_cast<const char*>(nullptr));
  EXPECT_EQ(fromNull.getLength(), 0);
  EXPECT_STREQ(fromNull.getValue(), "");

  OrvString s("text");
  s = static_cast<const char*>(nullptr);
  EXPECT_STREQ(s.getValue(), "");
  s = -42;
  EXPECT_STREQ(s.getValue(), "-42");
  EXPECT_EQ(s.getLength(), 3);
  s = 'Z';
  EXPECT_STREQ(s.getValue(), "Z");
  s.setValue(nullptr);
  EXPECT_EQ(s.getLength(), 0);

  OrvString sized(100);
  EXPECT_EQ(sized.getLength(), 0);
  EXPECT_STREQ(sized.getValue(), "");
}

TEST(OrvStringConcat, AppendAndJoin) {
  OrvString x("x");
  x += -12;
  EXPECT_STREQ(x.getValue(), "x-12");
  x += '!';
  EXPECT_STREQ(x.getValue(), "x-12!");
  x += x;
  EXPECT_STREQ(x.getValue(), "x-12!x-12!");
  EXPECT_EQ(x.getLength(), 10);

  OrvString a("a");
  EXPECT_STREQ((a + static_cast<const char*>(nullptr)).getValue(), "a");
  EXPECT_STREQ((a + "b").getValue(), "ab");
  EXPECT_STREQ(("<" + a).getValue(), "<a");
  EXPECT_STREQ((a + OrvString("c")).getValue(), "ac");
  EXPECT_STREQ((a + 7).getValue(), "a7");
  EXPECT_STREQ(a.getValue(), "a");

  OrvString c;
  c.concat("left", "right");
  EXPECT_STREQ(c.getValue(), "leftright");
  c.concat(nullptr, "r");
  EXPECT_STREQ(c.getValue(), "r");
}

TEST(OrvStringCompare, EqualityIsCaseSensitiveOrderingIsNot) {
  struct Case {
    const char* a;
    const char* b;
    bool eq, lt, gt;
  };
  const std::vector<Case> cases = {
      {"Abc", "abc", false, false, false}, {"abc", "ABD", false, true, false},
      {"b", "A", false, false, true},      {"abc", "abc", true, false, false},
      {"", "a", false, true, false},       {"3.3.10", "3.3.1", false, false, true},
      {"3.2.2", "3.3.1", false, true, false}, {"", "", true, false, false},
  };
  for (const Case& c : cases) {
    OrvString a(c.a), b(c.b);
    EXPECT_EQ(a == b, c.eq) << c.a << " == " << c.b;
    EXPECT_EQ(a != b, !c.eq) << c.a << " != " << c.b;
    EXPECT_EQ(a == c.b, c.eq) << c.a << " == char* " << c.b;
    EXPECT_EQ(c.a == b, c.eq) << "char* " << c.a << " == " << c.b;
    EXPECT_EQ(a < b, c.lt) << c.a << " < " << c.b;
    EXPECT_EQ(a > b, c.gt) << c.a << " > " << c.b;
    EXPECT_EQ(a >= b, !c.lt) << c.a << " >= " << c.b;
    EXPECT_EQ(a <= b, !c.gt) << c.a << " <= " << c.b;
  }
}

TEST(OrvStringAccess, IndexAndSubstring) {
  OrvString s("abcdef");
  ASSERT_NE(s[0], nullptr);
  EXPECT_EQ(*s[0], 'a');
  ASSERT_NE(s[6], nullptr);
  EXPECT_EQ(*s[6], '\0');
  EXPECT_EQ(s[7], nullptr);
  EXPECT_EQ(s[-1], nullptr);

  struct Case {
    int from, to, result;
    const char* out;
  };
  const std::vector<Case> cases = {
      {2, 100, 1, "cdef"}, {6, 7, 0, "unchanged"}, {-1, 2, 0, "unchanged"},
      {3, 2, 0, "unchanged"}, {0, 0, 1, "a"},     {5, 5, 1, "f"},
      {0, 5, 1, "abcdef"},
  };
  for (const Case& c : cases) {
    OrvString out("unchanged");
    EXPECT_EQ(s.getSubStr(c.from, c.to, out), c.result) << c.from << ".." << c.to;
    EXPECT_STREQ(out.getValue(), c.out) << c.from << ".." << c.to;
  }
}

TEST(OrvStringAccess, WorkingBufferLimitsCutLongTextsSafely) {
  std::string longText(3000, 'q');
  longText[0] = 'A';
  OrvString s(longText.c_str());
  OrvString out;
  EXPECT_EQ(s.getSubStr(0, 2999, out), 1);
  EXPECT_EQ(out.getLength(), 1023);
  EXPECT_EQ(s.getSubStr(2000, 2999, out), 1);
  EXPECT_EQ(out.getLength(), 1000);

  OrvString up = s.upperCase();
  EXPECT_EQ(up.getLength(), 1023);
  EXPECT_EQ(std::string(up.getValue()), std::string(1, 'A') + std::string(1022, 'Q'));
  OrvString low = s.lowerCase();
  EXPECT_EQ(low.getLength(), 1023);
  EXPECT_EQ(low.getValue()[0], 'a');
  EXPECT_EQ(s.getLength(), 3000);
  EXPECT_EQ(s.getValue()[0], 'A');
}

TEST(OrvStringCase, InPlaceAndCopies) {
  OrvString s("MiXed 1");
  OrvString up = s.upperCase();
  EXPECT_STREQ(up.getValue(), "MIXED 1");
  EXPECT_STREQ(s.lowerCase().getValue(), "mixed 1");
  EXPECT_STREQ(s.getValue(), "MiXed 1");
  s.toUpperCase();
  EXPECT_STREQ(s.getValue(), "MIXED 1");
  s.toLowerCase();
  EXPECT_STREQ(s.getValue(), "mixed 1");
}

TEST(OrvStringTrim, BlanksTabsAndLineEnds) {
  struct Case {
    const char* input;
    const char* left;
    const char* right;
    const char* both;
  };
  const std::vector<Case> cases = {
      {"\nx ", "\nx ", "\nx", "\nx"},   {"  a\r\n", "a\r\n", "  a", "a"},
      {"   ", "", "", ""},              {"", "", "", ""},
      {"\t a \t", "a \t", "\t a", "a"}, {"a b", "a b", "a b", "a b"},
      {"\r\n", "\r\n", "", ""},
      {" x\t", "x\t", " x", "x"},
  };
  for (const Case& c : cases) {
    OrvString l(c.input), r(c.input), b(c.input);
    l.trimLeft();
    r.trimRight();
    b.trim();
    EXPECT_STREQ(l.getValue(), c.left) << "[" << c.input << "]";
    EXPECT_STREQ(r.getValue(), c.right) << "[" << c.input << "]";
    EXPECT_STREQ(b.getValue(), c.both) << "[" << c.input << "]";
    EXPECT_EQ(b.getLength(), static_cast<int>(std::string(c.both).size()));
  }
}

TEST(OrvStringNumbers, NumericTestsAndConversion) {
  struct Case {
    const char* text;
    int numeric;
    int atoiValue;
  };
  const std::vector<Case> cases = {
      {"", 1, 0},    {"-5", 0, -5},   {"12a", 0, 12}, {"007", 1, 7},
      {" 1", 0, 1},  {"1.5", 0, 1},   {"abc", 0, 0},  {"+3", 0, 3},
  };
  for (const Case& c : cases) {
    OrvString s(c.text);
    EXPECT_EQ(s.isNumeric(), c.numeric) << "[" << c.text << "]";
    EXPECT_EQ(s.isDigit(), c.numeric) << "[" << c.text << "]";
    EXPECT_EQ(s._atoi(), c.atoiValue) << "[" << c.text << "]";
  }
}

TEST(OrvStringAccess, ContainsAndStreamOutput) {
  OrvString s("Remote Copy group");
  EXPECT_EQ(s.contains("Copy"), 1);
  EXPECT_EQ(s.contains("copy"), 0);
  EXPECT_EQ(s.contains(""), 1);
  EXPECT_EQ(s.contains("group!"), 0);
  std::ostringstream os;
  os << s << OrvString("");
  EXPECT_EQ(os.str(), "Remote Copy group");
}

}  // namespace
