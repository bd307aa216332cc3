// The class library's collections: CArray, CList (with POSITION), CMap and the
// named forms built on them. Same members and meanings as the class library;
// an index outside an array is a programming error and ends the process with
// a message (the class library asserts there), never a silent overrun.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/classlib/CString.h"
#include "platform/win32/wintypes.h"

struct __POSITION {};
typedef __POSITION* POSITION;
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(static_cast<intptr_t>(-1)))

namespace classlib_detail {
[[noreturn]] inline void badIndex(const char* what, INT_PTR index, INT_PTR size) {
  std::fprintf(stderr, "%s: index %lld outside 0..%lld\n", what, static_cast<long long>(index),
               static_cast<long long>(size) - 1);
  std::fflush(stderr);
  std::abort();
}
}  // namespace classlib_detail

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray {
 public:
  CArray() = default;
  CArray(const CArray&) = default;
  CArray& operator=(const CArray&) = default;
  virtual ~CArray() = default;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }
  BOOL IsEmpty() const { return m_data.empty(); }
  // New elements are value-initialised; a negative size empties the array.
  void SetSize(INT_PTR newSize, INT_PTR growBy = -1) { m_data.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0); }
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() { m_data.clear(); }

  const TYPE& GetAt(INT_PTR i) const { return m_data[check(i)]; }
  TYPE& GetAt(INT_PTR i) { return m_data[check(i)]; }
  void SetAt(INT_PTR i, ARG_TYPE e) { m_data[check(i)] = e; }
  TYPE& ElementAt(INT_PTR i) { return m_data[check(i)]; }
  const TYPE& ElementAt(INT_PTR i) const { return m_data[check(i)]; }
  TYPE& operator[](INT_PTR i) { return m_data[check(i)]; }
  const TYPE& operator[](INT_PTR i) const { return m_data[check(i)]; }
  TYPE* GetData() { return m_data.data(); }
  const TYPE* GetData() const { return m_data.data(); }

  // Grows the array when i is past the end; a negative i is refused.
  void SetAtGrow(INT_PTR i, ARG_TYPE e) {
    if (i < 0) classlib_detail::badIndex("CArray::SetAtGrow", i, GetSize());
    if (static_cast<size_t>(i) >= m_data.size()) m_data.resize(static_cast<size_t>(i) + 1);
    m_data[static_cast<size_t>(i)] = e;
  }
  INT_PTR Add(ARG_TYPE e) {
    m_data.push_back(e);
    return GetSize() - 1;
  }
  INT_PTR Append(const CArray& src) {
    INT_PTR old = GetSize();
    if (&src == this) {
      std::vector<TYPE> copy(m_data);
      m_data.insert(m_data.end(), copy.begin(), copy.end());
    } else {
      m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
    }
    return old;
  }
  void Copy(const CArray& src) {
    if (&src != this) m_data = src.m_data;
  }
  // Inserts `count` copies at i (past the end: the array grows to reach i).
  void InsertAt(INT_PTR i, ARG_TYPE e, INT_PTR count = 1) {
    if (i < 0 || count <= 0) return;
    TYPE copy(e);  // e may refer into this array
    if (static_cast<size_t>(i) > m_data.size()) m_data.resize(static_cast<size_t>(i));
    m_data.insert(m_data.begin() + i, static_cast<size_t>(count), copy);
  }
  // Removes up to `count` elements from i; an index outside the array is ignored.
  void RemoveAt(INT_PTR i, INT_PTR count = 1) {
    if (i < 0 || count <= 0 || static_cast<size_t>(i) >= m_data.size()) return;
    size_t end = std::min(m_data.size(), static_cast<size_t>(i) + static_cast<size_t>(count));
    m_data.erase(m_data.begin() + i, m_data.begin() + static_cast<ptrdiff_t>(end));
  }

 private:
  size_t check(INT_PTR i) const {
    if (i < 0 || static_cast<size_t>(i) >= m_data.size()) classlib_detail::badIndex("CArray", i, GetSize());
    return static_cast<size_t>(i);
  }
  std::vector<TYPE> m_data;
};

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList {
 public:
  explicit CList(INT_PTR blockSize = 10) {}
  CList(const CList&) = delete;
  CList& operator=(const CList&) = delete;
  virtual ~CList() { RemoveAll(); }

  INT_PTR GetCount() const { return m_count; }
  INT_PTR GetSize() const { return m_count; }
  BOOL IsEmpty() const { return m_count == 0; }

  // Head and tail of a non-empty list (an empty list is a programming error).
  TYPE& GetHead() { return nonEmpty(m_head)->data; }
  const TYPE& GetHead() const { return nonEmpty(m_head)->data; }
  TYPE& GetTail() { return nonEmpty(m_tail)->data; }
  const TYPE& GetTail() const { return nonEmpty(m_tail)->data; }
  TYPE RemoveHead() {
    Node* n = nonEmpty(m_head);
    TYPE v(std::move(n->data));
    unlink(n);
    return v;
  }
  TYPE RemoveTail() {
    Node* n = nonEmpty(m_tail);
    TYPE v(std::move(n->data));
    unlink(n);
    return v;
  }
  POSITION AddHead(ARG_TYPE e) { return pos(linkBefore(m_head, new Node{TYPE(e)})); }
  POSITION AddTail(ARG_TYPE e) { return pos(linkAfter(m_tail, new Node{TYPE(e)})); }
  void AddHead(CList* other) {
    if (!other || other == this) return;
    for (Node* n = other->m_tail; n; n = n->prev) AddHead(n->data);
  }
  void AddTail(CList* other) {
    if (!other || other == this) return;
    for (Node* n = other->m_head; n; n = n->next) AddTail(n->data);
  }
  void RemoveAll() {
    Node* n = m_head;
    while (n) {
      Node* next = n->next;
      delete n;
      n = next;
    }
    m_head = m_tail = nullptr;
    m_count = 0;
  }

  POSITION GetHeadPosition() const { return pos(m_head); }
  POSITION GetTailPosition() const { return pos(m_tail); }
  // Returns the element at pos and moves pos to the next (null after the tail).
  TYPE& GetNext(POSITION& p) {
    Node* n = node(p);
    p = pos(n->next);
    return n->data;
  }
  const TYPE& GetNext(POSITION& p) const {
    Node* n = node(p);
    p = pos(n->next);
    return n->data;
  }
  TYPE& GetPrev(POSITION& p) {
    Node* n = node(p);
    p = pos(n->prev);
    return n->data;
  }
  const TYPE& GetPrev(POSITION& p) const {
    Node* n = node(p);
    p = pos(n->prev);
    return n->data;
  }
  TYPE& GetAt(POSITION p) { return node(p)->data; }
  const TYPE& GetAt(POSITION p) const { return node(p)->data; }
  void SetAt(POSITION p, ARG_TYPE e) { node(p)->data = e; }
  void RemoveAt(POSITION p) { unlink(node(p)); }
  POSITION InsertBefore(POSITION p, ARG_TYPE e) {
    if (!p) return AddHead(e);
    return pos(linkBefore(node(p), new Node{TYPE(e)}));
  }
  POSITION InsertAfter(POSITION p, ARG_TYPE e) {
    if (!p) return AddTail(e);
    return pos(linkAfter(node(p), new Node{TYPE(e)}));
  }
  // First element equal to `value` after `startAfter` (null: from the head).
  POSITION Find(ARG_TYPE value, POSITION startAfter = nullptr) const {
    Node* n = startAfter ? node(startAfter)->next : m_head;
    for (; n; n = n->next)
      if (n->data == value) return pos(n);
    return nullptr;
  }
  POSITION FindIndex(INT_PTR index) const {
    if (index < 0 || index >= m_count) return nullptr;
    Node* n = m_head;
    while (index-- > 0) n = n->next;
    return pos(n);
  }

 private:
  struct Node {
    TYPE data;
    Node* prev = nullptr;
    Node* next = nullptr;
  };
  static POSITION pos(Node* n) { return reinterpret_cast<POSITION>(n); }
  static Node* node(POSITION p) {
    if (!p || p == BEFORE_START_POSITION) classlib_detail::badIndex("CList position", -1, 0);
    return reinterpret_cast<Node*>(p);
  }
  Node* nonEmpty(Node* n) const {
    if (!n) classlib_detail::badIndex("CList (empty)", 0, 0);
    return n;
  }
  Node* linkBefore(Node* at, Node* n) {
    if (!at) return linkAfter(m_tail, n);
    n->next = at;
    n->prev = at->prev;
    if (at->prev)
      at->prev->next = n;
    else
      m_head = n;
    at->prev = n;
    ++m_count;
    return n;
  }
  Node* linkAfter(Node* at, Node* n) {
    if (!at) {  // empty list, or adding at the head of an empty list
      n->next = m_head;
      if (m_head) m_head->prev = n;
      m_head = n;
      if (!m_tail) m_tail = n;
      ++m_count;
      return n;
    }
    n->prev = at;
    n->next = at->next;
    if (at->next)
      at->next->prev = n;
    else
      m_tail = n;
    at->next = n;
    ++m_count;
    return n;
  }
  void unlink(Node* n) {
    if (n->prev)
      n->prev->next = n->next;
    else
      m_head = n->next;
    if (n->next)
      n->next->prev = n->prev;
    else
      m_tail = n->prev;
    delete n;
    --m_count;
  }

  Node* m_head = nullptr;
  Node* m_tail = nullptr;
  INT_PTR m_count = 0;
};

// Hash map with the class library's interface. Iteration (GetStartPosition /
// GetNextAssoc) visits the entries in the order they were added.
template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap {
 public:
  explicit CMap(INT_PTR blockSize = 10) {}
  CMap(const CMap&) = delete;
  CMap& operator=(const CMap&) = delete;
  virtual ~CMap() { RemoveAll(); }

  INT_PTR GetCount() const { return static_cast<INT_PTR>(m_index.size()); }
  INT_PTR GetSize() const { return GetCount(); }
  BOOL IsEmpty() const { return m_index.empty(); }
  void InitHashTable(UINT size, BOOL allocNow = TRUE) { m_index.reserve(size); }
  UINT GetHashTableSize() const { return static_cast<UINT>(m_index.bucket_count()); }

  BOOL Lookup(ARG_KEY key, VALUE& value) const {
    auto it = m_index.find(KEY(key));
    if (it == m_index.end()) return FALSE;
    value = it->second->value;
    return TRUE;
  }
  // The value of key, added with a value-initialised VALUE when absent.
  VALUE& operator[](ARG_KEY key) {
    KEY k(key);
    auto it = m_index.find(k);
    if (it != m_index.end()) return it->second->value;
    Assoc* a = new Assoc{k, VALUE()};
    link(a);
    m_index.emplace(std::move(k), a);
    return a->value;
  }
  void SetAt(ARG_KEY key, ARG_VALUE value) { (*this)[key] = value; }
  BOOL RemoveKey(ARG_KEY key) {
    auto it = m_index.find(KEY(key));
    if (it == m_index.end()) return FALSE;
    Assoc* a = it->second;
    m_index.erase(it);
    unlink(a);
    return TRUE;
  }
  void RemoveAll() {
    m_index.clear();
    Assoc* a = m_first;
    while (a) {
      Assoc* next = a->next;
      delete a;
      a = next;
    }
    m_first = m_last = nullptr;
  }

  POSITION GetStartPosition() const { return reinterpret_cast<POSITION>(m_first); }
  void GetNextAssoc(POSITION& p, KEY& key, VALUE& value) const {
    if (!p) classlib_detail::badIndex("CMap position", -1, 0);
    Assoc* a = reinterpret_cast<Assoc*>(p);
    key = a->key;
    value = a->value;
    p = reinterpret_cast<POSITION>(a->next);
  }

 private:
  struct Assoc {
    KEY key;
    VALUE value;
    Assoc* prev = nullptr;
    Assoc* next = nullptr;
  };
  void link(Assoc* a) {
    a->prev = m_last;
    if (m_last)
      m_last->next = a;
    else
      m_first = a;
    m_last = a;
  }
  void unlink(Assoc* a) {
    if (a->prev)
      a->prev->next = a->next;
    else
      m_first = a->next;
    if (a->next)
      a->next->prev = a->prev;
    else
      m_last = a->prev;
    delete a;
  }

  std::unordered_map<KEY, Assoc*> m_index;
  Assoc* m_first = nullptr;
  Assoc* m_last = nullptr;
};

typedef CArray<CString, const CString&> CStringArray;
typedef CList<CString, const CString&> CStringList;
typedef CArray<void*, void*> CPtrArray;
typedef CList<void*, void*> CPtrList;
typedef CArray<DWORD, DWORD> CDWordArray;
typedef CArray<UINT, UINT> CUIntArray;
typedef CArray<BYTE, BYTE> CByteArray;
typedef CArray<WORD, WORD> CWordArray;
typedef CMap<CString, LPCWSTR, void*, void*> CMapStringToPtr;
typedef CMap<CString, LPCWSTR, CString, LPCWSTR> CMapStringToString;
typedef CMap<void*, void*, void*, void*> CMapPtrToPtr;
typedef CMap<void*, void*, WORD, WORD> CMapPtrToWord;
