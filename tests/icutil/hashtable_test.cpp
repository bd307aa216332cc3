#include "icbase/src/icutil/hashtable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/icutil/fail_hook.h"

namespace {

struct Item {
  uint32_t key;
  Item* next;
};

uint32_t ItemHash(const void* item) { return static_cast<const Item*>(item)->key; }
uint32_t KeyHash(const void* key) { return *static_cast<const uint32_t*>(key); }
bool ItemEquals(const void* item, const void* key) {
  return static_cast<const Item*>(item)->key == *static_cast<const uint32_t*>(key);
}
void* ItemNext(const void* item) { return static_cast<const Item*>(item)->next; }
void ItemSetNext(void* item, void* next) { static_cast<Item*>(item)->next = static_cast<Item*>(next); }

}  // namespace

TEST(HashTable, DoublesOnTheInsertionAfterFourPerBucketAndKeepsEveryItem) {
  HashTable_C table(ItemHash, KeyHash, ItemEquals, ItemNext, ItemSetNext, 512, 1);
  std::vector<Item> items(2049);
  for (uint32_t i = 0; i < 2048; ++i) {
    items[i] = {i * 7 + 3, nullptr};
    ASSERT_TRUE(table.Insert(&items[i]));
  }
  EXPECT_EQ(table.GetBucketCount(), 512u);
  items[2048] = {999999, nullptr};
  table.Insert(&items[2048]);
  EXPECT_EQ(table.GetBucketCount(), 1024u);
  EXPECT_EQ(table.GetItemCount(), 2049u);
  for (auto& it : items) EXPECT_EQ(table.Find(&it.key, false), &it);
  uint32_t absent = 5;
  EXPECT_EQ(table.Find(&absent, false), nullptr);
}

TEST(HashTable, StaleLinkOfAnInsertedItemIsNotSpliced) {
  HashTable_C table(ItemHash, KeyHash, ItemEquals, ItemNext, ItemSetNext, 8, 1);
  Item foreign{16, nullptr};  // never inserted
  Item stale{8, &foreign};    // same bucket as `foreign`, carrying a stale link
  table.Insert(&stale);
  EXPECT_EQ(stale.next, nullptr);
  EXPECT_EQ(table.Find(&foreign.key, false), nullptr);
}

TEST(HashTable, FindWithUnlinkAndRemove) {
  HashTable_C table(ItemHash, KeyHash, ItemEquals, ItemNext, ItemSetNext, 4, 1);
  Item a{1, nullptr}, b{5, nullptr}, c{9, nullptr};  // one bucket
  table.Insert(&a);
  table.Insert(&b);
  table.Insert(&c);
  EXPECT_EQ(table.Find(&b.key, true), &b);
  EXPECT_EQ(table.Find(&b.key, false), nullptr);
  EXPECT_EQ(table.Find(&a.key, false), &a);
  EXPECT_EQ(table.Find(&c.key, false), &c);
  EXPECT_TRUE(table.Remove(&c));
  EXPECT_FALSE(table.Remove(&c));
  EXPECT_FALSE(table.Remove(&b));
  EXPECT_EQ(table.Find(&a.key, false), &a);
  EXPECT_EQ(table.GetItemCount(), 1u);
}

TEST(HashTable, FailedRehashKeepsWorking) {
  HashTable_C table(ItemHash, KeyHash, ItemEquals, ItemNext, ItemSetNext, 1, 1);
  std::vector<Item> items(6);
  for (uint32_t i = 0; i < 4; ++i) {
    items[i] = {i, nullptr};
    table.Insert(&items[i]);
  }
  {
    FailAllocs fail;
    items[4] = {4, nullptr};
    EXPECT_TRUE(table.Insert(&items[4]));
  }
  EXPECT_EQ(table.GetBucketCount(), 1u);
  items[5] = {5, nullptr};
  table.Insert(&items[5]);
  EXPECT_EQ(table.GetBucketCount(), 2u);
  for (auto& it : items) EXPECT_EQ(table.Find(&it.key, false), &it);
}

TEST(StrPool, HashString) {
  EXPECT_EQ(StrPool_C::HashString(u""), 0u);
  EXPECT_EQ(StrPool_C::HashString(nullptr), 0u);
  EXPECT_EQ(StrPool_C::HashString(u"A"), 65u);
  EXPECT_EQ(StrPool_C::HashString(u"AB"), 651u);
}

TEST(StrPool, EqualTextsGiveOnePointer) {
  StrPool_C pool(1024);
  const char16_t* e1 = pool.Intern(nullptr);
  EXPECT_EQ(e1, pool.Intern(u""));
  EXPECT_EQ(e1, StrPool_C::EmptyText());
  EXPECT_TRUE(pool.Contains(e1));

  std::u16string name = u"Track";
  const char16_t* a = pool.Intern(name.c_str());
  EXPECT_NE(a, name.c_str());
  EXPECT_EQ(std::u16string(a), u"Track");
  std::u16string again = u"Track";
  EXPECT_EQ(pool.Intern(again.c_str()), a);
  EXPECT_EQ(pool.Intern(a), a);  // already pooled
  EXPECT_TRUE(pool.Contains(a));
  EXPECT_NE(pool.Intern(u"track"), a);  // case-sensitive
  EXPECT_FALSE(pool.Contains(name.c_str()));
}

TEST(StrPool, ManyTextsAcrossBlocksStayUniqueAndIntact) {
  StrPool_C pool(1024);
  std::vector<const char16_t*> ptrs;
  for (int i = 0; i < 3000; ++i) {
    std::u16string s = u"name";
    for (char c : std::to_string(i)) s.push_back(char16_t(c));
    ptrs.push_back(pool.Intern(s.c_str()));
  }
  EXPECT_GT(pool.GetBlockBytes(), 1024u);
  EXPECT_LE(pool.GetUsedBytes(), pool.GetBlockBytes());
  for (int i = 0; i < 3000; ++i) {
    std::u16string s = u"name";
    for (char c : std::to_string(i)) s.push_back(char16_t(c));
    EXPECT_EQ(pool.Intern(s.c_str()), ptrs[i]);
    EXPECT_EQ(std::u16string(ptrs[i]), s);
  }
}

TEST(StrPool, BigTextsAreSharedToo) {
  StrPool_C pool(1024);
  // With a 1024-byte first block, the largest pooled node is exactly the block.
  ASSERT_EQ(StrPool_C::NodeBytes(503), 1024u);
  std::u16string fits(503, u'x');
  std::u16string big(504, u'y');
  const char16_t* f = pool.Intern(fits.c_str());
  EXPECT_TRUE(pool.Contains(f));
  const char16_t* b1 = pool.Intern(big.c_str());
  EXPECT_FALSE(pool.Contains(b1));
  EXPECT_EQ(std::u16string(b1), big);
  std::u16string bigAgain(504, u'y');
  EXPECT_EQ(pool.Intern(bigAgain.c_str()), b1);
  EXPECT_EQ(pool.Intern(b1), b1);
  std::u16string huge(100000, u'z');
  const char16_t* h = pool.Intern(huge.c_str());
  EXPECT_EQ(pool.Intern(std::u16string(100000, u'z').c_str()), h);
}

TEST(StrPool, TextThatFitsTheFirstBlockButNotItsRestIsPooledInABlockOfItsSize) {
  StrPool_C pool(16384);
  std::vector<std::u16string> texts;
  for (char16_t c : {u'a', u'b', u'c'}) texts.emplace_back(3000, c);  // 6016-byte nodes: the third does not fit
  texts.emplace_back(2100, u'd');  // over 4096 bytes once a second block exists: a heap copy
  std::vector<const char16_t*> ptrs;
  for (const auto& t : texts) ptrs.push_back(pool.Intern(t.c_str()));
  for (size_t i = 0; i < texts.size(); ++i) {
    ASSERT_NE(ptrs[i], nullptr) << i;
    EXPECT_EQ(std::u16string(ptrs[i]), texts[i]);
    EXPECT_EQ(pool.Intern(std::u16string(texts[i]).c_str()), ptrs[i]) << i;
    EXPECT_EQ(pool.Contains(ptrs[i]), i < 3) << i;
  }
}

TEST(StrPool, AllocationFailureGivesNullNeverAnotherText) {
  StrPool_C pool(64);
  ASSERT_NE(pool.Intern(std::u16string(20, u'a').c_str()), nullptr);  // fills the first block
  std::u16string longer(20, u'q');                                    // needs a new block
  {
    FailAllocs fail;
    EXPECT_EQ(pool.Intern(longer.c_str()), nullptr);
    EXPECT_EQ(pool.Intern(std::u16string(5000, u'w').c_str()), nullptr);
  }
  const char16_t* p = pool.Intern(longer.c_str());
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(std::u16string(p), longer);
}
