#include "icbase/src/icutil/mempool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "tests/icutil/fail_hook.h"

namespace {

bool AllZero(const void* p, size_t n) {
  auto* b = static_cast<const uint8_t*>(p);
  for (size_t i = 0; i < n; ++i)
    if (b[i]) return false;
  return true;
}

void* V(uintptr_t n) { return reinterpret_cast<void*>(n); }

}  // namespace

TEST(MemArena, BumpsInAlignedStepsAndRefusesWhatDoesNotFit) {
  MemArena_C arena(16);
  auto* start = static_cast<uint8_t*>(arena.Alloc(5));
  ASSERT_NE(start, nullptr);
  EXPECT_EQ(start, arena.GetBlock());
  EXPECT_TRUE(AllZero(start, 8));
  EXPECT_EQ(arena.Alloc(5), start + 8);
  EXPECT_EQ(arena.GetRemaining(), 0u);
  EXPECT_EQ(arena.Alloc(5), nullptr);
  EXPECT_EQ(arena.GetRemaining(), 0u);
  EXPECT_TRUE(arena.Owns(start + 15));
  EXPECT_FALSE(arena.Owns(start + 16));
  EXPECT_FALSE(arena.Owns(nullptr));
}

TEST(MemArena, KeepsPointersAndDoublesAligned) {
  MemArena_C arena(64);
  arena.Alloc(1);
  void* p = arena.Alloc(sizeof(double));
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(double), 0u);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(void*), 0u);
}

TEST(MemArena, RoundingNearTheTopOfTheRangeFailsInsteadOfWrapping) {
  uint32_t out = 1;
  EXPECT_FALSE(MemRoundUp(UINT32_MAX - 2, &out));
  EXPECT_EQ(out, 0u);
  MemArena_C arena(32);
  EXPECT_EQ(arena.Alloc(UINT32_MAX - 2), nullptr);
  EXPECT_EQ(arena.GetRemaining(), 32u);
  EXPECT_TRUE(MemRoundUp(9, &out));
  EXPECT_EQ(out, 16u);
}

TEST(MemArena, BlockThatCannotBeMadeGivesAnEmptyArena) {
  FailAllocs fail;
  MemArena_C arena(128);
  EXPECT_FALSE(arena.HasBlock());
  EXPECT_EQ(arena.Alloc(8), nullptr);
}

TEST(BlockPool, SizesItemsAndBlocks) {
  BlockPool_C a(12, 64);
  EXPECT_EQ(a.GetItemSize(), 16u);
  EXPECT_EQ(a.GetItemsPerBlock(), 128u);
  EXPECT_EQ(a.GetBlockBytes(), 16u * 128u);
  BlockPool_C b(1, 0);
  EXPECT_EQ(b.GetItemSize(), sizeof(void*));  // an item holds at least the free-list link
  EXPECT_EQ(b.GetItemsPerBlock(), 64u);
  BlockPool_C c(24, 100);
  EXPECT_EQ(c.GetItemsPerBlock(), 128u);
  EXPECT_EQ(c.GetItemSize(), 24u);
}

TEST(BlockPool, HandsOutZeroedItemsInAddressOrderAndReusesLastFreedFirst) {
  BlockPool_C pool(24, 0);
  auto* a = static_cast<uint8_t*>(pool.Alloc());
  auto* b = static_cast<uint8_t*>(pool.Alloc());
  ASSERT_TRUE(a && b);
  EXPECT_EQ(b, a + 24);
  EXPECT_TRUE(AllZero(a, 24));
  std::memset(a, 0xAB, 24);
  std::memset(b, 0xCD, 24);
  pool.Free(a);
  pool.Free(b);
  EXPECT_EQ(pool.Alloc(), b);
  EXPECT_TRUE(AllZero(b, 24));
  EXPECT_EQ(pool.Alloc(), a);
  EXPECT_TRUE(AllZero(a, 24));
}

TEST(BlockPool, GrowsBlockByBlockWithDistinctItems) {
  BlockPool_C pool(8, 0);  // 64 per block
  std::set<void*> seen;
  for (int i = 0; i < 300; ++i) {
    void* p = pool.Alloc();
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(seen.insert(p).second);
    std::memset(p, 0xFF, 8);
  }
}

TEST(BlockPool, ReportsAllocationFailureAndRecovers) {
  FailAllocs* fail = new FailAllocs(0);
  BlockPool_C pool(16, 0);  // first block cannot be made
  EXPECT_EQ(pool.Alloc(), nullptr);
  delete fail;
  EXPECT_NE(pool.Alloc(), nullptr);
}

TEST(BlockPool, ImpossibleSizesGiveNullNotATinyBlock) {
  BlockPool_C huge(UINT32_MAX - 1, 0);
  EXPECT_EQ(huge.Alloc(), nullptr);
  BlockPool_C wide(1u << 27, 64);  // 2^27 * 128 overflows 32 bits
  EXPECT_EQ(wide.Alloc(), nullptr);
}

TEST(PtrList, AddsAtBothEndsAndIteratesInOrder) {
  PtrList_C list;
  list.AddTail(V(2));
  list.AddTail(V(3));
  list.AddHead(V(1));
  EXPECT_EQ(list.GetCount(), 3u);
  std::vector<uintptr_t> got;
  PtrListNode_C* pos = list.GetHeadPosition();
  while (pos) got.push_back(reinterpret_cast<uintptr_t>(PtrList_C::GetNext(pos)));
  EXPECT_EQ(got, (std::vector<uintptr_t>{1, 2, 3}));
  EXPECT_EQ(PtrList_C::GetNext(pos), nullptr);  // past the end: nothing, pos stays null
  EXPECT_EQ(pos, nullptr);
  EXPECT_EQ(list.GetTailPosition()->value, V(3));
  EXPECT_EQ(list.GetTailPosition()->prev->value, V(2));
}

TEST(PtrList, RemoveHeadEmptiesTheListCleanly) {
  PtrList_C list;
  EXPECT_EQ(list.RemoveHead(), nullptr);
  EXPECT_TRUE(list.IsEmpty());
  list.AddTail(V(7));
  list.AddTail(nullptr);  // a stored null is told apart by IsEmpty
  EXPECT_EQ(list.RemoveHead(), V(7));
  EXPECT_FALSE(list.IsEmpty());
  EXPECT_EQ(list.RemoveHead(), nullptr);
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  EXPECT_EQ(list.GetTailPosition(), nullptr);
  // The list is usable again after it ran empty.
  list.AddHead(V(9));
  EXPECT_EQ(list.GetHeadPosition(), list.GetTailPosition());
}

TEST(PtrList, RemoveAllOnAnUnusedListAndReuseAfterwards) {
  PtrList_C list;
  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty());
  for (uintptr_t i = 1; i <= 1000; ++i) ASSERT_NE(list.AddTail(V(i)), nullptr);
  EXPECT_EQ(list.GetCount(), 1000u);
  list.RemoveAll();
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetHeadPosition(), nullptr);
  list.AddTail(V(5));
  EXPECT_EQ(list.RemoveHead(), V(5));
}

TEST(PtrList, FailedInsertionLeavesTheListUnchanged) {
  PtrList_C list;
  {
    FailAllocs fail;  // the node pool cannot be made
    EXPECT_EQ(list.AddTail(V(1)), nullptr);
    EXPECT_EQ(list.AddHead(V(1)), nullptr);
  }
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_EQ(list.GetHeadPosition(), nullptr);

  // Fill the first block, then let the second block fail.
  for (uintptr_t i = 1; i <= 128; ++i) ASSERT_NE(list.AddTail(V(i)), nullptr);
  {
    FailAllocs fail;
    EXPECT_EQ(list.AddTail(V(999)), nullptr);
    EXPECT_EQ(list.AddHead(V(999)), nullptr);
  }
  EXPECT_EQ(list.GetCount(), 128u);
  EXPECT_EQ(list.GetTailPosition()->value, V(128));
  EXPECT_EQ(list.GetHeadPosition()->value, V(1));
  EXPECT_NE(list.AddTail(V(129)), nullptr);
  EXPECT_EQ(list.GetCount(), 129u);
}
