// A singly linked first-in-first-out list of one item type.
//
// Each instance names its own STACK_EMPTY identity and the place where it
// is instantiated, a unit and a number of that unit's places; the message of
// an empty Pop or Top is the template's place followed by that instantiation
// place. The list owns its nodes and the items in them.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "platform/exceptions.h"

namespace fifo {

// Where an empty list is refused: the number that follows "fifo" in the
// message, "fifo:31 instantiated at sequence_alignment-utils:41". These
// numbers are part of the printed messages and never change, whatever
// becomes of the source.
enum class Place : int { pop = 31, top_copy = 45, top = 53 };

template <class Item, const platform::Exception_Id& Stack_Empty, const char* Unit, int Instantiated_At>
class Queue {
  struct Node {
    Node* Next;
    Item item;
  };

 public:
  static constexpr const platform::Exception_Id& STACK_EMPTY = Stack_Empty;

  Queue() noexcept = default;
  Queue(const Queue&) = delete;
  Queue& operator=(const Queue&) = delete;
  Queue(Queue&& other) noexcept
      : head_(std::exchange(other.head_, nullptr)),
        tail_(std::exchange(other.tail_, nullptr)),
        count_(std::exchange(other.count_, 0)) {}
  Queue& operator=(Queue&& other) noexcept {
    if (this != &other) {
      Clear();
      head_ = std::exchange(other.head_, nullptr);
      tail_ = std::exchange(other.tail_, nullptr);
      count_ = std::exchange(other.count_, 0);
    }
    return *this;
  }
  ~Queue() { Clear(); }

  void Push(Item item) {
    Node* node = new Node{nullptr, std::move(item)};
    if (tail_) {
      tail_->Next = node;
    } else {
      head_ = node;
    }
    tail_ = node;
    ++count_;
  }

  Item Pop() {
    if (!head_) refuse(Place::pop);
    Node* node = head_;
    head_ = node->Next;
    if (node == tail_) tail_ = nullptr;
    --count_;
    Item item = std::move(node->item);
    delete node;
    return item;
  }

  // The head item, the list unchanged.
  const Item& Top() const {
    if (!head_) refuse(Place::top);
    return head_->item;
  }
  void Top(Item& item) const {
    if (!head_) refuse(Place::top_copy);
    item = head_->item;
  }

  bool Is_Empty() const noexcept { return head_ == nullptr; }
  bool Is_Not_Empty() const noexcept { return head_ != nullptr; }
  std::int32_t Count() const noexcept { return count_; }
  // The number of nodes, counted from the head.
  std::int32_t Size() const noexcept {
    std::int32_t size = 0;
    for (const Node* node = head_; node; node = node->Next) ++size;
    return size;
  }

  // Releases every node with its item.
  void Clear() noexcept {
    while (head_) {
      Node* next = head_->Next;
      delete head_;
      head_ = next;
    }
    tail_ = nullptr;
    count_ = 0;
  }

  class const_iterator {
   public:
    explicit const_iterator(const Node* node) noexcept : node_(node) {}
    const Item& operator*() const noexcept { return node_->item; }
    const Item* operator->() const noexcept { return &node_->item; }
    const_iterator& operator++() noexcept {
      node_ = node_->Next;
      return *this;
    }
    bool operator==(const const_iterator& other) const noexcept { return node_ == other.node_; }

   private:
    const Node* node_;
  };
  const_iterator begin() const noexcept { return const_iterator(head_); }
  const_iterator end() const noexcept { return const_iterator(nullptr); }

 private:
  [[noreturn]] static void refuse(Place place) {
    platform::raise(Stack_Empty, platform::place("fifo", int(place)) + " instantiated at " +
                                     platform::place(Unit, Instantiated_At));
  }

  Node* head_ = nullptr;
  Node* tail_ = nullptr;
  std::int32_t count_ = 0;
};

}  // namespace fifo
