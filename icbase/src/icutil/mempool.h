// The library's memory scheme: a bump allocator over one zero-filled block
// (MemArena_C), fixed-size item pools with a free list (BlockPool_C), and a
// doubly linked list of pointers whose nodes come from its own pool
// (PtrList_C). Memory goes back to the system only when the owner is destroyed.
//
// None of these types locks; each instance is used by one thread at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>

#include "icbase/src/icutil/utils.h"

// Every size handed out is rounded up to this, so that pooled records may
// hold pointers and doubles.
constexpr uint32_t kMemAlign = 8;

// n rounded up to kMemAlign; false (and *out 0) when that overflows 32 bits.
bool MemRoundUp(uint32_t n, uint32_t* out);

// Objects of the library's own types made with MemAlloc / given back with
// MemFree, so that allocation failure shows as null rather than an exception.
template <typename T, typename... Args>
T* MemNew(Args&&... args) {
  void* p = MemAlloc(sizeof(T), false);
  return p ? new (p) T(std::forward<Args>(args)...) : nullptr;
}
template <typename T>
void MemDelete(T* p) {
  if (!p) return;
  p->~T();
  MemFree(p);
}

class MemArena_C {
 public:
  // A zero-filled block of `size` bytes. When the block cannot be made the
  // arena is empty: Alloc gives null, HasBlock false.
  explicit MemArena_C(uint32_t size);
  ~MemArena_C();
  MemArena_C(const MemArena_C&) = delete;
  MemArena_C& operator=(const MemArena_C&) = delete;

  // n rounded up to kMemAlign, taken from the block; null when it does not
  // fit (nothing changes). Memory handed out is zero.
  void* Alloc(uint32_t n);
  // Single allocations are not given back; memory returns with the arena.
  void Release(void*) {}
  bool Owns(const void* p) const;
  bool HasBlock() const { return block != nullptr; }

  uint32_t GetSize() const { return size; }
  uint32_t GetRemaining() const { return remaining; }
  uint8_t* GetBlock() const { return block; }
  // Owners chain their arenas through this link; the arena never follows it.
  MemArena_C* GetNext() const { return next; }
  void SetNext(MemArena_C* arena) { next = arena; }

 private:
  uint32_t size;
  uint32_t remaining;
  uint8_t* block;
  uint8_t* cursor;
  MemArena_C* next;
};

class BlockPool_C {
 public:
  // itemSize is rounded up to kMemAlign (at least one pointer);
  // itemsPerBlock = (requested / 64 + 1) * 64. The first block is made at once.
  BlockPool_C(uint32_t itemSize, uint32_t itemsPerBlock);
  ~BlockPool_C();
  BlockPool_C(const BlockPool_C&) = delete;
  BlockPool_C& operator=(const BlockPool_C&) = delete;

  // An all-zero item, or null when no block can be made.
  void* Alloc();
  // Zero-fills the item and puts it first on the free list (last freed,
  // first reused). Null is ignored.
  void Free(void* item);

  uint32_t GetItemSize() const { return itemSize; }
  uint32_t GetItemsPerBlock() const { return itemsPerBlock; }
  uint32_t GetBlockBytes() const { return blockBytes; }

 private:
  bool AddBlock();

  uint32_t blockBytes;
  uint32_t itemSize;
  uint32_t itemsPerBlock;
  MemArena_C* arenas;
  void* freeList;
};

struct PtrListNode_C {
  void* value;
  PtrListNode_C* prev;
  PtrListNode_C* next;
};

// A list of pointer values (integers are stored as pointer-sized values).
// The list owns its nodes, never what the values point to.
class PtrList_C {
 public:
  PtrList_C() = default;
  ~PtrList_C() { RemoveAll(); }
  PtrList_C(const PtrList_C&) = delete;
  PtrList_C& operator=(const PtrList_C&) = delete;

  // The new node, or null (list unchanged) when no node can be had.
  PtrListNode_C* AddHead(void* value);
  PtrListNode_C* AddTail(void* value);
  // The head's value, or null when the list is empty. A stored null value
  // looks the same: test IsEmpty first where null can be stored.
  void* RemoveHead();
  // Iteration: start with pos = GetHeadPosition(); each call returns the
  // node's value and moves pos on; null (pos unchanged) once pos is null.
  PtrListNode_C* GetHeadPosition() const { return head; }
  PtrListNode_C* GetTailPosition() const { return tail; }
  static void* GetNext(PtrListNode_C*& pos);
  bool IsEmpty() const { return count == 0; }
  uint32_t GetCount() const { return count; }
  // Drops every node at once (the pool goes) and leaves the list empty.
  void RemoveAll();

 private:
  PtrListNode_C* TakeNode(void* value);

  PtrListNode_C* head = nullptr;
  PtrListNode_C* tail = nullptr;
  uint32_t count = 0;
  BlockPool_C* pool = nullptr;
};
