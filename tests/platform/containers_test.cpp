#include "platform/classlib/containers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(CArray, GrowShrinkInsertRemove) {
  CArray<int, int> a;
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(a.Add(1), 0);
  EXPECT_EQ(a.Add(2), 1);
  a.InsertAt(1, 9, 2);
  ASSERT_EQ(a.GetSize(), 4);
  EXPECT_EQ(a[1], 9);
  EXPECT_EQ(a.GetAt(3), 2);
  a.RemoveAt(1, 2);
  EXPECT_EQ(a.GetCount(), 2);
  a.RemoveAt(5);  // outside: ignored
  a.RemoveAt(1, 10);
  EXPECT_EQ(a.GetSize(), 1);
  a.SetSize(4);
  EXPECT_EQ(a[3], 0);  // value-initialised
  a.SetAtGrow(6, 7);
  EXPECT_EQ(a.GetSize(), 7);
  EXPECT_EQ(a.GetUpperBound(), 6);
  a.ElementAt(0) = 5;
  a.SetAt(1, 6);
  EXPECT_EQ(a.GetData()[0] + a.GetData()[1], 11);
  a.InsertAt(0, a[6]);  // an element of the array itself
  EXPECT_EQ(a[0], 7);
  a.Append(a);
  EXPECT_EQ(a.GetSize(), 16);
  a.RemoveAll();
  EXPECT_EQ(a.GetSize(), 0);
}

TEST(CArray, OutOfRangeIndexEndsTheProcess) {
  CArray<int> a;
  a.Add(1);
  EXPECT_DEATH(a.GetAt(1), "index 1 outside");
  EXPECT_DEATH(a[-1], "outside");
}

TEST(CArray, StringArray) {
  CStringArray names;
  names.Add(u"a");
  names.Add(CString(u"b"));
  EXPECT_EQ(names.GetSize(), 2);
  EXPECT_EQ(names[1], u"b");
  CStringArray copy;
  copy.Copy(names);
  names.RemoveAll();
  EXPECT_EQ(copy[0], u"a");
}

TEST(CList, AddWalkAndRemove) {
  CList<int> l;
  POSITION p2 = l.AddTail(2);
  l.AddTail(3);
  l.AddHead(1);
  EXPECT_EQ(l.GetCount(), 3);
  EXPECT_EQ(l.GetHead(), 1);
  EXPECT_EQ(l.GetTail(), 3);
  std::string fwd, back;
  for (POSITION p = l.GetHeadPosition(); p;) fwd += std::to_string(l.GetNext(p));
  for (POSITION p = l.GetTailPosition(); p;) back += std::to_string(l.GetPrev(p));
  EXPECT_EQ(fwd, "123");
  EXPECT_EQ(back, "321");
  l.InsertBefore(p2, 7);
  l.InsertAfter(p2, 8);
  EXPECT_EQ(l.GetAt(l.FindIndex(1)), 7);
  EXPECT_EQ(l.GetAt(l.FindIndex(3)), 8);
  EXPECT_EQ(l.FindIndex(9), nullptr);
  l.SetAt(p2, 20);
  EXPECT_EQ(l.Find(20), p2);
  EXPECT_EQ(l.Find(20, p2), nullptr);
  l.RemoveAt(p2);
  EXPECT_EQ(l.Find(20), nullptr);
  EXPECT_EQ(l.RemoveHead(), 1);
  EXPECT_EQ(l.RemoveTail(), 3);
  EXPECT_EQ(l.GetCount(), 2);
  // Removing while walking: take the position first, then remove.
  for (POSITION p = l.GetHeadPosition(); p;) {
    POSITION cur = p;
    if (l.GetNext(p) == 7) l.RemoveAt(cur);
  }
  EXPECT_EQ(l.GetCount(), 1);
  EXPECT_EQ(l.GetHead(), 8);
  l.RemoveAll();
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.GetHeadPosition(), nullptr);
}

TEST(CList, OwnedPointersAndEmptyAccess) {
  struct Item {
    CString name;
  };
  CList<Item*> items(10);
  items.AddTail(new Item{u"x"});
  items.AddTail(new Item{u"y"});
  while (!items.IsEmpty()) delete items.RemoveHead();
  EXPECT_DEATH(items.GetHead(), "empty");
}

TEST(CMap, LookupSetRemoveIterate) {
  CMap<int, int, CString, const CString&> m;
  m.SetAt(3, u"three");
  m.SetAt(1, u"one");
  m[2] = u"two";
  m.SetAt(3, u"THREE");
  EXPECT_EQ(m.GetCount(), 3);
  CString v;
  EXPECT_TRUE(m.Lookup(3, v));
  EXPECT_EQ(v, u"THREE");
  EXPECT_FALSE(m.Lookup(4, v));
  EXPECT_TRUE(m.RemoveKey(1));
  EXPECT_FALSE(m.RemoveKey(1));
  std::set<int> keys;
  for (POSITION p = m.GetStartPosition(); p;) {
    int k;
    CString val;
    m.GetNextAssoc(p, k, val);
    keys.insert(k);
  }
  EXPECT_EQ(keys, (std::set<int>{2, 3}));
  m.RemoveAll();
  EXPECT_TRUE(m.IsEmpty());
  EXPECT_EQ(m.GetStartPosition(), nullptr);
}

TEST(CMap, NamedMaps) {
  CMapStringToPtr byName;
  int a = 1, b = 2;
  byName.SetAt(u"Track A", &a);
  byName.SetAt(CString(u"Track B"), &b);
  void* found = nullptr;
  EXPECT_TRUE(byName.Lookup(u"Track B", found));
  EXPECT_EQ(found, &b);
  EXPECT_FALSE(byName.Lookup(u"track b", found));  // keys are case-sensitive
  CMapPtrToPtr byPtr;
  byPtr[&a] = &b;
  EXPECT_TRUE(byPtr.Lookup(&a, found));
  EXPECT_EQ(found, &b);
  CMapPtrToWord words;
  words.SetAt(&b, 7);
  WORD w = 0;
  EXPECT_TRUE(words.Lookup(&b, w));
  EXPECT_EQ(w, 7);
}
