#include "appcore/Registry.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/win32/wstr.h"

namespace {

std::vector<uint8_t> TextBytes(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  bytes.reserve(2 * text.size() + 2);
  for (char16_t c : text) bytes.insert(bytes.end(), {static_cast<uint8_t>(c & 0xFF), static_cast<uint8_t>(c >> 8)});
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::u16string UnitsOf(const uint8_t* data, size_t size) {
  std::u16string out(size / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  return out;
}

std::u16string Limited(std::u16string text) {
  if (text.size() > static_cast<size_t>(kRegEntryTextLimit)) text.resize(kRegEntryTextLimit);
  return text;
}

}  // namespace

// ---------------------------------------------------------------------------
// CRegEntry

void CRegEntry::Write(const std::vector<uint8_t>& bytes) {
  m_assigned = true;
  m_present = true;
  if (m_owner) m_owner->WriteValue(m_name, m_type, bytes);
}

void CRegEntry::SetString(const CString& text) {
  m_type = REG_SZ;
  m_text = Limited(text.Str());
  Write(TextBytes(text.Str()));
}

void CRegEntry::SetDword(DWORD value) {
  m_type = REG_DWORD;
  m_dword = value;
  Write({static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
         static_cast<uint8_t>(value >> 24)});
}

void CRegEntry::SetBinary(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return;
  m_type = REG_BINARY;
  m_binary = bytes;
  Write(bytes);
}

void CRegEntry::SetMultiString(const std::vector<CString>& strings) {
  m_type = REG_MULTI_SZ;
  m_multi = strings;
  std::u16string joined;
  for (const CString& s : strings) {
    joined += s.Str();
    joined.push_back(u'\0');
  }
  Write(TextBytes(joined));
}

void CRegEntry::Assign(DWORD type, const uint8_t* data, size_t size) {
  switch (type) {
    case REG_SZ: {
      std::u16string text = UnitsOf(data, size);
      text.resize(std::min(text.size(), text.find(u'\0')));
      m_text = Limited(std::move(text));
      break;
    }
    case REG_DWORD:
      if (size < 4) return;
      m_dword = static_cast<DWORD>(data[0] | (data[1] << 8) | (data[2] << 16)) | (static_cast<DWORD>(data[3]) << 24);
      break;
    case REG_BINARY:
      m_binary.assign(data, data + size);
      break;
    case REG_MULTI_SZ: {
      m_multi.clear();
      const std::u16string all = UnitsOf(data, size);
      size_t start = 0;
      while (start < all.size() && all[start] != u'\0') {
        const size_t end = std::min(all.size(), all.find(u'\0', start));
        m_multi.emplace_back(all.substr(start, end - start));
        start = end + 1;
      }
      break;
    }
    default:
      return;
  }
  m_type = type;
  m_assigned = true;
  m_present = true;
}

CString CRegEntry::GetString() {
  if ((m_owner && (m_owner->GetFlags() & kRegReadAgain)) && m_owner->IsOpen()) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(m_owner->m_key, m_name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      std::vector<uint8_t> data(size);
      if (RegQueryValueExW(m_owner->m_key, m_name, nullptr, &type, data.data(), &size) == ERROR_SUCCESS)
        Assign(type, data.data(), size);
    }
  }
  if (!m_assigned) return CString();
  switch (m_type) {
    case REG_SZ:
      return CString(m_text);
    case REG_BINARY: {
      // The bytes fill a buffer of the text limit, which keeps its final zero.
      const size_t bytes = std::min(m_binary.size(), static_cast<size_t>(2 * (kRegEntryTextLimit - 1)));
      // An odd last byte is a character of its own.
      std::u16string text = UnitsOf(m_binary.data(), bytes);
      if (bytes % 2) text.push_back(static_cast<char16_t>(m_binary[bytes - 1]));
      text.resize(std::min(text.size(), text.find(u'\0')));
      return CString(std::move(text));
    }
    case REG_DWORD:
      return CString::FromUtf8(std::to_string(m_dword));
    case REG_MULTI_SZ: {
      std::u16string all;
      for (const CString& s : m_multi) {
        all += s.Str();
        all.push_back(u'\0');
      }
      return CString(Limited(std::move(all)));
    }
    default:
      return CString();
  }
}

int CRegEntry::GetInt() {
  if (!m_present) return 0;
  switch (m_type) {
    case REG_SZ:
    case REG_BINARY:
      return WStrToInt(GetString());
    case REG_DWORD:
      return static_cast<int>(m_dword);
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------
// CRegistry

CRegistry::~CRegistry() { Close(); }

void CRegistry::Close() {
  if (m_key) RegCloseKey(m_key);
  m_key = nullptr;
}

bool CRegistry::Open(const CString& subKey, HKEY root, REGSAM access, bool reopen) {
  if (subKey.Compare(m_path) != 0) m_entries.clear();
  m_path = subKey;
  m_root = root;
  m_access = access;
  Close();
  HKEY key = nullptr;
  const LSTATUS rc = (m_flags & kRegCreateKey) ? RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                                 access | KEY_CREATE_SUB_KEY, nullptr, &key, nullptr)
                                               : RegOpenKeyExW(root, subKey, 0, access, &key);
  if (rc != ERROR_SUCCESS) return false;
  m_key = key;
  if (!reopen) Refresh();
  return true;
}

bool CRegistry::Refresh() {
  if (!m_key) return false;
  for (DWORD index = 0;; ++index) {
    char16_t name[16384];
    DWORD nameLength = 16384, type = 0, size = 0;
    if (RegEnumValueW(m_key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<uint8_t> data(size);
    nameLength = 16384;
    if (RegEnumValueW(m_key, index, name, &nameLength, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
    (*this)[CString(name)].Assign(type, data.data(), size);
  }
  return true;
}

CRegEntry& CRegistry::operator[](const CString& name) {
  for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it)
    if ((*it)->GetName().Compare(name) == 0) return **it;
  m_entries.push_back(std::make_unique<CRegEntry>(this, name));
  return *m_entries.back();
}

void CRegistry::WriteValue(const CString& name, DWORD type, const std::vector<uint8_t>& bytes) {
  if (m_flags & kRegNeverWrite) return;
  const bool openForWrite = !m_key && (m_flags & kRegOpenPerWrite);
  if (openForWrite && !Open(m_path, m_root, m_access, true)) return;
  if (m_key) RegSetValueExW(m_key, name, 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
  if (openForWrite) Close();
}
