#include "common/pointer_ring.h"

#include <gtest/gtest.h>

#include <array>
#include <thread>
#include <vector>

namespace talvir {
namespace {

TEST(PointerRing, CapacityOneHoldsOneItemAndNoRingBelowIt) {
  auto ring = PointerRingCreate<int>(1);
  ASSERT_NE(ring, nullptr);
  int a = 1, b = 2;
  EXPECT_EQ(PointerRingPush(ring.get(), &a), &a);
  EXPECT_EQ(PointerRingPush(ring.get(), &b), nullptr);
  EXPECT_EQ(PointerRingPop(ring.get()), &a);
  EXPECT_EQ(PointerRingPop(ring.get()), nullptr);
  // Indices wrapped onto each other again: the ring is empty, not full.
  EXPECT_EQ(PointerRingPush(ring.get(), &b), &b);
  EXPECT_EQ(PointerRingPeek(ring.get()), &b);

  EXPECT_EQ(PointerRingCreate<int>(0), nullptr);
  EXPECT_EQ(PointerRingCreate<int>(-3), nullptr);
  PointerRing<int>* none = nullptr;
  EXPECT_EQ(PointerRingPush(none, &a), nullptr);
  EXPECT_EQ(PointerRingPop(none), nullptr);
  EXPECT_EQ(PointerRingPeek(none), nullptr);
}

TEST(PointerRing, KeepsInsertionOrderAcrossWrapsAndPeekRemovesNothing) {
  auto ring = PointerRingCreate<int>(5);
  std::array<int, 13> items{};
  EXPECT_EQ(ring->Peek(), nullptr);
  EXPECT_EQ(ring->Pop(), nullptr) << "peek on empty must leave it empty";
  // Fill and drain at shifting positions so every index is crossed twice.
  std::size_t next = 0, expected = 0;
  for (int round = 0; round < 4; ++round) {
    for (int i = 0; i < 3; ++i, ++next) ASSERT_EQ(ring->Push(&items[next % 13]), &items[next % 13]);
    for (int i = 0; i < 3; ++i, ++expected) {
      ASSERT_EQ(ring->Peek(), &items[expected % 13]);
      ASSERT_EQ(ring->Pop(), &items[expected % 13]);
    }
  }
  for (std::size_t i = 0; i < 5; ++i) ASSERT_NE(ring->Push(&items[i]), nullptr);
  EXPECT_EQ(ring->Push(&items[5]), nullptr) << "a full ring must refuse";
  for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(ring->Pop(), &items[i]);
  EXPECT_EQ(ring->Peek(), nullptr);
  EXPECT_EQ(ring->Push(&items[6]), &items[6]) << "push after draining";
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
