// The language ids (Windows LANGIDs) of the four UI languages that the
// program's string table carries. The UI layer picks a string's text by
// them; the program's rules that depend on the language (the service's page
// tags, the update notes) name them without the UI layer.
#pragma once

#include "platform/win32/wintypes.h"

constexpr LANGID kLangEnglish = 1033;
constexpr LANGID kLangJapanese = 1041;
constexpr LANGID kLangGerman = 1031;
constexpr LANGID kLangChineseTraditional = 1028;
