// An intrusive chained hash table driven by callbacks (HashTable_C), and the
// pool of interned wide strings built on it (StrPool_C): every distinct text
// is stored once, so that two interned pointers are equal exactly when their
// texts are equal.
//
// Neither type locks; each instance is used by one thread at a time.
#pragma once

#include <cstdint>

#include "icbase/src/icutil/mempool.h"

class HashTable_C {
 public:
  typedef uint32_t (*HashOfItemFn)(const void* item);
  typedef uint32_t (*HashOfKeyFn)(const void* key);
  typedef bool (*EqualsFn)(const void* item, const void* key);
  typedef void* (*GetNextFn)(const void* item);
  typedef void (*SetNextFn)(void* item, void* next);

  // bucketCount of 0 is taken as 1. When the bucket array cannot be made,
  // IsUsable is false and Insert fails.
  HashTable_C(HashOfItemFn hashOfItem, HashOfKeyFn hashOfKey, EqualsFn equals, GetNextFn getNext, SetNextFn setNext,
              uint32_t bucketCount, uint8_t flag);
  ~HashTable_C();
  HashTable_C(const HashTable_C&) = delete;
  HashTable_C& operator=(const HashTable_C&) = delete;

  // Puts the item at the front of its chain (its link is always set); when
  // the table holds 4 items per bucket it first doubles the buckets (when
  // that allocation fails the old array stays). False only when the table
  // has no bucket array.
  bool Insert(void* item);
  // The first item of the key's chain for which `equals` holds, or null;
  // with `unlink` the item is taken out of its chain.
  void* Find(const void* key, bool unlink);
  // Unlinks the item (found by identity); true when it was in the table.
  bool Remove(void* item);

  bool IsUsable() const { return buckets != nullptr; }
  uint32_t GetBucketCount() const { return bucketCount; }
  uint32_t GetItemCount() const { return itemCount; }
  uint8_t GetFlag() const { return flag; }

 private:
  void Rehash();

  uint8_t flag;
  uint32_t bucketCount;
  uint32_t growAt;
  uint32_t itemCount;
  void** buckets;
  HashOfItemFn hashOfItem;
  HashOfKeyFn hashOfKey;
  EqualsFn equals;
  GetNextFn getNext;
  SetNextFn setNext;
};

struct StrPoolNode_C;
struct StrPoolBigNode_C;

class StrPool_C {
 public:
  // firstBlockSize: bytes of the first arena block. Later blocks start at
  // 4096 bytes and double up to 64 MiB (a block is never smaller than the
  // text it is made for), so a pool of N texts holds O(log N) blocks and an
  // intern costs the same whatever the pool holds. Nodes are taken from the
  // newest block only.
  explicit StrPool_C(uint32_t firstBlockSize);
  ~StrPool_C();
  StrPool_C(const StrPool_C&) = delete;
  StrPool_C& operator=(const StrPool_C&) = delete;

  // The pooled copy of the text. Null and empty texts give the shared empty
  // literal; a text already in the pool is returned as it is. Texts too big
  // for a block get a heap copy of their own, which is pooled (shared) all the
  // same. A text is too big for the blocks when its node is larger than the
  // first block while that is the only one, or than 4096 bytes after. Null
  // when memory runs out.
  const char16_t* Intern(const char16_t* text);
  // True for the shared empty literal and for texts inside the pool's blocks.
  bool Contains(const char16_t* p) const;

  // h = c + 9 * h over the UTF-16 units, in unsigned 32-bit arithmetic.
  static uint32_t HashString(const char16_t* text);
  // The shared empty literal returned for null and empty texts.
  static const char16_t* EmptyText();

  uint32_t GetBlockBytes() const { return blockBytes; }
  uint32_t GetUsedBytes() const { return usedBytes; }
  // Bytes a pooled node of n units takes (header, units and terminator, before rounding).
  static uint32_t NodeBytes(uint32_t n);

 private:
  StrPoolNode_C* AllocNode(uint32_t n);
  bool AddBlock(uint32_t nodeBytes);
  // The largest node that goes into a block rather than a heap copy.
  uint32_t LargestPooledNode() const;

  uint32_t blockBytes;
  uint32_t usedBytes;
  HashTable_C table;
  MemArena_C* blocks;
  StrPoolBigNode_C* bigNodes;
  // Size of the next block added after the first.
  uint32_t nextBlockBytes;
};
