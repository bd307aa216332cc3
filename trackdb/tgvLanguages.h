// The twelve language names of project descriptors and map pages ("EN" ...
// "Korean"), indexed 0..11. One table, shared by the project descriptor and
// the map page writer, in a library of its own so that a writer can name a
// language without linking the track library.
#pragma once

#include <cstdint>

constexpr int32_t kTgvLanguageCount = 12;

// The name of the index; "EN" for an index outside 0..11.
const char16_t* tgvLanguageName(int32_t index);
// The index of a name (exact, case-sensitive); -1 when unknown or null.
int32_t tgvLanguageIndex(const char16_t* name);
