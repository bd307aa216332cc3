#include "icbase/src/icutil/hashtable.h"

#include <cstring>

#include "platform/win32/wstr.h"

// ---------------------------------------------------------------------------
// HashTable_C

HashTable_C::HashTable_C(HashOfItemFn hashOfItem_, HashOfKeyFn hashOfKey_, EqualsFn equals_, GetNextFn getNext_,
                         SetNextFn setNext_, uint32_t bucketCount_, uint8_t flag_)
    : flag(flag_),
      bucketCount(bucketCount_ ? bucketCount_ : 1),
      growAt(0),
      itemCount(0),
      buckets(nullptr),
      hashOfItem(hashOfItem_),
      hashOfKey(hashOfKey_),
      equals(equals_),
      getNext(getNext_),
      setNext(setNext_) {
  growAt = bucketCount > UINT32_MAX / 4 ? UINT32_MAX : bucketCount * 4;
  buckets = static_cast<void**>(MemAlloc(sizeof(void*) * bucketCount, true));
}

HashTable_C::~HashTable_C() { MemFree(buckets); }

void HashTable_C::Rehash() {
  if (bucketCount > UINT32_MAX / 2) return;
  uint32_t newCount = bucketCount * 2;
  auto** fresh = static_cast<void**>(MemAlloc(sizeof(void*) * newCount, true));
  if (!fresh) return;  // keep the old array; the insertion goes on
  for (uint32_t b = 0; b < bucketCount; ++b) {
    void* item = buckets[b];
    while (item) {
      void* following = getNext(item);
      uint32_t nb = hashOfItem(item) % newCount;
      setNext(item, fresh[nb]);
      fresh[nb] = item;
      item = following;
    }
  }
  MemFree(buckets);
  buckets = fresh;
  bucketCount = newCount;
  growAt = newCount > UINT32_MAX / 4 ? UINT32_MAX : newCount * 4;
}

bool HashTable_C::Insert(void* item) {
  if (!buckets || !item) return false;
  if (itemCount >= growAt) Rehash();
  uint32_t b = hashOfItem(item) % bucketCount;
  setNext(item, buckets[b]);  // null for an empty bucket: no stale link survives
  buckets[b] = item;
  ++itemCount;
  return true;
}

void* HashTable_C::Find(const void* key, bool unlink) {
  if (!buckets) return nullptr;
  uint32_t b = hashOfKey(key) % bucketCount;
  void* prev = nullptr;
  for (void* item = buckets[b]; item; prev = item, item = getNext(item)) {
    if (!equals(item, key)) continue;
    if (unlink) {
      if (prev)
        setNext(prev, getNext(item));
      else
        buckets[b] = getNext(item);
      setNext(item, nullptr);
      --itemCount;
    }
    return item;
  }
  return nullptr;
}

bool HashTable_C::Remove(void* item) {
  if (!buckets || !item) return false;
  uint32_t b = hashOfItem(item) % bucketCount;
  void* prev = nullptr;
  for (void* cur = buckets[b]; cur; prev = cur, cur = getNext(cur)) {
    if (cur != item) continue;
    if (prev)
      setNext(prev, getNext(cur));
    else
      buckets[b] = getNext(cur);
    setNext(cur, nullptr);
    --itemCount;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// StrPool_C

// A pooled text: the header, then the units and a terminating 0. Big texts
// use the same layout in a heap node of their own, so the table holds both.
struct StrPoolNode_C {
  uint32_t hash;
  StrPoolNode_C* next;
  char16_t* Text() { return reinterpret_cast<char16_t*>(this + 1); }
};

struct StrPoolBigNode_C {
  StrPoolBigNode_C* nextBig;
  StrPoolNode_C node;  // the text follows
};

namespace {

const char16_t kEmptyText[1] = {0};
// The first block after the first, and the largest pooled node once it exists.
constexpr uint32_t kLaterBlockBytes = 4096;
// Doubling stops here: a pool of 1 GiB of texts still holds fewer than 32
// blocks, and a new block reserves at most this much it may not fill.
constexpr uint32_t kLargestBlockBytes = 64u << 20;
constexpr uint32_t kTableBuckets = 512;

uint32_t NodeHash(const void* item) { return static_cast<const StrPoolNode_C*>(item)->hash; }
uint32_t KeyHash(const void* key) { return StrPool_C::HashString(static_cast<const char16_t*>(key)); }
bool NodeEquals(const void* item, const void* key) {
  auto* node = const_cast<StrPoolNode_C*>(static_cast<const StrPoolNode_C*>(item));
  auto* text = static_cast<const char16_t*>(key);
  return node->hash == StrPool_C::HashString(text) && WStrCmp(node->Text(), text) == 0;
}
void* NodeNext(const void* item) { return static_cast<const StrPoolNode_C*>(item)->next; }
void NodeSetNext(void* item, void* next) {
  static_cast<StrPoolNode_C*>(item)->next = static_cast<StrPoolNode_C*>(next);
}

}  // namespace

StrPool_C::StrPool_C(uint32_t firstBlockSize)
    : blockBytes(0),
      usedBytes(0),
      table(NodeHash, KeyHash, NodeEquals, NodeNext, NodeSetNext, kTableBuckets, 1),
      blocks(nullptr),
      bigNodes(nullptr),
      nextBlockBytes(kLaterBlockBytes) {
  blocks = MemNew<MemArena_C>(firstBlockSize);
  if (blocks && !blocks->HasBlock()) {
    MemDelete(blocks);
    blocks = nullptr;
  }
  if (blocks) blockBytes += blocks->GetSize();
}

StrPool_C::~StrPool_C() {
  while (blocks) {
    MemArena_C* next = blocks->GetNext();
    MemDelete(blocks);
    blocks = next;
  }
  while (bigNodes) {
    StrPoolBigNode_C* next = bigNodes->nextBig;
    MemFree(bigNodes);
    bigNodes = next;
  }
}

const char16_t* StrPool_C::EmptyText() { return kEmptyText; }

uint32_t StrPool_C::HashString(const char16_t* text) {
  uint32_t h = 0;
  if (text)
    for (; *text; ++text) h = uint32_t(*text) + 9u * h;
  return h;
}

uint32_t StrPool_C::NodeBytes(uint32_t n) {
  uint64_t bytes = sizeof(StrPoolNode_C) + uint64_t(n) * 2 + 2;
  return bytes > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(bytes);
}

// The chain is short (blocks double), and newest first: the largest blocks,
// where most texts live, are tried first.
bool StrPool_C::Contains(const char16_t* p) const {
  if (p == kEmptyText) return true;
  for (const MemArena_C* a = blocks; a; a = a->GetNext())
    if (a->Owns(p)) return true;
  return false;
}

uint32_t StrPool_C::LargestPooledNode() const {
  const bool onlyTheFirst = blocks && nextBlockBytes == kLaterBlockBytes;
  return onlyTheFirst ? blocks->GetSize() : kLaterBlockBytes;
}

bool StrPool_C::AddBlock(uint32_t nodeBytes) {
  uint32_t size = nodeBytes > nextBlockBytes ? nodeBytes : nextBlockBytes;
  MemArena_C* arena = MemNew<MemArena_C>(size);
  if (!arena) return false;
  if (!arena->HasBlock()) {
    MemDelete(arena);
    return false;
  }
  blockBytes += arena->GetSize();
  arena->SetNext(blocks);
  blocks = arena;
  if (nextBlockBytes < kLargestBlockBytes) nextBlockBytes *= 2;
  return true;
}

// Only the newest block is tried: the room left in an older one (less than
// the node that did not fit) is given up, so that an allocation never walks
// the chain.
StrPoolNode_C* StrPool_C::AllocNode(uint32_t n) {
  uint32_t bytes;
  if (!MemRoundUp(NodeBytes(n), &bytes)) return nullptr;
  if ((!blocks || blocks->GetRemaining() < bytes) && !AddBlock(bytes)) return nullptr;
  void* p = blocks->Alloc(bytes);
  if (p) usedBytes += bytes;
  return static_cast<StrPoolNode_C*>(p);
}

const char16_t* StrPool_C::Intern(const char16_t* text) {
  if (!text || !*text) return kEmptyText;
  if (Contains(text)) return text;
  size_t len = WStrLen(text);
  if (len >= UINT32_MAX / 4) return nullptr;
  auto n = static_cast<uint32_t>(len);

  if (auto* found = static_cast<StrPoolNode_C*>(table.Find(text, false))) return found->Text();

  StrPoolNode_C* node = nullptr;
  if (NodeBytes(n) > LargestPooledNode()) {
    // Too big for a block: a heap node of its own, hashed like the others.
    auto* big = static_cast<StrPoolBigNode_C*>(MemAlloc(sizeof(StrPoolBigNode_C) + size_t(n) * 2 + 2, true));
    if (!big) return nullptr;
    big->nextBig = bigNodes;
    bigNodes = big;
    node = &big->node;
  } else {
    node = AllocNode(n);
    if (!node) return nullptr;
  }
  node->hash = HashString(text);
  node->next = nullptr;
  std::memcpy(node->Text(), text, size_t(n) * 2);
  node->Text()[n] = 0;
  if (!table.Insert(node)) {
    // Without a table the pool cannot keep its promise of one copy per text.
    return nullptr;
  }
  return node->Text();
}
