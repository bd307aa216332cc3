// A small wrapper of one registry key (CRegistry) whose named values are
// CRegEntry objects: values are loaded when the key opens, and an assignment
// to an entry is written to the key at once.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/classlib/CString.h"
#include "platform/win32/registry.h"

// CRegistry flags.
enum RegistryFlags : DWORD {
  kRegCreateKey = 1,     // Open creates a missing key
  kRegOpenPerWrite = 2,  // a closed key is opened for each write and closed after
  kRegReadAgain = 4,     // GetString reads the value again from the key first
  kRegNeverWrite = 8,    // assignments stay in the entries
};

// Text held by an entry, in characters: a longer REG_SZ is written whole but
// read back through the entry cut to this length.
constexpr int kRegEntryTextLimit = 2048;

class CRegistry;

class CRegEntry {
 public:
  CRegEntry(CRegistry* owner, const CString& name) : m_name(name), m_owner(owner) {}
  virtual ~CRegEntry() = default;
  CRegEntry(const CRegEntry&) = delete;
  CRegEntry& operator=(const CRegEntry&) = delete;

  // Each sets the type and the value, writes it (unless the owner does not
  // write) and marks the entry present; SetBinary of no bytes does nothing.
  void SetString(const CString& text);
  void SetDword(DWORD value);
  void SetBinary(const std::vector<uint8_t>& bytes);
  void SetMultiString(const std::vector<CString>& strings);

  // The value as text: REG_SZ the text; REG_BINARY its bytes read as UTF-16
  // up to the first zero; REG_DWORD in decimal; REG_MULTI_SZ the strings,
  // each followed by its zero; never more than kRegEntryTextLimit characters;
  // empty for a value never assigned.
  CString GetString();
  // REG_SZ and REG_BINARY: the decimal number at the start of the text (0
  // when there is none); REG_DWORD the value; anything else 0.
  int GetInt();

  const CString& GetName() const { return m_name; }
  DWORD GetType() const { return m_type; }
  bool IsPresent() const { return m_present; }

  // Takes a value read from the key (no write); types other than the four
  // above are ignored. Used by CRegistry::Refresh.
  void Assign(DWORD type, const uint8_t* data, size_t size);

 private:
  void Write(const std::vector<uint8_t>& bytes);

  CString m_name;
  DWORD m_type = REG_NONE;
  CRegistry* m_owner;
  bool m_assigned = false;
  bool m_present = false;
  DWORD m_dword = 0;
  std::u16string m_text;  // at most kRegEntryTextLimit characters
  std::vector<uint8_t> m_binary;
  std::vector<CString> m_multi;
};

class CRegistry {
 public:
  explicit CRegistry(DWORD flags = 0) : m_flags(flags) {}
  virtual ~CRegistry();
  CRegistry(const CRegistry&) = delete;
  CRegistry& operator=(const CRegistry&) = delete;

  // Opens (or, with kRegCreateKey, creates) the sub-key of root and, unless
  // reopen is set, loads all its values. A different path than the one held
  // drops the held entries first. False when the key cannot be opened.
  bool Open(const CString& subKey, HKEY root = HKEY_CURRENT_USER, REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE,
            bool reopen = false);
  void Close();
  // Loads every value of the open key into its entry; false when closed.
  bool Refresh();
  // The entry of that name (exact, case-sensitive; the newest first); a new
  // empty entry when there is none.
  CRegEntry& operator[](const CString& name);

  bool IsOpen() const { return m_key != nullptr; }
  DWORD GetFlags() const { return m_flags; }

 private:
  friend class CRegEntry;
  // Writes one value, opening the key for the write when the flags ask for it.
  void WriteValue(const CString& name, DWORD type, const std::vector<uint8_t>& bytes);

  HKEY m_key = nullptr;
  DWORD m_flags;
  HKEY m_root = HKEY_CURRENT_USER;
  REGSAM m_access = KEY_QUERY_VALUE | KEY_SET_VALUE;
  CString m_path;
  std::vector<std::unique_ptr<CRegEntry>> m_entries;
};
