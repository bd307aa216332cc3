// The release notes of the offered update in one UI language, as the
// software-update dialog shows them. In the update description
// (appcore/SelfUpdate.h) they are the lines after the first line that is
// exactly the language's tag (appcore/UiLanguages.h), up to the first line
// that contains "INFOEND" or the end of the file.
#pragma once

#include <string>

#include "platform/classlib/CString.h"
#include "platform/win32/wintypes.h"

// Those lines of <userData>'s update description, each followed by "\n";
// empty when the file or the language's block is missing. The file is read
// as UTF-16LE with a byte-order mark or as UTF-8.
CString ReleaseNotes(const std::u16string& userData, LANGID lang);
