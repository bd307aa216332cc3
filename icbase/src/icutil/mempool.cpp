#include "icbase/src/icutil/mempool.h"

#include <cstring>

bool MemRoundUp(uint32_t n, uint32_t* out) {
  uint64_t r = (uint64_t(n) + (kMemAlign - 1)) & ~uint64_t(kMemAlign - 1);
  if (r > UINT32_MAX) {
    *out = 0;
    return false;
  }
  *out = static_cast<uint32_t>(r);
  return true;
}

// ---------------------------------------------------------------------------
// MemArena_C

MemArena_C::MemArena_C(uint32_t size_) : size(0), remaining(0), block(nullptr), cursor(nullptr), next(nullptr) {
  block = static_cast<uint8_t*>(MemAlloc(size_, true));
  if (block) {
    size = remaining = size_;
    cursor = block;
  }
}

MemArena_C::~MemArena_C() {
  if (block) MemFree(block);
}

void* MemArena_C::Alloc(uint32_t n) {
  uint32_t rounded;
  if (!block || n == 0 || !MemRoundUp(n, &rounded) || rounded > remaining) return nullptr;
  void* p = cursor;
  cursor += rounded;
  remaining -= rounded;
  return p;
}

bool MemArena_C::Owns(const void* p) const {
  if (!block || !p) return false;
  auto a = reinterpret_cast<uintptr_t>(p);
  auto b = reinterpret_cast<uintptr_t>(block);
  return a >= b && a < b + size;
}

// ---------------------------------------------------------------------------
// BlockPool_C

BlockPool_C::BlockPool_C(uint32_t itemSize_, uint32_t itemsPerBlock_)
    : blockBytes(0), itemSize(0), itemsPerBlock(0), arenas(nullptr), freeList(nullptr) {
  uint32_t rounded;
  if (itemSize_ < sizeof(void*)) itemSize_ = sizeof(void*);
  itemsPerBlock = ((itemsPerBlock_ >> 6) + 1) * 64;  // never 0; 64 gives 128
  if (!MemRoundUp(itemSize_, &rounded)) return;      // unusable pool: Alloc gives null
  itemSize = rounded;
  uint64_t bytes = uint64_t(itemSize) * itemsPerBlock;
  if (bytes > UINT32_MAX) return;
  blockBytes = static_cast<uint32_t>(bytes);
  AddBlock();
}

BlockPool_C::~BlockPool_C() {
  while (arenas) {
    MemArena_C* next = arenas->GetNext();
    MemDelete(arenas);
    arenas = next;
  }
}

bool BlockPool_C::AddBlock() {
  if (blockBytes == 0) return false;
  MemArena_C* arena = MemNew<MemArena_C>(blockBytes);
  if (!arena) return false;
  if (!arena->HasBlock()) {
    MemDelete(arena);
    return false;
  }
  // Carve the block into items linked in address order; the last link is null.
  void* first = nullptr;
  void** prevLink = &first;
  while (void* item = arena->Alloc(itemSize)) {
    *prevLink = item;
    prevLink = static_cast<void**>(item);
  }
  *prevLink = nullptr;
  freeList = first;
  arena->SetNext(arenas);
  arenas = arena;
  return true;
}

void* BlockPool_C::Alloc() {
  if (!freeList && !AddBlock()) return nullptr;
  if (!freeList) return nullptr;
  void* item = freeList;
  freeList = *static_cast<void**>(item);
  *static_cast<void**>(item) = nullptr;
  return item;
}

void BlockPool_C::Free(void* item) {
  if (!item) return;
  std::memset(item, 0, itemSize);
  *static_cast<void**>(item) = freeList;
  freeList = item;
}

// ---------------------------------------------------------------------------
// PtrList_C

PtrListNode_C* PtrList_C::TakeNode(void* value) {
  if (!pool) {
    pool = MemNew<BlockPool_C>(uint32_t(sizeof(PtrListNode_C)), 64u);
    if (!pool) return nullptr;
  }
  auto* node = static_cast<PtrListNode_C*>(pool->Alloc());
  if (node) node->value = value;
  return node;
}

PtrListNode_C* PtrList_C::AddHead(void* value) {
  PtrListNode_C* node = TakeNode(value);
  if (!node) return nullptr;
  node->prev = nullptr;
  node->next = head;
  if (head)
    head->prev = node;
  else
    tail = node;
  head = node;
  ++count;
  return node;
}

PtrListNode_C* PtrList_C::AddTail(void* value) {
  PtrListNode_C* node = TakeNode(value);
  if (!node) return nullptr;
  node->next = nullptr;
  node->prev = tail;
  if (tail)
    tail->next = node;
  else
    head = node;
  tail = node;
  ++count;
  return node;
}

void* PtrList_C::RemoveHead() {
  if (count == 0 || !head) return nullptr;
  PtrListNode_C* node = head;
  void* value = node->value;
  head = node->next;
  if (head)
    head->prev = nullptr;
  else
    tail = nullptr;
  --count;
  pool->Free(node);
  return value;
}

void* PtrList_C::GetNext(PtrListNode_C*& pos) {
  if (!pos) return nullptr;
  void* value = pos->value;
  pos = pos->next;
  return value;
}

void PtrList_C::RemoveAll() {
  MemDelete(pool);
  pool = nullptr;
  head = tail = nullptr;
  count = 0;
}
