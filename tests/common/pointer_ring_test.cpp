#include "common/pointer_ring.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

namespace talvir {
namespace {

TEST(PointerRing, CapacityOneHoldsExactlyOneItem) {
  auto ring = PointerRingCreate<int>(1);
  ASSERT_NE(ring, nullptr);
  int a = 1, b = 2;
  EXPECT_EQ(PointerRingPush(ring.get(), &a), &a);
  EXPECT_EQ(PointerRingPush(ring.get(), &b), nullptr);
  EXPECT_EQ(PointerRingPop(ring.get()), &a);
  EXPECT_EQ(PointerRingPop(ring.get()), nullptr);
  // Indices wrapped onto each other again: the ring is empty, not full.
  EXPECT_EQ(PointerRingPush(ring.get(), &b), &b);
  EXPECT_EQ(PointerRingPop(ring.get()), &b);
}

TEST(PointerRing, KeepsInsertionOrderAcrossWraps) {
  auto ring = PointerRingCreate<int>(5);
  std::array<int, 13> items{};
  // Fill and drain at shifting positions so every index is crossed twice.
  std::size_t next = 0, expected = 0;
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 3; ++i, ++next) ASSERT_EQ(ring->Push(&items[next % 13]), &items[next % 13]);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(ring->Pop(), &items[expected++ % 13]);
  }
  for (int i = 0; i < 5; ++i) ASSERT_NE(ring->Push(&items[static_cast<std::size_t>(i)]), nullptr);
  EXPECT_EQ(ring->Push(&items[5]), nullptr) << "a full ring must refuse";
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ring->Pop(), &items[static_cast<std::size_t>(i)]);
  EXPECT_EQ(ring->Pop(), nullptr);
  EXPECT_EQ(ring->Push(&items[6]), &items[6]) << "push after draining";
}

TEST(PointerRing, PeekShowsTheNextPopWithoutRemovingIt) {
  auto ring = PointerRingCreate<int>(3);
  EXPECT_EQ(ring->Peek(), nullptr);
  EXPECT_EQ(ring->Pop(), nullptr) << "peek on empty must leave it empty";
  int a = 1, b = 2;
  ring->Push(&a);
  ring->Push(&b);
  for (int* next : {&a, &b}) {
    EXPECT_EQ(PointerRingPeek(ring.get()), next);
    EXPECT_EQ(ring->Peek(), next) << "a peek removes nothing";
    EXPECT_EQ(ring->Pop(), next);
  }
  EXPECT_EQ(ring->Peek(), nullptr);
}

TEST(PointerRing, NoRingBelowCapacityOneAndANullRingDoesNothing) {
  EXPECT_EQ(PointerRingCreate<int>(0), nullptr);
  EXPECT_EQ(PointerRingCreate<int>(-3), nullptr);
  int a = 1;
  PointerRing<int>* none = nullptr;
  EXPECT_EQ(PointerRingPush(none, &a), nullptr);
  EXPECT_EQ(PointerRingPop(none), nullptr);
  EXPECT_EQ(PointerRingPeek(none), nullptr);
}

TEST(PointerRing, HandsEveryItemAcrossThreadsOnceInOrder) {
  auto ring = PointerRingCreate<int>(4);
  constexpr int kCount = 20000;
  std::vector<int> items(kCount);
  std::thread producer([&] {
    for (int i = 0; i < kCount; ++i) {
      while (ring->Push(&items[static_cast<std::size_t>(i)]) == nullptr) std::this_thread::yield();
    }
  });
  for (int i = 0; i < kCount; ++i) {
    int* item;
    while ((item = ring->Pop()) == nullptr) std::this_thread::yield();
    ASSERT_EQ(item, &items[static_cast<std::size_t>(i)]);
  }
  producer.join();
  EXPECT_EQ(ring->Pop(), nullptr);
}

}  // namespace
}  // namespace talvir
