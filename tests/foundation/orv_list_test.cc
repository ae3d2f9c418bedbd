#include "foundation/orv_list.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "foundation/orv_string.h"

namespace {

std::vector<std::string> contents(const OrvList<OrvString>& list) {
  std::vector<std::string> out;
  for (int i = 0; i < list.numObjects(); ++i) out.push_back(list[i]->data().getValue());
  return out;
}

// Walks the prev links from the last node back to the second one.
std::vector<std::string> backwards(const OrvList<OrvString>& list) {
  std::vector<std::string> out;
  if (list.isEmpty()) return out;
  OrvListNode<OrvString>* n = list[list.numObjects() - 1];
  for (int i = list.numObjects() - 1; i > 0; --i, n = n->prev()) out.push_back(n->data().getValue());
  out.push_back(list[0]->data().getValue());
  return out;
}

OrvList<OrvString> makeList(const std::vector<std::string>& items) {
  OrvList<OrvString> list;
  for (const std::string& s : items) list.insertAtBack(OrvString(s.c_str()));
  return list;
}

TEST(OrvList, InsertAtPositions) {
  struct Case {
    std::vector<std::string> initial;
    int index;
    int result;
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {
      {{}, 0, 1, {"x"}},
      {{}, 1, 0, {}},
      {{}, -1, 0, {}},
      {{"a", "b"}, 0, 1, {"x", "a", "b"}},
      {{"a", "b"}, 1, 1, {"a", "x", "b"}},
      {{"a", "b"}, 2, 1, {"a", "b", "x"}},
      {{"a", "b"}, 3, 0, {"a", "b"}},
  };
  for (const Case& c : cases) {
    OrvList<OrvString> list = makeList(c.initial);
    EXPECT_EQ(list.insertAt(c.index, OrvString("x")), c.result) << "index " << c.index;
    EXPECT_EQ(contents(list), c.after) << "index " << c.index;
    EXPECT_EQ(list.numObjects(), static_cast<int>(c.after.size()));
    std::vector<std::string> rev(c.after.rbegin(), c.after.rend());
    EXPECT_EQ(backwards(list), rev) << "prev links after insert at " << c.index;
    if (!c.after.empty()) {
      EXPECT_EQ(list[list.numObjects() - 1]->next(), nullptr);
    }
  }
}

TEST(OrvList, RemoveFromPositions) {
  struct Case {
    std::vector<std::string> initial;
    int index;
    int result;
    std::vector<std::string> after;
  };
  const std::vector<Case> cases = {
      {{}, 0, 0, {}},
      {{"a"}, 0, 1, {}},
      {{"a", "b", "c"}, 0, 1, {"b", "c"}},
      {{"a", "b", "c"}, 1, 1, {"a", "c"}},
      {{"a", "b", "c"}, 2, 1, {"a", "b"}},
      {{"a", "b", "c"}, 3, 0, {"a", "b", "c"}},
      {{"a", "b", "c"}, -1, 0, {"a", "b", "c"}},
  };
  for (const Case& c : cases) {
    OrvList<OrvString> list = makeList(c.initial);
    EXPECT_EQ(list.removeFrom(c.index), c.result) << "index " << c.index;
    EXPECT_EQ(contents(list), c.after) << "index " << c.index;
    std::vector<std::string> rev(c.after.rbegin(), c.after.rend());
    EXPECT_EQ(backwards(list), rev) << "prev links after removing " << c.index;
    if (!list.isEmpty()) {
      EXPECT_EQ(list[0]->prev(), nullptr);
    }
  }
}

// The list remembers its last node and the last node it handed out; a
// mixed run of edits and reads, in and out of order, must keep agreeing
// with a plain vector.
TEST(OrvList, MixedEditsAndReadsAgreeWithAVector) {
  OrvList<OrvString> list;
  std::vector<std::string> model;
  unsigned seed = 12345;
  auto next = [&seed](size_t n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>(n == 0 ? 0 : (seed >> 16) % n);
  };
  for (int step = 0; step < 2000; ++step) {
    const std::string item = std::to_string(step);
    const int op = next(5), at = next(model.size() + (op == 0 ? 1 : 0));
    if (op == 0) {
      ASSERT_EQ(list.insertAt(at, OrvString(item.c_str())), 1);
      model.insert(model.begin() + at, item);
    } else if (op == 1 && !model.empty()) {
      ASSERT_EQ(list.removeFrom(at), 1);
      model.erase(model.begin() + at);
    } else if (op == 2) {
      list.emplaceBack(item.c_str());
      model.push_back(item);
    } else if (!model.empty()) {
      ASSERT_EQ(model[at], list[at]->data().getValue()) << "step " << step;
    }
    ASSERT_EQ(list.numObjects(), static_cast<int>(model.size()));
    if (step % 50 == 0) {
      ASSERT_EQ(contents(list), model) << "step " << step;
      ASSERT_EQ(backwards(list), std::vector<std::string>(model.rbegin(), model.rend()));
    }
  }
}

TEST(OrvList, FrontRemovalThenInsertKeepsOrder) {
  OrvList<OrvString> list = makeList({"a", "b", "c"});
  EXPECT_EQ(list.removeFromFront(), 1);
  EXPECT_EQ(list.insertAt(0, OrvString("z")), 1);
  EXPECT_EQ(contents(list), (std::vector<std::string>{"z", "b", "c"}));
  list.removeAll();
  EXPECT_TRUE(list.isEmpty());
  EXPECT_EQ(list.removeFromFront(), 0);
  int index = -1;
  EXPECT_EQ(list.insertAtBack(OrvString("p"), index), 1);
  EXPECT_EQ(index, 0);
  EXPECT_EQ(list.insertAtBack(OrvString("q"), index), 1);
  EXPECT_EQ(index, 1);
}

TEST(OrvList, ElementsAreCopiesAndChangeableThroughNodes) {
  OrvString item("orig");
  OrvList<OrvString> list;
  list.insertAtBack(item);
  item = "changed";
  EXPECT_STREQ(list[0]->data().getValue(), "orig");
  list[0]->data() = "edited";
  EXPECT_STREQ(list[0]->data().getValue(), "edited");
}

TEST(OrvList, CopyAndAssignment) {
  OrvList<OrvString> source = makeList({"a", "b"});
  OrvList<OrvString> copy(source);
  copy[0]->data() = "changed";
  EXPECT_EQ(contents(source), (std::vector<std::string>{"a", "b"}));

  OrvList<OrvString> target = makeList({"x", "y", "z"});
  target = source;
  EXPECT_EQ(contents(target), (std::vector<std::string>{"a", "b"}));

  OrvList<OrvString>& self = source;
  source = self;
  EXPECT_EQ(contents(source), (std::vector<std::string>{"a", "b"}));

  target = OrvList<OrvString>();
  EXPECT_TRUE(target.isEmpty());
}

struct Counted {
  static int live;
  int id;
  explicit Counted(int i) : id(i) { ++live; }
  Counted(const Counted& o) : id(o.id) { ++live; }
  ~Counted() { --live; }
  bool operator==(const Counted& o) const { return id == o.id; }
};
int Counted::live = 0;

TEST(OrvList, OwnsAndFreesItsCopies) {
  {
    OrvList<Counted> list;
    for (int i = 0; i < 5; ++i) list.insertAtBack(Counted(i));
    EXPECT_EQ(Counted::live, 5);
    list.removeFrom(2);
    EXPECT_EQ(Counted::live, 4);
    OrvList<Counted> copy(list);
    EXPECT_EQ(Counted::live, 8);
    copy = OrvList<Counted>();
    EXPECT_EQ(Counted::live, 4);
    int at = -1;
    EXPECT_EQ(list.search(Counted(3), at), 1);
    EXPECT_EQ(at, 2);
    at = -1;
    EXPECT_EQ(list.search(Counted(2), at), 0);
    EXPECT_EQ(at, -1);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(OrvList, PointerListsPrintPointerValues) {
  // Pointees live on the stack: a list that deleted them would crash here.
  int a = 1, b = 2;
  OrvList<int*> list;
  list.insertAtBack(&a);
  list.insertAtBack(&b);
  std::ostringstream expected, got;
  expected << "{\n" << static_cast<void*>(&a) << "\n" << static_cast<void*>(&b) << "\n}\n";
  got << list;
  EXPECT_EQ(got.str(), expected.str());
  list.removeAll();
  EXPECT_EQ(a, 1);
}

TEST(OrvList, ContainAndEqualByContain) {
  OrvList<OrvString> list = makeList({"a", "B"});
  EXPECT_EQ(list.contain(OrvString("a")), 1);
  EXPECT_EQ(list.contain(OrvString("b")), 0);
  EXPECT_EQ(OrvList<OrvString>().contain(OrvString("")), 0);

  struct Case {
    std::vector<std::string> left, right;
    int equal;
  };
  const std::vector<Case> cases = {
      {{}, {}, 1},
      {{"a", "b"}, {"b", "a"}, 1},
      {{"a", "a", "b"}, {"a", "b", "b"}, 1},
      {{"a", "b"}, {"a"}, 0},
      {{"a"}, {"a", "b"}, 0},
      {{"a", "b", "c"}, {"a", "b"}, 0},
      {{"a", "b"}, {"a", "B"}, 0},
  };
  for (const Case& c : cases) {
    OrvList<OrvString> l = makeList(c.left), r = makeList(c.right);
    EXPECT_EQ(l.equalByContain(r), c.equal) << c.left.size() << " vs " << c.right.size();
  }
}

TEST(OrvList, StreamOutWritesOneElementPerLineWithoutIndent) {
  struct Case {
    std::vector<std::string> items;
    const char* expected;
  };
  const std::vector<Case> cases = {
      {{}, "{\n}\n"},
      {{"a", "b"}, "{\na\nb\n}\n"},
      {{""}, "{\n\n}\n"},
  };
  for (const Case& c : cases) {
    OrvList<OrvString> list = makeList(c.items);
    std::ostringstream viaOperator, indented;
    viaOperator << list;
    list.streamOut(indented, 8);
    EXPECT_EQ(viaOperator.str(), c.expected);
    EXPECT_EQ(indented.str(), c.expected);
  }
}

}  // namespace
