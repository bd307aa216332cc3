#include "icbase/src/icxml/xml/icxml.h"

// expat built for UTF-16: XML_Char is a 16-bit unit, handled as char16_t.
// The library linked is the matching build (libexpatw).
#ifndef XML_UNICODE
#define XML_UNICODE
#endif
#ifdef XML_UNICODE_WCHAR_T
#error "the XML reader needs 16-bit XML_Char units, not wchar_t"
#endif
#include <expat.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "icbase/src/icutil/fatal.h"
#include "icbase/src/icutil/utdm/unifile.h"
#include "icbase/src/icutil/utils.h"
#include "icbase/src/icutil/xmlescape.h"
#include "platform/win32/wstr.h"

static_assert(sizeof(XML_Char) == sizeof(char16_t), "expat must deliver UTF-16 units");

namespace {

inline const char16_t* U(const XML_Char* p) { return reinterpret_cast<const char16_t*>(p); }
inline const XML_Char* X(const char16_t* p) { return reinterpret_cast<const XML_Char*>(p); }

constexpr uint32_t kNodeBlockBytes = 4096;
constexpr uint32_t kOwnPoolBytes = 4096;
// Bytes per read of the file: 4095 UTF-16 units.
constexpr int32_t kChunkBytes = 4095 * 2;
// The most bytes given to expat at once (its count is an int); only a file
// larger than that reaches expat in several parts.
constexpr int64_t kSliceBytes = int64_t{1} << 30;

// The bytes of a file after its mark, read whole.
struct FileBytes_S {
  char* data = nullptr;
  int64_t length = 0;
  int64_t capacity = 0;
  ~FileBytes_S() { MemFree(data); }

  // False when memory runs out; the file's size sets the first buffer, and
  // a file that grows while it is read is read to its end.
  bool ReadRest(UniFile_C& file) {
    int64_t want = std::max<int64_t>(file.GetSize(), kChunkBytes);
    for (;;) {
      if (capacity - length < kChunkBytes) {
        int64_t cap = std::max(want, capacity * 2);
        void* p = MemRealloc(data, static_cast<size_t>(cap), false);
        if (!p) return false;
        data = static_cast<char*>(p);
        capacity = cap;
      }
      int32_t n = file.ReadBytes(data + length, kChunkBytes);
      if (n <= 0) return true;
      length += n;
    }
  }
};

// True when the linked expat delivers 16-bit units, as this file was built
// to expect; a parser on any other build would hand over garbage.
bool LibraryIsUtf16() {
  static const bool utf16 = [] {
    bool unicode = false;
    bool wideChar = false;
    for (const XML_Feature* f = XML_GetFeatureList(); f && f->feature != XML_FEATURE_END; ++f) {
      if (f->feature == XML_FEATURE_UNICODE) unicode = true;
      if (f->feature == XML_FEATURE_UNICODE_WCHAR_T) wideChar = true;
    }
    return unicode && !wideChar;
  }();
  return utf16;
}

// Checks across the chunks of a UTF-16LE file that every high surrogate is
// followed by a low one and every low one follows a high one. expat's UTF-16
// input does not: a lone high surrogate swallows the unit after it.
class SurrogatePairs_C {
 public:
  // False at the first unpaired unit of these bytes (an odd last byte is
  // left to the parser).
  bool Check(const char* bytes, int64_t n) {
    for (int64_t i = 0; i + 1 < n; i += 2) {
      auto u = static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
      if (!Take(u, offset + i)) return false;
    }
    offset += n;
    return true;
  }
  // False when the text ended with an unpaired unit (found by Check or at
  // the end of the file).
  bool Finish() { return !failed && !awaitingLow; }

  char16_t BadUnit() const { return bad; }
  // The byte offset of that unit among all bytes checked.
  int64_t BadOffset() const { return badOffset; }
  int32_t Line() const { return badLine; }
  int32_t Column() const { return badColumn; }

 private:
  bool Take(char16_t u, int64_t at) {
    bool low = u >= 0xDC00 && u <= 0xDFFF;
    if (awaitingLow != low) {  // a high one without its low one, or a low one alone
      if (!awaitingLow) Mark(u, at);
      failed = true;
      return false;
    }
    awaitingLow = u >= 0xD800 && u <= 0xDBFF;
    if (awaitingLow) Mark(u, at);
    if (!low) Advance(u);  // a pair is one column, as the parser counts it
    return true;
  }
  void Mark(char16_t u, int64_t at) {
    bad = u;
    badOffset = at;
    badLine = line;
    badColumn = column;
  }
  // Lines as the parser counts them: LF, CR and CR LF each end one.
  void Advance(char16_t u) {
    if (u == u'\n' && afterCr) {
      afterCr = false;
      return;
    }
    afterCr = u == u'\r';
    if (u == u'\n' || u == u'\r') {
      ++line;
      column = 0;
    } else {
      ++column;
    }
  }

  bool awaitingLow = false;
  bool failed = false;
  bool afterCr = false;
  char16_t bad = 0;
  int64_t offset = 0;
  int64_t badOffset = 0;
  int32_t line = 1;
  int32_t column = 0;
  int32_t badLine = 0;
  int32_t badColumn = 0;
};

uint16_t Count16(uint16_t c) { return c < 0xFFFF ? static_cast<uint16_t>(c + 1) : c; }
uint16_t Depth16(int32_t d) { return d < 0 ? 0 : (d > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(d)); }

}  // namespace

// ---------------------------------------------------------------------------
// icXml_T

template <class T>
struct icXmlTrampolines_T {
  static T* Self(void* userData) { return static_cast<T*>(userData); }
  static void XMLCALL Start(void* ud, const XML_Char* name, const XML_Char** atts) {
    Self(ud)->OnStartElement(U(name), reinterpret_cast<const char16_t**>(atts));
  }
  static void XMLCALL End(void* ud, const XML_Char* name) { Self(ud)->OnEndElement(U(name)); }
  static void XMLCALL Chars(void* ud, const XML_Char* s, int len) { Self(ud)->OnCharacterData(U(s), len); }
};

template <class T>
bool icXml_T<T>::Create(const char16_t* encoding, const char16_t* separator) {
  Destroy();
  if (!LibraryIsUtf16()) return false;
  const XML_Char* enc = (encoding && *encoding) ? X(encoding) : nullptr;
  XML_Char sep = (separator && *separator) ? static_cast<XML_Char>(*separator) : 0;
  XML_Parser p = XML_ParserCreate_MM(enc, nullptr, sep ? &sep : nullptr);
  if (!p) return false;
  parser = p;
  T* self = static_cast<T*>(this);
  self->OnAfterCreate();
  XML_SetUserData(parser, self);
  return true;
}

template <class T>
void icXml_T<T>::Destroy() {
  if (parser) {
    XML_ParserFree(parser);
    parser = nullptr;
  }
}

template <class T>
bool icXml_T<T>::Parse(const void* buffer, int32_t length, bool isFinal, int32_t charSize) {
  if (!parser) AssertFail("icxml", __LINE__);
  size_t units = length >= 0 ? static_cast<size_t>(length) : WStrLen(static_cast<const char16_t*>(buffer));
  size_t bytes = units * static_cast<size_t>(charSize > 0 ? charSize : 1);
  if (bytes > static_cast<size_t>(INT32_MAX)) return false;
  return XML_Parse(parser, static_cast<const char*>(buffer), static_cast<int>(bytes), isFinal ? 1 : 0) == XML_STATUS_OK;
}

template <class T>
void icXml_T<T>::StopParser() {
  if (!parser) AssertFail("icxml", __LINE__);
  XML_StopParser(parser, XML_FALSE);
}

template <class T>
int32_t icXml_T<T>::GetErrorCode() const {
  if (!parser) AssertFail("icxml", __LINE__);
  return static_cast<int32_t>(XML_GetErrorCode(parser));
}

template <class T>
const char* icXml_T<T>::GetErrorString() const {
  if (!parser) AssertFail("icxml", __LINE__);
  const XML_LChar* s = XML_ErrorString(XML_GetErrorCode(parser));
  return s ? s : "";
}

template <class T>
int32_t icXml_T<T>::GetCurrentLineNumber() const {
  if (!parser) AssertFail("icxml", __LINE__);
  return static_cast<int32_t>(XML_GetCurrentLineNumber(parser));
}

template <class T>
int32_t icXml_T<T>::GetCurrentColumnNumber() const {
  if (!parser) AssertFail("icxml", __LINE__);
  return static_cast<int32_t>(XML_GetCurrentColumnNumber(parser));
}

template <class T>
void icXml_T<T>::EnableStartElementHandler(bool on) {
  if (!parser) AssertFail("icxml", __LINE__);
  XML_SetStartElementHandler(parser, on ? &icXmlTrampolines_T<T>::Start : nullptr);
}

template <class T>
void icXml_T<T>::EnableEndElementHandler(bool on) {
  if (!parser) AssertFail("icxml", __LINE__);
  XML_SetEndElementHandler(parser, on ? &icXmlTrampolines_T<T>::End : nullptr);
}

template <class T>
void icXml_T<T>::EnableCharacterDataHandler(bool on) {
  if (!parser) AssertFail("icxml", __LINE__);
  XML_SetCharacterDataHandler(parser, on ? &icXmlTrampolines_T<T>::Chars : nullptr);
}

template class icXml_T<icXml_A>;

// ---------------------------------------------------------------------------
// icXDtdTable_C

namespace {

// The tokens of one UniString_C::Split, freed with it.
struct Tokens_S {
  char16_t** items = nullptr;
  int32_t count = 0;
  ~Tokens_S() { UniString_C::FreeSplit(items); }
};

int32_t AttrTypeOf(const char16_t* letter) {
  if (!letter || !letter[0] || letter[1]) return 0;
  switch (letter[0]) {
    case u'S':
      return kXAttrS;
    case u'F':
      return kXAttrF;
    case u'O':
      return kXAttrO;
    case u'A':
      return kXAttrA;
    case u'P':
      return kXAttrP;
    case u'T':
      return kXAttrT;
    case u'N':
      return kXAttrN;
    default:
      return 0;
  }
}

}  // namespace

icXDtdTable_C::icXDtdTable_C(icXParser_C* parser, const icXDtdRecord_C* records) : owner(parser) {
  if (!records) return;
  for (const icXDtdRecord_C* r = records; r->tag; ++r) {
    icXDtdTag_C* def = static_cast<icXDtdTag_C*>(owner->AllocNode(sizeof(icXDtdTag_C)));
    const char16_t* name = owner->Intern(r->tag);
    if (!def || !name) {
      initFailed = 1;
      return;
    }
    def->name = name;
    def->textAllowed = r->textAllowed;
    def->rootAllowed = 1;
    if (lastTag) {
      lastTag->next = def;
    } else {
      firstTag = def;
    }
    lastTag = def;
  }
  icXDtdTag_C* def = firstTag;
  for (const icXDtdRecord_C* r = records; r->tag && def; ++r, def = def->next) {
    AddParents(def, *r);
    AddAttributes(def, *r);
  }
}

void icXDtdTable_C::Report() {
  owner->log.AppendString(message);
  initFailed = 1;
}

void icXDtdTable_C::AddParents(icXDtdTag_C* def, const icXDtdRecord_C& rec) {
  if (!rec.parents) return;
  UniString_C list(rec.parents);
  list.Trim(u' ');
  Tokens_S parts;
  parts.count = list.Split(u":", parts.items);
  if (parts.count != rec.parentCount) {
    message.Format(u"Error: (DTD table) parent no (%d), and list (%s) are not consistent in tag (%s)\n",
                   rec.parentCount, list.GetText(), rec.tag);
    Report();
    return;
  }
  for (int32_t i = 0; i < parts.count; ++i) {
    const char16_t* name = owner->Intern(parts.items[i]);
    if (!name || !FindTag(name)) {
      message.Format(u"Error: (DTD table) can not find the parent tag (%s) of tag (%s)\n", parts.items[i], rec.tag);
      Report();
      continue;
    }
    icXDtdParent_C* p = static_cast<icXDtdParent_C*>(owner->AllocNode(sizeof(icXDtdParent_C)));
    if (!p) {
      initFailed = 1;
      return;
    }
    p->name = name;
    if (def->lastParent) {
      def->lastParent->next = p;
    } else {
      def->firstParent = p;
    }
    def->lastParent = p;
    def->rootAllowed = 0;
  }
}

void icXDtdTable_C::AddAttributes(icXDtdTag_C* def, const icXDtdRecord_C& rec) {
  if (!rec.attrs) return;
  UniString_C list(rec.attrs);
  list.Trim(u' ');
  Tokens_S specs;
  specs.count = list.Split(u";", specs.items);
  if (specs.count != rec.attrCount) {
    message.Format(u"Error: (DTD table) attribute no (%d), and list (%s) are not consistent in tag (%s)\n",
                   rec.attrCount, list.GetText(), rec.tag);
    Report();
    return;
  }
  for (int32_t i = 0; i < specs.count; ++i) {
    if (!AddAttribute(def, specs.items[i])) {
      message.Assign(u"Error: (DTD table), wrong attribute data (");
      message.AppendCString(specs.items[i]);
      message.AppendCString(u").\n");
      Report();
    }
  }
}

bool icXDtdTable_C::AddAttribute(icXDtdTag_C* def, const char16_t* spec) {
  UniString_C text(spec);
  Tokens_S parts;
  parts.count = text.Split(u":", parts.items);
  if (parts.count < 2) return false;
  int32_t type = AttrTypeOf(parts.items[1]);
  if (type == 0) return false;
  icXDtdAttr_C* attr = static_cast<icXDtdAttr_C*>(owner->AllocNode(sizeof(icXDtdAttr_C)));
  const char16_t* name = owner->Intern(parts.items[0]);
  if (!attr || !name) {
    initFailed = 1;
    return true;
  }
  attr->name = name;
  attr->type = type;
  if (type == kXAttrF || type == kXAttrO) {
    for (int32_t i = 2; i < parts.count; ++i) {
      icXDtdValue_C* v = static_cast<icXDtdValue_C*>(owner->AllocNode(sizeof(icXDtdValue_C)));
      const char16_t* value = owner->Intern(parts.items[i]);
      if (!v || !value) {
        initFailed = 1;
        return true;
      }
      v->value = value;
      if (attr->lastValue) {
        attr->lastValue->next = v;
      } else {
        attr->firstValue = v;
      }
      attr->lastValue = v;
    }
  }
  if (def->lastAttr) {
    def->lastAttr->next = attr;
  } else {
    def->firstAttr = attr;
  }
  def->lastAttr = attr;
  return true;
}

const icXDtdTag_C* icXDtdTable_C::FindTag(const char16_t* tag) const {
  if (!tag) return nullptr;
  for (const icXDtdTag_C* t = firstTag; t; t = t->next) {
    if (t->name == tag) return t;
  }
  return nullptr;
}

bool icXDtdTable_C::IsValidTag(const char16_t* tag, const char16_t* parentTag, int32_t depth) const {
  const icXDtdTag_C* t = FindTag(tag);
  if (!t) return false;
  if (depth == 0) return t->rootAllowed != 0;
  if (!parentTag) return false;
  for (const icXDtdParent_C* p = t->firstParent; p; p = p->next) {
    if (p->name == parentTag) return true;
  }
  return false;
}

bool icXDtdTable_C::IsValidAttribute(const char16_t* tag, const char16_t* name, const char16_t* value) const {
  const icXDtdTag_C* t = FindTag(tag);
  if (!t || !name) return false;
  for (const icXDtdAttr_C* a = t->firstAttr; a; a = a->next) {
    if (a->name != name) continue;
    // Every known type accepts any value; the allowed values of F and O are
    // recorded but not enforced.
    switch (a->type) {
      case kXAttrS:
      case kXAttrF:
      case kXAttrO:
      case kXAttrA:
      case kXAttrP:
      case kXAttrT:
      case kXAttrN:
        return true;
      default:
        return false;
    }
  }
  return false;
}

bool icXDtdTable_C::IsTextAllowed(const char16_t* tag) const {
  const icXDtdTag_C* t = FindTag(tag);
  return t && t->textAllowed != 0;
}

// ---------------------------------------------------------------------------
// icXParser_C

icXParser_C::icXParser_C(StrPool_C* strPool, const icXDtdRecord_C* records) {
  if (strPool) {
    pool = strPool;
  } else {
    pool = MemNew<StrPool_C>(kOwnPoolBytes);
    ownsPool = pool ? 1 : 0;
  }
  MemArena_C* first = MemNew<MemArena_C>(kNodeBlockBytes);
  if (first && first->HasBlock()) {
    nodeBlocks = first;
  } else {
    MemDelete(first);
  }
  if (records) {
    hasDtd = 1;
    dtd = MemNew<icXDtdTable_C>(this, records);
    dtdInitFailed = (!dtd || dtd->IsInitFailed()) ? 1 : 0;
  }
}

icXParser_C::~icXParser_C() {
  Destroy();
  MemDelete(dtd);
  dtd = nullptr;
  while (nodeBlocks) {
    MemArena_C* next = nodeBlocks->GetNext();
    MemDelete(nodeBlocks);
    nodeBlocks = next;
  }
  if (ownsPool) MemDelete(pool);
  pool = nullptr;
  MemFree(runText);
}

const char16_t* icXParser_C::Intern(const char16_t* text) { return pool ? pool->Intern(text) : nullptr; }

void* icXParser_C::AllocNode(uint32_t n) {
  if (n >= kNodeBlockBytes) return nullptr;
  // Only the newest block is tried: a node that does not fit there starts a
  // new one, so an older block leaves less than a node unused, and each
  // allocation costs the same however big the document grows.
  if (nodeBlocks) {
    if (void* p = nodeBlocks->Alloc(n)) return p;
  }
  MemArena_C* block = MemNew<MemArena_C>(kNodeBlockBytes);
  if (!block) return nullptr;
  if (!block->HasBlock()) {
    MemDelete(block);
    return nullptr;
  }
  block->SetNext(nodeBlocks);
  nodeBlocks = block;
  return block->Alloc(n);
}

uint32_t icXParser_C::GetMemoryUsage(uint32_t* allocated) const {
  uint32_t used = 0;
  uint32_t total = 0;
  for (const MemArena_C* a = nodeBlocks; a; a = a->GetNext()) {
    used += a->GetSize() - a->GetRemaining();
    total += a->GetSize();
  }
  if (ownsPool && pool) {
    used += pool->GetUsedBytes();
    total += pool->GetBlockBytes();
  }
  if (allocated) *allocated = total;
  return used;
}

void icXParser_C::OnAfterCreate() {
  EnableStartElementHandler(true);
  EnableEndElementHandler(true);
  EnableCharacterDataHandler(true);
}

void icXParser_C::Stop() {
  stopped = 1;
  if (HasParser()) StopParser();
}

void icXParser_C::ReportNoMemory() {
  log.Format(u"Error: out of memory (ln:%d, col:%d).\n", GetCurrentLineNumber(), GetCurrentColumnNumber());
  Stop();
}

void icXParser_C::OnStartElement(const char16_t* name, const char16_t** attrs) {
  if (stopped) return;
  FlushText();
  const char16_t* tag = Intern(name);
  if (!tag) {
    ReportNoMemory();
    return;
  }
  if (dtd && !CheckElement(tag, name, attrs)) return;
  icXElement_C* elem = LinkElement(tag);
  if (elem) AddAttributes(elem, name, attrs);
}

bool icXParser_C::CheckElement(const char16_t* tag, const char16_t* name, const char16_t** attrs) {
  const char16_t* parentTag = current ? current->name : nullptr;
  if (!dtd->IsValidTag(tag, parentTag, depth)) {
    log.Format(u"Error: Invalid tag name %s (ln:%d, col:%d).\n", name, GetCurrentLineNumber(),
               GetCurrentColumnNumber());
    Stop();
    return false;
  }
  for (int32_t i = 0; attrs && attrs[i]; i += 2) {
    const char16_t* attrName = Intern(attrs[i]);
    const char16_t* attrValue = Intern(attrs[i + 1]);
    if (!attrName || !attrValue) {
      ReportNoMemory();
      return false;
    }
    if (!dtd->IsValidAttribute(tag, attrName, attrValue)) {
      log.Format(u"Error: Invalid tag (%s) attribute %s=%s (ln:%d, col:%d).\n", name, attrs[i], attrs[i + 1],
                 GetCurrentLineNumber(), GetCurrentColumnNumber());
      Stop();
      return false;
    }
  }
  return true;
}

icXElement_C* icXParser_C::LinkElement(const char16_t* tag) {
  icXElement_C* elem = static_cast<icXElement_C*>(AllocNode(sizeof(icXElement_C)));
  if (!elem) {
    ReportNoMemory();
    return nullptr;
  }
  new (elem) icXElement_C();
  elem->kind = kXNodeElement;
  elem->depth = Depth16(depth);
  elem->parent = current;
  elem->name = tag;
  if (current) {
    if (current->lastChild) {
      current->lastChild->next = elem;
    } else {
      current->firstChild = elem;
    }
    current->lastChild = elem;
    current->childCount = Count16(current->childCount);
  } else if (depth == 0) {
    root = elem;
  }
  current = elem;
  ++depth;
  return elem;
}

void icXParser_C::AddAttributes(icXElement_C* elem, const char16_t* name, const char16_t** attrs) {
  for (int32_t i = 0; attrs && attrs[i]; i += 2) {
    icXAttribute_C* attr = static_cast<icXAttribute_C*>(AllocNode(sizeof(icXAttribute_C)));
    const char16_t* attrName = Intern(attrs[i]);
    if (!attr || !attrName) {
      ReportNoMemory();
      return;
    }
    new (attr) icXAttribute_C();
    attr->kind = kXNodeAttribute;
    attr->depth = Depth16(depth);
    attr->parent = elem;
    attr->name = attrName;
    attr->value = StrPool_C::EmptyText();
    if (elem->lastAttr) {
      elem->lastAttr->next = attr;
    } else {
      elem->firstAttr = attr;
    }
    elem->lastAttr = attr;
    elem->attrCount = Count16(elem->attrCount);
    if (!attrs[i + 1]) {
      log.Format(u"Error: no value in attribute (%s) of tag (%s) (ln:%d, col:%d).\n", attrs[i], name,
                 GetCurrentLineNumber(), GetCurrentColumnNumber());
      Stop();
      return;
    }
    const char16_t* value = Intern(attrs[i + 1]);
    if (!value) {
      ReportNoMemory();
      return;
    }
    attr->value = value;
  }
}

void icXParser_C::OnEndElement(const char16_t* /*name*/) {
  if (stopped) return;
  FlushText();
  if (current) {
    current = current->parent;
    --depth;
  }
}

// expat delivers one text in pieces, split where it likes (at line ends,
// at each character reference, around some markup characters). What is text
// is decided on the whole text of the node when the next tag ends it
// (FlushText): blanks only are no text, and the blanks at either end are
// layout. Blank pieces before the first other piece need not be kept.
void icXParser_C::OnCharacterData(const char16_t* text, int32_t length) {
  if (stopped || !text || length <= 0) return;
  if (!runOpen) {
    if (IsBlankText(text, length)) return;
    if (!AcceptText(text, length)) return;
    runOpen = 1;
    runLength = 0;
  }
  if (!AppendRun(text, length)) ReportNoMemory();
}

namespace {

// TAB, LF and blank; a CR is text (a CR LF line end reaches here as LF).
bool IsBlankUnit(char16_t c) { return c == u'\t' || c == u'\n' || c == u' '; }

}  // namespace

bool icXParser_C::IsBlankText(const char16_t* text, int32_t length) {
  for (int32_t i = 0; i < length; ++i) {
    if (!IsBlankUnit(text[i])) return false;
  }
  return true;
}

bool icXParser_C::AcceptText(const char16_t* text, int32_t length) {
  // The text is not zero-terminated: only `length` units may be read.
  if (!current) {
    log.Format(u"Error: invalid characters %.*s (ln:%d, col:%d).\n", length, text, GetCurrentLineNumber(),
               GetCurrentColumnNumber());
    Stop();
    return false;
  }
  if (dtd && !dtd->IsTextAllowed(current->name)) {
    log.Format(u"Error: invalid characters %.*s in tag (%s) (ln:%d, col:%d).\n", length, text, current->name,
               GetCurrentLineNumber(), GetCurrentColumnNumber());
    Stop();
    return false;
  }
  return true;
}

bool icXParser_C::AppendRun(const char16_t* text, int32_t length) {
  int64_t need = static_cast<int64_t>(runLength) + length + 1;  // and a terminator
  if (need > runCapacity) {
    if (need > INT32_MAX / 2) return false;
    int64_t cap = runCapacity > 0 ? runCapacity : 256;
    while (cap < need) cap *= 2;
    void* p = MemRealloc(runText, static_cast<size_t>(cap) * sizeof(char16_t), false);
    if (!p) return false;
    runText = static_cast<char16_t*>(p);
    runCapacity = static_cast<int32_t>(cap);
  }
  std::memcpy(runText + runLength, text, static_cast<size_t>(length) * sizeof(char16_t));
  runLength += length;
  return true;
}

void icXParser_C::FlushText() {
  if (!runOpen) return;
  runOpen = 0;
  int32_t begin = 0, end = runLength;  // the run holds a unit that is not blank
  while (IsBlankUnit(runText[begin])) ++begin;
  while (IsBlankUnit(runText[end - 1])) --end;
  runText[end] = 0;
  const char16_t* pooled = Intern(runText + begin);
  icXText_C* node = pooled ? static_cast<icXText_C*>(AllocNode(sizeof(icXText_C))) : nullptr;
  if (!node) {
    ReportNoMemory();
    return;
  }
  new (node) icXText_C();
  node->kind = kXNodeText;
  node->depth = Depth16(depth);  // the element's depth + 1, as for attributes
  node->parent = current;
  node->text = pooled;
  if (current->lastText) {
    current->lastText->next = node;
  } else {
    current->firstText = node;
  }
  current->lastText = node;
  current->textCount = Count16(current->textCount);
}

bool icXParser_C::ParseFile(const char16_t* path) {
  if (dtdInitFailed) {
    log.AppendCString(u"--- Parsing failed on init DTD table. \n");
    return false;
  }
  stopped = 0;
  depth = 0;
  current = nullptr;
  runOpen = 0;

  UniFile_C file;
  if (!file.Open(path, kUniFileRead, kUniEncUtf16)) {
    log.Format(u"Error: open %s file failed.\n", path);
    return false;
  }
  if (!Create(u"UTF-16", nullptr)) {
    log.Format(u"Error: internal error for creating xml parser. (for %s file)\n", path);
    file.Close();
    return false;
  }

  // The bytes after the mark go to expat as they are: a zero unit or an odd
  // last byte is expat's to refuse, not a silent end of the file. Unpaired
  // surrogates are refused here; expat sees only the units before the first
  // of them, so that a fault before it is the one reported. expat gets the
  // whole file at once: it also cuts a text into pieces where its input
  // ends, and a blank piece made by the end of a read would be dropped from
  // the text, so that a long file would read differently from a short one.
  FileBytes_S bytes;
  bool ok = true;
  SurrogatePairs_C pairs;
  if (!bytes.ReadRest(file)) {
    ReportNoMemory();
  } else {
    const bool paired = pairs.Check(bytes.data, bytes.length) && pairs.Finish();
    const int64_t end = paired ? bytes.length : pairs.BadOffset();
    for (int64_t at = 0; ok && !stopped && at < end; at += kSliceBytes) {
      const int64_t n = std::min(end - at, kSliceBytes);
      ok = Parse(bytes.data + at, static_cast<int32_t>(n), false, 1);
    }
  }
  if (ok && !stopped && !pairs.Finish()) {
    log.Format(u"Error: invalid characters U+%04X (ln:%d, col:%d).\n", pairs.BadUnit(), pairs.Line(), pairs.Column());
    stopped = 1;
  }
  if (!stopped) {
    if (ok) ok = Parse(nullptr, 0, true, 1);
    // A handler that stopped the parser has already said why.
    if (!ok && !stopped) {
      log.Format(u"Error: %hs (ln:%d, col:%d).\n", GetErrorString(), GetCurrentLineNumber(), GetCurrentColumnNumber());
    }
  }
  file.Close();

  log.AppendCString(u"--- Parsing ");
  log.AppendCString(path);
  if (ok && !stopped) {
    log.AppendCString(u" successed. \n");
    return true;
  }
  log.AppendCString(u" failed. \n");
  return false;
}

// ---------------------------------------------------------------------------
// Writing the tree

namespace {

void AppendIndent(WStrBuilder_C& out, int32_t level, bool& ok) {
  int32_t n = level * 2;
  if (n > 40) n = 40;
  static const char16_t kBlanks[] = u"                                        ";
  if (n > 0) ok = out.Append(kBlanks, n) && ok;
}

// Texts keep their CR, attribute values also their quotes and white space,
// so that the file reads back as the tree; characters the reader refuses are
// left out.
void AppendEscaped(WStrBuilder_C& out, const char16_t* text, uint32_t flags, bool& ok) {
  const std::u16string escaped = XmlEscaped(text, flags | kXmlCharsOnly);
  if (!escaped.empty()) ok = out.Append(escaped.c_str(), static_cast<int32_t>(escaped.size())) && ok;
}

void AppendStartTag(WStrBuilder_C& out, const icXElement_C* e, bool& ok) {
  int32_t d = e->depth;
  AppendIndent(out, d, ok);
  ok = out.Append(u"<") && ok;
  ok = out.Append(e->name) && ok;
  if (e->firstAttr) {
    ok = out.Append(u"\n") && ok;
    for (const icXAttribute_C* a = e->firstAttr; a; a = a->Next()) {
      AppendIndent(out, d + 1, ok);
      ok = out.Append(a->name) && ok;
      ok = out.Append(u"=\"") && ok;
      AppendEscaped(out, a->value, kXmlAttribute, ok);
      ok = out.Append(u"\"\n") && ok;
    }
    AppendIndent(out, d + 1, ok);
  }
  ok = out.Append(u">\n") && ok;
  // The texts follow the start tag as one run (a reader delivers one text
  // in several pieces, at line ends and character references).
  for (const icXText_C* t = e->firstText; t; t = t->Next()) AppendEscaped(out, t->text, kXmlCr, ok);
  if (e->firstText) ok = out.Append(u"\n") && ok;
}

void AppendEndTag(WStrBuilder_C& out, const icXElement_C* e, bool& ok) {
  AppendIndent(out, e->depth, ok);
  ok = out.Append(u"</") && ok;
  ok = out.Append(e->name) && ok;
  ok = out.Append(u">\n") && ok;
}

}  // namespace

bool icXParser_C::SaveFile(const char16_t* path) const {
  if (!root) return false;
  WStrBuilder_C out(0);
  bool ok = true;
  // Depth-first without recursion: the parent links lead back up.
  const icXElement_C* e = root;
  while (e) {
    AppendStartTag(out, e, ok);
    if (e->firstChild) {
      e = e->firstChild;
      continue;
    }
    for (;;) {
      AppendEndTag(out, e, ok);
      if (e == root) {
        e = nullptr;
        break;
      }
      if (e->next) {
        e = e->Next();
        break;
      }
      e = e->parent;
    }
  }
  return ok && out.SaveToFile(path, kUniEncUtf16);
}
