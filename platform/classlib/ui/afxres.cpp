#include "platform/classlib/ui/afxres.h"

#include <atomic>

namespace {

std::atomic<const AfxResourceTables*> g_tables{nullptr};
std::atomic<LANGID> g_language{kLangEnglish};

const char16_t* TextIn(const ResString& s, LANGID lang) {
  switch (lang) {
    case kLangJapanese:
      return s.ja;
    case kLangGerman:
      return s.de;
    case kLangChineseTraditional:
      return s.zhTW;
    default:
      return s.en;
  }
}

bool LoadStringHook(UINT id, std::u16string& out) {
  const char16_t* s = AfxFindString(id, g_language.load());
  if (s == nullptr) return false;
  out = s;
  return true;
}

}  // namespace

void AfxSetResources(const AfxResourceTables* tables) {
  g_tables.store(tables);
  CString::SetLoadStringHook(&LoadStringHook);
}

const char16_t* AfxFindString(UINT id, LANGID lang) {
  const AfxResourceTables* t = g_tables.load();
  if (t == nullptr) return nullptr;
  for (size_t i = 0; i < t->stringCount; ++i) {
    if (t->strings[i].id == id) return TextIn(t->strings[i], lang);
  }
  return nullptr;
}

const ResDialog* AfxFindDialog(int id) {
  const AfxResourceTables* t = g_tables.load();
  if (t == nullptr) return nullptr;
  for (size_t i = 0; i < t->dialogCount; ++i) {
    if (t->dialogs[i].id == id) return &t->dialogs[i];
  }
  return nullptr;
}

const char* const* AfxFindXpm(UINT id) {
  const AfxResourceTables* t = g_tables.load();
  if (t == nullptr) return nullptr;
  for (size_t i = 0; i < t->imageCount; ++i) {
    if (t->images[i].id == id) return t->images[i].xpm;
  }
  return nullptr;
}

LANGID SetThreadUILanguage(LANGID lang) {
  g_language = lang;
  return lang;
}

LANGID GetThreadUILanguage() { return g_language.load(); }

BOOL AfxLoadString(UINT id, CString& text) {
  const char16_t* s = AfxFindString(id, g_language.load());
  if (s == nullptr) {
    text.Empty();
    return FALSE;
  }
  text = CString(s);
  return TRUE;
}

CString AfxLoadText(UINT id) {
  CString text;
  AfxLoadString(id, text);
  return text;
}

int LoadStringW(HINSTANCE, UINT id, LPWSTR buffer, int bufferMax) {
  const char16_t* s = AfxFindString(id, g_language.load());
  if (s == nullptr || buffer == nullptr || bufferMax <= 0) return 0;
  int n = 0;
  while (s[n] != 0 && n < bufferMax - 1) {
    buffer[n] = s[n];
    ++n;
  }
  buffer[n] = 0;
  return n;
}
