// OrvList<T>: doubly linked list of element copies, addressed by 0-based
// position; the collection type of both programs.
//
// The list owns its nodes and the copies in them (for pointer element types,
// only the pointer values, never the objects pointed to).  Operations that
// can fail return 1 for success and 0 for failure and change nothing on
// failure.  operator[] walks from the head and performs no range check:
// callers bound their loops by numObjects().
//
// Typical loop:
//   for (int i = 0; i < list.numObjects(); ++i) use(list[i]->data());
//
// contain/search/equalByContain need T::operator==; printing uses
// operator<<(ostream&, const T&) when T has one (elements of a type that
// cannot be printed are skipped, the braces are still written).
//
// The list remembers its last node and the node operator[] handed out last,
// so appending and the typical loop above cost O(1) a step rather than a
// walk from the head; any insertion or removal forgets the remembered node.

#ifndef FOUNDATION_ORV_LIST_H_
#define FOUNDATION_ORV_LIST_H_

#include <ostream>
#include <type_traits>
#include <utility>

template <class T>
class OrvList;

template <class T>
class OrvListNode {
 public:
  explicit OrvListNode(const T& item) : data_(item) {}
  template <class... Args>
  explicit OrvListNode(std::in_place_t, Args&&... args) : data_(std::forward<Args>(args)...) {}
  virtual ~OrvListNode() {}

  T& data() { return data_; }
  const T& data() const { return data_; }
  OrvListNode* next() const { return next_; }
  OrvListNode* prev() const { return prev_; }

 private:
  friend class OrvList<T>;
  OrvListNode(const OrvListNode&) = delete;
  OrvListNode& operator=(const OrvListNode&) = delete;

  T data_;
  OrvListNode* prev_ = nullptr;  // not kept for the head node
  OrvListNode* next_ = nullptr;  // null for the last node
};

namespace orv_list_detail {
template <class T, class = void>
struct Printable : std::false_type {};
template <class T>
struct Printable<T, decltype(void(std::declval<std::ostream&>() << std::declval<T&>()))>
    : std::true_type {};
}  // namespace orv_list_detail

template <class T>
class OrvList {
 public:
  OrvList() {}
  OrvList(const OrvList& other) { appendAll(other); }
  OrvList& operator=(const OrvList& other) {
    if (this == &other) return *this;
    removeAll();
    appendAll(other);
    return *this;
  }
  virtual ~OrvList() { removeAll(); }

  int numObjects() const { return count_; }
  bool isEmpty() const { return count_ == 0; }

  // Makes a copy of item position index (0..count; count appends).
  int insertAt(int index, const T& item) {
    if (index < 0 || index > count_) return 0;
    OrvListNode<T>* node = newNode(item);
    if (index == 0) {
      node->next_ = head_;
      if (head_ != nullptr) head_->prev_ = node;
      head_ = node;
      if (tail_ == nullptr) tail_ = node;
    } else {
      OrvListNode<T>* before = nodeAt(index - 1);
      node->next_ = before->next_;
      node->prev_ = before;
      if (before->next_ != nullptr) before->next_->prev_ = node;
      before->next_ = node;
      if (before == tail_) tail_ = node;
    }
    ++count_;
    forgetCursor();
    return 1;
  }
  int insertAtBack(const T& item) { return insertAt(count_, item); }
  // Appends an element built in place from args; returns it.
  template <class... Args>
  T& emplaceBack(Args&&... args) {
    OrvListNode<T>* node = new OrvListNode<T>(std::in_place, std::forward<Args>(args)...);
    if (tail_ == nullptr) {
      head_ = node;
    } else {
      node->prev_ = tail_;
      tail_->next_ = node;
    }
    tail_ = node;
    ++count_;
    forgetCursor();
    return node->data_;
  }
  // index := position of the new element.
  int insertAtBack(const T& item, int& index) {
    index = count_;
    return insertAtBack(item);
  }

  int removeFrom(int index) {
    if (index < 0 || index >= count_) return 0;
    OrvListNode<T>* node;
    OrvListNode<T>* before = nullptr;
    if (index == 0) {
      node = head_;
      head_ = node->next_;
      if (head_ != nullptr) head_->prev_ = nullptr;
    } else {
      before = nodeAt(index - 1);
      node = before->next_;
      before->next_ = node->next_;
      if (node->next_ != nullptr) node->next_->prev_ = before;
    }
    if (node == tail_) tail_ = before;
    --count_;
    forgetCursor();
    delete node;
    return 1;
  }
  int removeFromFront() { return removeFrom(0); }
  void removeAll() {
    while (!isEmpty()) removeFromFront();
  }

  // Node at index; index must lie in 0..numObjects()-1.
  OrvListNode<T>* operator[](int index) const { return nodeAt(index); }

  OrvListNode<T>* newNode(const T& item) { return new OrvListNode<T>(item); }

  // 1 when some element == item.  (A template so that element types whose
  // operator== takes a non-const reference work as well.)
  template <class U>
  int contain(U&& item) const {
    for (OrvListNode<T>* n = head_; n != nullptr; n = n->next_)
      if (n->data_ == item) return 1;
    return 0;
  }
  // 1 when both have the same count and every element of other is contained
  // here (order and duplicates do not matter).
  int equalByContain(const OrvList<T>& other) const {
    if (count_ != other.count_) return 0;
    for (OrvListNode<T>* n = other.head_; n != nullptr; n = n->next_)
      if (!contain(n->data_)) return 0;
    return 1;
  }
  // First element equal to item: index := its position, 1; else 0.
  template <class U>
  int search(U&& item, int& index) const {
    int i = 0;
    for (OrvListNode<T>* n = head_; n != nullptr; n = n->next_, ++i) {
      if (n->data_ == item) {
        index = i;
        return 1;
      }
    }
    return 0;
  }

  // "{\n", each element and an end of line, "}\n"; indent is ignored.
  virtual void streamOut(std::ostream& os, int indent) const {
    (void)indent;
    os << "{" << std::endl;
    for (OrvListNode<T>* n = head_; n != nullptr; n = n->next_) {
      if constexpr (orv_list_detail::Printable<T>::value) {
        os << n->data_ << std::endl;
      }
    }
    os << "}" << std::endl;
  }

 private:
  OrvListNode<T>* nodeAt(int index) const {
    if (index == count_ - 1) return tail_;
    OrvListNode<T>* n = head_;
    int i = 0;
    if (cursor_ != nullptr && cursorIndex_ <= index) {
      n = cursor_;
      i = cursorIndex_;
    }
    for (; i < index && n != nullptr; ++i) n = n->next_;
    if (n != nullptr) {
      cursor_ = n;
      cursorIndex_ = index;
    }
    return n;
  }
  void forgetCursor() {
    cursor_ = nullptr;
    cursorIndex_ = 0;
  }
  void appendAll(const OrvList& other) {
    for (OrvListNode<T>* n = other.head_; n != nullptr; n = n->next_) insertAtBack(n->data_);
  }

  int count_ = 0;
  OrvListNode<T>* head_ = nullptr;
  OrvListNode<T>* tail_ = nullptr;
  mutable OrvListNode<T>* cursor_ = nullptr;  // the node at cursorIndex_
  mutable int cursorIndex_ = 0;
};

template <class T>
std::ostream& operator<<(std::ostream& os, const OrvList<T>& list) {
  list.streamOut(os, 0);
  return os;
}

#endif  // FOUNDATION_ORV_LIST_H_
