// The track library's XML reader.
//
// icXml_A wraps an expat parser built for UTF-16 (every name, value and text
// arrives as char16_t units); its handlers are virtual operations. icXParser_C
// builds a tree of element, attribute and text nodes in arena memory with
// interned names, checks it against a tag table (the allowed tags, their
// parents, attributes and whether they may hold text) and keeps a message log.
#pragma once

#include <cstdint>

#include "icbase/src/icutil/hashtable.h"
#include "icbase/src/icutil/mempool.h"
#include "icbase/src/icutil/unistring.h"

struct XML_ParserStruct;

// ---------------------------------------------------------------------------
// The expat wrapper. icXml_T holds the parser handle and the handler
// trampolines, which find the object of type T through the user data.

template <class T>
class icXml_T {
 public:
  icXml_T() = default;
  ~icXml_T() { Destroy(); }
  icXml_T(const icXml_T&) = delete;
  icXml_T& operator=(const icXml_T&) = delete;

  // Destroys a previous parser and makes a new one; an empty encoding or
  // separator counts as none. Then runs the after-creation hook.
  bool Create(const char16_t* encoding, const char16_t* separator);
  void Destroy();
  bool HasParser() const { return parser != nullptr; }

  // The byte count is length * charSize, or the zero-terminated length of
  // buffer (in char16_t units) * charSize when length is negative.
  bool Parse(const void* buffer, int32_t length, bool isFinal, int32_t charSize);
  // Asks the parser to stop at once (from inside a handler): the running
  // Parse then fails.
  void StopParser();

  int32_t GetErrorCode() const;
  // expat's message text (ASCII) for the current error code.
  const char* GetErrorString() const;
  int32_t GetCurrentLineNumber() const;
  int32_t GetCurrentColumnNumber() const;

  void EnableStartElementHandler(bool on);
  void EnableEndElementHandler(bool on);
  void EnableCharacterDataHandler(bool on);

 protected:
  XML_ParserStruct* parser = nullptr;
};

class icXml_A : public icXml_T<icXml_A> {
 public:
  icXml_A() = default;
  virtual ~icXml_A() = default;

  // The handlers; each does nothing here unless stated.
  // attrs: null-terminated array of name, value, name, value ...
  virtual void OnStartElement(const char16_t* name, const char16_t** attrs) {}
  virtual void OnEndElement(const char16_t* name) {}
  // text is not zero-terminated: exactly `length` units.
  virtual void OnCharacterData(const char16_t* text, int32_t length) {}
  virtual void OnProcessingInstruction(const char16_t* target, const char16_t* data) {}
  virtual void OnComment(const char16_t* data) {}
  virtual void OnStartCdataSection() {}
  virtual void OnEndCdataSection() {}
  virtual void OnDefault(const char16_t* text, int32_t length) {}
  virtual bool OnExternalEntityRef(const char16_t* context, const char16_t* base, const char16_t* systemId,
                                   const char16_t* publicId) {
    return false;
  }
  virtual bool OnUnknownEncoding(const char16_t* name, void* info) { return false; }
  virtual void OnStartNamespaceDecl(const char16_t* prefix, const char16_t* uri) {}
  virtual void OnEndNamespaceDecl(const char16_t* prefix) {}
  virtual void OnXmlDecl(const char16_t* version, const char16_t* encoding, int32_t standalone) {}
  virtual void OnStartDoctypeDecl(const char16_t* name, const char16_t* systemId, const char16_t* publicId,
                                  bool hasInternalSubset) {}
  virtual void OnEndDoctypeDecl() {}
  // Runs right after the expat parser was made.
  virtual void OnAfterCreate() {}
};

// ---------------------------------------------------------------------------
// The tree. Nodes live in the parser's arena blocks and die with it; names,
// values and texts are interned in its string pool, so equal names are equal
// pointers. The text between two tags is one text node, without the blanks
// (TAB, LF, space) at its ends; blanks only are no text.

enum icXNodeKind_E : uint16_t {
  kXNodeElement = 2,
  kXNodeAttribute = 3,
  kXNodeText = 4,
};

struct icXElement_C;

struct icXNode_C {
  uint16_t kind;
  uint16_t depth;
  uint32_t reserved;
  icXElement_C* parent;
  icXNode_C* next;  // next node of the same list
};

struct icXAttribute_C : icXNode_C {
  const char16_t* name;
  const char16_t* value;
  icXAttribute_C* Next() const { return static_cast<icXAttribute_C*>(next); }
};

struct icXText_C : icXNode_C {
  const char16_t* text;
  icXText_C* Next() const { return static_cast<icXText_C*>(next); }
};

struct icXElement_C : icXNode_C {
  const char16_t* name;
  uint16_t attrCount;
  uint16_t childCount;
  uint16_t textCount;
  icXAttribute_C* firstAttr;
  icXAttribute_C* lastAttr;
  icXElement_C* firstChild;
  icXElement_C* lastChild;
  icXText_C* firstText;
  icXText_C* lastText;
  icXElement_C* Next() const { return static_cast<icXElement_C*>(next); }
};

// ---------------------------------------------------------------------------
// The tag table.

// One record of the table given to the parser; the array ends with a record
// whose tag is null.
struct icXDtdRecord_C {
  const char16_t* tag;
  int32_t parentCount;
  const char16_t* parents;  // parent tag names separated by ':', or null
  int32_t attrCount;
  const char16_t* attrs;  // "name:T[:value...]" specifications separated by ';', or null
  uint8_t textAllowed;
};

// Attribute type codes, by their letters.
enum icXAttrType_E : int32_t {
  kXAttrS = 1,
  kXAttrF = 2,
  kXAttrO = 3,
  kXAttrA = 4,
  kXAttrP = 5,
  kXAttrT = 7,
  kXAttrN = 8,
};

struct icXDtdValue_C {
  const char16_t* value;
  icXDtdValue_C* next;
};

struct icXDtdAttr_C {
  const char16_t* name;
  int32_t type;
  icXDtdValue_C* firstValue;
  icXDtdValue_C* lastValue;
  icXDtdAttr_C* next;
};

struct icXDtdParent_C {
  const char16_t* name;
  icXDtdParent_C* next;
};

struct icXDtdTag_C {
  const char16_t* name;
  uint8_t textAllowed;
  uint8_t rootAllowed;  // 1 until a parent is added
  icXDtdParent_C* firstParent;
  icXDtdParent_C* lastParent;
  icXDtdAttr_C* firstAttr;
  icXDtdAttr_C* lastAttr;
  icXDtdTag_C* next;
};

class icXParser_C;

class icXDtdTable_C {
 public:
  // Builds the definitions from the records; every problem is appended to
  // the owner's log and sets IsInitFailed.
  icXDtdTable_C(icXParser_C* owner, const icXDtdRecord_C* records);
  icXDtdTable_C(const icXDtdTable_C&) = delete;
  icXDtdTable_C& operator=(const icXDtdTable_C&) = delete;

  // All names are pooled pointers of the owner's pool.
  bool IsValidTag(const char16_t* tag, const char16_t* parentTag, int32_t depth) const;
  bool IsValidAttribute(const char16_t* tag, const char16_t* name, const char16_t* value) const;
  bool IsTextAllowed(const char16_t* tag) const;
  const icXDtdTag_C* FindTag(const char16_t* tag) const;

  bool IsInitFailed() const { return initFailed != 0; }
  const icXDtdTag_C* GetFirstTag() const { return firstTag; }

 private:
  void Report();
  void AddParents(icXDtdTag_C* def, const icXDtdRecord_C& rec);
  void AddAttributes(icXDtdTag_C* def, const icXDtdRecord_C& rec);
  bool AddAttribute(icXDtdTag_C* def, const char16_t* spec);

  uint8_t initFailed = 0;
  icXParser_C* owner;
  UniString_C message;
  icXDtdTag_C* firstTag = nullptr;
  icXDtdTag_C* lastTag = nullptr;
};

// ---------------------------------------------------------------------------
// The reader.

class icXParser_C : public icXml_A {
 public:
  // pool: the string pool for every name, value and text; null makes a pool
  // of the parser's own. records: the tag table, or null for none.
  icXParser_C(StrPool_C* pool, const icXDtdRecord_C* records);
  ~icXParser_C() override;

  // Reads a UTF-16LE file that starts with the mark FF FE into the tree.
  // True when the file was well-formed and passed the tag table; the log
  // tells what happened.
  bool ParseFile(const char16_t* path);
  // Writes the tree as UTF-16LE with the mark; false without a root. Values
  // and texts are escaped so that they read back as they are, less the
  // characters XML does not allow (an unpaired surrogate as U+FFFD).
  bool SaveFile(const char16_t* path) const;
  // Bytes used over the node blocks (and the pool when owned); the bytes
  // allocated go to *allocated.
  uint32_t GetMemoryUsage(uint32_t* allocated) const;
  // Zeroed node memory of n bytes from the node blocks; null when n >= 4096
  // or when no block can be made.
  void* AllocNode(uint32_t n);

  icXElement_C* GetRoot() const { return root; }
  const UniString_C& GetLog() const { return log; }
  UniString_C& GetLog() { return log; }
  StrPool_C* GetPool() const { return pool; }
  bool HasDtd() const { return hasDtd != 0; }
  bool IsDtdInitFailed() const { return dtdInitFailed != 0; }
  const icXDtdTable_C* GetDtd() const { return dtd; }

  // Interns in the parser's pool (null-safe).
  const char16_t* Intern(const char16_t* text);

 protected:
  void OnStartElement(const char16_t* name, const char16_t** attrs) override;
  void OnEndElement(const char16_t* name) override;
  void OnCharacterData(const char16_t* text, int32_t length) override;
  void OnAfterCreate() override;

 private:
  friend class icXDtdTable_C;
  // Records the first error: the parser stops and the tree is not touched again.
  void Stop();
  void ReportNoMemory();
  // The three steps of a start tag: the tag table's verdict on the tag and
  // its attributes, the element's place in the tree, its attribute nodes.
  bool CheckElement(const char16_t* tag, const char16_t* name, const char16_t** attrs);
  icXElement_C* LinkElement(const char16_t* tag);
  void AddAttributes(icXElement_C* elem, const char16_t* name, const char16_t** attrs);
  // Text arrives in pieces; one text node is made of the whole run, its end
  // blanks trimmed.
  static bool IsBlankText(const char16_t* text, int32_t length);
  bool AcceptText(const char16_t* text, int32_t length);
  bool AppendRun(const char16_t* text, int32_t length);
  void FlushText();

  uint8_t ownsPool = 0;
  uint8_t stopped = 0;
  uint8_t hasDtd = 0;
  uint8_t dtdInitFailed = 0;
  StrPool_C* pool = nullptr;
  MemArena_C* nodeBlocks = nullptr;
  UniString_C log;
  icXElement_C* root = nullptr;
  icXElement_C* current = nullptr;
  int32_t depth = 0;
  icXDtdTable_C* dtd = nullptr;
  // The text being read in `current`: runLength units from its first piece
  // that is not blank on.
  uint8_t runOpen = 0;
  char16_t* runText = nullptr;
  int32_t runLength = 0;
  int32_t runCapacity = 0;
};
