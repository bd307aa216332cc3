#include "webclient/SessionSummary.h"

#include "platform/win32/format.h"

std::u16string SessionFilePath(const std::u16string& transferFolder, SessionFile file, int32_t id) {
  return FormatW(file == SessionFile::kSess ? u"%s/sess_%d.db" : u"%s/sana_%d.db", transferFolder.c_str(), id);
}
