// A project folder of the track library: the descriptor "bruser.brx" that
// names the project and its language, and the project database
// "bruser.poi" beside it. Open reads and checks the descriptor, then opens
// the database as a document; Create writes the descriptor, then creates
// the database. The project keeps a text log of what it did.
//
// The descriptor is UTF-16LE with the mark FF FE and CR LF line ends, root
// element "brPROJECT" with the attributes "name", "language" and "poi".
//
// Opened read-only (tgvOpenMode), a project creates no file and writes no
// row: a missing "bruser.poi" is an empty database in memory.
#pragma once

#include <cstdint>
#include <memory>

#include "icbase/src/icutil/hashtable.h"
#include "icbase/src/icutil/paths.h"
#include "icbase/src/icutil/unistring.h"
#include "trackdb/tgvLanguages.h"
#include "trackdb/tgvSqlDB.h"

class tgvDocument_C;
class icXParser_C;
struct icXElement_C;

class tgvProject_C {
 public:
  enum State : int32_t { kClosed = 0, kOpen = 1, kFailed = 2 };
  // Error codes of Open and Create.
  static constexpr int32_t kErrInit = 8435;       // open: no string pool or no folder
  static constexpr int32_t kErrCreate = 8436;     // create: no pool or folder, a bad language, descriptor not written
  static constexpr int32_t kErrParse = 8950;      // open: descriptor not read or not accepted
  static constexpr int32_t kErrGenerate = 12531;  // the database did not open
  static constexpr int32_t kLanguageCount = kTgvLanguageCount;

  tgvProject_C();
  ~tgvProject_C();
  tgvProject_C(const tgvProject_C&) = delete;
  tgvProject_C& operator=(const tgvProject_C&) = delete;

  // The document, or null with the reason in GetErrorCode. An open project
  // is reset first. After a failure the project's string pool is gone and
  // the next Open or Create fails until Reset.
  tgvDocument_C* Open(const char16_t* folder, tgvOpenMode mode = tgvOpen_ReadWrite);
  // language: an index into the language table, 0..11.
  tgvDocument_C* Create(const char16_t* folder, int32_t language);
  // Commits the document; false unless open (and for a read-only one).
  bool Save();
  // Log, state, language, code and paths cleared, the document deleted, a
  // fresh string pool.
  void Reset();
  // Saving under another path is not provided.
  bool SaveAs(const char16_t* path);

  // The name of the project's language; "EN" for an index outside the table.
  const char16_t* GetLanguageName() const;
  static const char16_t* LanguageName(int32_t index);
  // The index of a name (exact, case-sensitive); -1 when unknown.
  static int32_t LanguageIndex(const char16_t* name);

  int32_t GetState() const { return m_state; }
  int32_t GetLanguage() const { return m_language; }
  int32_t GetErrorCode() const { return m_errorCode; }
  tgvDocument_C* GetDocument() const { return m_document.get(); }
  const UniString_C& GetLog() const { return m_log; }
  const char16_t* GetDescriptorPath() const { return m_descriptorPath.GetText(); }
  const char16_t* GetDatabasePath() const { return m_databasePath.GetText(); }

 private:
  bool InitPaths(const char16_t* folder);
  bool WriteDescriptor() const;
  // The end of Open and Create: on failure the document and the pool go.
  tgvDocument_C* Finish(int32_t code, const char16_t* success);
  // Opens (or creates) the database as the project's document; with a root,
  // runs the descriptor's import passes. 0 or kErrGenerate.
  int32_t Generate(const icXElement_C* root, tgvOpenMode mode);

  int32_t m_state;
  int32_t m_language;
  int32_t m_errorCode;
  std::unique_ptr<tgvDocument_C> m_document;
  std::unique_ptr<StrPool_C> m_pool;
  UniPath_C m_descriptorPath;
  UniPath_C m_databasePath;
  UniString_C m_log;
};

// One parse of a descriptor file.
class ProjectXml_C {
 public:
  // log: appended to (not owned); pool: the project's, or null for a pool of
  // the parse's own.
  ProjectXml_C(UniString_C* log, StrPool_C* pool);
  ~ProjectXml_C();
  ProjectXml_C(const ProjectXml_C&) = delete;
  ProjectXml_C& operator=(const ProjectXml_C&) = delete;

  bool Parse(const char16_t* path);
  // The root element of the last parse; null when none.
  const icXElement_C* GetRoot() const;

 private:
  UniString_C* m_log;
  StrPool_C* m_pool;
  std::unique_ptr<StrPool_C> m_ownPool;
  std::unique_ptr<icXParser_C> m_parser;
};

// What a descriptor says, and whether it is accepted.
struct ProjectFileInfo_C {
  bool valid = false;
  const icXElement_C* root = nullptr;
  const char16_t* name = nullptr;
  const char16_t* poi = nullptr;
  int32_t language = 0;

  // Accepted: root "brPROJECT"; only "name", "poi" and "language"
  // attributes (one without a name or value is skipped); a known language
  // name when given (0 without); both "name" and "poi" present.
  bool Read(const icXElement_C* rootNode);
};
