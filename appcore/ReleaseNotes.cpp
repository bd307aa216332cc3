#include "appcore/ReleaseNotes.h"

#include "appcore/UiLanguages.h"
#include "datafiles/DataFiles.h"
#include "platform/classlib/CStdioFileEx.h"

CString ReleaseNotes(const std::u16string& userData, LANGID lang) {
  CString notes;
  CStdioFileEx file;
  if (!file.Open(UpdateDescriptionPath(userData).c_str(), CFile::typeText | CFile::modeNoTruncate)) return notes;
  const char16_t* tag = UiLanguageTag(lang);
  CString line;
  bool found = false;
  // The whole line is compared: a line that holds a zero after the tag is not the tag.
  while (!found && file.ReadString(line)) found = line.Str() == tag;
  while (found && file.ReadString(line) && line.Find(u"INFOEND") < 0) {
    notes += line;
    notes += u"\n";
  }
  return notes;
}
