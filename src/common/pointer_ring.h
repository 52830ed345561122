#pragma once
// A fixed-capacity ring of pointers with its own lock, the hand-over between
// threads (capture callback to worker, worker to the DDE server). The ring
// never owns what its items point to. Its lock is held only inside its own
// operations, never while calling out, so rings take part in no lock order.

#include <memory>
#include <mutex>
#include <new>

namespace talvir {

template <typename T>
class PointerRing {
 public:
  // capacity >= 1.
  explicit PointerRing(int capacity)
      : items_(std::make_unique<T*[]>(static_cast<std::size_t>(capacity))),
        lastIndex_(capacity - 1) {}
  PointerRing(const PointerRing&) = delete;
  PointerRing& operator=(const PointerRing&) = delete;

  // Returns the item, or nullptr (and drops nothing) when the ring is full.
  T* Push(T* item) {
    std::lock_guard lock(lock_);
    if (writeIndex_ == readIndex_ && fillState_ == kFull) return nullptr;
    items_[static_cast<std::size_t>(writeIndex_)] = item;
    writeIndex_ = Next(writeIndex_);
    if (writeIndex_ == readIndex_) fillState_ = kFull;
    return item;
  }

  // The oldest item, removed; nullptr when empty.
  T* Pop() {
    std::lock_guard lock(lock_);
    if (readIndex_ == writeIndex_ && fillState_ == kEmpty) return nullptr;
    T* item = items_[static_cast<std::size_t>(readIndex_)];
    readIndex_ = Next(readIndex_);
    if (readIndex_ == writeIndex_) fillState_ = kEmpty;
    return item;
  }

  // The oldest item, left in place; nullptr when empty.
  T* Peek() {
    std::lock_guard lock(lock_);
    if (readIndex_ == writeIndex_ && fillState_ == kEmpty) return nullptr;
    return items_[static_cast<std::size_t>(readIndex_)];
  }

 private:
  // Equal indices are ambiguous; the fill state says which it is.
  static constexpr int kFull = 2;
  static constexpr int kEmpty = 3;

  int Next(int index) const { return index + 1 > lastIndex_ ? 0 : index + 1; }

  std::mutex lock_;
  std::unique_ptr<T*[]> items_;
  const int lastIndex_;
  int writeIndex_ = 0;
  int readIndex_ = 0;
  int fillState_ = kEmpty;
};

// nullptr for a capacity below 1 or when memory is short.
template <typename T>
std::unique_ptr<PointerRing<T>> PointerRingCreate(int capacity) {
  if (capacity < 1) return nullptr;
  try {
    return std::make_unique<PointerRing<T>>(capacity);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

// Every operation on a null ring returns nullptr and does nothing.
template <typename T>
T* PointerRingPush(PointerRing<T>* ring, T* item) {
  return ring != nullptr ? ring->Push(item) : nullptr;
}

template <typename T>
T* PointerRingPop(PointerRing<T>* ring) {
  return ring != nullptr ? ring->Pop() : nullptr;
}

template <typename T>
T* PointerRingPeek(PointerRing<T>* ring) {
  return ring != nullptr ? ring->Peek() : nullptr;
}

}  // namespace talvir
